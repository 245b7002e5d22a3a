// The host's dialog engine: gadgets come from the plug-in's dialog
// resource; the user's answers are applied to them as clicks would be.
#include "DialogEngine.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "Handles.h"
#include "Host.h"
#include "TerminalDialog.h"
#include "Text.h"

th_dialog::~th_dialog() {
  for (auto &kv : lists) delete kv.second;
}

namespace tessaro {
namespace {

Host &H() { return Host::Get(); }

}  // namespace

Gadget *FindGadget(th_dialog *d, int32_t id) {
  auto it = d->gadgets.find(id);
  return it == d->gadgets.end() ? nullptr : &it->second;
}

bool GadgetClickable(th_dialog *d, const Gadget &g) {
  if (!g.enabled) return false;
  if (g.def.group) {
    Gadget *group = FindGadget(d, g.def.group);
    if (group && !group->enabled) return false;
  }
  return true;
}

void PressGadget(th_dialog *d, int32_t id) {
  th_container msg;
  d->cls->Command(d->ctx, id, &msg);
  // After the plug-in has seen the press, OK and Cancel close the dialog.
  if (id == TH_DIALOG_OK || id == TH_DIALOG_CANCEL) {
    d->closed = true;
    d->ok = id == TH_DIALOG_OK;
  }
}

namespace {

std::string Label(const Gadget &g) {
  return g.def.label.empty() ? "gadget " + std::to_string(g.def.id) : "\"" + g.def.label + "\"";
}

// Applies the user's answers. Answers that a person could not give (a
// disabled choice, a row that is not there) are reported and left out.
void ApplyAnswers(th_dialog *d, const DialogAnswers &a) {
  auto warn = [](const std::string &w) { H().warnings.push_back(w); };
  auto chooseRadio = [&](int32_t option, const char *what) {
    Gadget *g = FindGadget(d, option);
    if (!g || g->def.kind != GadgetDef::Radio) {
      warn(std::string("the dialog has no ") + what + " choice " + std::to_string(option));
      return;
    }
    if (!GadgetClickable(d, *g)) {
      // A user cannot press it: the answers cannot be given as asked.
      warn(std::string("the ") + what + " choice " + Label(*g) + " is disabled in the dialog (" +
           (std::string(what) == "mode" ? "an update needs a document with an object to update"
                                        : "the kind is chosen for an update only") +
           ")");
      H().dialogAnswerRefused = true;
      return;
    }
    Gadget *group = FindGadget(d, g->def.group);
    group->l = option;
    PressGadget(d, group->def.id);
  };
  auto refused = [&] {
    if (!H().dialogAnswerRefused) return false;
    PressGadget(d, TH_DIALOG_CANCEL);
    return true;
  };
  if (a.mode) chooseRadio(*a.mode, "mode");
  if (refused()) return;
  if (a.row || a.object) {
    th_listview *lv = d->lists.empty() ? nullptr : d->lists.begin()->second;
    int32_t row = -1;
    if (lv && a.row) {
      if (lv->rows.count(*a.row)) row = *a.row;
      else warn("the object list has no row " + std::to_string(*a.row + 1) + " (its rows count from 1)");
    } else if (lv && a.object) {
      // The name is typed in UTF-8; the list holds the host's 8-bit text. A
      // letter beyond U+00FF names no object.
      std::string name, beyond;
      const bool holdable = FromUtf8(*a.object, &name, &beyond);
      for (const auto &kv : lv->rows) {
        for (const auto &cell : kv.second)
          if (holdable && cell.second.type == Value::Text && cell.second.s == name) row = kv.first;
        if (row >= 0) break;
      }
      if (row < 0) warn("the object list has no object named \"" + *a.object + "\"");
    } else if (!lv) {
      warn("the dialog has no object list");
    }
    if (row >= 0) {
      lv->selection = {row};
      PressGadget(d, lv->id);
    } else {
      // The user could not pick what was asked for: give up on the dialog.
      H().dialogAnswerRefused = true;
      PressGadget(d, TH_DIALOG_CANCEL);
      return;
    }
  }
  if (a.deselect) {
    if (d->lists.empty()) {
      warn("the dialog has no object list");
    } else {
      th_listview *lv = d->lists.begin()->second;
      lv->selection.clear();
      PressGadget(d, lv->id);
    }
  }
  if (a.kind) chooseRadio(*a.kind, "kind");
  if (refused()) return;
  if (a.scale) {
    Gadget *field = nullptr;
    for (auto &kv : d->gadgets)
      if (kv.second.def.kind == GadgetDef::RealField) field = &kv.second;
    if (!field) {
      warn("the dialog has no scale field");
    } else if (!GadgetClickable(d, *field)) {
      warn("the scale field is disabled in the dialog");
    } else {
      float v = *a.scale;
      // A field clamps what is typed into it to its limits.
      if (field->min < field->max) v = std::fmax(field->min, std::fmin(field->max, v));
      if (v != *a.scale) warn("the scale was clamped to the field's limits");
      field->r = v;
      PressGadget(d, field->def.id);
    }
  }
  PressGadget(d, a.cancel ? TH_DIALOG_CANCEL : TH_DIALOG_OK);
}

// The enabled gadgets' values, in the dialog's order and words: each radio
// group's chosen option, the list's selected row, each number field (with
// a note when it kept a value the plug-in had stored in an earlier run).
std::vector<ConfirmedAnswer> DescribeAnswers(th_dialog *d, const std::map<int32_t, float> &atOpen) {
  std::vector<ConfirmedAnswer> out;
  for (const GadgetDef &def : d->def.gadgets) {
    Gadget *g = FindGadget(d, def.id);
    if (!g || !GadgetClickable(d, *g)) continue;
    ConfirmedAnswer a;
    a.label = def.label;
    if (def.kind == GadgetDef::RadioGroup) {
      Gadget *chosen = FindGadget(d, g->l);
      if (!chosen) continue;
      a.value = chosen->def.label;
      a.chosen = g->l;
    } else if (def.kind == GadgetDef::ListView) {
      auto lv = d->lists.find(def.id);
      if (lv == d->lists.end() || lv->second->selection.empty()) continue;
      auto row = lv->second->rows.find(*lv->second->selection.begin());
      if (row == lv->second->rows.end()) continue;
      for (const auto &cell : row->second)
        if (cell.second.type == Value::Text) {
          a.value = ToUtf8(cell.second.s);
          break;
        }
      if (a.value.empty()) continue;
    } else if (def.kind == GadgetDef::RealField || def.kind == GadgetDef::LongField) {
      char number[64];
      if (def.kind == GadgetDef::RealField) std::snprintf(number, sizeof number, "%g", double(g->r));
      else std::snprintf(number, sizeof number, "%d", g->l);
      a.value = number;
      a.number = true;
      a.numberValue = def.kind == GadgetDef::RealField ? double(g->r) : double(g->l);
      auto open = atOpen.find(def.id);
      // A scale given as an answer is the user's, whatever was stored.
      a.stored = def.kind == GadgetDef::RealField && H().storedDataRead && !H().dialogAnswers.scale &&
                 open != atOpen.end() && open->second == g->r;
    } else {
      continue;
    }
    out.push_back(std::move(a));
  }
  return out;
}

}  // namespace

bool RunDialog(th_dialog *d) {
  H().lastDialogCancelled = true;
  if (!d->cls->CreateLayout(d->ctx)) return false;
  d->open = true;
  d->closed = false;
  d->ok = false;
  d->cls->InitValues(d->ctx);
  std::map<int32_t, float> atOpen;
  for (const auto &kv : d->gadgets) atOpen[kv.first] = kv.second.r;
  DialogAnswers answers = H().dialogAnswers;
  if (answers.onOpen) answers.onOpen();
  if (!d->loaded || !FindGadget(d, TH_DIALOG_OK)) {
    H().warnings.push_back("the dialog has no confirm button; it was cancelled");
    d->closed = true;
  } else if (answers.atTerminal && TerminalDialogAvailable()) {
    RunTerminalDialog(d);
  } else {
    ApplyAnswers(d, answers);
  }
  d->open = false;
  H().lastDialogCancelled = !d->ok;
  H().confirmed = d->ok ? DescribeAnswers(d, atOpen) : std::vector<ConfirmedAnswer>();
  return d->ok;
}

bool LoadDialog(th_dialog *d, const PluginResource &res, int32_t id) {
  DialogDef def;
  std::string error;
  if (!LoadDialogDef(res, id, &def, &error)) {
    H().warnings.push_back("cannot load dialog " + std::to_string(id) + ": " + error);
    return false;
  }
  d->def = def;
  d->gadgets.clear();
  for (const GadgetDef &g : def.gadgets) {
    if (g.kind == GadgetDef::Group) continue;
    Gadget gadget;
    gadget.def = g;
    d->gadgets[g.id] = gadget;
  }
  d->loaded = true;
  return true;
}

std::string DescribeConfirmed(const std::vector<ConfirmedAnswer> &answers) {
  std::string out;
  for (const ConfirmedAnswer &a : answers)
    out += (out.empty() ? "" : ", ") + a.label + ": " + a.value + (a.stored ? " (stored by an earlier run)" : "");
  return out;
}

}  // namespace tessaro
