#include "Host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "Edge.h"
#include "Handles.h"
#include "Library.h"
#include "Output.h"
#include "Path.h"
#include "Tables.h"

namespace fs = std::filesystem;

namespace tessaro {

namespace {
Host *g_current = nullptr;

const char *const kOpNames[] = {
#define TESSARO_OP_NAME(name) #name,
    TESSARO_HOST_OPS(TESSARO_OP_NAME)
#undef TESSARO_OP_NAME
};

std::string Hex(const std::vector<uint8_t> &bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

bool FromHex(const std::string &text, std::vector<uint8_t> *out) {
  if (text.size() % 2) return false;
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = nibble(text[i]), lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  return true;
}
}  // namespace

const char *OpName(Op op) { return kOpNames[static_cast<size_t>(op)]; }

void EdgeFailed(const char *what) noexcept {
  if (!g_current) return;
  try {
    g_current->Misuse(std::string("a host function failed: ") + what);
  } catch (...) {
    // No memory even for the note: the failure value says enough.
  }
}

Host::Host(std::string prefsPath) : prefsPath_(std::move(prefsPath)) {
  if (g_current) std::abort();  // the C tables reach exactly one host
  g_current = this;
  SetActiveDocument(NewDocument("Untitled"));
  mainWindow_ = CreateMainWindow(windows.front().c_str());
#if defined(_WIN32)
  if (!mainWindow_) warnings.push_back("the host's main window could not be created");
#endif
}

Host::~Host() {
  Shutdown();
  DestroyMainWindow(mainWindow_);
  for (auto &d : documents_) elements_.Forget(*d);
  documents_.clear();
  // Loose elements the plug-in left behind; children go with their roots.
  elements_.DeleteLoose();
  for (auto &kv : blocks_) SystemFree(kv.first, kv.second > 0 ? static_cast<size_t>(kv.second) : 1);
  blocks_.clear();
  g_current = nullptr;
}

Host &Host::Get() { return *g_current; }

const th_host_interface *Host::Interface() const { return HostInterface(); }

bool Host::LoadPlugins(const std::string &dir, std::string *error) {
  std::vector<std::string> files;
  std::error_code ec;
  if (!fs::is_directory(PathFromUtf8(dir), ec)) {
    *error = "the plug-in folder '" + dir + "' does not exist";
    return false;
  }
  auto consider = [&](const fs::path &p) {
    if (p.extension() == PluginSuffix() && fs::is_regular_file(p, ec)) files.push_back(Utf8Of(p));
  };
  for (const auto &entry : fs::directory_iterator(PathFromUtf8(dir), ec)) {
    if (entry.is_directory(ec)) {
      for (const auto &inner : fs::directory_iterator(entry.path(), ec)) consider(inner.path());
    } else {
      consider(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  size_t started = 0;
  for (const std::string &f : files) {
    auto lib = std::make_unique<PluginLibrary>();
    std::string why;
    if (!lib->Open(f, &why)) {
      warnings.push_back(why);
      continue;
    }
    lib->folder = Utf8Of(PathFromUtf8(f).parent_path());
    if (StartLibrary(std::move(lib), f)) ++started;
  }
  if (started == 0) {
    *error = "no plug-in could be started from '" + dir + "'";
    return false;
  }
  return true;
}

bool Host::LoadLinkedPlugin(int32_t (*main)(int32_t, void *, void *, void *), const std::string &folder,
                            std::string *error) {
  auto lib = std::make_unique<PluginLibrary>();
  lib->main = main;
  lib->folder = folder;
  if (!StartLibrary(std::move(lib), "the linked plug-in")) {
    *error = "the linked plug-in could not be started";
    return false;
  }
  return true;
}

// Initialise, load the resource and start, as a host does.
bool Host::StartLibrary(std::unique_ptr<PluginLibrary> lib, const std::string &name) {
  int32_t init = lib->main(1, const_cast<th_host_interface *>(Interface()), nullptr,
                           const_cast<char *>(lib->folder.c_str()));
  if (init != 1) {
    // A refused initialisation gets no further action, end included.
    warnings.push_back(name + " refused initialisation (" + std::to_string(init) + ")");
    return false;
  }
  lib->initialised = 1;
  if (lib->main(6, reinterpret_cast<void *>(static_cast<intptr_t>(1)), nullptr, nullptr) != 1)
    warnings.push_back(name + ": its resource could not be loaded");
  if (lib->main(2, nullptr, nullptr, nullptr) != 1) warnings.push_back(name + " failed to start");
  libraries_.push_back(std::move(lib));
  return true;
}

void Host::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  for (auto it = libraries_.rbegin(); it != libraries_.rend(); ++it)
    for (; (*it)->initialised > 0; --(*it)->initialised) (*it)->main(3, nullptr, nullptr, nullptr);
  for (SceneLoader &l : loaders_)
    if (l.node) l.cls->Free(l.node);
  for (MessagePlugin &m : messagePlugins_) m.cls->Free(m.node);
  loaders_.clear();
  messagePlugins_.clear();
  libraries_.clear();
  if (!prefsPath_.empty()) {
    SavePrefs(&prefsError);
  }
}

bool Host::RegisterSceneLoader(SceneLoader loader) {
  for (const SceneLoader &l : loaders_)
    if (l.id == loader.id) return false;
  loader.node = loader.cls->Alloc();
  if (!loader.node) return false;
  loaders_.push_back(loader);
  return true;
}

bool Host::RegisterMessagePlugin(MessagePlugin plugin) {
  for (const MessagePlugin &m : messagePlugins_)
    if (m.id == plugin.id) return false;
  messagePlugins_.push_back(plugin);
  return true;
}

bool Host::RegisterDescription(int32_t id, const std::string &name, const PluginResource *res) {
  if (!res || descriptions_.count(id)) return false;
  std::string why;
  if (!LoadDescription(*res, name, &why)) {
    warnings.push_back("cannot register description " + name + ": " + why);
    return false;
  }
  descriptions_[id] = name;
  return true;
}

ImportResult Host::Import(const std::string &file, const DialogAnswers &answers) {
  ImportResult r;
  // The loader reads the file again after the probe and seeks in it: a FIFO
  // would hang the probe's open, and a device or folder reads as nothing.
  if (ExistsButNotRegular(file)) {
    r.error = "'" + file + "' is not a regular file; import reads files that it can seek in";
    return r;
  }
  std::ifstream in(PathFromUtf8(file), std::ios::binary);
  if (!in) {
    // The stream keeps no reason; the file's status gives the usual ones.
    std::error_code ec;
    const bool exists = fs::exists(PathFromUtf8(file), ec);
    r.error = "cannot open '" + file + "': " +
              (ec ? ec.message()
                  : exists ? std::make_error_code(std::errc::permission_denied).message()
                           : std::make_error_code(std::errc::no_such_file_or_directory).message());
    return r;
  }
  uint8_t probe[1024];
  in.read(reinterpret_cast<char *>(probe), sizeof probe);
  int32_t size = static_cast<int32_t>(in.gcount());
  in.close();
  const SceneLoader *loader = nullptr;
  for (const SceneLoader &l : loaders_) {
    if (l.cls->Identify(l.node, file.c_str(), probe, size)) {
      loader = &l;
      break;
    }
  }
  if (!loader) {
    r.error = "'" + file + "' is not a file that any scene loader recognises";
    return r;
  }
  r.recognised = true;
  r.firstSerial = NextSerial();
  // As when a file is opened, the load gets a new document of its own.
  Document *before = active_;
  Document *doc = NewDocument(Utf8Of(PathFromUtf8(file).filename()));
  dialogAnswers = answers;
  dialogAnswerRefused = false;
  lastDialogCancelled = false;
  th_string error;
  removedDuringLoad = RemovedDuringLoad();
  loading_ = true;
  loadFirstSerial_ = r.firstSerial;
  r.code = loader->cls->Load(loader->node, file.c_str(), reinterpret_cast<th_element *>(doc), 0, &error, nullptr);
  loading_ = false;
  r.loaded = true;
  r.cancelled = lastDialogCancelled;
  // Where the platform has real windows, the plug-in brought the host's own
  // to the front through the system's functions.
  if (IsForegroundWindow(mainWindow_)) foreground = windows.front();
  dialogAnswers = DialogAnswers();
  if (IsDocument(doc)) SetActiveDocument(doc);
  SendCoreMessage(604);
  // A new document that a cancelled or failed load left untouched is not
  // kept: the user's document stays in front.
  if (IsDocument(doc) && doc->Pristine() && (r.cancelled || r.code != TH_LOAD_OK) && documents_.size() > 1) {
    KillDocument(doc);
    if (IsDocument(before)) SetActiveDocument(before);
  }
  return r;
}

void Host::NoteRemoved(const Element &object) {
  if (!loading_) return;
  const size_t kNamed = 100;  // a load may remove very many
  const bool own = object.serial >= loadFirstSerial_;
  uint64_t &count = own ? removedDuringLoad.own : removedDuringLoad.users;
  std::vector<Removed> &first = own ? removedDuringLoad.ownFirst : removedDuringLoad.usersFirst;
  if (count++ < kNamed) first.push_back({object.name, object.type});
}

void Host::SendCoreMessage(int32_t id) {
  th_container data;
  for (const MessagePlugin &m : messagePlugins_) m.cls->CoreMessage(m.node, id, &data);
}

Document *Host::NewDocument(const std::string &name) {
  auto doc = std::make_unique<Document>();
  doc->name = name;
  Document *d = doc.get();
  elements_.Add(*d);
  documents_.push_back(std::move(doc));
  return d;
}

void Host::SetActiveDocument(Document *doc) {
  if (IsDocument(doc)) active_ = doc;
}

void Host::KillDocument(Document *doc) {
  auto it = std::find_if(documents_.begin(), documents_.end(), [&](const auto &d) { return d.get() == doc; });
  if (it == documents_.end()) return;
  elements_.Forget(*doc);
  documents_.erase(it);
  if (active_ == doc) {
    // A host always has a document in front.
    if (documents_.empty()) NewDocument("Untitled");
    active_ = documents_.back().get();
  }
}

bool Host::IsDocument(const Element *e) const {
  for (const auto &d : documents_)
    if (d.get() == e) return true;
  return false;
}

const Element *Host::LinkedMaterial(const Tag &tag) const { return LinkedObject(tag.material, tag.materialSerial); }

const Element *Host::LinkedObject(const Element *e, uint64_t serial) const { return elements_.Linked(e, serial); }

const std::string *Host::Window(th_window w) const {
  for (const std::string &title : windows)
    if (reinterpret_cast<const void *>(&title) == w) return &title;
  return nullptr;
}

void Host::FailNth(Op op, uint64_t n) { failAt_[static_cast<size_t>(op)] = calls_[static_cast<size_t>(op)] + n; }
void Host::ClearFaults() { std::fill(std::begin(failAt_), std::end(failAt_), 0); }
bool Host::Fault(Op op) {
  size_t i = static_cast<size_t>(op);
  uint64_t c = ++calls_[i];
  if (failAt_[i] != 0 && c == failAt_[i]) {
    failAt_[i] = 0;
    return true;
  }
  return false;
}
void Host::ResetCalls() {
  // Armed faults keep their distance from the present call.
  for (size_t i = 0; i < static_cast<size_t>(Op::Count); ++i) {
    if (failAt_[i]) failAt_[i] -= calls_[i];
    calls_[i] = 0;
  }
}

void *Host::Alloc(int32_t size) {
  void *p = SystemAlloc(size > 0 ? static_cast<size_t>(size) : 1);
  if (p) blocks_[p] = size;
  return p;
}

bool Host::FreeBlock(void *p) {
  auto it = blocks_.find(p);
  if (it == blocks_.end()) return false;
  size_t size = it->second > 0 ? static_cast<size_t>(it->second) : 1;
  blocks_.erase(it);
  SystemFree(p, size);
  return true;
}

size_t Host::LooseElements() const { return elements_.Loose(); }

size_t Host::LiveHandles() const { return handles_.size(); }

std::string Host::LeakReport() const {
  std::ostringstream out;
  out << blocks_.size() << " memory blocks, " << LooseElements() << " elements in no document, "
      << handles_.size() << " other handles";
  return out.str();
}

bool Host::LoadPrefs(std::string *warning) {
  pluginData.clear();
  if (prefsPath_.empty()) return true;
  // Opening a FIFO to read waits for a writer that may never come.
  std::error_code fifoEc;
  if (fs::is_fifo(fs::status(PathFromUtf8(prefsPath_), fifoEc))) {
    *warning = "the stored plug-in data '" + prefsPath_ + "' is a FIFO and was ignored";
    return false;
  }
  std::ifstream in(PathFromUtf8(prefsPath_), std::ios::binary);
  if (!in) return true;  // nothing stored yet
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  rapidjson::Document json;
  json.Parse<rapidjson::kParseIterativeFlag>(text.c_str(), text.size());
  std::map<int32_t, std::vector<uint8_t>> data;
  bool ok = !json.HasParseError() && json.IsObject();
  if (ok) {
    for (auto it = json.MemberBegin(); ok && it != json.MemberEnd(); ++it) {
      char *end = nullptr;
      long id = std::strtol(it->name.GetString(), &end, 10);
      std::vector<uint8_t> bytes;
      ok = end && *end == 0 && id >= INT32_MIN && id <= INT32_MAX && it->value.IsString() &&
           FromHex(it->value.GetString(), &bytes);
      if (ok) data[static_cast<int32_t>(id)] = bytes;
    }
  }
  if (!ok) {
    *warning = "the stored plug-in data in '" + prefsPath_ + "' is damaged and was ignored";
    return false;
  }
  pluginData = std::move(data);
  return true;
}

bool Host::SavePrefs(std::string *error) const {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
  w.StartObject();
  for (const auto &kv : pluginData) {
    w.Key(std::to_string(kv.first).c_str());
    w.String(Hex(kv.second).c_str());
  }
  w.EndObject();
  // A FIFO would block the run until something reads it.
  std::error_code fifoEc;
  if (fs::is_fifo(fs::status(PathFromUtf8(prefsPath_), fifoEc))) {
    *error = "cannot store the plug-in data: '" + prefsPath_ + "' is a FIFO";
    return false;
  }
  std::error_code ec;
  fs::path path = PathFromUtf8(prefsPath_);
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  std::string why;
  if (!WriteOutputBytes(prefsPath_, std::string(buffer.GetString()) + "\n", &why)) {
    *error = "cannot store the plug-in data: " + why;
    return false;
  }
  return true;
}

}  // namespace tessaro
