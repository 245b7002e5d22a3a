// The stand-in host's scene model: documents own objects, tags and
// materials; an element made by a plug-in is the plug-in's until inserted.
#ifndef TESSARO_HOST_MODEL_H
#define TESSARO_HOST_MODEL_H

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Memory.h"

#include "host_interface.h"
#include "host_types.h"

namespace tessaro {

struct Value {
  enum Type { Long, Real, Vector, Text, Time } type = Long;
  int32_t l = 0;
  float r = 0;
  th_vector v{0, 0, 0};
  std::string s;
  th_time t{0, 1};

  static Value OfLong(int32_t x) { Value v; v.type = Long; v.l = x; return v; }
  static Value OfReal(float x) { Value v; v.type = Real; v.r = x; return v; }
  static Value OfVector(th_vector x) { Value v; v.type = Vector; v.v = x; return v; }
  static Value OfText(std::string x) { Value v; v.type = Text; v.s = std::move(x); return v; }
  static Value OfTime(th_time x) { Value v; v.type = Time; v.t = x; return v; }
  bool operator==(const Value &o) const;
};

using Container = std::map<int32_t, Value>;

enum class ElementKind { Document, Object, Tag, Material, Track, Sequence, Key, RenderData };

struct Element;
struct Document;

// An intrusive, ordered list of elements (children, tags, materials).
struct ElementList {
  Element *first = nullptr;
  Element *last = nullptr;
  size_t count = 0;
  // Changes with every insertion and removal, so that what is remembered
  // about the list (a lookup's position, an index) knows when it is stale.
  uint64_t version = 0;
};

struct Element {
  explicit Element(ElementKind k, int32_t t);
  virtual ~Element();
  Element(const Element &) = delete;
  Element &operator=(const Element &) = delete;

