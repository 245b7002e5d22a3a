// The four window functions of the operating system that the plug-in uses.
// On Windows they are the system's own; elsewhere the plug-in defines them
// with the same names and signatures and the host answers them.
#ifndef TESSARO_PLATFORM_H
#define TESSARO_PLATFORM_H

#if defined(_WIN32)
#include <windows.h>
#else
#include <stdint.h>

typedef uint32_t DWORD;
typedef int32_t BOOL;
typedef void *HWND;
typedef intptr_t LPARAM;
typedef char *LPSTR;
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
#define CALLBACK

DWORD GetCurrentThreadId();
BOOL EnumThreadWindows(DWORD thread, WNDENUMPROC proc, LPARAM param);
int GetWindowTextA(HWND window, LPSTR text, int size);
BOOL SetForegroundWindow(HWND window);
#endif

#endif
