// What every element of the host's scene has: a kind and type, a name,
// bits, parameters, a serial, and its place in a list of its owner.
#ifndef TESSARO_HOST_MODEL_ELEMENT_H
#define TESSARO_HOST_MODEL_ELEMENT_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <type_traits>

#include "Value.h"

#include "host_interface.h"

namespace tessaro {

enum class ElementKind { Document, Object, Tag, Material, Track, Sequence, Key, RenderData };
const char *KindName(ElementKind k);

// Why the model did not place an element; None when it did.
enum class Refusal {
  None,
  NotLoose,              // not of the list's kind, or already in a list
  ParentElsewhere,       // the parent is not in the document
  BelowItself,           // the object would go below itself
  PredecessorElsewhere,  // the predecessor is not in the list (or document)
};

class Element;
class Document;
class Links;

// A link between elements that anyone may read and only the list
// operations (Links, in Links.cpp) write, so that an element's list, its
// neighbours, its owner and its document always agree.
template <class T>
class Link {
 public:
  Link() = default;
  Link(const Link &) = delete;
  operator T() const { return value_; }
  T operator->() const { return value_; }
  // static_cast<Object *>(list.first) downcasts as it would the pointer.
  template <class U, class = std::enable_if_t<std::is_pointer_v<T> && std::is_pointer_v<U>>>
  explicit operator U() const {
    return static_cast<U>(value_);
  }

 private:
  friend class Links;
  friend class ElementList;
  Link &operator=(T v) {
    value_ = v;
    return *this;
  }
  Link &operator=(const Link &o) {
    value_ = o.value_;
    return *this;
  }
  T value_{};
};

// An intrusive, ordered list of elements (children, tags, materials).
class ElementList {
 public:
  ElementList() = default;
  // A list of one detached element, to walk a detached tree (an undo
  // entry's copy) as the top of a list; the element's links stay as they are.
  explicit ElementList(Element *only);

  Link<Element *> first;
  Link<Element *> last;
  Link<size_t> count;
  // Changes with every insertion and removal, so that what is remembered
  // about the list (a lookup's position, an index) knows when it is stale.
  Link<uint64_t> version;
};

class Element {
 public:
  explicit Element(ElementKind k, int32_t t);
  virtual ~Element();
  Element(const Element &) = delete;
  Element &operator=(const Element &) = delete;

  const ElementKind kind;
  int32_t type;
  // Set it directly only while the element is loose: a material's name in
  // a document is counted there, so it changes through Rename.
  std::string name;
  int32_t bits = 0;
  // Parameters by description ID, levels joined by dots ("1000", "1001.2").
  // The element's container is the set of one-level parameters.
  std::map<std::string, Value> params;
  // Tells a live element from a later one at the same address.
  const uint64_t serial;

  // The list the element stands in, its neighbours there, the element that
  // owns that list (the parent object, the object of a tag) and the
  // document above it.
  Link<ElementList *> list;
  Link<Element *> owner;
  Link<Element *> pred;
  Link<Element *> next;
  Link<Document *> doc;

  // Renames the element, keeping its document's count of material names.
  void Rename(std::string newName);
  // Takes the element out of its list and its document, with all it owns;
  // a document stays where it is.
  void Remove();

  // The container view of the parameters, and writing one back (add: keep
  // the one-level parameters that c does not name).
  Container Data() const;
  void SetData(const Container &c, bool add);
  // A parameter by its ID of one to three levels, or null.
  const Value *Parameter(const th_descid &id) const;
  void SetParameter(const th_descid &id, const Value &v);
};

// The serial the next element made will bear: serials only grow, so the
// elements made after this call are those with a serial at least this.
uint64_t NextSerial();

// Calls f with each list of elements that e owns.
void ForEachChildList(Element *e, const std::function<void(ElementList &)> &f);
// Calls f with e and every element below it, parents before children, in
// list order, without recursion (a tree may be as deep as a file makes it).
void ForEachInTree(Element *e, const std::function<void(Element *)> &f);

}  // namespace tessaro

#endif
