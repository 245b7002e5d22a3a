// The plug-in table: resources, registrations, stored plug-in data and the
// message dialog.
#include <cstring>

#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

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

}  // namespace
}  // namespace tessaro::abi

const th_plugin_table *tessaro::PluginTable() { return &abi::kPlugin; }
