#include "Arguments.h"

#include <string>

namespace tessaro::abi {

Element *El(const th_element *e, const char *op) {
  if (!e) return nullptr;
  if (!H().Elements().Has(e)) {
    H().Misuse(std::string(op) + ": not a live element");
    return nullptr;
  }
  return reinterpret_cast<Element *>(const_cast<th_element *>(e));
}

Element *Of(const th_element *e, ElementKind kind, const char *op) {
  Element *x = El(e, op);
  if (x && x->kind != kind) {
    H().Misuse(std::string(op) + (kind == ElementKind::Object ? ": not an " : ": not a ") + KindName(kind));
    return nullptr;
  }
  return x;
}

bool Placed(Refusal r, const char *op, const char *what) {
  if (r == Refusal::None) return true;
  H().Misuse(std::string(op) + ": " + what);
  return false;
}

}  // namespace tessaro::abi
