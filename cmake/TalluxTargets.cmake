# Library targets of one folder: every .cpp directly in the folder. A folder
# without sources yet gives an interface target, so dependants link it
# already.
function(tallux_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# Tests of one folder: the *Test.cpp files form one GoogleTest executable
# (logic without windows); every *GuiTest.cpp is a QtTest executable of its
# own, run offscreen, built only with the windows.
function(tallux_folder_tests name)
  cmake_parse_arguments(ARG "" "" "LOGIC;GUI" ${ARGN})
  file(GLOB logic CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  list(FILTER logic EXCLUDE REGEX "GuiTest\\.cpp$")
  if(logic)
    add_executable(${name} ${logic})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LOGIC} GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name})
  endif()
  if(TALLUX_WIDGETS)
    file(GLOB gui CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*GuiTest.cpp)
    foreach(source ${gui})
      tallux_add_gui_test(${source} ${ARG_GUI})
    endforeach()
  endif()
endfunction()
