// Documents: they own the objects, materials and render settings, their
// views, their undo steps and the settings of their time.
#ifndef TESSARO_HOST_MODEL_DOCUMENT_H
#define TESSARO_HOST_MODEL_DOCUMENT_H

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Element.h"
#include "Material.h"

namespace tessaro {

class Object;

class RenderData : public Element {
 public:
  RenderData() : Element(ElementKind::RenderData, 0) {}
};

// A view of a document and the object it looks through (a weak link).
struct View {
  const Element *camera = nullptr;
  uint64_t cameraSerial = 0;
  void LookThrough(const Element *e) {
    camera = e;
    cameraSerial = e ? e->serial : 0;
  }
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

class Document : public Element {
 public:
  Document() : Element(ElementKind::Document, 0) {}
  ~Document() override;
  ElementList objects;
  ElementList materials;
  int32_t fps = 30;
  double maxTimeNum = 90, maxTimeDen = 30;
  ElementList renderData;
  std::vector<View> views = std::vector<View>(1);
  std::vector<std::vector<UndoEntry>> undo;

  // Places a loose object below parent (null: the top level) after pred
  // (null: first). A predecessor decides the place: the object goes right
  // after it, below the predecessor's parent. Parent and predecessor must
  // be in the document, and the object cannot go below itself.
  Refusal InsertObject(Object &o, Object *parent, Object *pred);
  // After the last of parent's children (or of the top level).
  Refusal AppendObject(Object &o, Object *parent);
  // Places a loose material after pred (null: first), one of the
  // document's; with uniqueName a taken name gets the first free suffix.
  Refusal InsertMaterial(Element &m, Element *pred, bool uniqueName);
  Refusal AppendMaterial(Material &m) { return InsertMaterial(m, materials.last, false); }
  // Places a loose render-settings element after pred (null: first).
  Refusal InsertRenderData(Element &rd, Element *pred);

  // The first of the materials named name, in list order, or null.
  Element *FirstMaterialNamed(const std::string &name) { return materialNames_.First(materials, name); }
  // The name itself when no material bears it, else the first free "name.k".
  std::string UniqueMaterialName(const std::string &name) { return materialNames_.Unique(name); }
  size_t MaterialsNamed(const std::string &name) const { return materialNames_.Count(name); }

  // The settings as a container: frame rate (1001) and end time (1003);
  // applying one takes the values of those IDs that have their type.
  Container Settings() const;
  void ApplySettings(const Container &c);

  // Undo steps nest; the outermost opens a step, and a step that recorded
  // nothing is not kept. EndUndo and AddUndo answer false when no step is open.
  void StartUndo();
  bool EndUndo();
  bool AddUndo(int32_t type, Element &e);
  bool UndoStepOpen() const { return undoDepth_ != 0; }

  // Nothing has been put into it since it was made.
  bool Pristine() const;

 private:
  friend class Element;  // renames and removals keep the names counted
  MaterialNames materialNames_;
  int undoDepth_ = 0;
};

}  // namespace tessaro

#endif
