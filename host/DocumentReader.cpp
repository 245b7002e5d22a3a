// The document file's reader: a user's document, with its settings, render
// settings, views and undo steps (DocumentReader.h tells where each part
// is read).
#include "DocumentReader.h"

#include <fstream>
#include <sstream>

#include <rapidjson/error/en.h>

#include "DocumentFile.h"
#include "Host.h"
#include "Output.h"
#include "Path.h"
#include "Text.h"

namespace tessaro {

DocumentReader::DocumentReader(ElementRegistry &elements, std::string file)
    : elements_(elements), file_(std::move(file)) {}

DocumentReader::~DocumentReader() {
  // Copies a failed read left behind are no host elements either.
  for (ElementList *list : {&copies_.objects, &copies_.materials})
    for (Element *x = list->first; x; x = x->next) elements_.Forget(*x);
}

bool DocumentReader::DocumentValue(const Json &v, Document *doc) {
  if (!Keys(v, "document", {"objects", "materials", "fps", "maxTime", "renderData", "views", "undo"})) return false;
  if (v.HasMember("objects")) {
    const Json &objects = v["objects"];
    if (!objects.IsArray()) return Fail("/objects", "expected a list");
    for (rapidjson::SizeType i = 0; i < objects.Size(); ++i)
      if (!ObjectValue(objects[i], "/objects/" + std::to_string(i), doc, nullptr, 0)) return false;
  }
  if (v.HasMember("materials")) {
    const Json &materials = v["materials"];
    if (!materials.IsArray()) return Fail("/materials", "expected a list");
    for (rapidjson::SizeType i = 0; i < materials.Size(); ++i)
      if (!MaterialValue(materials[i], "/materials/" + std::to_string(i), doc)) return false;
  }
  if (!SettingsValue(v, doc)) return false;
  if (v.HasMember("renderData") && !RenderDataValue(v["renderData"], doc)) return false;
  if (v.HasMember("views") && !ViewsValue(v["views"], doc)) return false;
  if (v.HasMember("undo") && !UndoValue(v["undo"], "/undo", doc)) return false;
  return LinkMaterials(doc) && LinkViews(doc) && LinkUndo(doc);
}

// The frame rate and the end time.
bool DocumentReader::SettingsValue(const Json &v, Document *doc) {
  if (v.HasMember("fps") && !Int(v["fps"], "/fps", &doc->fps)) return false;
  if (v.HasMember("maxTime")) {
    const Json &t = v["maxTime"];
    if (!t.IsArray() || t.Size() != 2) return Fail("/maxTime", "expected two numbers");
    if (!Double(t[0], "/maxTime/0", &doc->maxTimeNum) || !Double(t[1], "/maxTime/1", &doc->maxTimeDen)) return false;
  }
  return true;
}

// The render settings, by count.
bool DocumentReader::RenderDataValue(const Json &v, Document *doc) {
  int32_t count = 0;
  if (!Int(v, "/renderData", &count)) return false;
  if (count < 0 || count > 100000) return Fail("/renderData", "expected a count from 0 to 100000");
  for (int32_t i = 0; i < count; ++i) doc->InsertRenderData(*elements_.Make<RenderData>(), doc->renderData.last);
  return true;
}

bool DocumentReader::ViewsValue(const Json &views, Document *doc) {
  if (!views.IsArray() || views.Size() > 16) return Fail("/views", "expected a list of at most 16 views");
  doc->views.assign(views.Size(), View());
  for (rapidjson::SizeType i = 0; i < views.Size(); ++i) {
    std::string at = "/views/" + std::to_string(i);
    if (!Keys(views[i], at, {"sceneCamera"})) return false;
    if (!views[i].HasMember("sceneCamera") || views[i]["sceneCamera"].IsNull()) continue;
    const Json &camera = views[i]["sceneCamera"];
    PendingView view{i, "", {}, at + "/sceneCamera"};
    if (camera.IsArray()) {
      // The positions of the camera and its parents, from the top level down.
      if (camera.Empty()) return Fail(view.at, "expected a path of names or a list of positions");
      for (rapidjson::SizeType k = 0; k < camera.Size(); ++k) {
        if (!camera[k].IsInt() || camera[k].GetInt() < 0)
          return Fail(view.at, "expected a path of names or a list of positions");
        view.positions.push_back(camera[k].GetInt());
      }
    } else if (!String(camera, view.at, &view.path)) {
      return false;
    }
    pendingViews_.push_back(view);
  }
  return true;
}

// Texture tags name their material; links are made once every material
// of the document is known.
bool DocumentReader::LinkMaterials(Document *doc) {
  std::vector<const Element *> byPosition;
  for (const PendingLink &link : pendingLinks_) {
    const Element *found = nullptr;
    if (link.position >= 0) {
      if (byPosition.empty())
        for (const Element *m = doc->materials.first; m; m = m->next) byPosition.push_back(m);
      if (static_cast<size_t>(link.position) < byPosition.size()) found = byPosition[static_cast<size_t>(link.position)];
      else if (!InCopy(link.tag))
        return Fail(link.at, "the document has no material at position " + std::to_string(link.position));
    } else {
      found = doc->FirstMaterialNamed(link.name);
    }
    // A copy kept for undo may name a material removed since: it links
    // none, as a tag whose material was deleted does.
    if (!found && InCopy(link.tag)) continue;
    if (!found) return Fail(link.at, "the document has no material named \"" + link.name + "\"");
    link.tag->LinkMaterial(found);
  }
  return true;
}

// A view names its camera by the path of names from the top level, or by
// positions.
bool DocumentReader::LinkViews(Document *doc) {
  for (const PendingView &pv : pendingViews_) {
    const ElementList *list = &doc->objects;
    const Element *found = nullptr;
    size_t start = 0;
    if (!pv.positions.empty()) {
      for (int position : pv.positions) {
        found = list->first;
        for (int k = 0; k < position && found; ++k) found = found->next;
        if (!found) return Fail(pv.at, "the document has no object at those positions");
        list = &static_cast<const Object *>(found)->children;
      }
      doc->views[pv.index].LookThrough(found);
      continue;
    }
    for (;;) {
      size_t slash = pv.path.find('/', start);
      std::string name = pv.path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      found = nullptr;
      for (const Element *e = list->first; e && !found; e = e->next)
        if (e->name == name) found = e;
      if (!found || slash == std::string::npos) break;
      list = &static_cast<const Object *>(found)->children;
      start = slash + 1;
    }
    if (!found) return Fail(pv.at, "the document has no object \"" + pv.path + "\"");
    doc->views[pv.index].LookThrough(found);
  }
  return true;
}

namespace {

void LineColumn(const std::string &text, size_t offset, size_t *line, size_t *column) {
  *line = 1;
  *column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++*line;
      *column = 1;
    } else {
      ++*column;
    }
  }
}

}  // namespace

bool ReadDocumentFile(Host &host, const std::string &path, Document *doc, std::string *error) {
  if (ExistsButNotRegular(path)) {
    *error = "cannot read document '" + path + "': it is not a regular file";
    return false;
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    *error = "cannot read document '" + path + "': the file cannot be opened";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  rapidjson::Document json;
  json.Parse<rapidjson::kParseIterativeFlag>(text.c_str(), text.size());
  if (json.HasParseError()) {
    size_t line, column;
    LineColumn(text, json.GetErrorOffset(), &line, &column);
    *error = "cannot read document '" + path + "': line " + std::to_string(line) + ", column " +
             std::to_string(column) + ": " + rapidjson::GetParseError_En(json.GetParseError());
    return false;
  }
  DocumentReader reader(host.Elements(), path);
  if (!reader.DocumentValue(json, doc)) {
    // The message may quote the file's own keys and text.
    *error = EscapeControls(reader.Error());
    return false;
  }
  return true;
}

}  // namespace tessaro
