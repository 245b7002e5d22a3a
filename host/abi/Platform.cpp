// The platform table: the main thread's windows, as the plug-in finds the
// host's own to bring it to the front.
#include <cstring>

#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

uint32_t PlatThread() {
  H().Fault(Op::GetCurrentThreadId);
  return H().MainThread();
}
int32_t PlatEnumThreadWindows(uint32_t thread, th_enum_windows_proc proc, intptr_t param) {
  H().Fault(Op::EnumThreadWindows);
  if (!proc || thread != H().MainThread()) return 0;
  // A copy: the callback may not change the list under the walk.
  std::vector<std::string *> windows;
  for (auto &w : H().windows) windows.push_back(&w);
  for (std::string *w : windows)
    if (!proc(reinterpret_cast<th_window>(w), param)) break;
  return 1;
}
int32_t PlatGetWindowText(th_window window, char *text, int32_t size) {
  H().Fault(Op::GetWindowTextA);
  const std::string *w = H().Window(window);
  if (!w || !text || size <= 0) return 0;
  size_t n = w->size() < static_cast<size_t>(size - 1) ? w->size() : static_cast<size_t>(size - 1);
  std::memcpy(text, w->data(), n);
  text[n] = 0;
  return static_cast<int32_t>(n);
}
int32_t PlatSetForeground(th_window window) {
  H().Fault(Op::SetForegroundWindow);
  const std::string *w = H().Window(window);
  if (!w) return 0;
  H().foreground = *w;
  ++H().foregroundCalls;
  return 1;
}

const th_platform_table kPlatform = {
    sizeof(th_platform_table), TESSARO_EDGE(PlatThread), TESSARO_EDGE(PlatEnumThreadWindows),
    TESSARO_EDGE(PlatGetWindowText), TESSARO_EDGE(PlatSetForeground)};

}  // namespace
}  // namespace tessaro::abi

const th_platform_table *tessaro::PlatformTable() { return &abi::kPlatform; }
