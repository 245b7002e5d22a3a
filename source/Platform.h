// The four window functions of the operating system that the plug-in uses.
// On Windows they are the system's own, declared here with their exact
// signatures (the system header's type names clash with the host SDK's);
// elsewhere the plug-in defines them with the same names and signatures and
// the host answers them.
#ifndef TESSARO_PLATFORM_H
#define TESSARO_PLATFORM_H

#include <stdint.h>

#if defined(_WIN32)
#define CALLBACK __stdcall
#define TESSARO_WINAPI extern "C" __declspec(dllimport)
typedef unsigned long DWORD;
typedef int BOOL;
typedef void *HWND;
typedef long LPARAM;
#else
#define CALLBACK
#define TESSARO_WINAPI
typedef uint32_t DWORD;
typedef int32_t BOOL;
typedef void *HWND;
typedef intptr_t LPARAM;
#endif
typedef char *LPSTR;
typedef BOOL(CALLBACK *WNDENUMPROC)(HWND, LPARAM);

TESSARO_WINAPI DWORD CALLBACK GetCurrentThreadId();
TESSARO_WINAPI BOOL CALLBACK EnumThreadWindows(DWORD thread, WNDENUMPROC proc, LPARAM param);
TESSARO_WINAPI int CALLBACK GetWindowTextA(HWND window, LPSTR text, int size);
TESSARO_WINAPI BOOL CALLBACK SetForegroundWindow(HWND window);

#endif
