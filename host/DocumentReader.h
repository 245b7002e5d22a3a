// The document file's reader, in parts: JSON values (DocumentReaderValues),
// objects, tags, tracks and materials (DocumentReaderElements), undo steps
// and their copies (DocumentReaderUndo), and the document with its views
// (DocumentReader.cpp). Elements are placed through the model's methods as
// they are read; links between them (a texture tag's material, a view's
// camera, an undo entry's element) are made once everything is read.
#ifndef TESSARO_HOST_DOCUMENT_READER_H
#define TESSARO_HOST_DOCUMENT_READER_H

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "Model.h"

namespace tessaro {

class DocumentReader {
 public:
  using Json = rapidjson::Value;

  // Reads into elements registered with elements; file names the file in
  // messages.
  DocumentReader(ElementRegistry &elements, std::string file);
  ~DocumentReader();
  DocumentReader(const DocumentReader &) = delete;
  DocumentReader &operator=(const DocumentReader &) = delete;

  // Reads the document file's top object into doc (empty, in the host).
  bool DocumentValue(const Json &v, Document *doc);
  // Why the read failed: the first failure, with its place in the file.
  const std::string &Error() const { return error_; }

 private:
  // ---- values (DocumentReaderValues.cpp) ----
  bool Fail(const std::string &where, const std::string &what);
  bool Keys(const Json &v, const std::string &at, std::initializer_list<const char *> known);
  bool Int(const Json &v, const std::string &at, int32_t *out);
  bool RealValue(const Json &v, const std::string &at, float *out);
  bool Double(const Json &v, const std::string &at, double *out);
  bool Vec(const Json &v, const std::string &at, th_vector *out);
  bool TimeValue(const Json &v, const std::string &at, th_time *out);
  bool MatrixValue(const Json &m, const std::string &at, th_matrix *out);
  bool String(const Json &v, const std::string &at, std::string *out);
  bool Text(const Json &v, const std::string &at, std::string *out);
  bool AnyValue(const Json &v, const std::string &at, Value *out);
  bool ContainerValue(const Json &v, const std::string &at, Container *out);
  bool Params(const Json &v, const std::string &at, std::map<std::string, Value> *out);
  static const Json &Empty();

  // ---- elements (DocumentReaderElements.cpp) ----
  bool ObjectValue(const Json &v, const std::string &at, Document *doc, Object *parent, int depth);
  bool ObjectFields(const Json &v, const std::string &at, Object *o);
  bool ObjectLists(const Json &v, const std::string &at, Document *doc, Object *o, int depth);
  bool TagValue(const Json &v, const std::string &at, Object *owner);
  bool TagData(const Json &v, const std::string &at, Tag *t);
  bool TextureTagValue(const Json &v, const std::string &at, Tag *t);
  template <class T, class F>
  bool EntryList(const Json &v, const std::string &at, Tag *t, F one);
  bool Base64EntryList(const Json &v, const std::string &at, size_t entryBytes, Tag *t);
  bool TrackValue(const Json &v, const std::string &at, Object *o);
  bool SequenceValue(const Json &v, const std::string &at, Track *t);
  bool MaterialValue(const Json &v, const std::string &at, Document *doc);
  bool ChannelsValue(const Json &v, const std::string &at, Material *m);

  // ---- the document (DocumentReader.cpp) ----
  bool SettingsValue(const Json &v, Document *doc);
  bool RenderDataValue(const Json &v, Document *doc);
  bool ViewsValue(const Json &v, Document *doc);
  bool InCopy(const Tag *tag) const { return tag->doc == &copies_; }
  bool LinkMaterials(Document *doc);
  bool LinkViews(Document *doc);

  // ---- undo (DocumentReaderUndo.cpp) ----
  bool UndoValue(const Json &v, const std::string &at, Document *doc);
  bool ElementReference(const Json &v, const std::string &at, size_t step, size_t entry);
  bool BeforeValue(const Json &v, const std::string &at, UndoEntry *u, size_t step, size_t entry);
  bool EntryViews(const Json &v, const std::string &at, size_t step, size_t entry);
  bool LinkUndo(Document *doc);
  bool LinkUndoElements(Document *doc);
  bool TakeCopies(Document *doc);
  bool LinkEntryViews(Document *doc);

  // A texture tag's material: by name, or by position (-1: by name).
  struct PendingLink {
    Tag *tag;
    std::string name;
    int position;
    std::string at;
  };
  // A view's camera: by its path of names, or by positions when given.
  struct PendingView {
    size_t index;
    std::string path;
    std::vector<int> positions;
    std::string at;
  };
  // An undo entry's element: the document, or one by positions.
  struct PendingElement {
    size_t step, entry;
    ElementKind kind;
    std::vector<int> positions;
    std::string at;
  };
  // An undo entry's copy, read into copies_.
  struct PendingCopy {
    size_t step, entry;
    Element *copy;
  };
  // A view that showed an object of an entry's copy.
  struct PendingEntryView {
    size_t step, entry, view, position;
    std::string at;
  };
  ElementRegistry &elements_;
  std::string file_;
  std::string error_;
  std::vector<PendingLink> pendingLinks_;
  std::vector<PendingView> pendingViews_;
  std::vector<PendingElement> pendingElements_;
  std::vector<PendingCopy> pendingCopies_;
  std::vector<PendingEntryView> pendingEntryViews_;
  Document copies_;  // where the undo entries' copies are read
};

}  // namespace tessaro

#endif
