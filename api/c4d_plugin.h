// Plug-in registration, resources, stored data and the plug-in base classes
// that the host calls back.
#ifndef TESSARO_C4D_PLUGIN_H
#define TESSARO_C4D_PLUGIN_H

#include "c4d_file.h"
#include "c4d_gui.h"
#include "c4d_scene.h"
#include "c4d_types.h"

enum { PLUGINTYPE_SCENELOADER = TH_PLUGINTYPE_SCENELOADER, PLUGINTYPE_COREMESSAGE = TH_PLUGINTYPE_COREMESSAGE };
enum { C4DPL_INIT_SYS = 1, C4DPL_START = 2, C4DPL_END = 3, C4DPL_QUERY = 4, C4DPL_MESSAGE = 6 };
enum { GEMB_OK = 0 };

class GeResource {
 public:
  Bool Init(const char *path) noexcept {
    res_ = t_host->plugin->LoadResource(path);
    return res_ != nullptr;
  }
  void Free() noexcept { t_host->plugin->FreeResource(&res_); }
  String LoadString(LONG id) const noexcept {
    String s;
    t_host->plugin->LoadString(res_, id, s.Get());
    return s;
  }
  const th_resource *Get() const noexcept { return res_; }

 private:
  th_resource *res_ = nullptr;
};

inline Bool GeModalDialog::LoadDialogResource(LONG id, const GeResource *res, LONG flags) noexcept {
  return t_host->dialog->LoadDialogResource(dlg_, id, res->Get(), flags);
}

inline Bool RegisterDescription(LONG id, const char *name, const GeResource *res) noexcept {
  return t_host->plugin->RegisterDescription(id, name, res->Get());
}
inline Bool ReadPluginInfo(LONG id, void *buffer, LONG size) noexcept {
  return t_host->plugin->ReadPluginInfo(id, buffer, size);
}
inline Bool WritePluginInfo(LONG id, const void *buffer, LONG size) noexcept {
  return t_host->plugin->WritePluginInfo(id, buffer, size);
}
inline void GeOutString(const String &text, LONG style) noexcept { t_host->plugin->MessageDialog(style, text.Get()); }

// Scene loader base. The host allocates loaders through the registered
// allocator and destroys them through the virtual destructor.
class SceneLoaderData : public HostAllocated {
 public:
  virtual ~SceneLoaderData() = default;
  virtual Bool Init() { return TRUE; }
  virtual Bool Identify(const Filename &name, const UCHAR *probe, LONG size) {
    (void)name, (void)probe, (void)size;
    return FALSE;
  }
  virtual LONG Load(const Filename &name, BaseDocument *doc, LONG filterflags, String *error, void *thread) {
    (void)name, (void)doc, (void)filterflags, (void)error, (void)thread;
    return -1;
  }
};

typedef SceneLoaderData *(*SceneLoaderAllocator)();

namespace c4d_detail {
template <SceneLoaderAllocator Allocate>
struct SceneLoaderThunks {
  static void *Alloc() { return Allocate(); }
  static void Free(void *node) { delete static_cast<SceneLoaderData *>(node); }
  static th_bool Identify(void *node, const char *name, const uint8_t *probe, int32_t size) {
    return static_cast<SceneLoaderData *>(node)->Identify(Filename(name), probe, size);
  }
  static int32_t Load(void *node, const char *name, th_element *doc, int32_t flags, th_string *error, void *thread) {
    // No loader of this binding reports an error text.
    (void)error;
    return static_cast<SceneLoaderData *>(node)->Load(Filename(name), BaseList2D::From<BaseDocument>(doc), flags,
                                                      nullptr, thread);
  }
  static constexpr th_scene_loader_class kClass = {sizeof(th_scene_loader_class), Alloc, Free, Identify, Load};
};
}  // namespace c4d_detail

// Registers a scene loader whose objects the host creates with Allocate.
template <SceneLoaderAllocator Allocate>
Bool RegisterSceneLoaderPlugin(LONG type, LONG id, const String &name, LONG info, const char *description,
                               LONG reserved) noexcept {
  return t_host->plugin->RegisterSceneLoader(type, id, name.Get(), info,
                                             &c4d_detail::SceneLoaderThunks<Allocate>::kClass, description,
                                             reserved);
}

// Message plug-in base: the host calls CoreMessage for every core message.
class MessageData : public HostAllocated {
 public:
  virtual ~MessageData() = default;
  virtual Bool Reserved() { return FALSE; }
  virtual Bool CoreMessage(LONG id, const BaseContainer &bc) = 0;

  static const th_message_plugin_class kClass;
};

inline Bool RegisterMessagePlugin(LONG type, LONG id, const String &name, LONG info, MessageData *node) noexcept {
  return t_host->plugin->RegisterMessagePlugin(type, id, name.Get(), info, &MessageData::kClass, node);
}

#endif
