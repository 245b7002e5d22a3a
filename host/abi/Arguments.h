// How the table entries check what a plug-in hands them: an element handle
// must name a live element of the expected kind; anything else is recorded
// as a misuse and the entry answers its failure value.
#ifndef TESSARO_HOST_ABI_ARGUMENTS_H
#define TESSARO_HOST_ABI_ARGUMENTS_H

#include "Handles.h"
#include "Host.h"
#include "Model.h"
#include "host_interface.h"

namespace tessaro::abi {

inline Host &H() { return Host::Get(); }

inline th_element *Handle(Element *e) { return reinterpret_cast<th_element *>(e); }
inline th_element *Handle(const Element *e) { return Handle(const_cast<Element *>(e)); }

// The live element a handle names; null for null (no misuse) and for
// anything else (a misuse).
Element *El(const th_element *e, const char *op);
// The same, of one kind: "op: not a tag" when it is of another.
Element *Of(const th_element *e, ElementKind kind, const char *op);

inline Document *Doc(const th_element *e, const char *op) {
  return static_cast<Document *>(Of(e, ElementKind::Document, op));
}
inline Object *Obj(const th_element *e, const char *op) {
  return static_cast<Object *>(Of(e, ElementKind::Object, op));
}
inline Tag *TagOf(const th_element *e, const char *op) { return static_cast<Tag *>(Of(e, ElementKind::Tag, op)); }
inline Material *MatOf(const th_element *e, const char *op) {
  return static_cast<Material *>(Of(e, ElementKind::Material, op));
}

// Records "op: what" as a misuse when the model refused; answers whether
// it placed the element.
bool Placed(Refusal r, const char *op, const char *what);

}  // namespace tessaro::abi

#endif
