# What `cmake --install` puts where, and the CMake package a host finds with
#   find_package(VEMDcnOpcClient CONFIG REQUIRED)
#   target_link_libraries(host PRIVATE VEMDcnOpcClient::VEMDcnOpcClient)
#
# The package has one imported target. The static archives that the library's
# headers and DLL lean on (our COM runtime on the native target, the OPC
# identifiers on both) are installed in a folder of the package's own and
# named in that target's link interface as files, so that they neither become
# targets a host has to know nor land among the system's libraries.
#
# The tests install nothing, the simulator only its Windows local server. A
# build tree also exports the simulator, for hosts that want a server to try
# against (see the end).
include(CMakePackageConfigHelpers)

set(VEMDCN_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/VEMDcnOpcClient)
set(VEMDCN_ARCHIVE_DIR ${CMAKE_INSTALL_LIBDIR}/VEMDcnOpcClient)
set(VEMDCN_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VEMDcnOpcClient)
set(VEMDCN_CATALOG_DIR ${CMAKE_INSTALL_DATADIR}/VEMDcnOpcClient/msgcatalog)
if(WIN32)
  # A Windows archive has its texts at the top, where a user unpacking it looks.
  set(VEMDCN_DOC_DIR .)
else()
  set(VEMDCN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/VEMDcnOpcClient)
endif()

# --- The library and what its headers include --------------------------------

file(GLOB VEMDCN_FRAMEWORK_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VEMDcn/framework/*.h)
list(FILTER VEMDCN_FRAMEWORK_HEADERS EXCLUDE REGEX "/QARInternal\\.h$")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/VEMDcn/include/ DESTINATION ${VEMDCN_INCLUDE_DIR} FILES_MATCHING PATTERN "*.h")
install(FILES ${VEMDCN_FRAMEWORK_HEADERS} ${PROJECT_BINARY_DIR}/VEMDcn/include/VEMDcnVersion.h
        DESTINATION ${VEMDCN_INCLUDE_DIR})
# mingw-w64 has no OPC headers either: both targets install ours.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/opc/include/ DESTINATION ${VEMDCN_INCLUDE_DIR}/opc)

set(installed_includes ${VEMDCN_INCLUDE_DIR} ${VEMDCN_INCLUDE_DIR}/opc)
set(installed_archives opc_interfaces)
if(WIN32)
  set(installed_system_libraries ole32 oleaut32 uuid)
else()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/ DESTINATION ${VEMDCN_INCLUDE_DIR}/platform)
  list(APPEND installed_includes ${VEMDCN_INCLUDE_DIR}/platform)
  list(APPEND installed_archives winapi)
  set(installed_system_libraries Threads::Threads)
endif()
install(TARGETS ${installed_archives} ARCHIVE DESTINATION ${VEMDCN_ARCHIVE_DIR})

foreach(dir ${installed_includes})
  target_include_directories(VEMDcnOpcClient INTERFACE $<INSTALL_INTERFACE:${dir}>)
endforeach()
foreach(archive ${installed_archives})
  target_link_libraries(VEMDcnOpcClient INTERFACE
    "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/${VEMDCN_ARCHIVE_DIR}/${CMAKE_STATIC_LIBRARY_PREFIX}${archive}${CMAKE_STATIC_LIBRARY_SUFFIX}>")
endforeach()
foreach(library ${installed_system_libraries})
  target_link_libraries(VEMDcnOpcClient INTERFACE $<INSTALL_INTERFACE:${library}>)
endforeach()
target_compile_features(VEMDcnOpcClient INTERFACE cxx_std_17)
if(WIN32)
  # The headers are built and tested without windows.h's min and max macros
  # (the toolchain file); a host compiles them the same way.
  target_compile_definitions(VEMDcnOpcClient INTERFACE $<INSTALL_INTERFACE:NOMINMAX>)
endif()

install(TARGETS VEMDcnOpcClient EXPORT VEMDcnOpcClientTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The compiled-in catalogue's text, as the starting point of an override file.
install(FILES ${PROJECT_SOURCE_DIR}/VEMDcn/msgcatalog/VEMDcnOpcClient.cat DESTINATION ${VEMDCN_CATALOG_DIR})

# --- The command-line client ---------------------------------------------------

install(TARGETS opcclient RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(NOT WIN32)
  set_target_properties(opcclient PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

# --- The simulation server, on Windows ------------------------------------------
#
# opcsim-server.exe and the OPC proxies it needs across processes, for users
# who want a server to try (docs/user-guide.md, section 10).
if(WIN32)
  install(TARGETS opcsim-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS opc_proxy LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE.txt DESTINATION ${VEMDCN_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${VEMDCN_DOC_DIR}/docs)

# --- The CMake package -----------------------------------------------------------

install(EXPORT VEMDcnOpcClientTargets NAMESPACE VEMDcnOpcClient:: DESTINATION ${VEMDCN_PACKAGE_DIR})
if(WIN32)
  set(VEMDCN_FIND_THREADS OFF)
else()
  set(VEMDCN_FIND_THREADS ON)
endif()
set(VEMDCN_PACKAGE_SYSTEM ${CMAKE_SYSTEM_NAME})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VEMDcnOpcClientConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/cmake/VEMDcnOpcClientConfig.cmake
                              INSTALL_DESTINATION ${VEMDCN_PACKAGE_DIR}
                              PATH_VARS VEMDCN_CATALOG_DIR)
# Before 1.0 a new minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/VEMDcnOpcClientConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/VEMDcnOpcClientConfig.cmake
              ${PROJECT_BINARY_DIR}/cmake/VEMDcnOpcClientConfigVersion.cmake
        DESTINATION ${VEMDCN_PACKAGE_DIR})

# --- The simulator, from the build tree only -------------------------------------
#
# Not part of the package: a host built against the package finds the build
# tree's simulator with -Dopcsim_DIR=<build tree>/opcsim and embeds it as its
# server, as opcclient does (examples/host).
export(TARGETS opcsim opc_interfaces winapi NAMESPACE opcsim:: FILE ${PROJECT_BINARY_DIR}/opcsim/opcsimTargets.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/opcsimConfig.cmake.in ${PROJECT_BINARY_DIR}/opcsim/opcsimConfig.cmake @ONLY)
