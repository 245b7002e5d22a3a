#include "MessagePlugin.h"

#include "Globals.h"
#include "Platform.h"

namespace {

// The host's main window once found; kept for the life of the library.
HWND HostWindowCache = nullptr;
const char kTitlePrefix[] = "CINEMA 4D";

BOOL CALLBACK FindHostWindow(HWND window, LPARAM param) {
  (void)param;
  char title[256];
  title[0] = 0;
  GetWindowTextA(window, title, sizeof title);
  // The first nine characters, case-sensitively; a shorter title stops at
  // its NUL and does not match.
  for (int i = 0; i < 9; ++i)
    if (title[i] != kTitlePrefix[i]) return TRUE;
  HostWindowCache = window;
  return FALSE;
}

}  // namespace

void ActivateHostWindow() {
  if (!HostWindowCache) EnumThreadWindows(GetCurrentThreadId(), FindHostWindow, 0);
  if (HostWindowCache) SetForegroundWindow(HostWindowCache);
}

Bool ImportMessagePlugin::CoreMessage(LONG id, const BaseContainer &bc) {
  (void)bc;
  if (PostImportActions == 0 || id != COREMSG_IMPORT_DONE) return TRUE;
  BaseDocument *active = GetActiveDocument();
  if (active == LoaderDocument && active != UserDocument && (PostImportActions & POST_RESTORE_USER_DOCUMENT)) {
    KillDocument(active);
    SetActiveDocument(UserDocument);
  }
  if (PostImportActions & POST_SET_VIEW_CAMERA) {
    BaseDocument *doc = GetActiveDocument();
    BaseDraw *view = doc ? doc->GetBaseDraw(0) : nullptr;
    if (view && ViewObject) view->SetSceneCamera(ViewObject);
  }
  PostImportActions = 0;
  return TRUE;
}
