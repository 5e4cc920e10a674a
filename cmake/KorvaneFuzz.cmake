# libFuzzer targets, built by CMake so that a new dependency of a reader breaks the fuzz build at once.
# On with KORVANE_FUZZ (clang only): every file is compiled with coverage for the fuzzer and with
# AddressSanitizer + UBSan; `cmake --build DIR --target fuzz` builds all targets into DIR/fuzz/, and
# each folder's fuzz/run.sh only runs its target (scripts/fuzz does both).
option(KORVANE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(KORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KORVANE_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ "
                        "-DCMAKE_C_COMPILER=clang)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  add_custom_target(fuzz)
endif()

# korvane_add_fuzz(NAME SOURCES ... LIBS ...): one fuzz target; nothing when KORVANE_FUZZ is off.
function(korvane_add_fuzz name)
  if(NOT KORVANE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} EXCLUDE_FROM_ALL ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_dependencies(fuzz ${name})
endfunction()
