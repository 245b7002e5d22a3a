// The stand-in host: loads plug-in libraries through c4d_main, hands them
// the function tables of host_interface.h, owns the documents, runs dialogs
// and reads files for them.
#ifndef TESSARO_HOST_HOST_H
#define TESSARO_HOST_HOST_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Model.h"
#include "Resource.h"

namespace tessaro {

// Every host operation that a plug-in can call, for call counts and faults.
#define TESSARO_HOST_OPS(X)                                                                                      \
  X(GeAlloc) X(GeFree)                                                                                           \
  X(StringAlloc) X(StringFree) X(StringCopy) X(StringSet) X(StringContent) X(StringEqual) X(StringGetCString)     \
  X(LoadResource) X(FreeResource) X(LoadString) X(RegisterDescription) X(RegisterSceneLoader)                    \
  X(RegisterMessagePlugin) X(ReadPluginInfo) X(WritePluginInfo) X(MessageDialog)                                 \
  X(GetActiveDocument) X(SetActiveDocument) X(KillDocument) X(GetFirstObject) X(GetFirstMaterial) X(InsertObject) \
  X(InsertMaterial) X(SearchMaterial) X(StartUndo) X(EndUndo) X(AddUndo)                                         \
  X(GetNext) X(GetPred) X(GetDown) X(GetUp) X(GetDocument) X(Remove) X(GetType) X(Message) X(GetName) X(SetName) \
  X(GetAllBits) X(SetBit) X(DelBit) X(GetData) X(SetData) X(SetParameter) X(GetParameter) X(ElementFree)         \
  X(ObjectAlloc) X(SetPos) X(GetPos) X(SetScale) X(GetScale) X(SetRot) X(GetRot) X(SetMl) X(GetMl)               \
  X(GetEditorMode) X(SetEditorMode) X(GetRenderMode) X(SetRenderMode) X(GetFirstTag) X(GetTag) X(GetTagData)     \
  X(GetTagDataCount) X(InsertTag) X(SplineAlloc) X(MakeVariableTag) X(MakeTag) X(SetPhong) X(TagAlloc)          \
  X(GetDataAddressW) X(GetDataCount) X(TagSetPos) X(TagGetPos) X(TagSetScale) X(TagGetScale) X(TagSetRot)        \
  X(TagGetRot) X(TagSetMl) X(TagGetMl) X(SetMaterial) X(GetMaterial) X(UVWGet) X(UVWSet) X(UVWSetRun) X(TagResize)    \
  X(MaterialAlloc)                                                                                               \
  X(GetChannel) X(GetChannelState) X(SetChannelState) X(ChannelGetData) X(ChannelSetData) X(MaterialUpdate)       \
  X(SetAllBits) X(GetDocumentData) X(SetDocumentData) X(RenderDataAlloc) X(InsertRenderData) X(GetView)          \
  X(SetSceneCamera) X(GetSceneCamera) X(CameraAlloc) X(SetFocus) X(SetAperture) X(SetProjection) X(FindTrack)      \
  X(TrackAlloc) X(InsertTrack) X(GetFirstSequence) X(GetStart) X(GetEnd) X(AutoAddSequence) X(GetSequenceType)     \
  X(KeyAlloc) X(GetKeyData) X(SetKeyTime) X(InsertKey) X(GetCurrentThreadId) X(EnumThreadWindows)                 \
  X(GetWindowTextA) X(SetForegroundWindow)                                                                         \
  X(FileAlloc) X(FileFree) X(FileOpen) X(FileClose) X(FileSeek) X(FileGetPosition) X(FileGetLength) X(FileRead)  \
  X(DialogAlloc) X(DialogFree) X(DialogOpen) X(LoadDialogResource) X(DialogEnable) X(DialogSet) X(DialogGet)     \
  X(DialogDefaultCommand) X(ListViewAttach) X(ListViewSet) X(ListViewGet)                                        \
  X(SelectAlloc) X(SelectFree) X(SelectChange) X(SelectGetRange)                                                 \
  X(ContainerAlloc) X(ContainerFree) X(ContainerCopy) X(ContainerSet) X(ContainerGet)

enum class Op {
#define TESSARO_OP_ENUM(name) name,
  TESSARO_HOST_OPS(TESSARO_OP_ENUM)
#undef TESSARO_OP_ENUM
      Count
};
const char *OpName(Op op);

// The answers a user gives the options dialog, applied to its gadgets as a
// person clicking would: mode, then object row, then kind, then scale, then
// confirm or cancel. Unset answers leave the dialog as it opened.
struct DialogAnswers {
  std::optional<int32_t> mode;  // gadget ID of the chosen mode option
  std::optional<int32_t> kind;  // gadget ID of the chosen kind option
  std::optional<std::string> object;  // its name as a user types it: UTF-8
  std::optional<int32_t> row;
  bool deselect = false;  // clear the object list's selection (after the row)
  std::optional<float> scale;
  bool cancel = false;
  // No answers: a person at the terminal answers the dialog as a form.
  bool atTerminal = false;
  // Called once the dialog is open, before the answers are applied.
  std::function<void()> onOpen;
};

struct ImportResult {
  bool recognised = false;
  bool loaded = false;     // the load operation ran
  bool cancelled = false;  // the options dialog was closed without OK
  int32_t code = 0;
  std::string error;  // why the host could not offer or run the load
  // Elements with this serial or a later one were made during the load.
  uint64_t firstSerial = 0;
};

// One enabled gadget of a dialog closed with OK, in the dialog's own words:
// its label and the value it showed; the chosen option's gadget ID for a
// choice; the number of a number field, and whether the plug-in's stored
// data of an earlier run put it there.
struct ConfirmedAnswer {
  std::string label;
  std::string value;
  int32_t chosen = 0;
  bool number = false;
  double numberValue = 0;
  bool stored = false;
};

// "Mode: New document, Scale: 1 (stored by an earlier run)".
std::string DescribeConfirmed(const std::vector<ConfirmedAnswer> &answers);

struct PluginLibrary;

struct SceneLoader {
  int32_t id;
  std::string name;
  std::string description;
  const th_scene_loader_class *cls;
  void *node = nullptr;
};

struct MessagePlugin {
  int32_t id;
  std::string name;
  const th_message_plugin_class *cls;
  void *node;
};

class Host {
 public:
  // prefsPath: where stored plug-in data lives ("" keeps it in memory only).
  explicit Host(std::string prefsPath = "");
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  // The one host of this process; the C tables reach it through here.
  static Host &Get();

