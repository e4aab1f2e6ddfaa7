# Cross build for x64 Windows with Debian's mingw-w64 (posix thread model).
set(TAVRIN_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAVRIN_WIDL_FLAGS --win64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
