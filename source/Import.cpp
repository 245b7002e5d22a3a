#include "Import.h"

#include "Globals.h"
#include "ImportOptionsDialog.h"
#include "MessagePlugin.h"
#include "UpdateMode.h"
#include "records/DocumentRecords.h"
#include "records/MaterialRecord.h"
#include "records/Animation.h"
#include "records/ObjectRecord.h"
#include "records/RecordWalk.h"

namespace {

const char kDescription[] = "TessaroImport";
const LONG kFileType = 0x43344443;     // 'C4DC'
const LONG kFileCreator = 0x43344431;  // 'C4D1'
const LONG kOpenErrorDialog = 2;

void ResetLevelTable(BaseObject *root) {
  for (LONG i = 0; i < LEVEL_TABLE_SIZE; ++i) LevelTable[i] = nullptr;
  LevelTable[1] = root;
}

// What the readers of the top-level records share for one load.
struct LoadLevel {
  BaseDocument *target;
  LONG flags;
  TagCarryList *carry;
  // Every material record counts, also one that yields no material.
  LONG materialIndex;
  MaterialReader materials;
};

// The settings records are read as far as their fields go: a top-level
// record right after them means the record's length was too long.
Bool ReadDocumentSettings(RecordReader &record, LoadLevel &load) {
  // Only an import of cameras takes the frame rate.
  if (!(load.flags & IMPORT_CAMERAS)) return TRUE;
  const Bool ok = DocumentSettingsRecord(record).ReadDocumentSettingsRecord(load.target);
  if (ok) EndsBefore(&record, RecordFile()->GetPosition());
  return ok;
}

Bool ReadRenderSettings(RecordReader &record, LoadLevel &load) {
  const Bool ok = RenderSettingsRecord(record).ReadRenderSettingsRecord(load.target);
  if (ok) EndsBefore(&record, RecordFile()->GetPosition());
  return ok;
}

// An object sees the materials of the records before it, not those after.
Bool ReadObject(RecordReader &record, LoadLevel &load) {
  return ReadObjectRecord(&record, load.target, ImportMaterials.entries, ImportMaterials.count, load.carry);
}

Bool ReadMaterialRecord(RecordReader &record, LoadLevel &load) {
  BaseMaterial *mat = load.materials.ReadMaterial(&record, load.target, load.materialIndex);
  ++load.materialIndex;
  // A material that failed keeps its place as an empty entry, so the
  // texture tags' references to the materials after it stay aligned.
  AppendMaterial(mat);
  return mat != nullptr;
}

const RecordRow<LoadLevel> kTopLevelRows[] = {TOP_LEVEL_RECORDS(RECORD_ROW)};

}  // namespace

SceneLoaderData *TessaroSceneLoader::Alloc() { return new TessaroSceneLoader; }

Bool TessaroSceneLoader::Identify(const Filename &name, const UCHAR *probe, LONG size) {
  (void)name;
  return size >= 4 && probe[0] == 'F' && probe[1] == 'T' && probe[2] == '5' && probe[3] == '0';
}

