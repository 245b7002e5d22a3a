// The document table: the active document, insertion of objects,
// materials and render settings, undo steps, settings and views.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

const char *ObjectRefusal(Refusal r) {
  switch (r) {
    case Refusal::NotLoose: return "the object is already inserted";
    case Refusal::ParentElsewhere: return "the parent is not in the document";
    case Refusal::BelowItself: return "an object cannot go below itself";
    case Refusal::PredecessorElsewhere: return "the predecessor is not in the document";
    case Refusal::None: break;
  }
  return "";
}

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
  const Refusal r = doc->InsertObject(*op, up, after);
  return Placed(r, "InsertObject", ObjectRefusal(r));
}
th_bool DocInsertMaterial(th_element *d, th_element *m, th_element *pred, th_bool checknames) {
  if (H().Fault(Op::InsertMaterial)) return 0;
  Document *doc = Doc(d, "InsertMaterial");
  Element *mat = El(m, "InsertMaterial");
  Element *after = pred ? El(pred, "InsertMaterial predecessor") : nullptr;
  if (!doc || !mat || (pred && !after)) return 0;
  const Refusal r = doc->InsertMaterial(*mat, after, checknames != 0);
  return Placed(r, "InsertMaterial",
                r == Refusal::NotLoose ? "not a loose material" : "the predecessor is not a material of the document");
}
th_element *DocSearchMaterial(th_element *d, const th_string *name) {
  H().Fault(Op::SearchMaterial);
  Document *doc = Doc(d, "SearchMaterial");
  if (!doc || !name) return nullptr;
  return Handle(doc->FirstMaterialNamed(name->s));
}
th_bool DocStartUndo(th_element *d) {
  H().Fault(Op::StartUndo);
  Document *doc = Doc(d, "StartUndo");
  if (!doc) return 0;
  doc->StartUndo();
  return 1;
}
th_bool DocEndUndo(th_element *d) {
  H().Fault(Op::EndUndo);
  Document *doc = Doc(d, "EndUndo");
  if (!doc) return 0;
  if (doc->EndUndo()) return 1;
  H().Misuse("EndUndo without StartUndo");
  return 0;
}
th_bool DocAddUndo(th_element *d, int32_t type, th_element *e) {
  H().Fault(Op::AddUndo);
  Document *doc = Doc(d, "AddUndo");
  Element *el = El(e, "AddUndo");
  if (!doc || !el) return 0;
  if (doc->AddUndo(type, *el)) return 1;
  H().Misuse("AddUndo outside an undo step");
  return 0;
}
void DocGetData(th_element *d, int32_t type, th_container *out) {
  H().Fault(Op::GetDocumentData);
  Document *doc = Doc(d, "GetDocumentData");
  if (!out) return;
  out->c.clear();
  if (!doc || type != 0) return;
  out->c = doc->Settings();
}
void DocSetData(th_element *d, int32_t type, const th_container *data) {
  H().Fault(Op::SetDocumentData);
  Document *doc = Doc(d, "SetDocumentData");
  if (!doc || !data || type != 0) return;
  doc->ApplySettings(data->c);
}
th_element *DocRenderDataAlloc() {
  if (H().Fault(Op::RenderDataAlloc)) return nullptr;
  return Handle(H().Elements().Make<RenderData>());
}
th_bool DocInsertRenderData(th_element *d, th_element *r, th_element *pred) {
  if (H().Fault(Op::InsertRenderData)) return 0;
  Document *doc = Doc(d, "InsertRenderData");
  Element *rd = El(r, "InsertRenderData");
  Element *after = pred ? El(pred, "InsertRenderData predecessor") : nullptr;
  if (!doc || !rd || (pred && !after)) return 0;
  return Placed(doc->InsertRenderData(*rd, after), "InsertRenderData",
                "not a loose render-settings element, or a foreign predecessor");
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
  reinterpret_cast<View *>(v)->LookThrough(cam);
}
th_element *DocGetSceneCamera(const th_view *v) {
  H().Fault(Op::GetSceneCamera);
  const auto *view = reinterpret_cast<const View *>(v);
  return Handle(view ? H().LinkedObject(view->camera, view->cameraSerial) : nullptr);
}

const th_document_table kDocument = {
    sizeof(th_document_table), TESSARO_EDGE(DocGetActive), TESSARO_EDGE(DocSetActive), TESSARO_EDGE(DocKill),
    TESSARO_EDGE(DocFirstObject), TESSARO_EDGE(DocFirstMaterial), TESSARO_EDGE(DocInsertObject),
    TESSARO_EDGE(DocInsertMaterial), TESSARO_EDGE(DocSearchMaterial), TESSARO_EDGE(DocStartUndo),
    TESSARO_EDGE(DocEndUndo), TESSARO_EDGE(DocAddUndo), TESSARO_EDGE(DocGetData), TESSARO_EDGE(DocSetData),
    TESSARO_EDGE(DocRenderDataAlloc), TESSARO_EDGE(DocInsertRenderData), TESSARO_EDGE(DocGetView),
    TESSARO_EDGE(DocSetSceneCamera), TESSARO_EDGE(DocGetSceneCamera)};

}  // namespace
}  // namespace tessaro::abi

const th_document_table *tessaro::DocumentTable() { return &abi::kDocument; }
