// The object table: placement, modes, tags (lookups, insertion, the tags
// an object makes itself), splines and cameras.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

th_element *ObjAlloc(int32_t type, int32_t reserved) {
  (void)reserved;
  if (H().Fault(Op::ObjectAlloc)) return nullptr;
  return Handle(H().Elements().Make<Object>(type));
}
#define TESSARO_VECTOR_ACCESS(Name, field)                                      \
  void ObjSet##Name(th_element *e, const th_vector *v) {                        \
    H().Fault(Op::Set##Name);                                                   \
    if (Object *o = Obj(e, "Set" #Name); o && v) o->field = *v;                 \
  }                                                                             \
  void ObjGet##Name(const th_element *e, th_vector *v) {                        \
    H().Fault(Op::Get##Name);                                                   \
    const Object *o = Obj(e, "Get" #Name);                                      \
    if (v) *v = o ? o->field : th_vector{0, 0, 0};                              \
  }
TESSARO_VECTOR_ACCESS(Pos, pos)
TESSARO_VECTOR_ACCESS(Scale, scale)
TESSARO_VECTOR_ACCESS(Rot, rot)
#undef TESSARO_VECTOR_ACCESS
void ObjSetMl(th_element *e, const th_matrix *m, th_bool keepchildren) {
  H().Fault(Op::SetMl);
  (void)keepchildren;
  if (Object *o = Obj(e, "SetMl"); o && m) o->ml = *m;
}
void ObjGetMl(const th_element *e, th_matrix *m) {
  H().Fault(Op::GetMl);
  const Object *o = Obj(e, "GetMl");
  if (m && o) *m = o->ml;
}
int32_t ObjGetEditorMode(const th_element *e) {
  H().Fault(Op::GetEditorMode);
  const Object *o = Obj(e, "GetEditorMode");
  return o ? o->editorMode : TH_MODE_UNDEF;
}
void ObjSetEditorMode(th_element *e, int32_t mode) {
  H().Fault(Op::SetEditorMode);
  if (Object *o = Obj(e, "SetEditorMode")) o->editorMode = mode;
}
int32_t ObjGetRenderMode(const th_element *e) {
  H().Fault(Op::GetRenderMode);
  const Object *o = Obj(e, "GetRenderMode");
  return o ? o->renderMode : TH_MODE_UNDEF;
}
void ObjSetRenderMode(th_element *e, int32_t mode) {
  H().Fault(Op::SetRenderMode);
  if (Object *o = Obj(e, "SetRenderMode")) o->renderMode = mode;
}

th_element *ObjFirstTag(th_element *e) {
  H().Fault(Op::GetFirstTag);
  Object *o = Obj(e, "GetFirstTag");
  return o ? Handle(o->tags.first) : nullptr;
}
th_element *ObjGetTag(th_element *e, int32_t type, int32_t nr) {
  H().Fault(Op::GetTag);
  Object *o = Obj(e, "GetTag");
  return o ? Handle(o->FindTag(type, nr)) : nullptr;
}
void *ObjGetTagData(th_element *e, int32_t type, int32_t nr) {
  H().Fault(Op::GetTagData);
  Object *o = Obj(e, "GetTagData");
  Tag *t = o ? o->FindTag(type, nr) : nullptr;
  return t && !t->payload.empty() ? t->payload.data() : nullptr;
}
int32_t ObjGetTagDataCount(th_element *e, int32_t type) {
  H().Fault(Op::GetTagDataCount);
  Object *o = Obj(e, "GetTagDataCount");
  Tag *t = o ? o->FindTag(type, 0) : nullptr;
  return t ? t->entries : 0;
}
void ObjInsertTag(th_element *e, th_element *tag, th_element *pred) {
  H().Fault(Op::InsertTag);
  Object *o = Obj(e, "InsertTag");
  Element *t = El(tag, "InsertTag");
  Element *after = pred ? El(pred, "InsertTag predecessor") : nullptr;
  if (!o || !t || (pred && !after)) return;
  const Refusal r = o->InsertTag(*t, after);
  Placed(r, "InsertTag", r == Refusal::NotLoose ? "not a loose tag" : "the predecessor is not a tag of the object");
}

// The tag a new tag goes after: none, or one of the object's tags.
bool TagPredecessor(Object *o, th_element *pred, Element **out, const char *op) {
  *out = nullptr;
  if (!pred) return true;
  Element *p = El(pred, op);
  if (!o->HoldsTag(p)) {
    H().Misuse(std::string(op) + ": the predecessor is not a tag of the object");
    return false;
  }
  *out = p;
  return true;
}
th_element *ObjMakeVariableTag(th_element *e, int32_t type, int32_t count, th_element *pred) {
  if (H().Fault(Op::MakeVariableTag)) return nullptr;
  Object *o = Obj(e, "MakeVariableTag");
  Element *after;
  if (!o || VariableTagEntrySize(type) == 0 || count < 0 || !TagPredecessor(o, pred, &after, "MakeVariableTag"))
    return nullptr;
  return Handle(o->AddVariableTag(H().Elements(), type, count, after));
}
th_element *ObjMakeTag(th_element *e, int32_t type, th_element *pred) {
  if (H().Fault(Op::MakeTag)) return nullptr;
  Object *o = Obj(e, "MakeTag");
  Element *after;
  if (!o || VariableTagEntrySize(type) != 0 || !TagPredecessor(o, pred, &after, "MakeTag")) return nullptr;
  return Handle(o->AddTag(H().Elements(), type, after));
}
th_bool ObjSetPhong(th_element *e, th_bool on, th_bool anglelimit, float angle) {
  if (H().Fault(Op::SetPhong)) return 0;
  Object *o = Obj(e, "SetPhong");
  if (!o) return 0;
  o->SetPhong(H().Elements(), on != 0, anglelimit != 0, angle);
  return 1;
}

th_element *ObjSplineAlloc(int32_t pointcount, int32_t type) {
  if (H().Fault(Op::SplineAlloc) || pointcount < 0) return nullptr;
  return Handle(H().Elements().Adopt(Object::Spline(type, pointcount)));
}
th_element *ObjCameraAlloc() {
  if (H().Fault(Op::CameraAlloc)) return nullptr;
  return Handle(H().Elements().Adopt(Object::Camera()));
}
Object *Cam(const th_element *e, const char *op) {
  Object *o = Obj(e, op);
  if (o && !o->camera) {
    H().Misuse(std::string(op) + ": not a camera");
    return nullptr;
  }
  return o;
}
void ObjSetFocus(th_element *e, float v) {
  H().Fault(Op::SetFocus);
  if (Object *o = Cam(e, "SetFocus")) o->focus = v;
}
float ObjGetFocus(const th_element *e) {
  const Object *o = Cam(e, "GetFocus");
  return o ? o->focus : 0;
}
void ObjSetAperture(th_element *e, float v) {
  H().Fault(Op::SetAperture);
  if (Object *o = Cam(e, "SetAperture")) o->aperture = v;
}
float ObjGetAperture(const th_element *e) {
  const Object *o = Cam(e, "GetAperture");
  return o ? o->aperture : 0;
}
void ObjSetProjection(th_element *e, int32_t v) {
  H().Fault(Op::SetProjection);
  if (Object *o = Cam(e, "SetProjection")) o->projection = v;
}
int32_t ObjGetProjection(const th_element *e) {
  const Object *o = Cam(e, "GetProjection");
  return o ? o->projection : 0;
}

const th_object_table kObject = {
    sizeof(th_object_table), TESSARO_EDGE(ObjAlloc), TESSARO_EDGE(ObjSetPos), TESSARO_EDGE(ObjGetPos),
    TESSARO_EDGE(ObjSetScale), TESSARO_EDGE(ObjGetScale), TESSARO_EDGE(ObjSetRot), TESSARO_EDGE(ObjGetRot),
    TESSARO_EDGE(ObjSetMl), TESSARO_EDGE(ObjGetMl), TESSARO_EDGE(ObjGetEditorMode), TESSARO_EDGE(ObjSetEditorMode),
    TESSARO_EDGE(ObjGetRenderMode), TESSARO_EDGE(ObjSetRenderMode), TESSARO_EDGE(ObjFirstTag),
    TESSARO_EDGE(ObjGetTag), TESSARO_EDGE(ObjGetTagData), TESSARO_EDGE(ObjGetTagDataCount),
    TESSARO_EDGE(ObjInsertTag), TESSARO_EDGE(ObjSplineAlloc), TESSARO_EDGE(ObjMakeVariableTag),
    TESSARO_EDGE(ObjMakeTag), TESSARO_EDGE(ObjSetPhong), TESSARO_EDGE(ObjCameraAlloc), TESSARO_EDGE(ObjSetFocus),
    TESSARO_EDGE(ObjGetFocus), TESSARO_EDGE(ObjSetAperture), TESSARO_EDGE(ObjGetAperture),
    TESSARO_EDGE(ObjSetProjection), TESSARO_EDGE(ObjGetProjection)};

}  // namespace
}  // namespace tessaro::abi

const th_object_table *tessaro::ObjectTable() { return &abi::kObject; }
