# How every folder declares its targets. Each target links tallux_warnings,
# so the whole project compiles with one set of warnings; TALLUX_WERROR=ON
# (set by scripts/test) makes them errors.
add_library(tallux_warnings INTERFACE)
target_compile_options(tallux_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  $<$<BOOL:${TALLUX_WERROR}>:-Werror>)

# The library of one folder: every .cpp directly in the folder except
# main.cpp, linked publicly with the given targets. A folder without sources
# yet gives an interface target, so dependants link it already.
function(tallux_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN} PRIVATE tallux_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# The program of one folder: its main.cpp linked with the given targets.
function(tallux_folder_program name)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} tallux_warnings)
endfunction()

# A timed driver of bench/: one source file linked with the given targets.
function(tallux_bench name source)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARGN} tallux_warnings)
endfunction()

# Lets a test or a driver start the project's programs: each of SERVER, CLI
# and CLIENT becomes a definition TALLUX_<NAME> with the program's path, and
# the program is built first.
function(tallux_uses_programs target)
  foreach(kind ${ARGN})
    if(kind STREQUAL "SERVER")
      set(program tallux-server)
    elseif(kind STREQUAL "CLI")
      set(program tallux-cli)
    elseif(kind STREQUAL "CLIENT")
      set(program tallux)
    else()
      message(FATAL_ERROR "tallux_uses_programs: unknown program ${kind}")
    endif()
    target_compile_definitions(${target} PRIVATE TALLUX_${kind}="$<TARGET_FILE:${program}>")
    add_dependencies(${target} ${program})
  endforeach()
endfunction()

# One GoogleTest executable from the given sources. LABELS go to every test
# it holds (e2e for tests that start processes, office for the real office).
function(tallux_logic_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gmock GTest::gtest_main tallux_warnings)
  if(ARG_LABELS)
    gtest_discover_tests(${name} PROPERTIES LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${name})
  endif()
endfunction()

# One QtTest executable per source file, run without a display.
function(tallux_add_gui_test source)
  cmake_parse_arguments(ARG "" "" "LINK;LABELS" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_LINK} Qt6::Test tallux_warnings)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# Tests of one folder: the *Test.cpp files form one GoogleTest executable
# (logic without windows) linked with LOGIC; every *GuiTest.cpp is a QtTest
# executable of its own linked with GUI, built only with the windows.
# Sources named in E2E start processes (a server, the command-line tool, a
# second client): their logic tests form a second executable <name>_e2e,
# and all of them carry the label e2e, so `ctest -LE "office|e2e"` is the
# quick loop. Sources named in EXCLUDE are declared by the folder itself.
function(tallux_folder_tests name)
  cmake_parse_arguments(ARG "" "" "LOGIC;GUI;E2E;EXCLUDE" ${ARGN})
  file(GLOB logic CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  list(FILTER logic EXCLUDE REGEX "GuiTest\\.cpp$")
  set(quick)
  set(e2e)
  foreach(source ${logic})
    get_filename_component(base ${source} NAME_WE)
    if(base IN_LIST ARG_EXCLUDE)
      continue()
    elseif(base IN_LIST ARG_E2E)
      list(APPEND e2e ${source})
    else()
      list(APPEND quick ${source})
    endif()
  endforeach()
  if(quick)
    tallux_logic_test(${name} SOURCES ${quick} LINK ${ARG_LOGIC})
  endif()
  if(e2e)
    tallux_logic_test(${name}_e2e SOURCES ${e2e} LINK ${ARG_LOGIC} LABELS e2e)
  endif()
  if(TALLUX_WIDGETS)
    file(GLOB gui CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*GuiTest.cpp)
    foreach(source ${gui})
      get_filename_component(base ${source} NAME_WE)
      if(base IN_LIST ARG_EXCLUDE)
        continue()
      elseif(base IN_LIST ARG_E2E)
        tallux_add_gui_test(${source} LINK ${ARG_GUI} LABELS e2e)
      else()
        tallux_add_gui_test(${source} LINK ${ARG_GUI})
      endif()
    endforeach()
  endif()
endfunction()
