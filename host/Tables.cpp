// The C function tables handed to plug-ins. Each function checks its
// handles, does the work on the host's model and never lets an exception
// out: a failure becomes the operation's failure value.
#include <cstring>
#include <new>

#include "Edge.h"
#include "Handles.h"
#include "Host.h"
#include "Tables.h"
#include "Undo.h"

namespace tessaro {

namespace {

Host &H() { return Host::Get(); }

Element *El(th_element *e, const char *op) {
  if (!e) return nullptr;
  if (!H().IsElement(e)) {
    H().Misuse(std::string(op) + ": not a live element");
    return nullptr;
  }
  return reinterpret_cast<Element *>(e);
}
const Element *El(const th_element *e, const char *op) { return El(const_cast<th_element *>(e), op); }
th_element *Handle(Element *e) { return reinterpret_cast<th_element *>(e); }

Object *Obj(th_element *e, const char *op) {
  Element *x = El(e, op);
  if (x && x->kind != ElementKind::Object) {
    H().Misuse(std::string(op) + ": not an object");
    return nullptr;
  }
  return static_cast<Object *>(x);
}
const Object *Obj(const th_element *e, const char *op) { return Obj(const_cast<th_element *>(e), op); }

Document *Doc(th_element *e, const char *op) {
  Element *x = El(e, op);
  if (x && x->kind != ElementKind::Document) {
    H().Misuse(std::string(op) + ": not a document");
    return nullptr;
  }
  return static_cast<Document *>(x);
}

// ---- memory ---------------------------------------------------------------
void *MemAlloc(int32_t size) {
  if (H().Fault(Op::GeAlloc) || size < 0) return nullptr;
  return H().Alloc(size);
}
void MemFree(void **block) {
  H().Fault(Op::GeFree);
  if (!block || !*block) return;
  if (!H().FreeBlock(*block)) H().Misuse("GeFree: not a live block");
  *block = nullptr;
}
const th_memory_table kMemory = {
    sizeof(th_memory_table), TESSARO_EDGE(MemAlloc), TESSARO_EDGE(MemFree)};

// ---- strings --------------------------------------------------------------
th_string *StrAlloc(const char *text) {
  if (H().Fault(Op::StringAlloc)) return nullptr;
  auto *s = new th_string;
  if (text) s->s = text;
  return H().Track(s);
}
void StrFree(th_string **s) {
  H().Fault(Op::StringFree);
  if (!s || !*s) return;
  if (!H().Untrack(*s)) {
    H().Misuse("String Free: not a live string");
  } else {
    delete *s;
  }
  *s = nullptr;
}
th_bool StrCopyTo(const th_string *src, th_string *dst) {
  H().Fault(Op::StringCopy);
  if (!dst) return 0;
  dst->s = src ? src->s : std::string();
  return 1;
}
th_bool StrSet(th_string *s, const char *text) {
  H().Fault(Op::StringSet);
  if (!s) return 0;
  s->s = text ? text : "";
  return 1;
}
th_bool StrContent(const th_string *s) {
  H().Fault(Op::StringContent);
  return s && !s->s.empty();
}
th_bool StrEqual(const th_string *a, const th_string *b) {
  H().Fault(Op::StringEqual);
  const std::string empty;
  return (a ? a->s : empty) == (b ? b->s : empty);
}
int32_t StrGetCString(const th_string *s, char *buffer, int32_t size) {
  H().Fault(Op::StringGetCString);
  size_t n = s ? s->s.size() : 0;
  if (buffer && size > 0) {
    size_t k = n < static_cast<size_t>(size - 1) ? n : static_cast<size_t>(size - 1);
    if (k) std::memcpy(buffer, s->s.data(), k);
    buffer[k] = 0;
  }
  return static_cast<int32_t>(n);
}
const th_string_table kString = {
    sizeof(th_string_table), TESSARO_EDGE(StrAlloc), TESSARO_EDGE(StrFree), TESSARO_EDGE(StrCopyTo),
    TESSARO_EDGE(StrSet), TESSARO_EDGE(StrContent), TESSARO_EDGE(StrEqual), TESSARO_EDGE(StrGetCString)};

// ---- plug-ins ---------------------------------------------------------------
th_resource *PlugLoadResource(const char *path) {
  if (H().Fault(Op::LoadResource) || !path) return nullptr;
  auto *r = new th_resource;
  std::string error;
  if (!LoadPluginResource(path, &r->res, &error)) {
    H().warnings.push_back("cannot load the plug-in resource: " + error);
    delete r;
    return nullptr;
  }
  return H().Track(r);
}
void PlugFreeResource(th_resource **r) {
  H().Fault(Op::FreeResource);
  if (!r || !*r) return;
  if (H().Untrack(*r)) delete *r; else H().Misuse("FreeResource: not a live resource");
  *r = nullptr;
}
void PlugLoadString(const th_resource *r, int32_t id, th_string *out) {
  H().Fault(Op::LoadString);
  if (!out) return;
  out->s.clear();
  if (!r) return;
  auto it = r->res.strings.find(id);
  if (it != r->res.strings.end()) out->s = it->second;
}
th_bool PlugRegisterDescription(int32_t id, const char *name, const th_resource *r) {
  if (H().Fault(Op::RegisterDescription) || !name) return 0;
  return H().RegisterDescription(id, name, r ? &r->res : nullptr) ? 1 : 0;
}
th_bool PlugRegisterSceneLoader(int32_t type, int32_t id, const th_string *name, int32_t info,
                                const th_scene_loader_class *cls, const char *description, int32_t reserved) {
  (void)info, (void)reserved;
  if (H().Fault(Op::RegisterSceneLoader)) return 0;
  if (type != TH_PLUGINTYPE_SCENELOADER || !cls || cls->size < sizeof(th_scene_loader_class)) return 0;
  SceneLoader l{id, name ? name->s : "", description ? description : "", cls, nullptr};
  return H().RegisterSceneLoader(l) ? 1 : 0;
}
th_bool PlugRegisterMessagePlugin(int32_t type, int32_t id, const th_string *name, int32_t info,
                                  const th_message_plugin_class *cls, void *node) {
  (void)info;
  if (H().Fault(Op::RegisterMessagePlugin)) return 0;
  if (type != TH_PLUGINTYPE_COREMESSAGE || !cls || cls->size < sizeof(th_message_plugin_class) || !node) return 0;
  return H().RegisterMessagePlugin(MessagePlugin{id, name ? name->s : "", cls, node}) ? 1 : 0;
}
th_bool PlugReadInfo(int32_t id, void *buffer, int32_t size) {
  if (H().Fault(Op::ReadPluginInfo) || !buffer || size < 0) return 0;
  auto it = H().pluginData.find(id);
  if (it == H().pluginData.end() || it->second.size() != static_cast<size_t>(size)) return 0;
  if (size) std::memcpy(buffer, it->second.data(), size);
  H().storedDataRead = true;
  return 1;
}
th_bool PlugWriteInfo(int32_t id, const void *buffer, int32_t size) {
  if (H().Fault(Op::WritePluginInfo) || (!buffer && size) || size < 0) return 0;
  const auto *b = static_cast<const uint8_t *>(buffer);
  H().pluginData[id] = std::vector<uint8_t>(b, b + size);
  return 1;
}
void PlugMessageDialog(int32_t style, const th_string *text) {
  (void)style;
  H().Fault(Op::MessageDialog);
  H().messages.push_back(text ? text->s : "");
}
const th_plugin_table kPlugin = {
    sizeof(th_plugin_table), TESSARO_EDGE(PlugLoadResource), TESSARO_EDGE(PlugFreeResource),
    TESSARO_EDGE(PlugLoadString), TESSARO_EDGE(PlugRegisterDescription), TESSARO_EDGE(PlugRegisterSceneLoader),
    TESSARO_EDGE(PlugRegisterMessagePlugin), TESSARO_EDGE(PlugReadInfo), TESSARO_EDGE(PlugWriteInfo),
    TESSARO_EDGE(PlugMessageDialog)};

// ---- documents --------------------------------------------------------------
th_element *DocGetActive() {
  H().Fault(Op::GetActiveDocument);
  return Handle(H().ActiveDocument());
}
void DocSetActive(th_element *d) {
  H().Fault(Op::SetActiveDocument);
  if (Document *doc = Doc(d, "SetActiveDocument")) H().SetActiveDocument(doc);
}
void DocKill(th_element *d) {
  H().Fault(Op::KillDocument);
  if (Document *doc = Doc(d, "KillDocument")) H().KillDocument(doc);
}
th_element *DocFirstObject(th_element *d) {
  H().Fault(Op::GetFirstObject);
  Document *doc = Doc(d, "GetFirstObject");
  return doc ? Handle(doc->objects.first) : nullptr;
}
th_element *DocFirstMaterial(th_element *d) {
  H().Fault(Op::GetFirstMaterial);
  Document *doc = Doc(d, "GetFirstMaterial");
  return doc ? Handle(doc->materials.first) : nullptr;
}
th_bool DocInsertObject(th_element *d, th_element *o, th_element *parent, th_element *pred, th_bool checknames) {
  (void)checknames;
  if (H().Fault(Op::InsertObject)) return 0;
  Document *doc = Doc(d, "InsertObject");
  Object *op = Obj(o, "InsertObject");
  Object *up = parent ? Obj(parent, "InsertObject parent") : nullptr;
  Object *after = pred ? Obj(pred, "InsertObject predecessor") : nullptr;
  if (!doc || !op || (parent && !up) || (pred && !after)) return 0;
  if (op->list) {
    H().Misuse("InsertObject: the object is already inserted");
    return 0;
  }
  if (up && up->doc != doc) {
    H().Misuse("InsertObject: the parent is not in the document");
    return 0;
  }
  for (Element *a = up; a; a = a->owner)
    if (a == op) {
      H().Misuse("InsertObject: an object cannot go below itself");
      return 0;
    }
  if (after && after->doc != doc) {
    H().Misuse("InsertObject: the predecessor is not in the document");
    return 0;
  }
  // A predecessor decides the place: the object goes right after it,
  // below the predecessor's parent.
  if (after) up = static_cast<Object *>(after->owner);
  for (Element *a = up; a; a = a->owner)
    if (a == op) {
      H().Misuse("InsertObject: an object cannot go below itself");
      return 0;
    }
  ElementList &list = up ? up->children : doc->objects;
  ListInsert(list, up, op, after);
  SetDocument(op, doc);
  return 1;
}
th_bool DocInsertMaterial(th_element *d, th_element *m, th_element *pred, th_bool checknames) {
  if (H().Fault(Op::InsertMaterial)) return 0;
  Document *doc = Doc(d, "InsertMaterial");
  Element *mat = El(m, "InsertMaterial");
  Element *after = pred ? El(pred, "InsertMaterial predecessor") : nullptr;
  if (!doc || !mat || (pred && !after)) return 0;
  if (mat->kind != ElementKind::Material || mat->list) {
    H().Misuse("InsertMaterial: not a loose material");
    return 0;
  }
  if (after && after->list != &doc->materials) {
    H().Misuse("InsertMaterial: the predecessor is not a material of the document");
    return 0;
  }
  // A host keeps material names unique: a taken name gets the first free
  // suffix ".1", ".2", ...
  if (checknames) mat->name = UniqueMaterialName(doc, mat->name);
  ListInsert(doc->materials, nullptr, mat, after);
  SetDocument(mat, doc);
  MaterialNameTaken(doc, mat);
  return 1;
}
th_element *DocSearchMaterial(th_element *d, const th_string *name) {
  H().Fault(Op::SearchMaterial);
  Document *doc = Doc(d, "SearchMaterial");
  if (!doc || !name) return nullptr;
  return Handle(FirstMaterialNamed(doc, name->s));
}
th_bool DocStartUndo(th_element *d) {
  H().Fault(Op::StartUndo);
  Document *doc = Doc(d, "StartUndo");
  if (!doc) return 0;
  if (doc->undoDepth++ == 0) doc->undo.emplace_back();
  return 1;
}
th_bool DocEndUndo(th_element *d) {
  H().Fault(Op::EndUndo);
  Document *doc = Doc(d, "EndUndo");
  if (!doc) return 0;
  if (doc->undoDepth == 0) {
    H().Misuse("EndUndo without StartUndo");
    return 0;
  }
  // An undo step that recorded nothing is not kept.
  if (--doc->undoDepth == 0 && doc->undo.back().empty()) doc->undo.pop_back();
  return 1;
}
th_bool DocAddUndo(th_element *d, int32_t type, th_element *e) {
  H().Fault(Op::AddUndo);
  Document *doc = Doc(d, "AddUndo");
  Element *el = El(e, "AddUndo");
  if (!doc || !el) return 0;
  if (doc->undoDepth == 0) {
    H().Misuse("AddUndo outside an undo step");
    return 0;
  }
  doc->undo.back().push_back(MakeUndoEntry(*doc, type, *el));
  return 1;
}
void DocGetData(th_element *d, int32_t type, th_container *out) {
  H().Fault(Op::GetDocumentData);
  Document *doc = Doc(d, "GetDocumentData");
  if (!out) return;
  out->c.clear();
  if (!doc || type != 0) return;
  out->c[1001] = Value::OfLong(doc->fps);
  out->c[1003] = Value::OfTime(th_time{doc->maxTimeNum, doc->maxTimeDen});
}
void DocSetData(th_element *d, int32_t type, const th_container *data) {
  H().Fault(Op::SetDocumentData);
  Document *doc = Doc(d, "SetDocumentData");
  if (!doc || !data || type != 0) return;
  auto fps = data->c.find(1001);
  if (fps != data->c.end() && fps->second.type == Value::Long) doc->fps = fps->second.l;
  auto end = data->c.find(1003);
  if (end != data->c.end() && end->second.type == Value::Time) {
    doc->maxTimeNum = end->second.t.numerator;
    doc->maxTimeDen = end->second.t.denominator;
  }
}
th_element *DocRenderDataAlloc() {
  if (H().Fault(Op::RenderDataAlloc)) return nullptr;
  auto *rd = new RenderData;
  H().TrackElement(rd);
  return Handle(rd);
}
th_bool DocInsertRenderData(th_element *d, th_element *r, th_element *pred) {
  if (H().Fault(Op::InsertRenderData)) return 0;
  Document *doc = Doc(d, "InsertRenderData");
  Element *rd = El(r, "InsertRenderData");
  Element *after = pred ? El(pred, "InsertRenderData predecessor") : nullptr;
  if (!doc || !rd || (pred && !after)) return 0;
  if (rd->kind != ElementKind::RenderData || rd->list || (after && after->list != &doc->renderData)) {
    H().Misuse("InsertRenderData: not a loose render-settings element, or a foreign predecessor");
    return 0;
  }
  ListInsert(doc->renderData, nullptr, rd, after);
  SetDocument(rd, doc);
  return 1;
}
th_view *DocGetView(th_element *d, int32_t index) {
  H().Fault(Op::GetView);
  Document *doc = Doc(d, "GetView");
  if (!doc || index < 0 || static_cast<size_t>(index) >= doc->views.size()) return nullptr;
  return reinterpret_cast<th_view *>(&doc->views[static_cast<size_t>(index)]);
}
void DocSetSceneCamera(th_view *v, th_element *camera) {
  H().Fault(Op::SetSceneCamera);
  const Element *cam = camera ? Obj(camera, "SetSceneCamera") : nullptr;
  if (!v || (camera && !cam)) return;
  auto *view = reinterpret_cast<View *>(v);
  view->camera = cam;
  view->cameraSerial = cam ? cam->serial : 0;
}
th_element *DocGetSceneCamera(const th_view *v) {
  H().Fault(Op::GetSceneCamera);
  const auto *view = reinterpret_cast<const View *>(v);
  const Element *cam = view ? H().LinkedObject(view->camera, view->cameraSerial) : nullptr;
  return Handle(const_cast<Element *>(cam));
}
const th_document_table kDocument = {
    sizeof(th_document_table), TESSARO_EDGE(DocGetActive), TESSARO_EDGE(DocSetActive), TESSARO_EDGE(DocKill),
    TESSARO_EDGE(DocFirstObject), TESSARO_EDGE(DocFirstMaterial), TESSARO_EDGE(DocInsertObject),
    TESSARO_EDGE(DocInsertMaterial), TESSARO_EDGE(DocSearchMaterial), TESSARO_EDGE(DocStartUndo),
    TESSARO_EDGE(DocEndUndo), TESSARO_EDGE(DocAddUndo), TESSARO_EDGE(DocGetData), TESSARO_EDGE(DocSetData),
    TESSARO_EDGE(DocRenderDataAlloc), TESSARO_EDGE(DocInsertRenderData), TESSARO_EDGE(DocGetView),
    TESSARO_EDGE(DocSetSceneCamera), TESSARO_EDGE(DocGetSceneCamera)};

// ---- list elements ------------------------------------------------------------
th_element *ListNext(th_element *e) {
  H().Fault(Op::GetNext);
  Element *x = El(e, "GetNext");
  return x ? Handle(x->next) : nullptr;
}
th_element *ListPred(th_element *e) {
  H().Fault(Op::GetPred);
  Element *x = El(e, "GetPred");
  return x ? Handle(x->pred) : nullptr;
}
th_element *ListDown(th_element *e) {
  H().Fault(Op::GetDown);
  Element *x = El(e, "GetDown");
  if (!x || x->kind != ElementKind::Object) return nullptr;
  return Handle(static_cast<Object *>(x)->children.first);
}
th_element *ListUp(th_element *e) {
  H().Fault(Op::GetUp);
  Element *x = El(e, "GetUp");
  return x && x->kind == ElementKind::Object ? Handle(x->owner) : nullptr;
}
th_element *ListGetDocument(th_element *e) {
  H().Fault(Op::GetDocument);
  Element *x = El(e, "GetDocument");
  return x ? Handle(x->doc) : nullptr;
}
void ListRemove(th_element *e) {
  H().Fault(Op::Remove);
  Element *x = El(e, "Remove");
  if (!x || x->kind == ElementKind::Document) return;
  if (x->kind == ElementKind::Material && x->list) MaterialNameLeft(x->doc, x, x->name);
  if (x->kind == ElementKind::Object && x->doc) H().NoteRemoved(*x);
  ListUnlink(x);
  SetDocument(x, nullptr);
}
int32_t ListGetType(const th_element *e) {
  H().Fault(Op::GetType);
  const Element *x = El(e, "GetType");
  return x ? x->type : 0;
}
th_bool ListMessage(th_element *e, int32_t id, void *data) {
  H().Fault(Op::Message);
  (void)id, (void)data;
  return El(e, "Message") ? 1 : 0;
}
void ListGetName(const th_element *e, th_string *out) {
  H().Fault(Op::GetName);
  const Element *x = El(e, "GetName");
  if (out) out->s = x ? x->name : std::string();
}
void ListSetName(th_element *e, const th_string *name) {
  H().Fault(Op::SetName);
  Element *x = El(e, "SetName");
  if (!x) return;
  bool counted = x->kind == ElementKind::Material && x->list;
  std::string renamed = name ? name->s : std::string();
  if (counted) MaterialNameLeft(x->doc, x, x->name);
  x->name = std::move(renamed);
  if (counted) MaterialNameTaken(x->doc, x);
}
int32_t ListGetAllBits(const th_element *e) {
  H().Fault(Op::GetAllBits);
  const Element *x = El(e, "GetAllBits");
  return x ? x->bits : 0;
}
void ListSetBit(th_element *e, int32_t mask) {
  H().Fault(Op::SetBit);
  if (Element *x = El(e, "SetBit")) x->bits |= mask;
}
void ListSetAllBits(th_element *e, int32_t bits) {
  H().Fault(Op::SetAllBits);
  if (Element *x = El(e, "SetAllBits")) x->bits = bits;
}
void ListDelBit(th_element *e, int32_t mask) {
  H().Fault(Op::DelBit);
  if (Element *x = El(e, "DelBit")) x->bits &= ~mask;
}
void ListGetData(const th_element *e, th_container *out) {
  H().Fault(Op::GetData);
  const Element *x = El(e, "GetData");
  if (out) out->c = x ? ContainerOf(*x) : Container();
}
void ListSetData(th_element *e, const th_container *data, th_bool add) {
  H().Fault(Op::SetData);
  Element *x = El(e, "SetData");
  if (!x || !data) return;
  SetContainer(*x, data->c, add != 0);
}
std::string DescKey(const th_descid *id) {
  std::string key;
  for (int i = 0; i < id->count && i < 3; ++i) key += (i ? "." : "") + std::to_string(id->id[i]);
  return key;
}
th_bool ListSetParameter(th_element *e, const th_descid *id, const th_gedata *value, int32_t flags) {
  (void)flags;
  // A host may refuse a parameter; the caller goes on without it.
  if (H().Fault(Op::SetParameter)) return 0;
  Element *x = El(e, "SetParameter");
  if (!x || !id || !value || id->count < 1 || id->count > 3) return 0;
  Value v;
  switch (value->type) {
    case TH_DA_LONG: v = Value::OfLong(value->l); break;
    case TH_DA_REAL: v = Value::OfReal(value->r); break;
    case TH_DA_VECTOR: v = Value::OfVector(value->v); break;
    default: return 0;
  }
  x->params[DescKey(id)] = v;
  return 1;
}
th_bool ListGetParameter(const th_element *e, const th_descid *id, th_gedata *value, int32_t flags) {
  H().Fault(Op::GetParameter);
  (void)flags;
  const Element *x = El(e, "GetParameter");
  if (!x || !id || !value || id->count < 1 || id->count > 3) return 0;
  auto it = x->params.find(DescKey(id));
  if (it == x->params.end()) return 0;
  *value = th_gedata{TH_DA_NIL, 0, 0, {0, 0, 0}};
  switch (it->second.type) {
    case Value::Long: value->type = TH_DA_LONG; value->l = it->second.l; break;
    case Value::Real: value->type = TH_DA_REAL; value->r = it->second.r; break;
    case Value::Vector: value->type = TH_DA_VECTOR; value->v = it->second.v; break;
    case Value::Text:
    case Value::Time: return 0;
  }
  return 1;
}
void ListFree(th_element **e) {
  H().Fault(Op::ElementFree);
  if (!e || !*e) return;
  Element *x = El(*e, "Free");
  *e = nullptr;
  if (!x) return;
  if (x->list || x->kind == ElementKind::Document) {
    H().Misuse("Free: the element is still in a document");
    return;
  }
  H().DestroyElement(x);
}
const th_list_table kList = {
    sizeof(th_list_table), TESSARO_EDGE(ListNext), TESSARO_EDGE(ListPred), TESSARO_EDGE(ListDown),
    TESSARO_EDGE(ListUp), TESSARO_EDGE(ListGetDocument), TESSARO_EDGE(ListRemove), TESSARO_EDGE(ListGetType),
    TESSARO_EDGE(ListMessage), TESSARO_EDGE(ListGetName), TESSARO_EDGE(ListSetName), TESSARO_EDGE(ListGetAllBits),
    TESSARO_EDGE(ListSetBit), TESSARO_EDGE(ListDelBit), TESSARO_EDGE(ListGetData), TESSARO_EDGE(ListSetData),
    TESSARO_EDGE(ListSetParameter), TESSARO_EDGE(ListGetParameter), TESSARO_EDGE(ListFree),
    TESSARO_EDGE(ListSetAllBits)};

// ---- objects ------------------------------------------------------------------
th_element *ObjAlloc(int32_t type, int32_t reserved) {
  (void)reserved;
  if (H().Fault(Op::ObjectAlloc)) return nullptr;
  auto *o = new Object(type);
  H().TrackElement(o);
  return Handle(o);
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
  return o ? Handle(FindTag(*o, type, nr)) : nullptr;
}
void *ObjGetTagData(th_element *e, int32_t type, int32_t nr) {
  H().Fault(Op::GetTagData);
  Object *o = Obj(e, "GetTagData");
  Tag *t = o ? FindTag(*o, type, nr) : nullptr;
  return t && !t->payload.empty() ? t->payload.data() : nullptr;
}
int32_t ObjGetTagDataCount(th_element *e, int32_t type) {
  H().Fault(Op::GetTagDataCount);
  Object *o = Obj(e, "GetTagDataCount");
  Tag *t = o ? FindTag(*o, type, 0) : nullptr;
  return t ? t->entries : 0;
}
void ObjInsertTag(th_element *e, th_element *tag, th_element *pred) {
  H().Fault(Op::InsertTag);
  Object *o = Obj(e, "InsertTag");
  Element *t = El(tag, "InsertTag");
  Element *after = pred ? El(pred, "InsertTag predecessor") : nullptr;
  if (!o || !t || (pred && !after)) return;
  if (t->kind != ElementKind::Tag || t->list) {
    H().Misuse("InsertTag: not a loose tag");
    return;
  }
  if (after && after->list != &o->tags) {
    H().Misuse("InsertTag: the predecessor is not a tag of the object");
    return;
  }
  ListInsert(o->tags, o, t, after);
  SetDocument(t, o->doc);
}
th_element *ObjSplineAlloc(int32_t pointcount, int32_t type) {
  if (H().Fault(Op::SplineAlloc) || pointcount < 0) return nullptr;
  auto *o = new Object(Ospline);
  o->spline = true;
  o->splineType = type;
  o->splinePointCount = pointcount;
  H().TrackElement(o);
  return Handle(o);
}

// Inserts a new tag of the type into the object after pred; answers it.
Tag *NewTag(Object *o, int32_t type, Element *pred) {
  auto *t = new Tag(type);
  H().TrackElement(t);
  ListInsert(o->tags, o, t, pred);
  SetDocument(t, o->doc);
  return t;
}

bool TagPredecessor(Object *o, th_element *pred, Element **out, const char *op) {
  *out = nullptr;
  if (!pred) return true;
  Element *p = El(pred, op);
  if (!p || p->list != &o->tags) {
    H().Misuse(std::string(op) + ": the predecessor is not a tag of the object");
    return false;
  }
  *out = p;
  return true;
}

th_element *ObjMakeVariableTag(th_element *e, int32_t type, int32_t count, th_element *pred) {
  if (H().Fault(Op::MakeVariableTag)) return nullptr;
  Object *o = Obj(e, "MakeVariableTag");
  size_t entry = VariableTagEntrySize(type);
  Element *after;
  if (!o || entry == 0 || count < 0 || !TagPredecessor(o, pred, &after, "MakeVariableTag")) return nullptr;
  // Like a 32-bit host, no tag's data exceeds what a signed 32-bit size can hold.
  if (entry * static_cast<uint64_t>(count) > INT32_MAX) return nullptr;
  // An object holds one tag of each variable type: a new one replaces it.
  for (Element *t = o->tags.first; t; t = t->next) {
    if (t->type == type && t != after) {
      ListUnlink(t);
      H().DestroyElement(t);
      break;
    }
  }
  decltype(Tag::payload) payload(entry * static_cast<size_t>(count));
  Tag *t = NewTag(o, type, after);
  t->payload.swap(payload);
  t->entries = count;
  return Handle(t);
}

th_element *ObjMakeTag(th_element *e, int32_t type, th_element *pred) {
  if (H().Fault(Op::MakeTag)) return nullptr;
  Object *o = Obj(e, "MakeTag");
  Element *after;
  if (!o || VariableTagEntrySize(type) != 0 || !TagPredecessor(o, pred, &after, "MakeTag")) return nullptr;
  return Handle(NewTag(o, type, after));
}

th_bool ObjSetPhong(th_element *e, th_bool on, th_bool anglelimit, float angle) {
  if (H().Fault(Op::SetPhong)) return 0;
  Object *o = Obj(e, "SetPhong");
  if (!o) return 0;
  for (Element *t = o->tags.first; t;) {
    Element *next = t->next;
    if (t->type == Tphong) {
      ListUnlink(t);
      H().DestroyElement(t);
    }
    t = next;
  }
  if (!on) return 1;
  Tag *t = NewTag(o, Tphong, nullptr);
  t->params["1001"] = Value::OfLong(anglelimit ? 1 : 0);
  t->params["1002"] = Value::OfReal(angle);
  return 1;
}

th_element *ObjCameraAlloc() {
  if (H().Fault(Op::CameraAlloc)) return nullptr;
  auto *o = new Object(Ocamera);
  o->camera = true;
  H().TrackElement(o);
  return Handle(o);
}
Object *Cam(const th_element *e, const char *op) {
  Object *o = Obj(const_cast<th_element *>(e), op);
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

// ---- tags, materials, animation -------------------------------------------------
th_element *TagAlloc(int32_t type) {
  if (H().Fault(Op::TagAlloc)) return nullptr;
  // Variable tags come only with their data, through MakeVariableTag.
  if (VariableTagEntrySize(type) != 0) return nullptr;
  auto *t = new Tag(type);
  H().TrackElement(t);
  return Handle(t);
}

Tag *TagOf(th_element *e, const char *op) {
  Element *x = El(e, op);
  if (x && x->kind != ElementKind::Tag) {
    H().Misuse(std::string(op) + ": not a tag");
    return nullptr;
  }
  return static_cast<Tag *>(x);
}
const Tag *TagOf(const th_element *e, const char *op) { return TagOf(const_cast<th_element *>(e), op); }

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
  t->material = mat;
  t->materialSerial = mat ? mat->serial : 0;
}
th_element *TagGetMaterial(const th_element *e) {
  H().Fault(Op::GetMaterial);
  const Tag *t = TagOf(e, "GetMaterial");
  const Element *m = t ? H().LinkedMaterial(*t) : nullptr;
  return Handle(const_cast<Element *>(m));
}
const Tag *UvwTag(const th_element *e, int32_t i, const char *op) {
  const Tag *t = TagOf(e, op);
  if (!t || t->type != Tuvw || i < 0 || i >= t->entries) return nullptr;
  return t;
}
th_bool TagUVWGet(const th_element *e, int32_t i, th_uvw *uvw) {
  H().Fault(Op::UVWGet);
  const Tag *t = UvwTag(e, i, "UVWTag Get");
  if (!t || !uvw) return 0;
  std::memcpy(uvw, t->payload.data() + sizeof(th_uvw) * static_cast<size_t>(i), sizeof(th_uvw));
  return 1;
}
th_bool TagUVWSet(th_element *e, int32_t i, const th_uvw *uvw) {
  H().Fault(Op::UVWSet);
  Tag *t = const_cast<Tag *>(UvwTag(e, i, "UVWTag Set"));
  if (!t || !uvw) return 0;
  std::memcpy(t->payload.data() + sizeof(th_uvw) * static_cast<size_t>(i), uvw, sizeof(th_uvw));
  return 1;
}
const th_tag_table kTag = {
    sizeof(th_tag_table), TESSARO_EDGE(TagAlloc), TESSARO_EDGE(TagDataAddress), TESSARO_EDGE(TagDataCount),
    TESSARO_EDGE(TagSetPos), TESSARO_EDGE(TagGetPos), TESSARO_EDGE(TagSetScale), TESSARO_EDGE(TagGetScale),
    TESSARO_EDGE(TagSetRot), TESSARO_EDGE(TagGetRot), TESSARO_EDGE(TagSetMl), TESSARO_EDGE(TagGetMl),
    TESSARO_EDGE(TagSetMaterial), TESSARO_EDGE(TagGetMaterial), TESSARO_EDGE(TagUVWGet), TESSARO_EDGE(TagUVWSet)};

th_element *MatAlloc(int32_t type) {
  if (H().Fault(Op::MaterialAlloc)) return nullptr;
  auto *m = new Material(type);
  H().TrackElement(m);
  return Handle(m);
}
Material *MatOf(const th_element *e, const char *op) {
  const Element *x = El(e, op);
  if (x && x->kind != ElementKind::Material) {
    H().Misuse(std::string(op) + ": not a material");
    return nullptr;
  }
  return static_cast<Material *>(const_cast<Element *>(x));
}
Channel *ChannelOf(const th_element *e, int32_t id, const char *op) {
  Material *m = MatOf(e, op);
  if (!m || id < 0 || static_cast<size_t>(id) >= m->channels.size()) return nullptr;
  return &m->channels[static_cast<size_t>(id)];
}
th_channel *MatGetChannel(th_element *e, int32_t id) {
  if (H().Fault(Op::GetChannel)) return nullptr;
  return reinterpret_cast<th_channel *>(ChannelOf(e, id, "GetChannel"));
}
th_bool MatGetChannelState(const th_element *e, int32_t id) {
  H().Fault(Op::GetChannelState);
  Channel *c = ChannelOf(e, id, "GetChannelState");
  return c ? c->state : 0;
}
void MatSetChannelState(th_element *e, int32_t id, int32_t state) {
  H().Fault(Op::SetChannelState);
  if (Channel *c = ChannelOf(e, id, "SetChannelState")) c->state = state;
}
void ChannelGetData(const th_channel *ch, th_container *out) {
  H().Fault(Op::ChannelGetData);
  if (out) out->c = ch ? reinterpret_cast<const Channel *>(ch)->data : Container();
}
void ChannelSetData(th_channel *ch, const th_container *data) {
  H().Fault(Op::ChannelSetData);
  if (ch && data) reinterpret_cast<Channel *>(ch)->data = data->c;
}
void MatUpdate(th_element *e, th_bool preview, th_bool rttm) {
  (void)preview, (void)rttm;
  H().Fault(Op::MaterialUpdate);
  if (Material *m = MatOf(e, "Update")) ++m->updates;
}
const th_material_table kMaterial = {
    sizeof(th_material_table), TESSARO_EDGE(MatAlloc), TESSARO_EDGE(MatGetChannel), TESSARO_EDGE(MatGetChannelState),
    TESSARO_EDGE(MatSetChannelState), TESSARO_EDGE(ChannelGetData), TESSARO_EDGE(ChannelSetData),
    TESSARO_EDGE(MatUpdate)};
bool SameId(const th_descid &a, const th_descid &b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count && i < 3; ++i)
    if (a.id[i] != b.id[i]) return false;
  return true;
}
th_element *AnimFindTrack(th_element *e, const th_descid *id) {
  H().Fault(Op::FindTrack);
  Object *o = Obj(e, "FindTrack");
  if (!o || !id) return nullptr;
  for (Element *t = o->tracks.first; t; t = t->next)
    if (SameId(static_cast<Track *>(t)->id, *id)) return Handle(t);
  return nullptr;
}
th_element *AnimTrackAlloc(th_element *e, const th_descid *id) {
  if (H().Fault(Op::TrackAlloc)) return nullptr;
  if (!Obj(e, "TrackAlloc") || !id || id->count < 1 || id->count > 2) return nullptr;
  auto *t = new Track(*id);
  H().TrackElement(t);
  return Handle(t);
}
th_bool AnimInsertTrack(th_element *e, th_element *track, th_element *pred) {
  if (H().Fault(Op::InsertTrack)) return 0;
  Object *o = Obj(e, "InsertTrack");
  Element *t = El(track, "InsertTrack");
  Element *after = pred ? El(pred, "InsertTrack predecessor") : nullptr;
  if (!o || !t || (pred && !after)) return 0;
  if (t->kind != ElementKind::Track || t->list || (after && after->list != &o->tracks)) {
    H().Misuse("InsertTrack: not a loose track, or a foreign predecessor");
    return 0;
  }
  ListInsert(o->tracks, o, t, after ? after : o->tracks.last);
  SetDocument(t, o->doc);
  return 1;
}
Element *Of(const th_element *e, ElementKind kind, const char *op) {
  Element *x = El(const_cast<th_element *>(e), op);
  if (x && x->kind != kind) {
    H().Misuse(std::string(op) + ": not a " + KindName(kind));
    return nullptr;
  }
  return x;
}
th_element *AnimFirstSequence(th_element *e) {
  H().Fault(Op::GetFirstSequence);
  auto *t = static_cast<Track *>(Of(e, ElementKind::Track, "GetFirstSequence"));
  return t ? Handle(t->sequences.first) : nullptr;
}
void AnimGetStart(const th_element *e, th_time *out) {
  H().Fault(Op::GetStart);
  auto *q = static_cast<Sequence *>(Of(e, ElementKind::Sequence, "GetStart"));
  if (out) *out = q ? q->start : th_time{0, 1};
}
void AnimGetEnd(const th_element *e, th_time *out) {
  H().Fault(Op::GetEnd);
  auto *q = static_cast<Sequence *>(Of(e, ElementKind::Sequence, "GetEnd"));
  if (out) *out = q ? q->end : th_time{0, 1};
}
th_element *AnimAutoAddSequence(th_element *e, th_element *d, const th_time *time) {
  if (H().Fault(Op::AutoAddSequence)) return nullptr;
  auto *t = static_cast<Track *>(Of(e, ElementKind::Track, "AutoAddSequence"));
  Document *doc = Doc(d, "AutoAddSequence");
  if (!t || !doc || !time || time->denominator == 0) return nullptr;
  // A new sequence spans the document's time, widened to take the time.
  auto *q = new Sequence(5002);
  q->start = th_time{0, time->denominator};
  q->end = th_time{doc->maxTimeNum, doc->maxTimeDen};
  if (TimeLess(*time, q->start)) q->start = *time;
  if (TimeLess(q->end, *time)) q->end = *time;
  H().TrackElement(q);
  ListInsert(t->sequences, t, q, t->sequences.last);
  SetDocument(q, t->doc);
  return Handle(q);
}
int32_t AnimSequenceType(const th_element *e) {
  H().Fault(Op::GetSequenceType);
  const Element *q = Of(e, ElementKind::Sequence, "GetSequenceType");
  return q ? q->type : 0;
}
th_element *AnimKeyAlloc(int32_t type) {
  if (H().Fault(Op::KeyAlloc)) return nullptr;
  auto *k = new AnimationKey(type);
  H().TrackElement(k);
  return Handle(k);
}
float *AnimKeyData(th_element *e, int32_t *count) {
  H().Fault(Op::GetKeyData);
  auto *k = static_cast<AnimationKey *>(Of(e, ElementKind::Key, "GetKeyData"));
  if (count) *count = k ? 3 : 0;
  return k ? k->data : nullptr;
}
void AnimSetKeyTime(th_element *e, const th_time *t) {
  H().Fault(Op::SetKeyTime);
  auto *k = static_cast<AnimationKey *>(Of(e, ElementKind::Key, "SetKeyTime"));
  if (k && t) k->time = *t;
}
void AnimGetKeyTime(const th_element *e, th_time *t) {
  auto *k = static_cast<AnimationKey *>(Of(e, ElementKind::Key, "GetKeyTime"));
  if (t) *t = k ? k->time : th_time{0, 1};
}
th_bool AnimInsertKey(th_element *e, th_element *key) {
  if (H().Fault(Op::InsertKey)) return 0;
  auto *q = static_cast<Sequence *>(Of(e, ElementKind::Sequence, "InsertKey"));
  auto *k = static_cast<AnimationKey *>(Of(key, ElementKind::Key, "InsertKey"));
  if (!q || !k) return 0;
  if (k->list) {
    H().Misuse("InsertKey: the key is already inserted");
    return 0;
  }
  InsertKeyInTimeOrder(*q, k);
  SetDocument(k, q->doc);
  return 1;
}
const th_animation_table kAnimation = {
    sizeof(th_animation_table), TESSARO_EDGE(AnimFindTrack), TESSARO_EDGE(AnimTrackAlloc),
    TESSARO_EDGE(AnimInsertTrack), TESSARO_EDGE(AnimFirstSequence), TESSARO_EDGE(AnimGetStart),
    TESSARO_EDGE(AnimGetEnd), TESSARO_EDGE(AnimAutoAddSequence), TESSARO_EDGE(AnimSequenceType),
    TESSARO_EDGE(AnimKeyAlloc), TESSARO_EDGE(AnimKeyData), TESSARO_EDGE(AnimSetKeyTime),
    TESSARO_EDGE(AnimGetKeyTime), TESSARO_EDGE(AnimInsertKey)};

// ---- platform windows -------------------------------------------------------------
uint32_t PlatThread() {
  H().Fault(Op::GetCurrentThreadId);
  return H().MainThread();
}
int32_t PlatEnumThreadWindows(uint32_t thread, th_enum_windows_proc proc, intptr_t param) {
  H().Fault(Op::EnumThreadWindows);
  if (!proc || thread != H().MainThread()) return 0;
  // A copy: the callback may not change the list under the walk.
  std::vector<std::string *> windows;
  for (auto &w : H().windows) windows.push_back(&w);
  for (std::string *w : windows)
    if (!proc(reinterpret_cast<th_window>(w), param)) break;
  return 1;
}
int32_t PlatGetWindowText(th_window window, char *text, int32_t size) {
  H().Fault(Op::GetWindowTextA);
  const std::string *w = H().Window(window);
  if (!w || !text || size <= 0) return 0;
  size_t n = w->size() < static_cast<size_t>(size - 1) ? w->size() : static_cast<size_t>(size - 1);
  std::memcpy(text, w->data(), n);
  text[n] = 0;
  return static_cast<int32_t>(n);
}
int32_t PlatSetForeground(th_window window) {
  H().Fault(Op::SetForegroundWindow);
  const std::string *w = H().Window(window);
  if (!w) return 0;
  H().foreground = *w;
  ++H().foregroundCalls;
  return 1;
}
const th_platform_table kPlatform = {
    sizeof(th_platform_table), TESSARO_EDGE(PlatThread), TESSARO_EDGE(PlatEnumThreadWindows),
    TESSARO_EDGE(PlatGetWindowText), TESSARO_EDGE(PlatSetForeground)};

// ---- containers -------------------------------------------------------------------
th_container *BcAlloc() {
  if (H().Fault(Op::ContainerAlloc)) return nullptr;
  return H().Track(new th_container);
}
void BcFree(th_container **bc) {
  H().Fault(Op::ContainerFree);
  if (!bc || !*bc) return;
  if (H().Untrack(*bc)) delete *bc; else H().Misuse("ContainerFree: not a live container");
  *bc = nullptr;
}
void BcCopyTo(const th_container *src, th_container *dst) {
  H().Fault(Op::ContainerCopy);
  if (dst) dst->c = src ? src->c : Container();
}
void BcSetLong(th_container *bc, int32_t id, int32_t v) {
  H().Fault(Op::ContainerSet);
  if (bc) bc->c[id] = Value::OfLong(v);
}
void BcSetReal(th_container *bc, int32_t id, float v) {
  H().Fault(Op::ContainerSet);
  if (bc) bc->c[id] = Value::OfReal(v);
}
void BcSetVector(th_container *bc, int32_t id, const th_vector *v) {
  H().Fault(Op::ContainerSet);
  if (bc && v) bc->c[id] = Value::OfVector(*v);
}
void BcSetString(th_container *bc, int32_t id, const th_string *v) {
  H().Fault(Op::ContainerSet);
  if (bc) bc->c[id] = Value::OfText(v ? v->s : std::string());
}
const Value *BcFind(const th_container *bc, int32_t id, Value::Type type) {
  if (!bc) return nullptr;
  auto it = bc->c.find(id);
  return it != bc->c.end() && it->second.type == type ? &it->second : nullptr;
}
int32_t BcGetLong(const th_container *bc, int32_t id, int32_t preset) {
  H().Fault(Op::ContainerGet);
  const Value *v = BcFind(bc, id, Value::Long);
  return v ? v->l : preset;
}
float BcGetReal(const th_container *bc, int32_t id, float preset) {
  H().Fault(Op::ContainerGet);
  const Value *v = BcFind(bc, id, Value::Real);
  return v ? v->r : preset;
}
th_bool BcGetVector(const th_container *bc, int32_t id, th_vector *out) {
  H().Fault(Op::ContainerGet);
  const Value *v = BcFind(bc, id, Value::Vector);
  if (!v || !out) return 0;
  *out = v->v;
  return 1;
}
th_bool BcGetString(const th_container *bc, int32_t id, th_string *out) {
  H().Fault(Op::ContainerGet);
  const Value *v = BcFind(bc, id, Value::Text);
  if (out) out->s = v ? v->s : std::string();
  return v ? 1 : 0;
}
void BcSetTime(th_container *bc, int32_t id, const th_time *t) {
  H().Fault(Op::ContainerSet);
  if (bc && t) bc->c[id] = Value::OfTime(*t);
}
th_bool BcGetTime(const th_container *bc, int32_t id, th_time *out) {
  H().Fault(Op::ContainerGet);
  const Value *v = BcFind(bc, id, Value::Time);
  if (!v || !out) return 0;
  *out = v->t;
  return 1;
}
const th_data_table kData = {
    sizeof(th_data_table), TESSARO_EDGE(BcAlloc), TESSARO_EDGE(BcFree), TESSARO_EDGE(BcCopyTo),
    TESSARO_EDGE(BcSetLong), TESSARO_EDGE(BcSetReal), TESSARO_EDGE(BcSetVector), TESSARO_EDGE(BcSetString),
    TESSARO_EDGE(BcGetLong), TESSARO_EDGE(BcGetReal), TESSARO_EDGE(BcGetVector), TESSARO_EDGE(BcGetString),
    TESSARO_EDGE(BcSetTime), TESSARO_EDGE(BcGetTime)};

const th_host_interface kInterface = {TH_INTERFACE_VERSION, sizeof(th_host_interface), &kMemory, &kString,
                                      &kPlugin, &kDocument, &kList, &kObject, &kTag, &kMaterial, FileTable(),
                                      DialogTable(), &kData, &kAnimation, &kPlatform};

}  // namespace

const th_host_interface *HostInterface() { return &kInterface; }

}  // namespace tessaro
