// The list table: what every element answers (its neighbours, owner and
// document, type, name, bits, container and parameters), its removal from
// its list and its freeing.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

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
  if (!x) return;
  if (x->kind == ElementKind::Object && x->doc) H().NoteRemoved(*x);
  x->Remove();
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
  if (Element *x = El(e, "SetName")) x->Rename(name ? name->s : std::string());
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
  if (out) out->c = x ? x->Data() : Container();
}
void ListSetData(th_element *e, const th_container *data, th_bool add) {
  H().Fault(Op::SetData);
  Element *x = El(e, "SetData");
  if (!x || !data) return;
  x->SetData(data->c, add != 0);
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
  x->SetParameter(*id, v);
  return 1;
}
th_bool ListGetParameter(const th_element *e, const th_descid *id, th_gedata *value, int32_t flags) {
  H().Fault(Op::GetParameter);
  (void)flags;
  const Element *x = El(e, "GetParameter");
  if (!x || !id || !value || id->count < 1 || id->count > 3) return 0;
  const Value *v = x->Parameter(*id);
  if (!v) return 0;
  *value = th_gedata{TH_DA_NIL, 0, 0, {0, 0, 0}};
  switch (v->type) {
    case Value::Long: value->type = TH_DA_LONG; value->l = v->l; break;
    case Value::Real: value->type = TH_DA_REAL; value->r = v->r; break;
    case Value::Vector: value->type = TH_DA_VECTOR; value->v = v->v; break;
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
  H().Elements().Destroy(x);
}

const th_list_table kList = {
    sizeof(th_list_table), TESSARO_EDGE(ListNext), TESSARO_EDGE(ListPred), TESSARO_EDGE(ListDown),
    TESSARO_EDGE(ListUp), TESSARO_EDGE(ListGetDocument), TESSARO_EDGE(ListRemove), TESSARO_EDGE(ListGetType),
    TESSARO_EDGE(ListMessage), TESSARO_EDGE(ListGetName), TESSARO_EDGE(ListSetName), TESSARO_EDGE(ListGetAllBits),
    TESSARO_EDGE(ListSetBit), TESSARO_EDGE(ListDelBit), TESSARO_EDGE(ListGetData), TESSARO_EDGE(ListSetData),
    TESSARO_EDGE(ListSetParameter), TESSARO_EDGE(ListGetParameter), TESSARO_EDGE(ListFree),
    TESSARO_EDGE(ListSetAllBits)};

}  // namespace
}  // namespace tessaro::abi

const th_list_table *tessaro::ListTable() { return &abi::kList; }
