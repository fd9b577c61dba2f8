// Export macro of the VEMDcnOpcClient shared library. The framework layer is
// compiled into the same library, so its classes use the macro as well: one
// copy of the per-thread last error, the error-log sink and the meta-class
// registry exists in a process, whoever links the library.
#pragma once

#if defined(_WIN32)
#if defined(VEMDCN_BUILDING)
#define VEMDCN_EXPORT __declspec(dllexport)
#else
#define VEMDCN_EXPORT __declspec(dllimport)
#endif
#else
#define VEMDCN_EXPORT __attribute__((visibility("default")))
#endif
