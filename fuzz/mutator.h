// A mutator that knows the record framing: it finds the records of an input
// (nested where the format nests), changes one of them and mends the
// lengths of the records around it, so that a change deep inside a large
// file still reaches the reader of that record instead of breaking the
// framing in front of it. Half of the mutations are libFuzzer's own on the
// whole input, which keep finding the framing faults.
#ifndef TESSARO_FUZZ_MUTATOR_H
#define TESSARO_FUZZ_MUTATOR_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace fuzzmutator {

struct Node {
  size_t header;  // offset of the 8-byte header
  size_t end;     // offset after the payload
  int parent;     // index of the enclosing record, or -1
  bool container;
};

inline uint32_t Get32(const uint8_t *p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline void Put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Records that hold lists of records.
inline bool Nests(uint32_t type) { return type == 5020 || type == 5500 || type == 5501 || type == 5703; }

// The records whose framing holds, breadth of each list in file order, with
// a work list instead of recursion.
inline std::vector<Node> Parse(const uint8_t *data, size_t size) {
  std::vector<Node> nodes;
  struct Span {
    size_t from, to;
    int parent;
  };
  std::vector<Span> work = {{16, size, -1}};
  while (!work.empty() && nodes.size() < 100000) {
    Span s = work.back();
    work.pop_back();
    size_t at = s.from;
    while (at + 8 <= s.to) {
      uint32_t type = Get32(data + at) & 0xFFFFFFu;
      int32_t length = static_cast<int32_t>(Get32(data + at + 4));
      if (length < 0 || at + 8 + size_t(length) > s.to) break;
      Node n{at, at + 8 + size_t(length), s.parent, Nests(type)};
      nodes.push_back(n);
      if (n.container) work.push_back({at + 8, n.end, int(nodes.size() - 1)});
      at = n.end;
      if (type == 0) break;
    }
  }
  return nodes;
}

// Adds delta to the length of the node and of every record around it.
inline void Mend(uint8_t *data, const std::vector<Node> &nodes, int index, long delta) {
  for (int i = index; i >= 0; i = nodes[size_t(i)].parent) {
    uint8_t *p = data + nodes[size_t(i)].header + 4;
    Put32(p, static_cast<uint32_t>(static_cast<int32_t>(Get32(p)) + delta));
  }
}

// mutate: libFuzzer's mutation of a byte range in place (LLVMFuzzerMutate).
template <class Mutate>
size_t MutateRecords(uint8_t *data, size_t size, size_t maxSize, unsigned seed, Mutate mutate) {
  std::minstd_rand rng(seed);
  if (size < 24 || rng() % 2) return mutate(data, size, maxSize);
  std::vector<Node> nodes = Parse(data, size);
  if (nodes.empty()) return mutate(data, size, maxSize);
  const int index = int(rng() % nodes.size());
  const Node n = nodes[size_t(index)];
  const size_t whole = n.end - n.header;
  switch (rng() % 4) {
    case 0: {  // a copy of the record after it
      if (size + whole > maxSize) return mutate(data, size, maxSize);
      std::memmove(data + n.end + whole, data + n.end, size - n.end);
      std::memcpy(data + n.end, data + n.header, whole);
      if (n.parent >= 0) Mend(data, nodes, n.parent, long(whole));
      return size + whole;
    }
    case 1: {  // the record removed
      std::memmove(data + n.header, data + n.end, size - n.end);
      if (n.parent >= 0) Mend(data, nodes, n.parent, -long(whole));
      return size - whole;
    }
    case 2: {  // a count or length at the start of the payload set to a boundary
      if (whole < 12) return mutate(data, size, maxSize);
      const uint32_t payload = uint32_t(whole - 8);
      const uint32_t values[] = {0, 1, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, payload / 12, payload / 12 + 1,
                                 payload / 6,  payload / 4 + 1, static_cast<uint32_t>(rng())};
      const size_t at = n.header + 8 + (rng() % 2 && whole >= 16 ? 4 : 0);
      Put32(data + at, values[rng() % (sizeof values / sizeof values[0])]);
      return size;
    }
    default: {  // the payload of a record without nested ones changed, and its length mended
      const size_t payload = whole - 8;
      // Room to grow to twice its size: copies of whole records grow inputs
      // faster, and a larger buffer only costs clearing it.
      const size_t room = std::min(maxSize - (size - payload), payload * 2 + 256);
      if (n.container || room <= payload) return mutate(data, size, maxSize);
      std::vector<uint8_t> body(data + n.header + 8, data + n.end);
      body.resize(room);
      const size_t changed = mutate(body.data(), payload, room);
      std::memmove(data + n.header + 8 + changed, data + n.end, size - n.end);
      std::memcpy(data + n.header + 8, body.data(), changed);
      Mend(data, nodes, index, long(changed) - long(payload));
      return size - payload + changed;
    }
  }
}

}  // namespace fuzzmutator

#endif
