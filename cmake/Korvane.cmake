# korvane_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable registered with ctest.
function(korvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
  # Test code gains nothing from optimisation and compiles twice as fast without it.
  target_compile_options(${name} PRIVATE -O0)
  # Parameterised tests are named by their index; their values stay in the test output.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES ${T_PROPERTIES})
endfunction()

# korvane_add_library(NAME STATIC|SHARED|INTERFACE|OBJECT [DIR SUBDIR] [SOURCES...] [LIBS...]
#                     [PRIVATE_LIBS...]): the library korvane_NAME in one layout: public headers in
# SUBDIR/include/NAME/ (included as "NAME/x.h"), sources in SUBDIR/src/. LIBS are linked publicly.
function(korvane_add_library name kind)
  cmake_parse_arguments(L "" "DIR" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  if(L_DIR)
    set(dir ${dir}/${L_DIR})
  endif()
  if(NOT IS_DIRECTORY ${dir}/include/${name})
    message(FATAL_ERROR "korvane_${name}: public headers belong in ${dir}/include/${name}/")
  endif()
  set(sources)
  foreach(src IN LISTS L_SOURCES)
    if(NOT src MATCHES "^src/")
      message(FATAL_ERROR "korvane_${name}: source ${src} must be under src/")
    endif()
    list(APPEND sources ${dir}/${src})
  endforeach()
  set(target korvane_${name})
  add_library(${target} ${kind} ${sources})
  if(kind STREQUAL "INTERFACE")
    target_include_directories(${target} INTERFACE ${dir}/include)
    target_link_libraries(${target} INTERFACE ${L_LIBS})
  else()
    target_include_directories(${target} PUBLIC ${dir}/include)
    target_link_libraries(${target} PUBLIC ${L_LIBS} PRIVATE ${L_PRIVATE_LIBS})
  endif()
endfunction()

# korvane_wx_library(NAME COMPONENTS... [DEFINITIONS...]): an interface target over wxWidgets 3.2
# components, the toolkit's headers kept outside our warning discipline. NAME is not made when the
# components are missing (callers check with `if(TARGET NAME)`).
function(korvane_wx_library name)
  cmake_parse_arguments(W "" "" "COMPONENTS;DEFINITIONS" ${ARGN})
  find_package(wxWidgets 3.2 COMPONENTS ${W_COMPONENTS} QUIET)
  if(NOT wxWidgets_FOUND)
    return()
  endif()
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(${name} INTERFACE ${wxWidgets_DEFINITIONS} ${W_DEFINITIONS})
  target_compile_options(${name} INTERFACE ${wxWidgets_CXX_FLAGS})
  target_link_libraries(${name} INTERFACE ${wxWidgets_LIBRARIES})
endfunction()

# korvane_add_maker(NAME SOURCES... [CORE SOURCES...]): a model-maker plug-in named after its
# deliverable, exporting only GetModelMakerName and CreateModelMaker. The CORE sources (the windowless
# computation and text) become the static library <name>_core, which the plug-in and the tests link.
function(korvane_add_maker name)
  cmake_parse_arguments(M "" "" "CORE" ${ARGN})
  string(TOLOWER ${name} lower)
  add_library(${lower} MODULE ${M_UNPARSED_ARGUMENTS})
  target_link_libraries(${lower} PRIVATE korvane_frame)
  if(M_CORE)
    add_library(${lower}_core STATIC ${M_CORE})
    target_include_directories(${lower}_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${lower}_core PUBLIC korvane_frame)
    set_target_properties(${lower}_core PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    target_link_libraries(${lower} PRIVATE ${lower}_core)
  endif()
  set_target_properties(${lower} PROPERTIES
    OUTPUT_NAME ${name}
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${KORVANE_PLUGIN_DIR}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH "${CMAKE_BINARY_DIR}/lib")
  target_link_options(${lower} PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/frame/exports.map -Wl,--no-undefined)
  set_property(GLOBAL APPEND PROPERTY KORVANE_MAKERS ${lower})
endfunction()

# korvane_use_gui_presenter(TARGET): a program that shows its windows through the GUI presenter when a
# display is there. It links only the loader (korvane_guistack), which loads the presenter module on
# demand, so that command-line runs never map the toolkit; the module is built with the program.
# The test NoToolkitIn-TARGET fails when the program or a library it needs needs a toolkit library.
# DRAWING_ALLOWED: the program's own logic draws into images (cairo), which is no toolkit.
function(korvane_use_gui_presenter target)
  cmake_parse_arguments(G "DRAWING_ALLOWED" "" "" ${ARGN})
  target_link_libraries(${target} PRIVATE korvane_guistack)
  if(TARGET korvane_wxpresenter)
    add_dependencies(${target} korvane_wxpresenter)
  endif()
  set(allow "")
  if(G_DRAWING_ALLOWED)
    set(allow "--drawing-allowed")
  endif()
  add_test(NAME NoToolkitIn-${target}
           COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/no-toolkit.sh ${allow} $<TARGET_FILE:${target}>)
endfunction()

# korvane_add_gui_test(NAME SOURCES... LIBS...): a GoogleTest program that needs a display, run on a
# private virtual display that is ended with it (run-on-xvfb.sh). Without a display it reports a skip
# (77). Nothing is added when the GUI presenter is not built.
function(korvane_add_gui_test name)
  if(NOT TARGET korvane_wxtesting)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  get_target_property(testing_dir korvane_wxtesting SOURCE_DIR)
  add_executable(${name} ${T_SOURCES} ${testing_dir}/testing/src/gui_main.cpp)
  target_link_libraries(${name} PRIVATE korvane_wxtesting ${T_LIBS})
  target_compile_options(${name} PRIVATE -O0)
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/cmake/run-on-xvfb.sh $<TARGET_FILE:${name}>)
  # The toolkit keeps font and theme caches until exit.
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;SOURCE_DATE_EPOCH=1700000000;KORVANE_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts/gui")
endfunction()

# korvane_add_maker_gui_test(DELIVERABLE SOURCES...): a maker's GUI cases (see makers/testing/README.md),
# run through the GUI runner of makers/testing. Nothing is added when the GUI presenter is not built.
function(korvane_add_maker_gui_test deliverable)
  if(NOT TARGET korvane_makerguitest)
    return()
  endif()
  string(TOLOWER ${deliverable} lower)
  korvane_add_gui_test(${lower}_gui_tests SOURCES ${ARGN} LIBS korvane_makerguitest)
  add_dependencies(${lower}_gui_tests ${lower})
endfunction()

# korvane_add_bus_test(NAME TEST TESTNAME SOURCES... LIBS... [STUB]): a GoogleTest program run on a
# private session bus (dbus-run-session). STUB: it starts the stand-in schematic program, whose path it
# gets as KORVANE_SCHEMATIC_STUB.
function(korvane_add_bus_test name)
  cmake_parse_arguments(T "STUB" "TEST" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE -O0)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
  if(T_STUB)
    target_compile_definitions(${name} PRIVATE KORVANE_SCHEMATIC_STUB="$<TARGET_FILE:korvane-schematic-stub>")
    add_dependencies(${name} korvane-schematic-stub)
  endif()
  find_program(DBUS_RUN_SESSION dbus-run-session REQUIRED)
  add_test(NAME ${T_TEST} COMMAND ${DBUS_RUN_SESSION} -- $<TARGET_FILE:${name}>)
endfunction()
