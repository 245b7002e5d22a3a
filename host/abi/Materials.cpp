// The material table: materials, their channels and updates.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

th_element *MatAlloc(int32_t type) {
  if (H().Fault(Op::MaterialAlloc)) return nullptr;
  return Handle(H().Elements().Make<Material>(type));
}
Channel *ChannelOf(const th_element *e, int32_t id, const char *op) {
  Material *m = MatOf(e, op);
  return m ? m->ChannelAt(id) : nullptr;
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
  if (Material *m = MatOf(e, "Update")) m->Update();
}

const th_material_table kMaterial = {
    sizeof(th_material_table), TESSARO_EDGE(MatAlloc), TESSARO_EDGE(MatGetChannel), TESSARO_EDGE(MatGetChannelState),
    TESSARO_EDGE(MatSetChannelState), TESSARO_EDGE(ChannelGetData), TESSARO_EDGE(ChannelSetData),
    TESSARO_EDGE(MatUpdate)};

}  // namespace
}  // namespace tessaro::abi

const th_material_table *tessaro::MaterialTable() { return &abi::kMaterial; }
