// The library's one entry point and its actions.
#include <string.h>

#include "Globals.h"
#include "Import.h"

#if defined(_WIN32)
#define TESSARO_EXPORT extern "C" __declspec(dllexport)
#else
#define TESSARO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// The resource folder beside the library, kept while the resource is loaded.
char ResourcePath[PLUGIN_PATH_SIZE + 8] = {0};
// Whether start got as far as reading the stored scale. Only then does the
// end store it: a start whose registration was refused never read it, and
// writing the default back would lose the user's value.
Bool ScaleRestored = FALSE;

void ReleasePluginResource() {
  PluginResource.Free();
  PluginResourceLoaded = FALSE;
  PluginResourceAsked = FALSE;
  ResourcePath[0] = 0;
}

Bool InitPluginResource() {
  if (PluginResourceAsked) return PluginResourceLoaded;
  PluginResourceAsked = TRUE;
  size_t n = strlen(PluginPath);
  memcpy(ResourcePath, PluginPath, n);
  memcpy(ResourcePath + n, "/res", 5);
  PluginResourceLoaded = PluginResource.Init(ResourcePath);
  return PluginResourceLoaded;
}

Bool PluginMessage(LONG id) {
  switch (id) {
    case 0:
      return TRUE;
    case 1:
      return InitPluginResource();
    default:
      return FALSE;
  }
}

LONG PluginStart() {
  String failure = ResourceString(IDS_REGISTER_FAILED);
  // The message plug-in is only registered after the loader succeeded.
  if (!RegisterTessaroSceneLoader() || !RegisterImportMessagePlugin()) {
    GeOutString(failure, GEMB_OK);
    return 0;
  }
  // Nothing stored yet (a first run) leaves ImportScale as it is.
  ReadPluginInfo(ID_TESSARO_SCENELOADER, &ImportScale, sizeof(ImportScale));
  ScaleRestored = TRUE;
  return 1;
}

void PluginEnd() {
  if (ScaleRestored) WritePluginInfo(ID_TESSARO_SCENELOADER, &ImportScale, sizeof(ImportScale));
  ScaleRestored = FALSE;
  ReleasePluginResource();
}

LONG Initialise(void *host, void *path) {
  ++InitCount;
  if (InitCount != 1) return 1;
  t_host = static_cast<const th_host_interface *>(host);
  if (t_host == nullptr || t_host->version < MIN_HOST_VERSION || path == nullptr) return -3;
  if (!th_interface_compatible(t_host)) return -3;
  // A path that does not fit would name the wrong folder: refuse it rather
  // than cut it.
  const char *text = static_cast<const char *>(path);
  size_t n = strlen(text);
  if (n >= PLUGIN_PATH_SIZE) return -3;
  memcpy(PluginPath, text, n + 1);
  return 1;
}

}  // namespace

TESSARO_EXPORT LONG c4d_main(LONG action, void *p1, void *p2, void *p3) {
  (void)p2;
  switch (action) {
    case C4DPL_INIT_SYS:
      return Initialise(p1, p3);
    case C4DPL_START:
      return PluginStart();
    case C4DPL_END:
      --InitCount;
      if (InitCount == 0) {
        PluginEnd();
        ReleasePluginResource();
      }
      return 1;
    case C4DPL_QUERY:
      return 2;
    case C4DPL_MESSAGE:
      return PluginMessage(static_cast<LONG>(reinterpret_cast<intptr_t>(p1))) ? 1 : -1;
    default:
      return -1;
  }
}
