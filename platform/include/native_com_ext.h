// Extensions of the native COM runtime that Windows does not have: they stand
// in for the registry and for remote hosts, and let tests observe what the
// runtime did. Native target only; never used by library code.
#pragma once

#include "objbase.h"

// Registers a class object on a simulated remote host. Activation with a
// COSERVERINFO naming that host (case-insensitively) finds it there.
WINOLEAPI NativeComRegisterHostClassObject(LPCWSTR host, REFCLSID rclsid, LPUNKNOWN pUnk, LPDWORD lpdwRegister);
// Revokes a registration made by NativeComRegisterHostClassObject; like
// CoRevokeClassObject, fails with E_INVALIDARG for any other cookie.
WINOLEAPI NativeComRevokeHostClassObject(DWORD dwRegister);

// The registry's ProgID <-> CLSID mapping used by ProgIDFromCLSID and CLSIDFromProgID.
WINOLEAPI NativeComRegisterProgID(LPCOLESTR progID, REFCLSID rclsid);
WINOLEAPI NativeComUnregisterProgID(LPCOLESTR progID);

// The server name that the last activation's COSERVERINFO carried, exactly as
// given ("localhost" included; empty text when there was no COSERVERINFO or
// no name), and that activation's class context.
// Copies at most cchMax code units including the terminator; returns the length.
WINOLEAPI_(int) NativeComLastActivationHost(LPWSTR buffer, int cchMax);
WINOLEAPI_(DWORD) NativeComLastActivationContext(void);
// Number of activations (CoCreateInstance/CoCreateInstanceEx/CoGetClassObject) so far.
WINOLEAPI_(ULONG) NativeComActivationCount(void);

// Blocks of task memory allocated and not yet freed.
WINOLEAPI_(LONG) NativeComLiveTaskAllocations(void);
