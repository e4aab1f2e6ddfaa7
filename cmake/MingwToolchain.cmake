# Shared part of the mingw-w64 toolchain files: the including file sets
# TAVRIN_TRIPLE, CMAKE_SYSTEM_PROCESSOR and TAVRIN_WIDL_FLAGS first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TAVRIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIN_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${TAVRIN_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run under Wine in the project's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
