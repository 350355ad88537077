// The calling convention of everything that crosses the library boundary: the exported
// functions, the host's exported functions and the COM-style interfaces. On 32-bit x86 the
// callee removes the arguments (stdcall); elsewhere there is one convention.
#pragma once

#if defined(__i386__)
#define CJT_STDCALL __attribute__((stdcall))
#else
#define CJT_STDCALL
#endif

// Marks a function that the library or program exports by name.
#if defined(_WIN32)
#define CJT_EXPORT __declspec(dllexport)
#else
#define CJT_EXPORT __attribute__((visibility("default")))
#endif
