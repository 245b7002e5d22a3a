// A small builder of FT50 byte streams: the 16-byte header, then records
// with big-endian fields. Records nest: Begin opens one, End patches its
// length. Raw lets a test write headers no honest writer would.
#ifndef TESSARO_TESTS_FT50_WRITER_H
#define TESSARO_TESTS_FT50_WRITER_H

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

class Ft50Writer {
 public:
  // The 12 bytes after the magic are free; fill lets a test vary them.
  explicit Ft50Writer(uint8_t fill = 0) {
    for (char c : {'F', 'T', '5', '0'}) bytes_.push_back(static_cast<uint8_t>(c));
    bytes_.resize(16, fill);
  }

  Ft50Writer &Begin(uint32_t type, uint8_t version = 0) {
    I32(static_cast<int32_t>((type & 0xFFFFFFu) | (uint32_t(version) << 24)));
    open_.push_back(bytes_.size());
    I32(0);
    return *this;
  }
  Ft50Writer &End() {
    size_t at = open_.back();
    open_.pop_back();
    uint32_t len = static_cast<uint32_t>(bytes_.size() - at - 4);
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(len >> (24 - 8 * i));
    return *this;
  }
  // A record with no payload.
  Ft50Writer &Empty(uint32_t type, uint8_t version = 0) { return Begin(type, version).End(); }
  // The end record of a list or of the stream.
  Ft50Writer &Terminator() { return Empty(0); }
  // A header with any type word and length, and no payload.
  Ft50Writer &RawHeader(uint32_t word, int32_t length) {
    I32(static_cast<int32_t>(word));
    return I32(length);
  }

  Ft50Writer &U8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
  }
  Ft50Writer &Bool(bool v) { return U8(v ? 1 : 0); }
  Ft50Writer &I16(int16_t v) { return Big(static_cast<uint16_t>(v), 2); }
  Ft50Writer &U16(uint16_t v) { return Big(v, 2); }
  Ft50Writer &I32(int32_t v) { return Big(static_cast<uint32_t>(v), 4); }
  Ft50Writer &F32(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return Big(u, 4);
  }
  Ft50Writer &Pair(float a, float b) { return F32(a).F32(b); }
  Ft50Writer &Vec(float x, float y, float z) { return F32(x).F32(y).F32(z); }
  Ft50Writer &Bytes(const void *p, size_t n) {
    const auto *b = static_cast<const uint8_t *>(p);
    for (size_t i = 0; i < n; ++i) bytes_.push_back(b[i]);
    return *this;
  }
  Ft50Writer &Zeros(size_t n) {
    bytes_.resize(bytes_.size() + n, 0);
    return *this;
  }
  Ft50Writer &Text(const std::string &s) {
    I16(static_cast<int16_t>(s.size()));
    return Bytes(s.data(), s.size());
  }

  const std::vector<uint8_t> &Data() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }
  bool Save(const std::string &path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    return static_cast<bool>(out.flush());
  }

 private:
  Ft50Writer &Big(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

#endif