  // Loads every plug-in library found in dir (or its subfolders) and runs
  // its start sequence. Answers false with a reason when none could start.
  bool LoadPlugins(const std::string &dir, std::string *error);
  // Starts a plug-in linked into the host program (for fuzzing): main is its
  // entry point, folder the plug-in path handed to it.
  bool LoadLinkedPlugin(int32_t (*main)(int32_t, void *, void *, void *), const std::string &folder,
                        std::string *error);
  // Ends every plug-in (action 3), frees what it registered, unloads it and
  // saves the stored plug-in data (why that failed: prefsError). Also done
  // by the destructor.
  void Shutdown();
  std::string prefsError;

  ImportResult Import(const std::string &file, const DialogAnswers &answers);
  void SendCoreMessage(int32_t id);

  // Documents.
  Document *NewDocument(const std::string &name);
  Document *ActiveDocument() const { return active_; }
  void SetActiveDocument(Document *doc);
  void KillDocument(Document *doc);
  const std::vector<std::unique_ptr<Document>> &Documents() const { return documents_; }
  bool IsDocument(const Element *e) const;
  // The material a texture tag links, while it lives; else none.
  const Element *LinkedMaterial(const Tag &tag) const;
  // A weakly linked element, while the one with that serial lives.
  const Element *LinkedObject(const Element *e, uint64_t serial) const;

  // The platform's top-level windows of the main thread, by title, in
  // enumeration order; the host's main window is the first. The title of
  // the window last brought to the front, and how often that happened.
  std::vector<std::string> windows{"CINEMA 4D R8 - tessaro"};
  std::string foreground;
  int foregroundCalls = 0;
  uint32_t MainThread() const { return 1; }
  const std::string *Window(th_window w) const;

