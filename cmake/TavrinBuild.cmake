# Compiler settings shared by every configuration, and the helpers that the
# subdirectories use to declare tests.

add_compile_options(-Wall -Wextra)
if(TAVRIN_WERROR)
  add_compile_options(-Werror)
endif()

if(WIN32)
  # Unicode Win32 API, no min/max macros, nothing from the rarely used headers.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                          _WIN32_WINNT=0x0601)
  # Every Windows binary imports system DLLs only: the C and C++ runtimes and
  # winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(TAVRIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TAVRIN_FUZZ)
  # The code under test gets coverage instrumentation; the fuzz targets add
  # -fsanitize=fuzzer themselves.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

get_filename_component(TAVRIN_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# The project's version as macros (TavrinVersion.h), for the resource scripts
# and the tests.
set(TAVRIN_VERSION_HEADER ${CMAKE_BINARY_DIR}/generated/TavrinVersion.h)
configure_file(${CMAKE_CURRENT_LIST_DIR}/TavrinVersion.h.in ${TAVRIN_VERSION_HEADER} @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

# tavrin_version_resource(<target> <rc file>)
# Adds a program's resource script, which names the file and includes the
# version block shared by every binary ("server/VersionInfo.rc2": the target
# has src/ on its include path). windres reports no dependencies, so the
# included files are named here.
function(tavrin_version_resource target rc)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${TAVRIN_VERSION_HEADER}
               ${TAVRIN_SOURCE_ROOT}/src/server/VersionInfo.rc2)
endfunction()

# tavrin_expose(<library> [FROM <dir>] <folder>...)
# Gives a library an include root of its own in the build tree that holds
# links to the named folders of src/ (or of <dir>) and nothing else, so that
# "<folder>/X.h" resolves for the library and for whatever links it, and for
# no other target: a lower library that includes a header of a higher one
# fails to compile.
function(tavrin_expose library)
  cmake_parse_arguments(E "" "FROM" "" ${ARGN})
  set(base ${TAVRIN_SOURCE_ROOT}/src)
  if(E_FROM)
    set(base ${E_FROM})
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${library})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${E_UNPARSED_ARGUMENTS})
    file(CREATE_LINK ${base}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${library} PUBLIC ${root})
endfunction()

# tavrin_test(<name> [NEUTRAL <files>...] [WINDOWS <files>...] [LIBS <libs>...])
# One test program per subsystem. NEUTRAL sources build natively and for
# Windows; WINDOWS sources only for Windows. Each program is one ctest test;
# the test run reads the per-case results from the GoogleTest XML report.
function(tavrin_test name)
  cmake_parse_arguments(T "" "" "NEUTRAL;WINDOWS;LIBS" ${ARGN})
  set(sources ${T_NEUTRAL})
  if(WIN32)
    list(APPEND sources ${T_WINDOWS})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tavrin_test_support)
  # A Windows program that links the library's code also needs the module's
  # state, which the DLL holds; it is linked as objects, not from an archive.
  if(T_LIBS AND TARGET tavrin_module_state)
    target_link_libraries(${name} PRIVATE tavrin_module_state)
  endif()
  # Under Wine the report path must be a Windows path: drive Z: is the root
  # of the Linux file system.
  set(report ${CMAKE_BINARY_DIR}/results/${name}.xml)
  if(WIN32)
    set(report Z:${report})
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${report})
  set_tests_properties(${name} PROPERTIES LABELS gtest)
endfunction()
