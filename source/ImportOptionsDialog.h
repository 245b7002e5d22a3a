// The options dialog every load asks before it touches the file.
#ifndef TESSARO_IMPORT_OPTIONS_DIALOG_H
#define TESSARO_IMPORT_OPTIONS_DIALOG_H

#include "c4d.h"

enum {
  DLG_IMPORT_OPTIONS = 10003,
  ModeGroup = 10004,
  MODE_NEW = 10005,
  MODE_MERGE = 10006,
  MODE_UPDATE = 10007,
  ObjectList = 10008,
  KindGroup = 10009,
  KIND_GEOMETRY = 10010,
  KIND_CAMERAS = 10011,
  KIND_MATERIALS = 10012,
  KIND_LIGHTS = 10013,
  ScaleField = 10014,
};

class ImportOptionsDialog : public GeModalDialog {
 public:
  ImportOptionsDialog() noexcept;
  ~ImportOptionsDialog() override;

  // Shows the dialog on the document and answers the ImportFlags.
  LONG Run(BaseDocument *doc);
  // The name of the object an update replaces; valid while the dialog lives.
  const String &ChosenName() const { return chosenName_; }

  Bool CreateLayout() override;
  Bool InitValues() override;
  Bool Command(LONG id, const BaseContainer &msg) override;

 private:
  SimpleListView list_;
  BaseSelect *selection_;
  LONG mode_ = 0;
  LONG kind_ = 0;
  BaseDocument *document_ = nullptr;
  Real scale_ = 0;
  String chosenName_;
};

#endif
