#include "Document.h"

#include "Copies.h"
#include "Links.h"
#include "Object.h"

namespace tessaro {

Document::~Document() {
  Links::Delete(objects);
  Links::Delete(materials);
  Links::Delete(renderData);
}

Refusal Document::InsertObject(Object &o, Object *parent, Object *pred) {
  if (o.list) return Refusal::NotLoose;
  if (parent && parent->doc != this) return Refusal::ParentElsewhere;
  if (pred && pred->doc != this) return Refusal::PredecessorElsewhere;
  Object *up = pred ? static_cast<Object *>(pred->owner) : parent;
  if (up == &o) return Refusal::BelowItself;
  // Only an object with children can stand above another: the walk up is
  // spared when a hierarchy is built from the top down.
  if (o.children.first)
    for (const Element *a = up; a; a = a->owner)
      if (a == &o) return Refusal::BelowItself;
  ElementList &list = up ? up->children : objects;
  Links::Insert(list, up, &o, pred);
  Links::SetDocument(&o, this);
  return Refusal::None;
}

Refusal Document::AppendObject(Object &o, Object *parent) {
  Element *last = parent ? parent->children.last : objects.last;
  return InsertObject(o, parent, static_cast<Object *>(last));
}

Refusal Document::InsertMaterial(Element &m, Element *pred, bool uniqueName) {
  if (m.kind != ElementKind::Material || m.list) return Refusal::NotLoose;
  if (pred && pred->list != &materials) return Refusal::PredecessorElsewhere;
  if (uniqueName) m.name = materialNames_.Unique(m.name);
  Links::Insert(materials, nullptr, &m, pred);
  Links::SetDocument(&m, this);
  materialNames_.Taken(&m);
  return Refusal::None;
}

Refusal Document::InsertRenderData(Element &rd, Element *pred) {
  if (rd.kind != ElementKind::RenderData || rd.list) return Refusal::NotLoose;
  if (pred && pred->list != &renderData) return Refusal::PredecessorElsewhere;
  Links::Insert(renderData, nullptr, &rd, pred);
  Links::SetDocument(&rd, this);
  return Refusal::None;
}

Container Document::Settings() const {
  Container c;
  c[1001] = Value::OfLong(fps);
  c[1003] = Value::OfTime(th_time{maxTimeNum, maxTimeDen});
  return c;
}

void Document::ApplySettings(const Container &c) {
  auto rate = c.find(1001);
  if (rate != c.end() && rate->second.type == Value::Long) fps = rate->second.l;
  auto end = c.find(1003);
  if (end != c.end() && end->second.type == Value::Time) {
    maxTimeNum = end->second.t.numerator;
    maxTimeDen = end->second.t.denominator;
  }
}

void Document::StartUndo() {
  if (undoDepth_++ == 0) undo.emplace_back();
}

bool Document::EndUndo() {
  if (undoDepth_ == 0) return false;
  if (--undoDepth_ == 0 && undo.back().empty()) undo.pop_back();
  return true;
}

bool Document::AddUndo(int32_t type, Element &e) {
  if (undoDepth_ == 0) return false;
  undo.back().push_back(MakeUndoEntry(*this, type, e));
  return true;
}

bool Document::Pristine() const {
  return objects.count == 0 && materials.count == 0 && renderData.count == 0 && undo.empty() && fps == 30 &&
         maxTimeNum == 90 && maxTimeDen == 30;
}

}  // namespace tessaro
