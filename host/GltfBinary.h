// The binary buffer of a glTF export, kept as the arrays that make it: each
// array stays the block it was built in, at a 4-byte aligned offset, so
// that a GLB's binary chunk is written straight from them and the export
// never holds a second copy of its meshes.
#ifndef TESSARO_HOST_GLTF_BINARY_H
#define TESSARO_HOST_GLTF_BINARY_H

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaro {
namespace gltf {

class BinaryPieces {
 public:
  // Takes the array over; answers the offset of its first byte.
  template <class T, class A>
  size_t Add(std::vector<T, A> &&data) {
    auto kept = std::make_shared<std::vector<T, A>>(std::move(data));
    return Keep(kept, kept->data(), kept->size() * sizeof(T));
  }
  size_t Add(std::string &&data) {
    auto kept = std::make_shared<std::string>(std::move(data));
    return Keep(kept, kept->data(), kept->size());
  }

  // The buffer's length: its last piece's end.
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  // The whole buffer in one block, the gaps zero.
  std::vector<unsigned char> Joined() const {
    std::vector<unsigned char> out(size_);
    for (const Piece &p : pieces_) std::copy(p.bytes, p.bytes + p.length, out.begin() + static_cast<long>(p.offset));
    return out;
  }

  // Writes the buffer and zeros up to `padded` (at least its length): false
  // when the stream takes less.
  bool Write(std::FILE *f, size_t padded) const {
    static const unsigned char kZeros[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (const Piece &p : pieces_) {
      if (std::fwrite(kZeros, 1, p.offset - at, f) != p.offset - at) return false;
      if (p.length && std::fwrite(p.bytes, 1, p.length, f) != p.length) return false;
      at = p.offset + p.length;
    }
    for (; at < padded; at += 1)
      if (std::fputc(0, f) == EOF) return false;
    return true;
  }

 private:
  struct Piece {
    std::shared_ptr<const void> owner;
    const unsigned char *bytes;
    size_t length, offset;
  };
  size_t Keep(std::shared_ptr<const void> owner, const void *bytes, size_t length) {
    const size_t offset = (size_ + 3) & ~size_t(3);
    pieces_.push_back({std::move(owner), static_cast<const unsigned char *>(bytes), length, offset});
    size_ = offset + length;
    return offset;
  }

  std::vector<Piece> pieces_;
  size_t size_ = 0;
};

}  // namespace gltf
}  // namespace tessaro

#endif
