// Internal links between the pieces of the native COM runtime.
#pragma once

#include <cstdint>
#include <string>

#include <objbase.h>

namespace native_com {

// Identifies an apartment for as long as it lives; 0 means "no apartment".
using ApartmentId = std::uint64_t;

// The apartment the calling thread works in: its own one, or the process's
// multithreaded apartment when the thread never entered COM but another thread
// keeps that apartment alive (the implicit MTA of Windows). 0 when neither.
ApartmentId CurrentApartment();

inline bool ThreadCanUseCom() { return CurrentApartment() != 0; }

// True when CurrentApartment() is the multithreaded apartment.
bool CurrentApartmentIsMultithreaded();

// Called when an apartment is torn down: Windows revokes the class objects that
// the apartment registered and still holds.
void RevokeClassObjectsOfApartment(ApartmentId apartment);

// Looks up a class object on the local machine (host empty) for the calling
// thread's apartment, or on a simulated remote host, and returns it AddRef'd.
// Fails with REGDB_E_CLASSNOTREG, with CO_E_SERVER_EXEC_FAILURE for a class
// object that only another single-threaded apartment could serve, or with
// HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) for a host nobody registered on.
HRESULT FindClassObject(const std::u16string& host, REFCLSID clsid, DWORD context, IUnknown** object);

// The built-in class object that hands out the process's Global Interface Table.
IUnknown* GlobalInterfaceTableClassObject();

// True when a COSERVERINFO name means the local machine.
bool IsLocalHostName(const std::u16string& host);

}  // namespace native_com
