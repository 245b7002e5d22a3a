// The dialog engine's two ways in for a person: the gadget rules, and a
// press of a gadget; and the terminal form built on them.
#ifndef TESSARO_HOST_TERMINAL_DIALOG_H
#define TESSARO_HOST_TERMINAL_DIALOG_H

#include <cstdint>

struct th_dialog;

namespace tessaro {

struct Gadget;

// The dialog's gadget with the ID, or null.
Gadget *FindGadget(th_dialog *d, int32_t id);
// A gadget takes input only while it and the group holding it are enabled.
bool GadgetClickable(th_dialog *d, const Gadget &g);
// The plug-in sees the press; OK and Cancel then close the dialog.
void PressGadget(th_dialog *d, int32_t id);

// True when standard input and output are both a terminal.
bool TerminalDialogAvailable();
// Shows the open dialog as a terminal form until it is confirmed or
// cancelled.
void RunTerminalDialog(th_dialog *d);

}  // namespace tessaro

#endif
