// tessaro inspect: the record tree of an FT50 file.
#ifndef TESSARO_HOST_INSPECT_H
#define TESSARO_HOST_INSPECT_H

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessaro {

// What the walk learns of the file that an import's document cannot show:
// the objects and materials its records hold and what the import skips.
struct FileFacts {
  struct ObjectRecord {
    int64_t at = 0;
    // The object type its kind record makes (0: none the import makes, or
    // the record is too short to read).
    int32_t objectType = 0;
    // The header: read as the import reads it, with its level and name.
    bool headerRead = false;
    int32_t level = -1;
    std::string name;
    // The materials its texture tags name, counted from 1, and how many
    // material records came before it.
    std::vector<int32_t> materials;
    uint64_t materialsBefore = 0;
  };
  struct MaterialRecord {
    int64_t at = 0;
    std::string name;  // empty when its header cannot be read
  };
  // Records of a type the import does not read where they stand: by type
  // (-1: the types beyond the first 256 met), how many and where the first
  // one is.
  struct Skipped {
    uint64_t count = 0;
    int64_t firstAt = 0;
  };
  int64_t length = 0;
  uint64_t records = 0;
  int problems = 0;
  // Each object record, once walked, is handed here rather than kept: a
  // file may hold very many.
  std::function<void(const ObjectRecord &)> onObject;
  uint64_t objects = 0;
  std::vector<MaterialRecord> materials;
  std::map<int32_t, Skipped> skipped;
};

// Prints the records of the file, nested as the format nests them, with
// every framing problem named; answers the number of problems, or -1 (with
// why) when the file cannot be read as an FT50 file. out may be null (only
// facts are gathered); facts may be null, else its onObject is called
// with each object record. Needs a live Host.
int InspectFile(const std::string &path, std::FILE *out, std::string *why, FileFacts *facts = nullptr);

}  // namespace tessaro

#endif
