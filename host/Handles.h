// What the opaque handles of host_interface.h are on the host's side.
#ifndef TESSARO_HOST_HANDLES_H
#define TESSARO_HOST_HANDLES_H

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Model.h"
#include "Resource.h"
#include "host_interface.h"

struct th_string {
  std::string s;
};

struct th_container {
  tessaro::Container c;
};

struct th_resource {
  tessaro::PluginResource res;
};

struct th_select {
  std::set<int32_t> indices;
};

// The host's file object: buffered, so that a field read costs a bounds
// check, a copy and a byte swap.
struct th_file {
  // A whole buffer is read when reading goes on from its end; a page after
  // a jump (FileBuffer.cpp).
  static constexpr size_t kBufferSize = 1 << 18;
  static constexpr size_t kPageSize = 1 << 12;

  std::FILE *fp = nullptr;
  std::string name;
  bool swap = false;  // file order differs from this machine's
  int64_t size = 0;
  int64_t pos = 0;    // logical position; may lie past the end after a seek
  // Not cleared when allocated: only what a refill wrote is ever read.
  std::unique_ptr<uint8_t[]> buffer;
  int64_t bufferStart = 0;
  int64_t bufferLength = 0;

  // Copies n bytes at pos into out and advances; false (nothing consumed)
  // when fewer remain.
  bool Take(void *out, int64_t n);
  // Copies up to n units of unitBytes at pos into out, each 4- or 2-byte
  // value in it swapped when the orders differ, and advances past them.
  // Answers how many whole units it copied.
  int64_t TakeRun(void *out, int64_t n, int64_t unitBytes, int valueBytes);

  // Moves the system's position of fp (64-bit on every platform).
  static int Seek(std::FILE *fp, int64_t pos, int origin);

 private:
  // Loads the buffer from pos; false when nothing could be read there.
  bool Fill();
};

namespace tessaro {

struct Gadget {
  GadgetDef def;
  bool enabled = true;
  int32_t l = 0;
  float r = 0;
  float min = 0, max = 0, step = 0;
};

}  // namespace tessaro

struct th_listview {
  th_dialog *dialog = nullptr;
  int32_t id = 0;
  int32_t columns = 0;
  tessaro::Container layout;
  std::map<int32_t, tessaro::Container> rows;
  std::set<int32_t> selection;
  int changes = 0;
};

struct th_dialog {
  const th_dialog_class *cls = nullptr;
  void *ctx = nullptr;
  bool loaded = false;
  tessaro::DialogDef def;
  std::map<int32_t, tessaro::Gadget> gadgets;
  std::map<int32_t, th_listview *> lists;  // owned
  bool open = false;
  bool closed = false;
  bool ok = false;
  ~th_dialog();
};

#endif
