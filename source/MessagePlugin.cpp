#include "MessagePlugin.h"

#include "Globals.h"

Bool ImportMessagePlugin::CoreMessage(LONG id, const BaseContainer &bc) {
  (void)bc;
  if (PostImportActions == 0 || id != COREMSG_IMPORT_DONE) return TRUE;
  BaseDocument *active = GetActiveDocument();
  if (active == LoaderDocument && active != UserDocument && (PostImportActions & POST_RESTORE_USER_DOCUMENT)) {
    KillDocument(active);
    SetActiveDocument(UserDocument);
  }
  // Handing ViewObject to view 0 arrives with the camera builder, which is
  // what designates it.
  PostImportActions = 0;
  return TRUE;
}

void ActivateHostWindow() {
  // The search for the host's main window needs the platform's window
  // functions; until they are bound the load goes on without it.
}
