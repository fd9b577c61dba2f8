# The Windows distribution: a ZIP of the install tree (cpack in a windows
# build tree; the windows-release presets make it from an optimised build).
# The toolchain links the compiler's runtime statically, so the archive needs
# nothing but Windows itself.
if(NOT WIN32)
  return()
endif()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/mingw-runtime-notices.txt DESTINATION ${VEMDCN_DOC_DIR}
        RENAME THIRD-PARTY-NOTICES.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME VEMDcnOpcClient)
set(CPACK_PACKAGE_VENDOR "VEMDcnOpcClient authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE.txt)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
# Unpacks into one folder, VEMDcnOpcClient-<version>-win64.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
# Symbols only make the archive bigger: nobody debugs a release build from it.
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
