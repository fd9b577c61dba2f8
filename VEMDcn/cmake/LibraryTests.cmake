# vemdcn_test_finds_library(<test>...)
# A test program on the windows target must find VEMDcnOpcClient.dll, which
# lives in the library's build directory: give the test that directory as a
# DLL search path (WINEPATH under Wine, PATH on Windows itself).
function(vemdcn_test_finds_library)
  if(NOT WIN32)
    return()
  endif()
  foreach(test ${ARGN})
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "WINEPATH=$<TARGET_FILE_DIR:VEMDcnOpcClient>")
    else()
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT_MODIFICATION
                   "PATH=path_list_prepend:$<TARGET_FILE_DIR:VEMDcnOpcClient>")
    endif()
  endforeach()
endfunction()
