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

# korvane_use_gui_presenter(TARGET): a program that shows its windows on a display when the wxWidgets
# presenter is built (KORVANE_HAVE_WX), and runs headless otherwise.
function(korvane_use_gui_presenter target)
  if(TARGET korvane_wxpresenter)
    target_link_libraries(${target} PRIVATE korvane_wxpresenter)
    target_compile_definitions(${target} PRIVATE KORVANE_HAVE_WX)
  endif()
endfunction()