  ElementKind kind;
  int32_t type;
  std::string name;
  int32_t bits = 0;
  // Parameters by description ID, levels joined by dots ("1000", "1001.2").
  // The element's container is the set of one-level parameters.
  std::map<std::string, Value> params;
  // Tells a live element from a later one at the same address.
  uint64_t serial;

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
  bool spline = false;  // made as a spline object, with its type and point count
  int32_t splineType = 0;
  int32_t splinePointCount = 0;
  bool camera = false;  // made as a camera, with its camera properties
  float focus = 36, aperture = 36;
  int32_t projection = 0;
  ElementList tracks;
  // Where the last lookup of a tag by type and number ended, so that asking
  // for tag n + 1 continues from tag n instead of from the first tag.
  struct TagCursor {
    uint64_t version = UINT64_MAX;
    int32_t type = 0;
    int32_t nr = 0;
    Element *tag = nullptr;
  };
  mutable TagCursor tagCursor;
};

// Animation: a track of an object, identified by a parameter ID of one or
// two levels, holds sequences; a sequence spans a time and holds keys.
struct Track : Element {
  explicit Track(th_descid d) : Element(ElementKind::Track, 0), id(d) {}
  ~Track() override;
  th_descid id;
  ElementList sequences;
};

// The host's comparison where it is an order by a key: for fractions of
// whole numbers small enough for exact products (byProducts), and for
// times of one denominator, which weigh floor(numerator * denominator).
struct TimeOrder {
  bool byProducts = true;
  double den = 0;
  bool operator()(const th_time &a, const th_time &b) const {
    if (byProducts) return a.numerator * b.denominator < b.numerator * a.denominator;
    return std::floor(a.numerator * den) < std::floor(b.numerator * den);
  }
};

struct AnimationKey;

struct Sequence : Element {
  explicit Sequence(int32_t t) : Element(ElementKind::Sequence, t) {}
  ~Sequence() override;
  th_time start{0, 1}, end{0, 1};
  ElementList keys;
  // The keys by time, so that a key finds its place without a walk. It is
  // kept while the keys stand in time order and the host's comparison
  // orders them by a key (TimeOrder); it describes the keys list at
  // version keysIndexed, and is usable only if keysIndexOk.
  std::multimap<th_time, AnimationKey *, TimeOrder> keysByTime;
  uint64_t keysIndexed = UINT64_MAX;
  bool keysIndexOk = false;
};

struct AnimationKey : Element {
  explicit AnimationKey(int32_t t) : Element(ElementKind::Key, t) {}
  th_time time{0, 1};
  float data[3] = {0, 0, 0};
};

struct RenderData : Element {
  RenderData() : Element(ElementKind::RenderData, 0) {}
};

// A view of a document and the object it looks through (a weak link).
struct View {
  const Element *camera = nullptr;
  uint64_t cameraSerial = 0;
};

// Times compare as the host's time type does: equal numerators and
// denominators are equal; otherwise a is earlier when floor(a.num * b.den)
// is below floor(b.num * a.den).
bool TimeLess(const th_time &a, const th_time &b);

// Inserts the key into the sequence in time order, after the keys of its
// own time: after the last key, counted from the end, that is not later.
void InsertKeyInTimeOrder(Sequence &q, AnimationKey *k);

struct Tag : Element {
  explicit Tag(int32_t t) : Element(ElementKind::Tag, t) {}
  std::vector<uint8_t, ZeroedAllocator<uint8_t>> payload;  // a variable tag's data array
  int32_t entries = 0;
  // A texture tag's placement and the material it links (a weak link: it
  // holds only while the material with that serial lives).
  th_vector pos{0, 0, 0}, scale{1, 1, 1}, rot{0, 0, 0};
  th_matrix ml{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Element *material = nullptr;
  uint64_t materialSerial = 0;
};

// Bytes per entry of the variable tag types; 0 for other types.
size_t VariableTagEntrySize(int32_t type);

// The object's nr-th tag of the type (from 0), or null.
Tag *FindTag(const Object &o, int32_t type, int32_t nr = 0);

struct Channel {
  int32_t state = 0;
  Container data;
};

struct Material : Element {
  explicit Material(int32_t t);
  // A standard material (type Mmaterial) has channels 0 to 11; others have none.
  std::vector<Channel> channels;
  int updates = 0;  // calls of Update
};

// What a document knows of one material name.
struct MaterialName {
  size_t count = 0;  // how many of the document's materials bear it
  // The first of them in list order; null when that is not known, and then
  // found by a walk when asked.
  Element *first = nullptr;
  // "NAME.1" to "NAME.(nextSuffix - 1)" are all taken, so the search for a
  // free suffix starts here.
  uint64_t nextSuffix = 1;
};

// One entry of an undo step: type 40 before an existing element changes,
// 44 after a new element was inserted.
struct UndoEntry {
  UndoEntry() = default;
  UndoEntry(int32_t t, std::string k, std::string n) : type(t), kind(std::move(k)), name(std::move(n)) {}
  int32_t type = 0;
  std::string kind;
  std::string name;
  // The element the entry is about (a weak link: it holds only while the
  // element with that serial lives).
  Element *element = nullptr;
  uint64_t serial = 0;
  // Type 40: the element as it was, a detached copy of it and of all it
  // owns (an object's tags, tracks and children; a material's channels),
  // and which element each copied one was (in the copy's tree order), so
  // that links to them follow the restored copies.
  std::shared_ptr<const Element> before;
  std::vector<std::pair<const Element *, uint64_t>> origins;
  // Type 40 on the document: its settings as they were.
  bool settings = false;
  int32_t fps = 0;
  double maxTimeNum = 0, maxTimeDen = 1;
};

struct Document : Element {
  Document() : Element(ElementKind::Document, 0) {}
  ~Document() override;
  ElementList objects;
  ElementList materials;
  int32_t fps = 30;
  double maxTimeNum = 90, maxTimeDen = 30;
  ElementList renderData;
  std::vector<View> views = std::vector<View>(1);
  std::vector<std::vector<UndoEntry>> undo;
  int undoDepth = 0;
  // The materials by name, for the name check and the search by name (an
  // ordered map: no choice of names can make its lookups slow).
  std::map<std::string, MaterialName> materialNames;

  // Nothing has been put into it since it was made.
  bool Pristine() const;
};

// The serial the next element made will bear: serials only grow, so the
// elements made after this call are those with a serial at least this.
uint64_t NextSerial();

// List operations. Insert places e after pred (null: first) in list.
void ListInsert(ElementList &list, Element *owner, Element *e, Element *pred);
void ListUnlink(Element *e);
// Sets the document of e and of everything below it.
void SetDocument(Element *e, Document *doc);
// Calls f with each list of elements that e owns.
void ForEachChildList(Element *e, const std::function<void(ElementList &)> &f);
// Calls f with e and every element below it, parents before children, in
// list order, without recursion (a tree may be as deep as a file makes it).
void ForEachInTree(Element *e, const std::function<void(Element *)> &f);
// Keep Document::materialNames true: m (in the document's material list)
// has come to bear its name; m is leaving name (it left the list or is
// being renamed).
void MaterialNameTaken(Document *doc, Element *m);
void MaterialNameLeft(Document *doc, Element *m, const std::string &name);
// The first of the document's materials named name, in list order, or null.
Element *FirstMaterialNamed(Document *doc, const std::string &name);
// The name itself when no material bears it, else the first free "name.1",
// "name.2", ... as a host keeps material names unique.
std::string UniqueMaterialName(Document *doc, const std::string &name);
// The container view of the parameters, and writing one back.
Container ContainerOf(const Element &e);
void SetContainer(Element &e, const Container &c, bool add);
bool IsContainerKey(const std::string &key);
const char *KindName(ElementKind k);

}  // namespace tessaro

#endif