  // Faults and counts.
  void FailNth(Op op, uint64_t n);  // the n-th call from now fails (1 = next)
  void ClearFaults();
  bool Fault(Op op);  // counts one call; answers true when it must fail
  uint64_t Calls(Op op) const { return calls_[static_cast<size_t>(op)]; }
  void ResetCalls();

  // What the plug-in holds that no document owns.
  size_t LiveBlocks() const { return blocks_.size(); }
  size_t LooseElements() const;
  size_t LiveHandles() const;
  std::string LeakReport() const;

  // Messages shown in the host's message dialog, and host warnings.
  std::vector<std::string> messages;
  std::vector<std::string> warnings;
  // Misuse of the interface by a plug-in (a handle freed twice, ...).
  std::vector<std::string> misuse;

  // Stored plug-in data, by plug-in ID.
  std::map<int32_t, std::vector<uint8_t>> pluginData;
  bool LoadPrefs(std::string *warning);
  bool SavePrefs(std::string *error) const;

  const th_host_interface *Interface() const;
  const std::vector<SceneLoader> &Loaders() const { return loaders_; }
  const std::vector<MessagePlugin> &MessagePlugins() const { return messagePlugins_; }
  const std::map<int32_t, std::string> &Descriptions() const { return descriptions_; }
  // Answers of the dialog about to open, and how the last one closed.
  DialogAnswers dialogAnswers;
  bool lastDialogCancelled = false;
  // What the last dialog closed with OK showed in its enabled gadgets, so
  // that a run can say what it was answered with; empty after a cancel.
  std::vector<ConfirmedAnswer> confirmed;
  // A plug-in read stored data of an earlier run: a value the dialog kept
  // from its opening came from there.
  bool storedDataRead = false;
  // An answer named a row or object that the dialog did not offer; the
  // dialog was then cancelled.
  bool dialogAnswerRefused = false;
  // Objects taken out of a document while the last load ran: those the load
  // had made itself, and the user's; counted, the first ones by name.
  struct Removed {
    std::string name;
    int32_t type = 0;
  };
  struct RemovedDuringLoad {
    uint64_t own = 0, users = 0;
    std::vector<Removed> ownFirst, usersFirst;
  };
  RemovedDuringLoad removedDuringLoad;
  void NoteRemoved(const Element &object);

  // --- used by the C tables -------------------------------------------------
  void *Alloc(int32_t size);
  bool FreeBlock(void *p);
  template <class T>
  T *Track(T *p) {
    if (p) handles_.insert(p);
    return p;
  }
  bool Untrack(const void *p) { return handles_.erase(p) != 0; }
  bool Tracked(const void *p) const { return handles_.count(p) != 0; }
  // The elements that live: what a plug-in's element handle may be.
  ElementRegistry &Elements() { return elements_; }
  bool RegisterSceneLoader(SceneLoader loader);
  bool RegisterMessagePlugin(MessagePlugin plugin);
  bool RegisterDescription(int32_t id, const std::string &name, const PluginResource *res);
  void Misuse(const std::string &what) { misuse.push_back(what); }

 private:
  std::string prefsPath_;
  std::vector<std::unique_ptr<Document>> documents_;
  Document *active_ = nullptr;
  std::vector<std::unique_ptr<PluginLibrary>> libraries_;
  std::vector<SceneLoader> loaders_;
  std::vector<MessagePlugin> messagePlugins_;
  std::map<int32_t, std::string> descriptions_;
  uint64_t calls_[static_cast<size_t>(Op::Count)] = {};
  uint64_t failAt_[static_cast<size_t>(Op::Count)] = {};
  std::unordered_map<void *, int32_t> blocks_;
  std::unordered_set<const void *> handles_;
  ElementRegistry elements_;
  bool StartLibrary(std::unique_ptr<PluginLibrary> lib, const std::string &name);
  bool shutDown_ = false;
  bool loading_ = false;
  uint64_t loadFirstSerial_ = 0;
  void *mainWindow_ = nullptr;
};

}  // namespace tessaro

#endif
