// What /RegServer writes to the machine's classes and /UnregServer removes:
// the simulator's server classes with their ProgIDs and component categories,
// started as local servers, and the server-list component unless the machine
// has one of its own.
#pragma once

#include <string>

#include <windows.h>

namespace opcsim_server {

// The command line COM starts the server with: the program, and the address
// space file when one was named (empty: the demo plant).
HRESULT RegisterServer(const std::wstring& program, const std::wstring& spaceFile);
HRESULT UnregisterServer(const std::wstring& program);

}  // namespace opcsim_server
