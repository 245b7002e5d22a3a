// The options dialog every load asks before it touches the file.
#ifndef TESSARO_IMPORT_OPTIONS_DIALOG_H
#define TESSARO_IMPORT_OPTIONS_DIALOG_H

#include "c4d.h"
#include "c4d_symbols.h"

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
