#include "Undo.h"

#include <utility>
#include <vector>

#include "Host.h"

namespace tessaro {

namespace {

bool Alive(const Host &host, const UndoEntry &u, const Document &doc) {
  const Element *e = host.LinkedObject(u.element, u.serial);
  return e && (e == &doc || e->doc == &doc);
}

bool CanBeUndone(const Host &host, const Document &doc, const UndoEntry &u) {
  if (!Alive(host, u, doc)) return false;
  if (u.type == TH_UNDO_NEW) return u.element != &doc;
  if (u.type != TH_UNDO_CHANGE) return false;
  if (u.settings) return u.element == &doc;
  return u.before && u.before->kind == u.element->kind &&
         (u.element->kind == ElementKind::Object || u.element->kind == ElementKind::Material);
}

}  // namespace

size_t EntriesThatCannotBeUndone(const Host &host, const Document &doc, size_t step) {
  size_t n = 0;
  if (step >= doc.undo.size()) return 0;
  for (const UndoEntry &u : doc.undo[step]) n += CanBeUndone(host, doc, u) ? 0 : 1;
  return n;
}

bool UndoLastStep(Host &host, Document &doc, std::string *why, size_t *skipped) {
  if (doc.UndoStepOpen()) {
    *why = "an undo step is still open";
    return false;
  }
  if (doc.undo.empty()) {
    *why = "the document has no undo step";
    return false;
  }
  std::vector<UndoEntry> step = std::move(doc.undo.back());
  doc.undo.pop_back();
  for (auto u = step.rbegin(); u != step.rend(); ++u) {
    if (!CanBeUndone(host, doc, *u)) {
      if (skipped) ++*skipped;
      continue;
    }
    Element &e = *u->element;
    if (u->type == TH_UNDO_NEW) {
      e.Remove();
      host.Elements().Destroy(&e);
    } else if (u->settings) {
      doc.fps = u->fps;
      doc.maxTimeNum = u->maxTimeNum;
      doc.maxTimeDen = u->maxTimeDen;
    } else {
      RestoreFromCopy(doc, e, *u, host.Elements());
    }
  }
  return true;
}

}  // namespace tessaro
