// Small picture files for the texture tests: PNG and JPEG through
// stb_image_write (the host's copy), BMP and TIFF laid out byte by byte, and
// decoding back to pixels.
#ifndef TESSARO_TESTS_IMAGES_H
#define TESSARO_TESTS_IMAGES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace images {

// Pixels, top row first, RGB.
using Rgb = std::array<uint8_t, 3>;
struct Picture {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;
  bool operator==(const Picture &o) const { return width == o.width && height == o.height && pixels == o.pixels; }
};

// A picture whose pixels depend on seed, so that files differ.
inline Picture Pattern(int width, int height, int seed) {
  Picture p{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.pixels.push_back({uint8_t(seed * 37 + x * 50), uint8_t(seed * 11 + y * 70), uint8_t(seed * 5 + x * y)});
  return p;
}

inline void Append(void *context, void *data, int size) {
  static_cast<std::string *>(context)->append(static_cast<const char *>(data), static_cast<size_t>(size));
}

inline std::string Png(const Picture &p) {
  std::string out;
  stbi_write_png_to_func(Append, &out, p.width, p.height, 3, p.pixels.data(), p.width * 3);
  return out;
}

inline std::string Jpeg(const Picture &p) {
  std::string out;
  stbi_write_jpg_to_func(Append, &out, p.width, p.height, 3, p.pixels.data(), 90);
  return out;
}

inline void Le(std::string &s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
}

// A 24-bit uncompressed BMP; the header may claim another size.
inline std::string Bmp(const Picture &p, int claimedWidth = 0, int claimedHeight = 0) {
  const int w = claimedWidth ? claimedWidth : p.width, h = claimedHeight ? claimedHeight : p.height;
  const uint32_t row = (uint32_t(p.width) * 3 + 3) & ~3u;
  const uint32_t data = row * uint32_t(p.height);
  std::string s = "BM";
  Le(s, 54 + data, 4);
  Le(s, 0, 4);
  Le(s, 54, 4);
  Le(s, 40, 4);
  Le(s, uint32_t(w), 4);
  Le(s, uint32_t(h), 4);
  Le(s, 1, 2);
  Le(s, 24, 2);
  Le(s, 0, 4);
  Le(s, data, 4);
  Le(s, 2835, 4);
  Le(s, 2835, 4);
  Le(s, 0, 4);
  Le(s, 0, 4);
  for (int y = p.height - 1; y >= 0; --y) {  // bottom row first
    for (int x = 0; x < p.width; ++x) {
      const Rgb &c = p.pixels[size_t(y * p.width + x)];
      s += static_cast<char>(c[2]);
      s += static_cast<char>(c[1]);
      s += static_cast<char>(c[0]);
    }
    s.append(row - uint32_t(p.width) * 3, '\0');
  }
  return s;
}

// A little-endian RGB TIFF, uncompressed, in one strip.
inline std::string Tiff(const Picture &p) {
  struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
  };
  const uint32_t entries = 10, bitsAt = 8 + 2 + entries * 12 + 4, pixelsAt = bitsAt + 6;
  const uint32_t bytes = uint32_t(p.width * p.height * 3);
  const Entry ifd[] = {{256, 3, 1, uint32_t(p.width)}, {257, 3, 1, uint32_t(p.height)}, {258, 3, 3, bitsAt},
                       {259, 3, 1, 1},  // no compression
                       {262, 3, 1, 2},  // RGB
                       {273, 4, 1, pixelsAt}, {277, 3, 1, 3}, {278, 3, 1, uint32_t(p.height)}, {279, 4, 1, bytes},
                       {284, 3, 1, 1}};  // interleaved
  std::string s = "II";
  Le(s, 42, 2);
  Le(s, 8, 4);
  Le(s, entries, 2);
  for (const Entry &e : ifd) {
    Le(s, e.tag, 2);
    Le(s, e.type, 2);
    Le(s, e.count, 4);
    Le(s, e.value, 4);
  }
  Le(s, 0, 4);
  for (int i = 0; i < 3; ++i) Le(s, 8, 2);
  for (const Rgb &c : p.pixels) s.append(reinterpret_cast<const char *>(c.data()), 3);
  return s;
}

// The pixels of an image file, as RGB; an empty picture when it does not
// decode.
inline Picture Decode(const std::string &bytes) {
  int w = 0, h = 0, n = 0;
  unsigned char *data = stbi_load_from_memory(reinterpret_cast<const unsigned char *>(bytes.data()),
                                              static_cast<int>(bytes.size()), &w, &h, &n, 3);
  Picture p;
  if (!data) return p;
  p.width = w, p.height = h;
  for (int i = 0; i < w * h; ++i) p.pixels.push_back({data[3 * i], data[3 * i + 1], data[3 * i + 2]});
  stbi_image_free(data);
  return p;
}

}  // namespace images

#endif
