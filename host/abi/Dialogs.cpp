// The dialog table: dialogs from the plug-in's resource, run by the
// dialog engine (DialogEngine.cpp), their list views and selections.
#include "DialogEngine.h"
#include "Edge.h"
#include "Handles.h"
#include "Host.h"
#include "Tables.h"
#include "TerminalDialog.h"

namespace tessaro {
namespace {

Host &H() { return Host::Get(); }

bool Live(th_dialog *d) { return d && H().Tracked(d); }

th_dialog *DlgAlloc(const th_dialog_class *cls, void *ctx) {
  try {
    if (H().Fault(Op::DialogAlloc) || !cls || cls->size < sizeof(th_dialog_class)) return nullptr;
    auto *d = new th_dialog;
    d->cls = cls;
    d->ctx = ctx;
    return H().Track(d);
  } catch (...) {
    return nullptr;
  }
}

void DlgFree(th_dialog **d) {
  H().Fault(Op::DialogFree);
  if (!d || !*d) return;
  if (H().Untrack(*d)) {
    for (auto &kv : (*d)->lists) H().Untrack(kv.second);
    delete *d;
  } else {
    H().Misuse("dialog Free: not a live dialog");
  }
  *d = nullptr;
}

th_bool DlgOpen(th_dialog *d, int32_t x, int32_t y) {
  (void)x, (void)y;
  try {
    H().Fault(Op::DialogOpen);
    if (!Live(d)) return 0;
    if (d->open) {
      H().Misuse("dialog Open: the dialog is already open");
      return 0;
    }
    return RunDialog(d) ? 1 : 0;
  } catch (...) {
    if (d) d->open = false;
    return 0;
  }
}

th_bool DlgLoadResource(th_dialog *d, int32_t id, const th_resource *res, int32_t flags) {
  (void)flags;
  try {
    if (H().Fault(Op::LoadDialogResource) || !Live(d) || !res) return 0;
    return LoadDialog(d, res->res, id) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

th_bool DlgEnable(th_dialog *d, int32_t id, th_bool enabled) {
  H().Fault(Op::DialogEnable);
  if (!Live(d)) return 0;
  Gadget *g = FindGadget(d, id);
  if (!g) return 0;
  g->enabled = enabled != 0;
  return 1;
}

th_bool DlgSetLong(th_dialog *d, int32_t id, int32_t value, int32_t min, int32_t max, int32_t step, th_bool tristate) {
  H().Fault(Op::DialogSet);
  (void)tristate;
  if (!Live(d)) return 0;
  Gadget *g = FindGadget(d, id);
  if (!g) return 0;
  g->l = value;
  g->min = static_cast<float>(min);
  g->max = static_cast<float>(max);
  g->step = static_cast<float>(step);
  return 1;
}

th_bool DlgSetReal(th_dialog *d, int32_t id, float value, float min, float max, float step, int32_t format,
                   float min2, float max2, th_bool quadscale, th_bool tristate) {
  H().Fault(Op::DialogSet);
  (void)format, (void)min2, (void)max2, (void)quadscale, (void)tristate;
  if (!Live(d)) return 0;
  Gadget *g = FindGadget(d, id);
  if (!g) return 0;
  g->r = value;
  g->min = min;
  g->max = max;
  g->step = step;
  return 1;
}

th_bool DlgGetLong(th_dialog *d, int32_t id, int32_t *value) {
  H().Fault(Op::DialogGet);
  if (!Live(d) || !value) return 0;
  Gadget *g = FindGadget(d, id);
  if (!g) return 0;
  *value = g->l;
  return 1;
}

th_bool DlgGetReal(th_dialog *d, int32_t id, float *value) {
  H().Fault(Op::DialogGet);
  if (!Live(d) || !value) return 0;
  Gadget *g = FindGadget(d, id);
  if (!g) return 0;
  *value = g->r;
  return 1;
}

th_bool DlgDefaultCommand(th_dialog *d, int32_t id, const th_container *msg) {
  H().Fault(Op::DialogDefaultCommand);
  (void)id, (void)msg;
  return Live(d) ? 1 : 0;
}

th_listview *ListAttach(th_dialog *d, int32_t id) {
  H().Fault(Op::ListViewAttach);
  try {
    if (!Live(d)) return nullptr;
    Gadget *g = FindGadget(d, id);
    if (!g || g->def.kind != GadgetDef::ListView) return nullptr;
    auto it = d->lists.find(id);
    if (it != d->lists.end()) return it->second;
    auto *lv = new th_listview;
    lv->dialog = d;
    lv->id = id;
    d->lists[id] = lv;
    return H().Track(lv);
  } catch (...) {
    return nullptr;
  }
}

bool LiveList(th_listview *lv) { return lv && H().Tracked(lv); }

th_bool ListSetLayout(th_listview *lv, int32_t columns, const th_container *layout) {
  H().Fault(Op::ListViewSet);
  if (!LiveList(lv) || !layout) return 0;
  lv->columns = columns;
  lv->layout = layout->c;
  return 1;
}
th_bool ListSetItem(th_listview *lv, int32_t row, const th_container *data) {
  H().Fault(Op::ListViewSet);
  try {
    if (!LiveList(lv) || !data || row < 0) return 0;
    lv->rows[row] = data->c;
    return 1;
  } catch (...) {
    return 0;
  }
}
th_bool ListGetItem(th_listview *lv, int32_t row, th_container *data) {
  H().Fault(Op::ListViewGet);
  if (!LiveList(lv) || !data) return 0;
  auto it = lv->rows.find(row);
  if (it == lv->rows.end()) return 0;
  data->c = it->second;
  return 1;
}
void ListDataChanged(th_listview *lv) {
  H().Fault(Op::ListViewSet);
  if (LiveList(lv)) ++lv->changes;
}
th_bool ListGetSelection(th_listview *lv, th_select *sel) {
  H().Fault(Op::ListViewGet);
  if (!LiveList(lv) || !sel) return 0;
  sel->indices = lv->selection;
  return 1;
}
th_bool ListSetSelection(th_listview *lv, const th_select *sel) {
  H().Fault(Op::ListViewSet);
  if (!LiveList(lv) || !sel) return 0;
  lv->selection = sel->indices;
  return 1;
}

th_select *SelAlloc() {
  try {
    if (H().Fault(Op::SelectAlloc)) return nullptr;
    return H().Track(new th_select);
  } catch (...) {
    return nullptr;
  }
}
void SelFree(th_select **s) {
  H().Fault(Op::SelectFree);
  if (!s || !*s) return;
  if (H().Untrack(*s)) delete *s; else H().Misuse("BaseSelect Free: not a live selection");
  *s = nullptr;
}
void SelDeselectAll(th_select *s) {
  H().Fault(Op::SelectChange);
  if (s) s->indices.clear();
}
th_bool SelSelect(th_select *s, int32_t n) {
  H().Fault(Op::SelectChange);
  try {
    if (!s || n < 0) return 0;
    s->indices.insert(n);
    return 1;
  } catch (...) {
    return 0;
  }
}
th_bool SelGetRange(const th_select *s, int32_t seg, int32_t *a, int32_t *b) {
  H().Fault(Op::SelectGetRange);
  if (!s || !a || !b || seg < 0) return 0;
  int32_t current = -1;
  auto it = s->indices.begin();
  while (it != s->indices.end()) {
    int32_t first = *it, last = *it;
    for (++it; it != s->indices.end() && *it == last + 1; ++it) last = *it;
    if (++current == seg) {
      *a = first;
      *b = last;
      return 1;
    }
  }
  return 0;
}

const th_dialog_table kDialog = {
    sizeof(th_dialog_table), TESSARO_EDGE(DlgAlloc), TESSARO_EDGE(DlgFree), TESSARO_EDGE(DlgOpen),
    TESSARO_EDGE(DlgLoadResource), TESSARO_EDGE(DlgEnable), TESSARO_EDGE(DlgSetLong), TESSARO_EDGE(DlgSetReal),
    TESSARO_EDGE(DlgGetLong), TESSARO_EDGE(DlgGetReal), TESSARO_EDGE(DlgDefaultCommand), TESSARO_EDGE(ListAttach),
    TESSARO_EDGE(ListSetLayout), TESSARO_EDGE(ListSetItem), TESSARO_EDGE(ListGetItem), TESSARO_EDGE(ListDataChanged),
    TESSARO_EDGE(ListGetSelection), TESSARO_EDGE(ListSetSelection), TESSARO_EDGE(SelAlloc), TESSARO_EDGE(SelFree),
    TESSARO_EDGE(SelDeselectAll), TESSARO_EDGE(SelSelect), TESSARO_EDGE(SelGetRange)};

}  // namespace

const th_dialog_table *DialogTable() { return &kDialog; }

}  // namespace tessaro
