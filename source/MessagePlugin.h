// The message plug-in that finishes an import after the load has returned,
// and the activation of the host's main window at the start of a load.
#ifndef TESSARO_MESSAGE_PLUGIN_H
#define TESSARO_MESSAGE_PLUGIN_H

#include "c4d.h"

enum { COREMSG_IMPORT_DONE = 604 };

class ImportMessagePlugin : public MessageData {
 public:
  ~ImportMessagePlugin() override = default;
  Bool CoreMessage(LONG id, const BaseContainer &bc) override;
};

void ActivateHostWindow();

#endif
