// The stand-in host's scene model: documents own objects, tags and
// materials; an element made by a plug-in is the plug-in's until inserted.
#ifndef TESSARO_HOST_MODEL_H
#define TESSARO_HOST_MODEL_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host_interface.h"

namespace tessaro {

struct Value {
  enum Type { Long, Real, Vector, Text } type = Long;
  int32_t l = 0;
  float r = 0;
  th_vector v{0, 0, 0};
  std::string s;

  static Value OfLong(int32_t x) { Value v; v.type = Long; v.l = x; return v; }
  static Value OfReal(float x) { Value v; v.type = Real; v.r = x; return v; }
  static Value OfVector(th_vector x) { Value v; v.type = Vector; v.v = x; return v; }
  static Value OfText(std::string x) { Value v; v.type = Text; v.s = std::move(x); return v; }
  bool operator==(const Value &o) const;
};

using Container = std::map<int32_t, Value>;

enum class ElementKind { Document, Object, Tag, Material };

struct Element;
struct Document;

// An intrusive, ordered list of elements (children, tags, materials).
struct ElementList {
  Element *first = nullptr;
  Element *last = nullptr;
  size_t count = 0;
};

struct Element {
  explicit Element(ElementKind k, int32_t t) : kind(k), type(t) {}
  virtual ~Element();
  Element(const Element &) = delete;
  Element &operator=(const Element &) = delete;

  ElementKind kind;
  int32_t type;
  std::string name;
  int32_t bits = 0;
  Container data;
  std::map<std::string, Value> params;  // keyed by description ID "a" or "a.b"

  // Links: the list the element stands in, its neighbours there, and the
  // element that owns that list (the parent object, the object of a tag).
  ElementList *list = nullptr;
  Element *owner = nullptr;
  Element *pred = nullptr;
  Element *next = nullptr;
  Document *doc = nullptr;
};

struct Object : Element {
  explicit Object(int32_t t) : Element(ElementKind::Object, t) {}
  ~Object() override;
  th_vector pos{0, 0, 0}, scale{1, 1, 1}, rot{0, 0, 0};
  th_matrix ml{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  int32_t editorMode = TH_MODE_UNDEF;
  int32_t renderMode = TH_MODE_UNDEF;
  ElementList children;
  ElementList tags;
};

struct Tag : Element {
  explicit Tag(int32_t t) : Element(ElementKind::Tag, t) {}
  std::vector<uint8_t> payload;  // a variable tag's data array
  int32_t entries = 0;
};

struct Material : Element {
  explicit Material(int32_t t) : Element(ElementKind::Material, t) {}
};

struct UndoEntry {
  int32_t type;
  std::string kind;
  std::string name;
};

struct Document : Element {
  Document() : Element(ElementKind::Document, 0) {}
  ~Document() override;
  ElementList objects;
  ElementList materials;
  int32_t fps = 30;
  double maxTimeNum = 90, maxTimeDen = 30;
  int32_t renderData = 0;
  std::vector<std::vector<UndoEntry>> undo;
  int undoDepth = 0;

  // Nothing has been put into it since it was made.
  bool Pristine() const;
};

// List operations. Insert places e after pred (null: first) in list.
void ListInsert(ElementList &list, Element *owner, Element *e, Element *pred);
void ListUnlink(Element *e);
void SetDocument(Element *e, Document *doc);
const char *KindName(ElementKind k);

}  // namespace tessaro

#endif
