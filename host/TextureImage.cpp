// Reading a texture file and making it an image glTF takes: PNG and JPEG
// as they are, other formats decoded and encoded as PNG.
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

#include "Path.h"

// The decoders and the PNG encoder (compiled in StbImage.cpp).
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#if defined(TESSARO_HAVE_TIFF)
#include <tiffio.h>
#endif

namespace fs = std::filesystem;

namespace tessaro {

namespace {

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

}  // namespace

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

}  // namespace tessaro
