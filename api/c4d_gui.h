// Dialogs, list views and selection sets.
#ifndef TESSARO_C4D_GUI_H
#define TESSARO_C4D_GUI_H

#include "c4d_types.h"

class GeResource;

enum { IDC_OK = TH_DIALOG_OK, IDC_CANCEL = TH_DIALOG_CANCEL };
enum { FORMAT_REAL = TH_FORMAT_REAL };

class BaseSelect {
 public:
  BaseSelect() = delete;
  ~BaseSelect() = delete;
  static BaseSelect *Alloc() noexcept { return reinterpret_cast<BaseSelect *>(t_host->dialog->SelectAlloc()); }
  static void Free(BaseSelect *&sel) noexcept {
    th_select *h = reinterpret_cast<th_select *>(sel);
    t_host->dialog->SelectFree(&h);
    sel = nullptr;
  }
  void DeselectAll() noexcept { t_host->dialog->SelectDeselectAll(H()); }
  Bool Select(LONG n) noexcept { return t_host->dialog->SelectSelect(H(), n); }
  Bool GetRange(LONG seg, LONG *a, LONG *b) const noexcept { return t_host->dialog->SelectGetRange(H(), seg, a, b); }
  th_select *H() const noexcept { return reinterpret_cast<th_select *>(const_cast<BaseSelect *>(this)); }
};

// The host's modal dialog. The host calls back CreateLayout, InitValues and
// Command. Every gadget press reaches Command; after a press of OK (1) or
// Cancel (2) the host closes the dialog.
class GeModalDialog : public HostAllocated {
 public:
  GeModalDialog() noexcept;
  virtual ~GeModalDialog();
  GeModalDialog(const GeModalDialog &) = delete;
  GeModalDialog &operator=(const GeModalDialog &) = delete;

  virtual Bool CreateLayout() { return TRUE; }
  virtual Bool InitValues() { return TRUE; }
  virtual Bool Command(LONG id, const BaseContainer &msg) {
    return t_host->dialog->DefaultCommand(dlg_, id, msg.Get());
  }

  Bool Open(LONG x, LONG y) noexcept { return t_host->dialog->Open(dlg_, x, y); }
  Bool LoadDialogResource(LONG id, const GeResource *res, LONG flags) noexcept;
  Bool Enable(LONG id, Bool enabled) noexcept { return t_host->dialog->Enable(dlg_, id, enabled); }
  Bool SetLong(LONG id, LONG value, LONG min, LONG max, LONG step, Bool tristate) noexcept {
    return t_host->dialog->SetLong(dlg_, id, value, min, max, step, tristate);
  }
  Bool SetReal(LONG id, Real value, Real min, Real max, Real step, LONG format, Real min2, Real max2,
               Bool quadscale, Bool tristate) noexcept {
    return t_host->dialog->SetReal(dlg_, id, value, min, max, step, format, min2, max2, quadscale, tristate);
  }
  Bool GetLong(LONG id, LONG &value) noexcept { return t_host->dialog->GetLong(dlg_, id, &value); }
  Bool GetReal(LONG id, Real &value) noexcept { return t_host->dialog->GetReal(dlg_, id, &value); }
  th_dialog *Get() const noexcept { return dlg_; }

 private:
  static th_bool CreateLayoutThunk(void *ctx);
  static th_bool InitValuesThunk(void *ctx);
  static th_bool CommandThunk(void *ctx, int32_t id, const th_container *msg);
  static const th_dialog_class kClass;
  th_dialog *dlg_;
};

class SimpleListView {
 public:
  Bool AttachListView(GeModalDialog *dlg, LONG id) noexcept {
    lv_ = t_host->dialog->AttachListView(dlg->Get(), id);
    return lv_ != nullptr;
  }
  Bool SetLayout(LONG columns, const BaseContainer &layout) noexcept {
    return t_host->dialog->ListSetLayout(lv_, columns, layout.Get());
  }
  Bool SetItem(LONG row, const BaseContainer &data) noexcept { return t_host->dialog->ListSetItem(lv_, row, data.Get()); }
  Bool GetItem(LONG row, BaseContainer *data) noexcept { return t_host->dialog->ListGetItem(lv_, row, data->Get()); }
  void DataChanged() noexcept { t_host->dialog->ListDataChanged(lv_); }
  Bool GetSelection(BaseSelect *sel) noexcept { return t_host->dialog->ListGetSelection(lv_, sel->H()); }
  Bool SetSelection(BaseSelect *sel) noexcept { return t_host->dialog->ListSetSelection(lv_, sel->H()); }

 private:
  th_listview *lv_ = nullptr;
};

#endif
