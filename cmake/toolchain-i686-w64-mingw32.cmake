# Cross build for x86 Windows with Debian's mingw-w64 (posix thread model).
set(TAVRIN_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# widl must be told where Wine keeps its 32-bit stdole2.tlb.
set(TAVRIN_WIDL_FLAGS --win32 -L /usr/lib/i386-linux-gnu/wine/i386-windows)
# Every binary targets processors with SSE2, which the Windows versions that
# run classic ASP require: the splitter's block scan then takes its SSE2 path
# and floating point stays in SSE registers, as on x64. Windows calls into
# 32-bit code with the stack aligned to 4 bytes only; with SSE enabled the
# compiler's -mstackrealign (on by default for this target) realigns it in
# every function that keeps 16-byte data on the stack.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
