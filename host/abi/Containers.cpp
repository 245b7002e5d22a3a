// The data table: containers of values by ID.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

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
void BcSetTime(th_container *bc, int32_t id, const th_time *t) {
  H().Fault(Op::ContainerSet);
  if (bc && t) bc->c[id] = Value::OfTime(*t);
}
// The value with the ID, if it has the type.
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

}  // namespace
}  // namespace tessaro::abi

const th_data_table *tessaro::DataTable() { return &abi::kData; }
