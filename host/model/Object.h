// Objects and their tags.
#ifndef TESSARO_HOST_MODEL_OBJECT_H
#define TESSARO_HOST_MODEL_OBJECT_H

#include <cstdint>
#include <memory>
#include <vector>

#include "Element.h"
#include "Memory.h"

#include "host_types.h"

namespace tessaro {

class ElementRegistry;
class Track;

class Tag : public Element {
 public:
  explicit Tag(int32_t t) : Element(ElementKind::Tag, t) {}
  std::vector<uint8_t, ZeroedAllocator<uint8_t>> payload;  // a variable tag's data array
  int32_t entries = 0;
  // A texture tag's placement and the material it links (a weak link: it
  // holds only while the material with that serial lives).
  th_vector pos{0, 0, 0}, scale{1, 1, 1}, rot{0, 0, 0};
  th_matrix ml{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const Element *material = nullptr;
  uint64_t materialSerial = 0;

  // Links the material (null: none).
  void LinkMaterial(const Element *m);
  // The i-th corner set of a UVW tag: false when it has none.
  bool GetUvw(int32_t i, th_uvw *out) const;
  bool SetUvw(int32_t i, const th_uvw &in);
  // Entries first .. first + count - 1 of a UVW tag: all or none.
  bool SetUvwRun(int32_t first, int32_t count, const th_uvw *in);
  // A variable tag's entry count changed, kept entries kept, new ones zero.
  // The room grows geometrically, so that a tag filled run by run costs
  // linear time. False, and the tag unchanged, past 2^31 - 1 bytes or when
  // memory runs out.
  bool Resize(int32_t count);
};

// Bytes per entry of the variable tag types; 0 for other types.
size_t VariableTagEntrySize(int32_t type);

class Object : public Element {
 public:
  explicit Object(int32_t t) : Element(ElementKind::Object, t) {}
  ~Object() override;
  // A spline object, with its type and point count; a camera, with its
  // camera properties.
  static std::unique_ptr<Object> Spline(int32_t splineType, int32_t pointCount);
  static std::unique_ptr<Object> Camera();

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

  // The nr-th tag of the type (from 0), or null.
  Tag *FindTag(int32_t type, int32_t nr = 0) const;
  bool HoldsTag(const Element *t) const { return t && t->list == &tags; }
  // Places a loose tag after pred (null: first), which must be one of the
  // object's tags.
  Refusal InsertTag(Element &t, Element *pred);
  Refusal AppendTag(Tag &t) { return InsertTag(t, tags.last); }
  // A new tag of the type after pred (one of the object's tags, or null:
  // first).
  Tag *AddTag(ElementRegistry &elements, int32_t type, Element *pred);
  // A new variable tag of count entries after pred, in place of the
  // object's tag of that type, as an object holds one of each. Null when
  // the type is not variable or its data would not fit a signed 32-bit size.
  Tag *AddVariableTag(ElementRegistry &elements, int32_t type, int32_t count, Element *pred);
  // Removes the phong tags; when on, adds one with the angle limit.
  void SetPhong(ElementRegistry &elements, bool on, bool angleLimit, float angle);

  // Places a loose track after pred (null: last), one of its tracks.
  Refusal InsertTrack(Element &t, Element *pred);
  Track *FindTrack(const th_descid &id) const;

 private:
  // Where the last lookup of a tag by type and number ended, so that asking
  // for tag n + 1 continues from tag n instead of from the first tag.
  struct TagCursor {
    uint64_t version = UINT64_MAX;
    int32_t type = 0;
    int32_t nr = 0;
    Element *tag = nullptr;
  };
  mutable TagCursor tagCursor_;
};

// The object's nr-th tag of the type (from 0), or null.
inline Tag *FindTag(const Object &o, int32_t type, int32_t nr = 0) { return o.FindTag(type, nr); }

}  // namespace tessaro

#endif
