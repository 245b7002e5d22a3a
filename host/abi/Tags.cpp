// The tag table: tags made alone, a variable tag's data, a texture tag's
// placement and material, a UVW tag's corners.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

th_element *TagAlloc(int32_t type) {
  if (H().Fault(Op::TagAlloc)) return nullptr;
  // Variable tags come only with their data, through MakeVariableTag.
  if (VariableTagEntrySize(type) != 0) return nullptr;
  return Handle(H().Elements().Make<Tag>(type));
}
void *TagDataAddress(th_element *e) {
  H().Fault(Op::GetDataAddressW);
  Tag *t = TagOf(e, "GetDataAddressW");
  return t && !t->payload.empty() ? t->payload.data() : nullptr;
}
int32_t TagDataCount(const th_element *e) {
  H().Fault(Op::GetDataCount);
  const Tag *t = TagOf(e, "GetDataCount");
  return t ? t->entries : 0;
}
#define TESSARO_TAG_VECTOR_ACCESS(Name, field)                               \
  void TagSet##Name(th_element *e, const th_vector *v) {                     \
    H().Fault(Op::TagSet##Name);                                             \
    if (Tag *t = TagOf(e, "TextureTag Set" #Name); t && v) t->field = *v;    \
  }                                                                          \
  void TagGet##Name(const th_element *e, th_vector *v) {                     \
    H().Fault(Op::TagGet##Name);                                             \
    const Tag *t = TagOf(e, "TextureTag Get" #Name);                         \
    if (v) *v = t ? t->field : th_vector{0, 0, 0};                           \
  }
TESSARO_TAG_VECTOR_ACCESS(Pos, pos)
TESSARO_TAG_VECTOR_ACCESS(Scale, scale)
TESSARO_TAG_VECTOR_ACCESS(Rot, rot)
#undef TESSARO_TAG_VECTOR_ACCESS
void TagSetMl(th_element *e, const th_matrix *m) {
  H().Fault(Op::TagSetMl);
  if (Tag *t = TagOf(e, "TextureTag SetMl"); t && m) t->ml = *m;
}
void TagGetMl(const th_element *e, th_matrix *m) {
  H().Fault(Op::TagGetMl);
  const Tag *t = TagOf(e, "TextureTag GetMl");
  if (t && m) *m = t->ml;
}
void TagSetMaterial(th_element *e, th_element *m) {
  H().Fault(Op::SetMaterial);
  Tag *t = TagOf(e, "SetMaterial");
  const Element *mat = m ? El(m, "SetMaterial material") : nullptr;
  if (!t) return;
  if (mat && mat->kind != ElementKind::Material) {
    H().Misuse("SetMaterial: not a material");
    return;
  }
  t->LinkMaterial(mat);
}
th_element *TagGetMaterial(const th_element *e) {
  H().Fault(Op::GetMaterial);
  const Tag *t = TagOf(e, "GetMaterial");
  return Handle(t ? H().LinkedMaterial(*t) : nullptr);
}
th_bool TagUVWGet(const th_element *e, int32_t i, th_uvw *uvw) {
  H().Fault(Op::UVWGet);
  const Tag *t = TagOf(e, "UVWTag Get");
  return t && uvw && t->GetUvw(i, uvw) ? 1 : 0;
}
th_bool TagUVWSet(th_element *e, int32_t i, const th_uvw *uvw) {
  H().Fault(Op::UVWSet);
  Tag *t = TagOf(e, "UVWTag Set");
  return t && uvw && t->SetUvw(i, *uvw) ? 1 : 0;
}
th_bool TagUVWSetRun(th_element *e, int32_t first, int32_t count, const th_uvw *uvw) {
  if (H().Fault(Op::UVWSetRun)) return 0;
  Tag *t = TagOf(e, "UVWTag SetRun");
  return t && (uvw || count == 0) && t->SetUvwRun(first, count, uvw) ? 1 : 0;
}
th_bool TagResize(th_element *e, int32_t count) {
  if (H().Fault(Op::TagResize)) return 0;
  Tag *t = TagOf(e, "VariableTag Resize");
  return t && t->Resize(count) ? 1 : 0;
}

const th_tag_table kTag = {
    sizeof(th_tag_table), TESSARO_EDGE(TagAlloc), TESSARO_EDGE(TagDataAddress), TESSARO_EDGE(TagDataCount),
    TESSARO_EDGE(TagSetPos), TESSARO_EDGE(TagGetPos), TESSARO_EDGE(TagSetScale), TESSARO_EDGE(TagGetScale),
    TESSARO_EDGE(TagSetRot), TESSARO_EDGE(TagGetRot), TESSARO_EDGE(TagSetMl), TESSARO_EDGE(TagGetMl),
    TESSARO_EDGE(TagSetMaterial), TESSARO_EDGE(TagGetMaterial), TESSARO_EDGE(TagUVWGet), TESSARO_EDGE(TagUVWSet),
    TESSARO_EDGE(TagUVWSetRun), TESSARO_EDGE(TagResize)};

}  // namespace
}  // namespace tessaro::abi

const th_tag_table *tessaro::TagTable() { return &abi::kTag; }
