// The binary buffer of a glTF export, kept as the arrays that make it: each
// array stays the block it was built in, at a 4-byte aligned offset, or is
// only written when the buffer is, so that a GLB's binary chunk is written
// straight from them and the export never holds a second copy of its
// meshes.
#ifndef TESSARO_HOST_GLTF_BINARY_H
#define TESSARO_HOST_GLTF_BINARY_H

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaro {
namespace gltf {

// Takes the next run of an array's bytes: false when it cannot.
using Put = std::function<bool(const void *bytes, size_t length)>;
// Writes an array's bytes, in order, through put: false when put fails.
using Produce = std::function<bool(const Put &put)>;

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

  // An array of `length` bytes that produce writes when the buffer is
  // written, rather than held until then; answers its offset.
  size_t AddLater(size_t length, Produce produce) {
    const size_t offset = Keep(nullptr, nullptr, length);
    pieces_.back().produce = std::move(produce);
    return offset;
  }

  // The buffer's length: its last piece's end.
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  // The whole buffer in one block, the gaps zero; false when a piece
  // written later fails or does not give its length.
  bool Joined(std::vector<unsigned char> *out) const {
    out->assign(size_, 0);
    for (const Piece &p : pieces_) {
      unsigned char *at = out->data() + p.offset;
      size_t left = p.length;
      const bool ok = PieceBytes(p, [&](const void *bytes, size_t length) {
        if (length > left) return false;
        std::memcpy(at, bytes, length);
        at += length, left -= length;
        return true;
      });
      if (!ok || left) return false;
    }
    return true;
  }

  // Writes the buffer and zeros up to `padded` (at least its length): false
  // when the stream takes less.
  bool Write(std::FILE *f, size_t padded) const {
    static const unsigned char kZeros[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (const Piece &p : pieces_) {
      if (std::fwrite(kZeros, 1, p.offset - at, f) != p.offset - at) return false;
      size_t left = p.length;
      const bool ok = PieceBytes(p, [&](const void *bytes, size_t length) {
        if (length > left || std::fwrite(bytes, 1, length, f) != length) return false;
        left -= length;
        return true;
      });
      if (!ok || left) return false;
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
    Produce produce;  // for an array written later
  };
  static bool PieceBytes(const Piece &p, const Put &put) {
    if (p.produce) return p.produce(put);
    return p.length == 0 || put(p.bytes, p.length);
  }
  size_t Keep(std::shared_ptr<const void> owner, const void *bytes, size_t length) {
    const size_t offset = (size_ + 3) & ~size_t(3);
    pieces_.push_back({std::move(owner), static_cast<const unsigned char *>(bytes), length, offset, nullptr});
    size_ = offset + length;
    return offset;
  }

  std::vector<Piece> pieces_;
  size_t size_ = 0;
};

}  // namespace gltf
}  // namespace tessaro

#endif