LONG TessaroSceneLoader::Load(const Filename &name, BaseDocument *doc, LONG filterflags, String *error,
                              void *thread) {
  (void)filterflags, (void)error, (void)thread;
  // Per-load objects: they live for the whole call and are released on
  // every path out of it.
  ImportOptionsDialog dialog;
  TagCarryList carry;
  BaseObject *updateTarget = nullptr;
  LONG result = TH_LOAD_OK;

  if (ImportBusy) return TH_LOAD_OPEN;
  ImportBusy = 1;
  // The view camera of an earlier import may since have been deleted.
  ViewObject = nullptr;

  ActivateHostWindow();
  BaseDocument *active = GetActiveDocument();
  LONG flags = dialog.Run(active);
  ImportFlags = flags;
  LoaderDocument = doc;
  UserDocument = active;
  // A hand-over that no core message consumed speaks of the documents just
  // replaced: left armed, it would close this load's document.
  PostImportActions = 0;
  ImportOutOfMemory = FALSE;
  DocumentSettingsRecorded = FALSE;

  BaseDocument *target = nullptr;
  Bool undo = FALSE;
  if (flags & IMPORT_NEW) {
    target = doc;
  } else if (flags & (IMPORT_MERGE | IMPORT_UPDATE)) {
    target = active;
    target->StartUndo();
    undo = TRUE;
  } else {
    ImportBusy = 0;
    ReleaseCarryList(&carry);
    ReleaseSequenceMemos();
    return TH_LOAD_OK;
  }

  if (flags & IMPORT_UPDATE) updateTarget = FindUpdateTarget(target, flags, dialog.ChosenName(), &carry);

  HostFile *file = HostFile::Alloc();
  if (!file) {
    if (undo) target->EndUndo();
    ImportBusy = 0;
    ReleaseCarryList(&carry);
    ReleaseSequenceMemos();
    return TH_LOAD_OUT_OF_MEMORY;
  }

  Bool opened = file->Open(name, FILEOPEN_READ, kOpenErrorDialog, BYTEORDER_MOTOROLA, kFileType, kFileCreator);
  if (!opened) {
    result = TH_LOAD_OPEN;
  } else {
    CurrentImportFile = file;
    file->Seek(16);  // past the file header; a short file fails at the first header
    ResetLevelTable(updateTarget);

    LoadLevel load = {target, flags, &carry, 0, MaterialReader()};
    // A failing reader never stops the walk; only a header that cannot be
    // read does: the stream is cut.
    if (WalkTopLevel(kTopLevelRows, load) == WALK_BROKEN) result = TH_LOAD_READ;
    if (!file->Close()) result = TH_LOAD_CLOSE;
  }
  // Content the host could not hold is not a success, nor only a truncation.
  if (ImportOutOfMemory && (result == TH_LOAD_OK || result == TH_LOAD_READ)) result = TH_LOAD_OUT_OF_MEMORY;
  ReleaseFramingMemo();
  CurrentImportFile = nullptr;
  HostFile::Free(file);

  if (result == TH_LOAD_OK) {
    if (flags & (IMPORT_MERGE | IMPORT_UPDATE)) {
      PostImportActions = POST_RESTORE_USER_DOCUMENT;
      if ((flags & IMPORT_UPDATE) && updateTarget) ClearKind(updateTarget, nullptr, 0);
    }
    if (flags & IMPORT_CAMERAS) PostImportActions |= POST_SET_VIEW_CAMERA;
  }
  if (undo) target->EndUndo();
  ReleaseLooseMaterials(target);
  ImportBusy = 0;
  ReleaseCarryList(&carry);
  ReleaseSequenceMemos();
  return result;
}

Bool RegisterTessaroSceneLoader() {
  String name = ResourceString(IDS_PLUGIN_NAME);
  if (!name.Content()) return TRUE;
  if (!RegisterDescription(ID_TESSARO_SCENELOADER, kDescription, &PluginResource)) return FALSE;
  return RegisterSceneLoaderPlugin<&TessaroSceneLoader::Alloc>(PLUGINTYPE_SCENELOADER, ID_TESSARO_SCENELOADER, name,
                                                               PLUGIN_INFO_FLAGS, kDescription, 0);
}

Bool RegisterImportMessagePlugin() {
  String name = ResourceString(IDS_PLUGIN_NAME);
  if (!name.Content()) return TRUE;
  ImportMessagePlugin *plugin = new ImportMessagePlugin;
  // Without the object there is nothing to register.
  if (!plugin) return FALSE;
  if (RegisterMessagePlugin(PLUGINTYPE_COREMESSAGE, ID_IMPORT_MESSAGEPLUGIN, name, PLUGIN_INFO_FLAGS, plugin)) return TRUE;
  // A refused registration leaves the object with us.
  delete plugin;
  return FALSE;
}
