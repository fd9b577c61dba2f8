# GoogleTest for both targets and a helper that registers one test executable.
if(BUILD_TESTING)
  if(CMAKE_CROSSCOMPILING)
    include(${CMAKE_CURRENT_LIST_DIR}/CrossGoogleTest.cmake OPTIONAL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# opc_add_test(<name> SOURCES ... LIBS ...)
# One ctest entry per executable; on the windows target ctest runs it through
# the cross-compiling emulator.
function(opc_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
endfunction()
