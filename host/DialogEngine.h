// The dialog engine as the dialog table uses it: a dialog's gadgets from
// the plug-in's resource, and a dialog run to its close.
#ifndef TESSARO_HOST_DIALOG_ENGINE_H
#define TESSARO_HOST_DIALOG_ENGINE_H

#include <cstdint>

#include "Resource.h"

struct th_dialog;

namespace tessaro {

// Gives the dialog the gadgets of dialog id in the resource; false (with
// a host warning) when the resource has no such dialog.
bool LoadDialog(th_dialog *d, const PluginResource &res, int32_t id);

// Opens the dialog: the plug-in lays it out and sets its values, then the
// host's answers (Host::dialogAnswers) or the person at the terminal answer
// it. Records how it closed (Host::lastDialogCancelled, Host::confirmed);
// answers whether it closed with OK.
bool RunDialog(th_dialog *d);

}  // namespace tessaro

#endif
