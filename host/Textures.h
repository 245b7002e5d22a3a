// Texture files for the glTF export: found where a user of the host keeps
// them, read as PNG or JPEG (anything else converted to PNG), and carried
// inside a GLB, beside a .gltf or inside it as data URIs.
#ifndef TESSARO_HOST_TEXTURES_H
#define TESSARO_HOST_TEXTURES_H

#include <cstddef>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "GltfBinary.h"

namespace tessaro {

// Finds the file a texture name refers to, looking only inside the
// folders, in their order: the name as a relative path (when it has no
// scheme, no ".." and is not absolute) in each folder, then its base name
// (after the last / or \) in each, then the base name in any case. A name
// from another machine ("C:\maps\oak.png", "file:///Users/x/oak.png") is
// so found by its base name; the path as given is never opened.
class TextureFinder {
 public:
  // A file found must lie, once its links are followed, inside one of the
  // roots (all the folders when none are given): a link in a folder that
  // leads elsewhere is not followed out of it.
  explicit TextureFinder(std::vector<std::string> folders, const std::vector<std::string> &roots = {});
  // The path of the file for the host's (8-bit) texture name; empty when
  // no folder holds one.
  std::string Find(const std::string &name);
  const std::vector<std::string> &Folders() const { return folders_; }
  // After a Find that found nothing: a file of the name that was passed
  // over because its links lead outside the roots ("" when none was).
  const std::string &Outside() const { return outside_; }

 private:
  std::string FindIgnoringCase(const std::string &base);
  bool Inside(const std::filesystem::path &p);
  std::vector<std::string> folders_;
  std::vector<std::filesystem::path> roots_;
  std::string outside_;
  // Per folder, read once: its file names in lower case -> the first name.
  std::map<size_t, std::map<std::string, std::string>> listings_;
};

// Pictures above these are refused rather than read or decoded: files
// above kMaxTextureBytes, pictures above kMaxTexturePixels, and beyond
// kFreeTexturePixels pictures of more than kMaxPixelsPerByte pixels for
// each byte of their file (more than any real picture compresses to).
constexpr size_t kMaxTextureBytes = size_t(256) << 20;
constexpr long long kMaxTexturePixels = 8192LL * 8192;
constexpr long long kFreeTexturePixels = 2048LL * 2048;
constexpr long long kMaxPixelsPerByte = 2048;

// An image as glTF carries it.
struct GltfImage {
  std::string bytes;
  std::string mimeType;    // image/png or image/jpeg
  bool converted = false;  // decoded from another format and encoded as PNG
};

// PNG and JPEG (told by their first bytes) are kept as they are once their
// header reads; anything else the decoders know (BMP, TGA, GIF, PSD, HDR,
// PNM, and TIFF where the build has libtiff) becomes PNG. False with the
// reason when the bytes are none of these, are damaged or too large.
bool ToGltfImage(const std::string &bytes, GltfImage *image, std::string *why);

// Reads a whole regular file of at most kMaxTextureBytes; false with the
// reason otherwise.
bool ReadTextureFile(const std::string &path, std::string *bytes, std::string *why);

// A relative path as a URI reference: every byte but letters, digits,
// "-._~" and the separators "/" percent-escaped, so that no part of it
// reads as a scheme.
std::string RelativeUri(const std::string &utf8Path);

// The images of one export, each file once.
class TextureExport {
 public:
  // output: the file the export is written to; binary: it is a GLB, which
  // carries its images in its buffer; embed: a .gltf carries them as data
  // URIs instead of referring to files beside it. What is left out is said
  // in warnings.
  TextureExport(const std::string &output, bool binary, const std::vector<std::string> &folders, bool embed,
                std::vector<std::string> *warnings, const std::vector<std::string> &roots = {});

  // The glTF texture for the host's texture name, added to the model on
  // first use; -1 when it is left out (with a warning, once per name).
  // A GLB's image goes into its buffer as a piece of its own.
  int TextureFor(tinygltf::Model &model, gltf::BinaryPieces &binary, const std::string &name);

  // Writes the copies of texture files a .gltf refers to beside it. False
  // with the reason when one cannot be written.
  bool WriteCopies(std::string *error);

 private:
  struct Copy {
    std::string path;
    std::string bytes;
  };
  int Add(tinygltf::Model &model, gltf::BinaryPieces &binary, const std::string &name, const std::string &found,
          GltfImage &&image);
  std::string InOutputFolder(const std::string &found) const;
  std::string CopyName(const std::string &found, const GltfImage &image);
  void Warn(const std::string &name, const std::string &why);

  std::string outFolder_;  // where the export lands, its links followed
  bool binary_, embed_;
  TextureFinder finder_;
  std::vector<std::string> *warnings_;
  std::map<std::string, int> byName_, byFile_;  // host name, found file -> texture
  std::set<std::string> claimed_;               // file names taken in the output folder
  std::vector<Copy> copies_;
};

}  // namespace tessaro

#endif
