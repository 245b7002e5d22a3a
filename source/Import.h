// Registration of both plug-ins, and the scene loader with its load driver.
#ifndef TESSARO_IMPORT_H
#define TESSARO_IMPORT_H

#include "c4d.h"

class TessaroSceneLoader : public SceneLoaderData {
 public:
  ~TessaroSceneLoader() override = default;
  Bool Identify(const Filename &name, const UCHAR *probe, LONG size) override;
  LONG Load(const Filename &name, BaseDocument *doc, LONG filterflags, String *error, void *thread) override;

  static SceneLoaderData *Alloc();
};

Bool RegisterTessaroSceneLoader();
Bool RegisterImportMessagePlugin();

#endif
