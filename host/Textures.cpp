// Carrying textures into a glTF export: found once per name, inside a GLB's
// buffer, as data URIs, or as copies beside a .gltf.
#include "Textures.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "Base64.h"
#include "Output.h"
#include "Path.h"
#include "Text.h"

namespace fs = std::filesystem;

namespace tessaro {

namespace {

std::string Quoted(const std::string &utf8) { return "'" + EscapeControls(utf8) + "'"; }

}  // namespace

TextureExport::TextureExport(const std::string &output, bool binary, const std::vector<std::string> &folders,
                             bool embed, std::vector<std::string> *warnings, const std::vector<std::string> &roots)
    : binary_(binary), embed_(embed), finder_(folders, roots), warnings_(warnings) {
  // The export is written where its links end, so its images go there.
  fs::path target = PathFromUtf8(FinalTarget(output));
  outFolder_ = target.has_parent_path() ? Utf8Of(target.parent_path()) : ".";
  claimed_.insert(Utf8Of(target.filename()));
}

void TextureExport::Warn(const std::string &name, const std::string &why) {
  if (warnings_) warnings_->push_back("the texture '" + Printable(name) + "' is left out of the export: " + why);
}

int TextureExport::TextureFor(tinygltf::Model &model, gltf::BinaryPieces &binary, const std::string &name) {
  auto known = byName_.find(name);
  if (known != byName_.end()) return known->second;
  int &texture = byName_[name];
  texture = -1;
  std::string found = finder_.Find(name);
  if (found.empty() && !finder_.Outside().empty()) {
    Warn(name, Quoted(finder_.Outside()) + " is a link that leads outside the texture folders");
    return texture;
  }
  if (found.empty()) {
    std::string where;
    for (const std::string &f : finder_.Folders()) where += (where.empty() ? "" : ", ") + Quoted(f);
    Warn(name, finder_.Folders().empty() ? "no texture folders were given" : "no file of that name in " + where);
    return texture;
  }
  std::error_code ec;
  std::string file = Utf8Of(fs::canonical(PathFromUtf8(found), ec));
  if (ec) file = found;
  auto same = byFile_.find(file);
  if (same != byFile_.end()) return texture = same->second;
  std::string bytes, why;
  GltfImage image;
  if (!ReadTextureFile(found, &bytes, &why) || !ToGltfImage(bytes, &image, &why)) {
    Warn(name, Quoted(found) + " cannot be read: " + why);
    return texture;
  }
  texture = Add(model, binary, name, found, std::move(image));
  if (texture >= 0) byFile_[file] = texture;
  return texture;
}

int TextureExport::Add(tinygltf::Model &model, gltf::BinaryPieces &binary, const std::string &name,
                       const std::string &found, GltfImage &&image) {
  tinygltf::Image out;
  out.name = Utf8Of(PathFromUtf8(found).filename());
  if (binary_) {
    if (model.buffers.empty()) model.buffers.emplace_back();
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteLength = image.bytes.size();
    view.byteOffset = binary.Add(std::move(image.bytes));
    model.bufferViews.push_back(view);
    out.bufferView = static_cast<int>(model.bufferViews.size() - 1);
    out.mimeType = image.mimeType;
  } else if (embed_) {
    out.uri = "data:" + image.mimeType + ";base64," + Base64(image.bytes);
  } else {
    std::string relative = image.converted ? "" : InOutputFolder(found);
    if (relative.empty()) relative = CopyName(found, image);
    if (relative.empty()) {
      Warn(name, "no free name for its copy in " + Quoted(outFolder_));
      return -1;
    }
    out.uri = RelativeUri(relative);
  }
  model.images.push_back(out);
  tinygltf::Texture texture;
  texture.source = static_cast<int>(model.images.size() - 1);
  model.textures.push_back(texture);
  return static_cast<int>(model.textures.size() - 1);
}

// The found file's path from the output's folder when it lies there or
// below (and is no link that may lead elsewhere); empty otherwise.
std::string TextureExport::InOutputFolder(const std::string &found) const {
  std::error_code ec;
  fs::path f = PathFromUtf8(found);
  if (fs::is_symlink(fs::symlink_status(f, ec))) return "";
  fs::path dir = fs::canonical(PathFromUtf8(outFolder_), ec);
  if (ec) return "";
  fs::path file = fs::canonical(f.has_parent_path() ? f.parent_path() : fs::path("."), ec) / f.filename();
  if (ec) return "";
  fs::path relative = file.lexically_relative(dir);
  if (relative.empty() || relative.is_absolute()) return "";
  for (const fs::path &part : relative)
    if (part == ".." || part == "." || part.empty()) return "";
  return relative.generic_u8string();
}

// A name in the output's folder for a copy: the file's own (a converted
// image's with .png), or with -1, -2, … added where another file has it.
// A file there with the same bytes is taken as it is.
std::string TextureExport::CopyName(const std::string &found, const GltfImage &image) {
  fs::path source = PathFromUtf8(found);
  const std::string stem = Utf8Of(source.stem());
  const std::string ext = image.converted ? ".png" : Utf8Of(source.extension());
  for (int n = 0; n < 1000; ++n) {
    std::string name = n == 0 ? stem + ext : stem + "-" + std::to_string(n) + ext;
    if (claimed_.count(name)) continue;
    fs::path dest = PathFromUtf8(outFolder_) / PathFromUtf8(name);
    std::error_code ec;
    fs::file_status st = fs::symlink_status(dest, ec);
    if (st.type() == fs::file_type::not_found) {
      claimed_.insert(name);
      copies_.push_back({Utf8Of(dest), image.bytes});
      return name;
    }
    if (!ec && st.type() == fs::file_type::regular && fs::file_size(dest, ec) == image.bytes.size() && !ec) {
      std::string there, why;
      if (ReadTextureFile(Utf8Of(dest), &there, &why) && there == image.bytes) {
        claimed_.insert(name);
        return name;
      }
    }
  }
  return "";
}

bool TextureExport::WriteCopies(std::string *error) {
  for (const Copy &c : copies_) {
    // A file that appeared there since is not written over.
    std::error_code ec;
    if (fs::symlink_status(PathFromUtf8(c.path), ec).type() != fs::file_type::not_found) {
      *error = "cannot copy a texture to " + Quoted(c.path) + ": a file of that name appeared there meanwhile";
      return false;
    }
    if (!WriteOutputBytes(c.path, c.bytes, error)) return false;
  }
  return true;
}

}  // namespace tessaro
