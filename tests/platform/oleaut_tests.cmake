# Tests of the OLE Automation and time-zone part of the platform layer.
file(GLOB OLEAUT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_oleaut_test.cpp)
opc_add_test(platform_oleaut_test SOURCES ${OLEAUT_TEST_SOURCES} LIBS opc_interfaces winapi)

# Time zones run in a process of their own with the zone set from outside,
# because the windows runtime takes TZ only when the process starts.
# opc_add_test leaves *_native_timezone_test.cpp out of the windows target.
file(GLOB TIMEZONE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_timezone_test.cpp)
opc_add_test(platform_timezone_test SOURCES ${TIMEZONE_TEST_SOURCES} LIBS opc_interfaces winapi)
set_tests_properties(platform_timezone_test PROPERTIES ENVIRONMENT "TZ=Europe/Paris")
