#include "Platform.h"

#if !defined(_WIN32)
#include "c4d.h"

DWORD GetCurrentThreadId() { return t_host->platform->GetCurrentThreadId(); }

BOOL EnumThreadWindows(DWORD thread, WNDENUMPROC proc, LPARAM param) {
  return t_host->platform->EnumThreadWindows(thread, reinterpret_cast<th_enum_windows_proc>(proc), param);
}

int GetWindowTextA(HWND window, LPSTR text, int size) { return t_host->platform->GetWindowTextA(window, text, size); }

BOOL SetForegroundWindow(HWND window) { return t_host->platform->SetForegroundWindow(window); }
#endif
