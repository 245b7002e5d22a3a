#include "Textures.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "Output.h"
#include "Path.h"
#include "Text.h"

// The decoders and the PNG encoder (compiled in StbImage.cpp).
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#if defined(TESSARO_HAVE_TIFF)
#include <tiffio.h>
#endif

namespace fs = std::filesystem;

namespace tessaro {

namespace {

std::string Quoted(const std::string &utf8) { return "'" + EscapeControls(utf8) + "'"; }

bool RegularFile(const fs::path &p) {
  std::error_code ec;
  return fs::is_regular_file(fs::status(p, ec));
}

std::string Lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool HasDotDot(const std::string &name) {
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("/\\", start);
    if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

// A name that may be looked up as a path below a folder: no scheme or
// drive (no ":" at all), not absolute, no "..".
bool RelativeName(const std::string &name) {
  return !name.empty() && name.find(':') == std::string::npos && name[0] != '/' && name[0] != '\\' &&
         !HasDotDot(name);
}

// A single file name that stays in its folder when joined to it.
bool PlainFileName(const std::string &base) {
  if (base.empty() || base == "." || base == "..") return false;
#if defined(_WIN32)
  if (base.find(':') != std::string::npos) return false;
#endif
  return base.find_first_of("/\\") == std::string::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = HexDigit(s[i + 1])) >= 0 &&
        (lo = HexDigit(s[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The base names a texture name may stand for: after the last separator;
// a drive or scheme without a separator ("C:oak.png") is dropped too, and
// a file URI's escapes are undone.
std::vector<std::string> BaseNames(const std::string &name) {
  std::vector<std::string> out;
  auto add = [&](const std::string &b) {
    if (PlainFileName(b) && std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
  };
  size_t slash = name.find_last_of("/\\");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  add(base);
  size_t colon = base.find_last_of(':');
  if (colon != std::string::npos) add(base.substr(colon + 1));
  if (Lower(name.substr(0, 5)) == "file:") {
    std::string decoded = PercentDecoded(base);
    if (decoded.find('\0') == std::string::npos) add(decoded);
  }
  return out;
}

// The spellings of a host name on disk: its 8-bit text as UTF-8 and,
// when its bytes already are UTF-8 beyond ASCII, those bytes.
std::vector<std::string> Spellings(const std::string &name) {
  std::vector<std::string> out = {ToUtf8(name)};
  std::string text, at;
  if (!FromUtf8(name, &text, &at) || text != name) out.push_back(name);
  return out;
}

bool StartsWith(const std::string &bytes, const char *magic, size_t n) {
  return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}
bool IsPng(const std::string &b) { return StartsWith(b, "\x89PNG\r\n\x1a\n", 8); }
bool IsJpeg(const std::string &b) { return StartsWith(b, "\xff\xd8\xff", 3); }
bool IsTiff(const std::string &b) {
  return StartsWith(b, "II*\0", 4) || StartsWith(b, "MM\0*", 4) || StartsWith(b, "II+\0", 4) ||
         StartsWith(b, "MM\0+", 4);
}

uint32_t Big(const std::string &b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | uint8_t(b[at + size_t(i)]);
  return v;
}

// PNG and JPEG pass through undecoded; their headers are checked here, by
// code that reads no further than the bytes hold, rather than by the
// decoders (stb_image's JPEG header reader indexes past a table on some
// damaged files).
bool PngHeaderReads(const std::string &b, long long *width, long long *height) {
  // The signature, then IHDR: its length 13, the size and a valid pairing
  // of bit depth and colour type.
  if (b.size() < 8 + 8 + 13 || Big(b, 8, 4) != 13 || b.compare(12, 4, "IHDR") != 0) return false;
  const uint32_t w = Big(b, 16, 4), h = Big(b, 20, 4);
  *width = w, *height = h;
  const unsigned depth = uint8_t(b[24]), colour = uint8_t(b[25]);
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return false;
  bool depthFits = false;
  switch (colour) {
    case 0: depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16; break;
    case 3: depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8; break;
    case 2: case 4: case 6: depthFits = depth == 8 || depth == 16; break;
    default: break;
  }
  return depthFits && b[26] == 0 && b[27] == 0 && uint8_t(b[28]) <= 1;
}

// The markers from the start up to a frame header, which must give a size
// and its components.
bool JpegHeaderReads(const std::string &b, long long *width, long long *height) {
  size_t i = 2;
  while (i + 2 <= b.size()) {
    if (uint8_t(b[i]) != 0xFF) return false;
    const unsigned marker = uint8_t(b[i + 1]);
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    i += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA || i + 2 > b.size()) return false;
    const size_t length = Big(b, i, 2);
    if (length < 2 || length > b.size() - i) return false;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (length < 8) return false;
      const uint32_t h = Big(b, i + 3, 2), w = Big(b, i + 5, 2), components = uint8_t(b[i + 7]);
      *width = w, *height = h;
      return w > 0 && h > 0 && components > 0 && length >= 8 + 3 * size_t(components);
    }
    i += length;
  }
  return false;
}

const unsigned char *Data(const std::string &b) { return reinterpret_cast<const unsigned char *>(b.data()); }

std::string Reason() {
  const char *r = stbi_failure_reason();
  return r ? r : "unknown";
}

// Whether a picture of w x h pixels is decoded from a file of so many
// bytes: not above kMaxTexturePixels, and not far more pixels than the
// bytes can describe (a few bytes claiming millions of pixels would cost
// seconds and hundreds of megabytes to decode and encode as PNG).
bool Decodable(long long w, long long h, size_t bytes, std::string *why) {
  const long long pixels = w * h;
  const std::string size = std::to_string(w) + " x " + std::to_string(h) + " pixels";
  if (pixels > kMaxTexturePixels) {
    *why = "it is " + size + ", more than the " + std::to_string(kMaxTexturePixels) + " the export decodes";
    return false;
  }
  if (pixels > kFreeTexturePixels && pixels / kMaxPixelsPerByte > static_cast<long long>(bytes)) {
    *why = "it claims " + size + " from only " + std::to_string(bytes) + " bytes";
    return false;
  }
  return true;
}

void AppendBytes(void *context, void *data, int size) {
  auto *out = static_cast<std::string *>(context);
  out->append(static_cast<const char *>(data), static_cast<size_t>(size));
}

bool EncodePng(const unsigned char *pixels, int w, int h, int components, GltfImage *image, std::string *why) {
  std::string png;
  if (!stbi_write_png_to_func(AppendBytes, &png, w, h, components, pixels, w * components)) {
    *why = "it cannot be encoded as PNG";
    return false;
  }
  image->bytes = std::move(png);
  image->mimeType = "image/png";
  image->converted = true;
  return true;
}

#if defined(TESSARO_HAVE_TIFF)
// libtiff reads from the bytes in memory.
struct TiffSource {
  const std::string *bytes = nullptr;
  uint64_t pos = 0;
  std::string error;
};
tmsize_t TiffRead(thandle_t h, void *buf, tmsize_t n) {
  auto *s = static_cast<TiffSource *>(h);
  if (n <= 0 || s->pos >= s->bytes->size()) return 0;
  size_t k = std::min(static_cast<size_t>(n), static_cast<size_t>(s->bytes->size() - s->pos));
  std::memcpy(buf, s->bytes->data() + s->pos, k);
  s->pos += k;
  return static_cast<tmsize_t>(k);
}
tmsize_t TiffWrite(thandle_t, void *, tmsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto *s = static_cast<TiffSource *>(h);
  uint64_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->bytes->size() : 0;
  if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
  s->pos = base + off;
  return s->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<TiffSource *>(h)->bytes->size(); }
int TiffMap(thandle_t, void **, toff_t *) { return 0; }
void TiffUnmap(thandle_t, void *, toff_t) {}
int TiffError(TIFF *, void *user, const char *, const char *fmt, va_list ap) {
  auto *s = static_cast<TiffSource *>(user);
  if (s->error.empty()) {
    char buf[256];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    s->error = buf;
  }
  return 1;
}
int TiffQuiet(TIFF *, void *, const char *, const char *, va_list) { return 1; }

bool DecodeTiff(const std::string &bytes, GltfImage *image, std::string *why) {
  // Messages from calls without a handle of their own are not printed.
  static std::once_flag quiet;
  std::call_once(quiet, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
  TiffSource src;
  src.bytes = &bytes;
  TIFFOpenOptions *opts = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(kMaxTextureBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(opts, TiffError, &src);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, TiffQuiet, nullptr);
  TIFF *tif = TIFFClientOpenExt("texture", "rm", &src, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                                TiffUnmap, opts);
  TIFFOpenOptionsFree(opts);
  auto damaged = [&](const char *what) {
    *why = std::string(what) + (src.error.empty() ? "" : ": " + src.error);
    return false;
  };
  if (!tif) return damaged("its TIFF header is damaged");
  struct Closer {
    TIFF *t;
    ~Closer() { TIFFClose(t); }
  } closer{tif};
  uint32_t w = 0, h = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  if (w == 0 || h == 0) return damaged("it has no pixels");
  if (!Decodable(w, h, bytes.size(), why)) return false;
  char message[1024] = "";
  if (!TIFFRGBAImageOK(tif, message)) {
    *why = std::string("its TIFF layout cannot be read: ") + message;
    return false;
  }
  std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
  if (!TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1))
    return damaged("its TIFF pixels are damaged");
  bool opaque = std::all_of(raster.begin(), raster.end(), [](uint32_t p) { return TIFFGetA(p) == 255; });
  const int components = opaque ? 3 : 4;
  std::vector<unsigned char> pixels;
  pixels.reserve(raster.size() * static_cast<size_t>(components));
  for (uint32_t p : raster) {
    pixels.push_back(static_cast<unsigned char>(TIFFGetR(p)));
    pixels.push_back(static_cast<unsigned char>(TIFFGetG(p)));
    pixels.push_back(static_cast<unsigned char>(TIFFGetB(p)));
    if (!opaque) pixels.push_back(static_cast<unsigned char>(TIFFGetA(p)));
  }
  return EncodePng(pixels.data(), static_cast<int>(w), static_cast<int>(h), components, image, why);
}
#endif

std::string Base64(const std::string &bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += digits[(v >> k) & 63];
  }
  if (size_t rest = bytes.size() - i) {
    uint32_t v = uint32_t(uint8_t(bytes[i])) << 16 | (rest == 2 ? uint32_t(uint8_t(bytes[i + 1])) << 8 : 0);
    out += digits[(v >> 18) & 63];
    out += digits[(v >> 12) & 63];
    out += rest == 2 ? digits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

}  // namespace

// ---- finding ------------------------------------------------------------------

TextureFinder::TextureFinder(std::vector<std::string> folders, const std::vector<std::string> &roots) {
  for (std::string &f : folders)
    if (!f.empty()) folders_.push_back(std::move(f));
  for (const std::string &r : roots.empty() ? folders_ : roots) {
    std::error_code ec;
    fs::path real = fs::canonical(PathFromUtf8(r), ec);
    if (!ec) roots_.push_back(real);
  }
}

bool TextureFinder::Inside(const fs::path &p) {
  std::error_code ec;
  const fs::path real = fs::canonical(p, ec);
  if (ec) return false;
  for (const fs::path &root : roots_) {
    auto r = real.begin();
    bool within = true;
    for (auto f = root.begin(); within && f != root.end(); ++f, ++r) within = r != real.end() && *r == *f;
    if (within) return true;
  }
  if (outside_.empty()) outside_ = Utf8Of(p);
  return false;
}

std::string TextureFinder::Find(const std::string &name) {
  outside_.clear();
  if (name.empty() || name.find('\0') != std::string::npos) return "";
  const std::vector<std::string> spellings = Spellings(name);
  for (const std::string &s : spellings) {
    if (!RelativeName(s)) continue;
    std::string relative = s;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    for (const std::string &folder : folders_) {
      fs::path p = PathFromUtf8(folder) / PathFromUtf8(relative);
      if (RegularFile(p) && Inside(p)) return Utf8Of(p);
    }
  }
  std::vector<std::string> bases;
  for (const std::string &s : spellings)
    for (const std::string &b : BaseNames(s))
      if (std::find(bases.begin(), bases.end(), b) == bases.end()) bases.push_back(b);
  for (const std::string &b : bases)
    for (const std::string &folder : folders_) {
      fs::path p = PathFromUtf8(folder) / PathFromUtf8(b);
      if (RegularFile(p) && Inside(p)) return Utf8Of(p);
    }
  for (const std::string &b : bases) {
    std::string found = FindIgnoringCase(b);
    if (!found.empty()) return found;
  }
  return "";
}

// Files made on another system may differ from their names in case alone.
std::string TextureFinder::FindIgnoringCase(const std::string &base) {
  const std::string key = Lower(base);
  for (size_t i = 0; i < folders_.size(); ++i) {
    auto it = listings_.find(i);
    if (it == listings_.end()) {
      std::map<std::string, std::string> names;
      std::error_code ec;
      for (fs::directory_iterator d(PathFromUtf8(folders_[i]), ec), end; !ec && d != end; d.increment(ec)) {
        std::string n = Utf8Of(d->path().filename());
        names.emplace(Lower(n), n);
      }
      it = listings_.emplace(i, std::move(names)).first;
    }
    auto hit = it->second.find(key);
    if (hit == it->second.end()) continue;
    fs::path p = PathFromUtf8(folders_[i]) / PathFromUtf8(hit->second);
    if (RegularFile(p) && Inside(p)) return Utf8Of(p);
  }
  return "";
}

// ---- reading and converting ---------------------------------------------------

bool ReadTextureFile(const std::string &path, std::string *bytes, std::string *why) {
#if defined(_WIN32)
  std::error_code ec;
  if (!fs::is_regular_file(fs::status(PathFromUtf8(path), ec))) {
    *why = "it is not a regular file";
    return false;
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    *why = std::strerror(errno);
    return false;
  }
  bytes->clear();
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    bytes->append(buf, static_cast<size_t>(in.gcount()));
    if (bytes->size() > kMaxTextureBytes) {
      *why = "it is larger than " + std::to_string(kMaxTextureBytes >> 20) + " MB";
      return false;
    }
  }
  if (in.bad()) {
    *why = "a read failed";
    return false;
  }
  return true;
#else
  // Never waits: a FIFO put in the file's place is refused, not opened
  // for a writer that may never come.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    *why = std::strerror(errno);
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st;
  if (fstat(fd, &st) != 0) {
    *why = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *why = "it is not a regular file";
    return false;
  }
  if (static_cast<unsigned long long>(st.st_size) > kMaxTextureBytes) {
    *why = "it is larger than " + std::to_string(kMaxTextureBytes >> 20) + " MB";
    return false;
  }
  bytes->clear();
  bytes->reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    bytes->append(buf, static_cast<size_t>(n));
    if (bytes->size() > kMaxTextureBytes) {
      *why = "it is larger than " + std::to_string(kMaxTextureBytes >> 20) + " MB";
      return false;
    }
  }
  return true;
#endif
}

bool ToGltfImage(const std::string &bytes, GltfImage *image, std::string *why) {
  if (bytes.empty()) {
    *why = "the file is empty";
    return false;
  }
  const int length = static_cast<int>(bytes.size());  // at most kMaxTextureBytes
  int w = 0, h = 0, components = 0;
  if (IsPng(bytes) || IsJpeg(bytes)) {
    const bool png = IsPng(bytes);
    long long pw = 0, ph = 0;
    if (png ? !PngHeaderReads(bytes, &pw, &ph) : !JpegHeaderReads(bytes, &pw, &ph)) {
      *why = std::string("its ") + (png ? "PNG" : "JPEG") + " header is damaged";
      return false;
    }
    // Carried undecoded, but every viewer decodes it: the same limits.
    if (!Decodable(pw, ph, bytes.size(), why)) return false;
    image->bytes = bytes;
    image->mimeType = png ? "image/png" : "image/jpeg";
    image->converted = false;
    return true;
  }
  if (IsTiff(bytes)) {
#if defined(TESSARO_HAVE_TIFF)
    return DecodeTiff(bytes, image, why);
#else
    *why = "this build reads no TIFF images";
    return false;
#endif
  }
  if (!stbi_info_from_memory(Data(bytes), length, &w, &h, &components)) {
    *why = "it is no image the export reads (PNG, JPEG, BMP, TGA, GIF, PSD, HDR, PNM or TIFF)";
    return false;
  }
  if (!Decodable(w, h, bytes.size(), why)) return false;
  unsigned char *pixels = stbi_load_from_memory(Data(bytes), length, &w, &h, &components, 0);
  if (!pixels) {
    *why = "its pixels are damaged (" + Reason() + ")";
    return false;
  }
  bool ok = EncodePng(pixels, w, h, components, image, why);
  stbi_image_free(pixels);
  return ok;
}

std::string RelativeUri(const std::string &utf8Path) {
  std::string out;
  for (unsigned char c : utf8Path) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      static const char hex[] = "0123456789ABCDEF";
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// ---- carrying -------------------------------------------------------------------

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

int TextureExport::TextureFor(tinygltf::Model &model, const std::string &name) {
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
  texture = Add(model, name, found, image);
  if (texture >= 0) byFile_[file] = texture;
  return texture;
}

int TextureExport::Add(tinygltf::Model &model, const std::string &name, const std::string &found,
                       const GltfImage &image) {
  tinygltf::Image out;
  out.name = Utf8Of(PathFromUtf8(found).filename());
  if (binary_) {
    if (model.buffers.empty()) model.buffers.emplace_back();
    auto &buffer = model.buffers[0].data;
    buffer.resize((buffer.size() + 3) & ~size_t(3));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = buffer.size();
    view.byteLength = image.bytes.size();
    buffer.insert(buffer.end(), image.bytes.begin(), image.bytes.end());
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
