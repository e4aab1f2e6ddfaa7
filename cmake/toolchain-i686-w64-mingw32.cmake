# Cross build for x86 Windows with Debian's mingw-w64 (posix thread model).
set(TAVRIN_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# widl must be told where Wine keeps its 32-bit stdole2.tlb.
set(TAVRIN_WIDL_FLAGS --win32 -L /usr/lib/i386-linux-gnu/wine/i386-windows)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
