# GoogleTest for both targets and a helper that registers one test executable.
if(BUILD_TESTING)
  if(CMAKE_CROSSCOMPILING)
    include(${CMAKE_CURRENT_LIST_DIR}/CrossGoogleTest.cmake OPTIONAL)
  else()
    find_package(GTest REQUIRED)
  endif()

  # Under Wine, one wineserver with the prefix's services serves the whole run:
  # the first start of a prefix takes seconds, later ones a fraction of that.
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start ${CMAKE_BINARY_DIR})
    add_test(NAME wine_prefix_stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop ${CMAKE_BINARY_DIR})
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)
    set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine_prefix)
  endif()
endif()

# opc_add_test(<name> SOURCES ... LIBS ...)
# One ctest entry per executable; on the windows target ctest runs it through
# the cross-compiling emulator.
function(opc_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    # *_native_*test.cpp observe what only our native COM layer shows (simulated hosts, activation records).
    list(FILTER T_SOURCES EXCLUDE REGEX "_native_[^/]*test\\.cpp$")
    if(NOT T_SOURCES)
      return()
    endif()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Wine may end a program that faulted after its last test, or in a thread,
    # with exit code 0: its crash report must fail the test all the same.
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix
                         FAIL_REGULAR_EXPRESSION "Unhandled (page fault|exception|illegal instruction)|starting debugger")
  endif()
endfunction()
