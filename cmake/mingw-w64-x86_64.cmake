# The windows target: 64-bit Windows code built with mingw-w64 and run under Wine.
# The posix thread model gives std::thread and std::mutex on top of winpthreads.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# windows.h would otherwise define min and max macros that break std::min/std::max
# in code shared with the native target.
set(CMAKE_C_FLAGS_INIT -DNOMINMAX)
set(CMAKE_CXX_FLAGS_INIT -DNOMINMAX)

# The compiler's own runtime (libgcc, libstdc++, winpthread) goes into every binary,
# so the programs need only the system DLLs, which Windows and Wine provide.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# ctest runs every test executable through this script: Wine, headless, with a
# prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-runner.sh)
