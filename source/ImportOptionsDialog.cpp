#include "ImportOptionsDialog.h"

#include <string.h>

#include "Globals.h"

namespace {

const LONG kNameColumn = 0x6E616D65;  // 'name'
const LONG kTextColumn = 0x00747874;  // 'txt'

Real RealFromBits(ULONG bits) {
  Real r;
  memcpy(&r, &bits, sizeof(r));
  return r;
}

LONG ModeFlags(LONG mode) {
  switch (mode) {
    case MODE_NEW:
      return IMPORT_NEW | IMPORT_KINDS;
    case MODE_MERGE:
      return IMPORT_MERGE | IMPORT_KINDS;
    case MODE_UPDATE:
      return IMPORT_UPDATE;
    default:
      return IMPORT_KINDS;
  }
}

LONG KindFlag(LONG kind) {
  switch (kind) {
    case KIND_GEOMETRY:
      return IMPORT_GEOMETRY;
    case KIND_CAMERAS:
      return IMPORT_CAMERAS;
    case KIND_MATERIALS:
      return IMPORT_MATERIALS;
    case KIND_LIGHTS:
      return IMPORT_LIGHTS;
    default:
      return 0;
  }
}

}  // namespace

ImportOptionsDialog::ImportOptionsDialog() noexcept : selection_(BaseSelect::Alloc()) {}

ImportOptionsDialog::~ImportOptionsDialog() { BaseSelect::Free(selection_); }

LONG ImportOptionsDialog::Run(BaseDocument *doc) {
  document_ = doc;
  scale_ = ImportScale;
  if (!Open(-1, -1)) return IMPORT_KINDS;
  LONG flags = ModeFlags(mode_);
  if (mode_ == MODE_UPDATE) {
    flags |= KindFlag(kind_);
    LONG a = 0, b = 0;
    if (selection_ && list_.GetSelection(selection_) && selection_->GetRange(0, &a, &b)) {
      BaseContainer row;
      list_.GetItem(a, &row);
      chosenName_ = row.GetString(kNameColumn);
    }
  }
  ImportScale = scale_;
  return flags;
}

Bool ImportOptionsDialog::CreateLayout() {
  Bool loaded = LoadDialogResource(DLG_IMPORT_OPTIONS, &PluginResource, 0);
  if (loaded) list_.AttachListView(this, LIST_OBJECTS);
  return loaded;
}

Bool ImportOptionsDialog::InitValues() {
  // The field's limits are the single-precision values -9.0e18 and +9.0e18.
  SetReal(FIELD_SCALE, scale_, RealFromBits(0xDEF9CCD9u), RealFromBits(0x5EF9CCD9u), 1.0f, FORMAT_REAL, 0.0f, 0.0f,
          FALSE, FALSE);

  BaseContainer layout;
  layout.SetLong(kNameColumn, kTextColumn);
  list_.SetLayout(1, layout);

  LONG rows = 0;
  for (BaseObject *op = document_ ? document_->GetFirstObject() : nullptr; op; op = op->GetNext(), ++rows) {
    BaseContainer row;
    row.SetString(kNameColumn, op->GetName());
    list_.SetItem(rows, row);
  }
  list_.DataChanged();
  if (selection_) selection_->DeselectAll();

  if (rows > 0) {
    mode_ = MODE_UPDATE;
    if (selection_) selection_->Select(0);
  } else {
    mode_ = MODE_NEW;
  }
  if (selection_) list_.SetSelection(selection_);
  kind_ = KIND_GEOMETRY;

  SetLong(GROUP_MODE, mode_, -2147483647, 2147483647, 1, FALSE);
  SetLong(GROUP_KIND, kind_, -2147483647, 2147483647, 1, FALSE);
  if (mode_ != MODE_UPDATE) {
    Enable(MODE_UPDATE, FALSE);
    Enable(GROUP_KIND, FALSE);
  }
  return TRUE;
}

Bool ImportOptionsDialog::Command(LONG id, const BaseContainer &msg) {
  switch (id) {
    case GROUP_MODE:
      GetLong(GROUP_MODE, mode_);
      Enable(GROUP_KIND, mode_ == MODE_UPDATE);
      break;
    case LIST_OBJECTS:
      break;
    case GROUP_KIND:
      GetLong(GROUP_KIND, kind_);
      break;
    case FIELD_SCALE:
      GetReal(FIELD_SCALE, scale_);
      break;
    default:
      GeModalDialog::Command(id, msg);
      break;
  }
  return TRUE;
}
