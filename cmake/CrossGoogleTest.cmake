# GoogleTest for the windows target: no prebuilt library exists for the cross
# compiler, so build it from the sources the distribution ships (Debian's
# `googletest` package), never from a download.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build with the cross compiler")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in GOOGLETEST_SOURCE_DIR (${GOOGLETEST_SOURCE_DIR}); "
                      "install the googletest package or point the variable at a source tree.")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# Windows threads primitives, not winpthreads, as on a Windows build of GoogleTest.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)

# The targets it defines (GTest::gtest, GTest::gtest_main, GTest::gmock...) are
# those find_package(GTest) gives natively; only what a test links gets built.
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
