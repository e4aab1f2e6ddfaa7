# Cross build for i686 Windows with Debian's mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TAVRIN_TRIPLE i686-w64-mingw32)

set(CMAKE_C_COMPILER ${TAVRIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIN_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${TAVRIN_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Type libraries come from Wine's widl; the 32-bit one must be told where
# Wine keeps its 32-bit stdole2.tlb.
set(TAVRIN_WIDL_FLAGS --win32 -L /usr/lib/i386-linux-gnu/wine/i386-windows)

# Test programs run under Wine in the project's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
