// The record tree of an FT50 file, walked with the plug-in's own record
// cursor (linked into the program from the plug-in's sources), so the tree
// shows the framing exactly as an import meets it.
#include "Inspect.h"

#include <cstdarg>
#include <cstring>

#include "Globals.h"
#include "Output.h"
#include "Tables.h"
#include "records/RecordStream.h"

namespace tessaro {

namespace {

const char *RecordName(LONG type) {
  switch (type) {
    case 0: return "end";
    case 2000: return "document settings";
    case 4000: return "render settings";
    case 5020: return "object";
    case 5021: return "object header";
    case 5100: return "polygon object kind";
    case 5101: return "spline kind";
    case 5102: return "light kind";
    case 5103: return "camera kind";
    case 5107: return "kind 5106";
    case 5124: return "kind 5122";
    case 5402: return "position key";
    case 5404: return "rotation key";
    case 5411: return "camera key";
    case 5500: return "animation";
    case 5501: return "key list";
    case 5600: return "points";
    case 5601: return "triangles, 16-bit";
    case 5602: return "quadrangles, 16-bit";
    case 5603: return "index pairs, 16-bit";
    case 5612: return "smoothing";
    case 5616: return "texture tag";
    case 5618: return "UV coordinates";
    case 5653: return "triangles, 32-bit";
    case 5654: return "quadrangles, 32-bit";
    case 5655: return "index pairs, 32-bit";
    case 5703: return "material";
    case 5704: return "material header";
    case 5900: return "colour channel";
    case 5902: return "transparency channel";
    case 5903: return "reflection channel";
    case 5904: return "environment channel";
    case 5907: return "alpha channel";
    case 5908: return "specular channel";
    case 5909: return "specular colour channel";
    default: return nullptr;
  }
}

// Records that hold a list of sub-records, where the import opens them:
// objects and materials at the top level, animations in objects, key lists
// in animations. So the walk is never deeper than the format, whatever the
// input nests. Animations and key lists start their lists with one record
// read as a whole, whatever its type.
bool HoldsList(LONG type, LONG parentType, int depth) {
  switch (type) {
    case 5020:
    case 5703: return depth == 0;
    case 5500: return parentType == 5020;
    case 5501: return parentType == 5500;
    default: return false;
  }
}
bool LeadsWithOpaque(LONG type) { return type == 5500 || type == 5501; }

// The fewest payload bytes that hold the fields the import reads from a
// record where it stands (texts counted empty); 0 where it reads none. A
// shorter record fails its reader.
LONG FieldBytes(LONG type, LONG parentType, bool first, int depth) {
  if (depth == 0) return type == 2000 ? 132 : type == 4000 ? 163 : 0;
  if (parentType == 5020 && first) {
    switch (type) {
      case 5101: return 19;
      case 5102: return 1440;
      case 5103: return 40;
      case 5107: return 59;
      default: return 0;
    }
  }
  if (parentType == 5020) {
    switch (type) {
      case 5021: return 94;
      case 5612: return 12;
      case 5616: return 123;
      case 5600: case 5601: case 5602: case 5603: case 5653: case 5654: case 5655: return 8;
      case 5618: return 10;
      default: return 0;
    }
  }
  if (parentType == 5501) {
    if (first) return 25;
    return type == 5402 || type == 5404 ? 44 : type == 5411 ? 48 : 0;
  }
  if (parentType == 5703) {
    if (first) return type == 5704 ? 15 : 0;
    switch (type - 5900) {
      case 0: case 3: case 9: return 66;
      case 2: return 71;
      case 4: return 74;
      case 7: case 8: return 78;
      default: return 0;
    }
  }
  return 0;
}

// Where a sub-record's count stands and how many bytes each counted entry
// takes, for the records whose count the import reads; 0 for the others.
struct Counted {
  LONG at = 0;     // the count's offset in the payload
  LONG size = 0;   // bytes of one entry
  LONG start = 0;  // offset of the first entry
  bool negativeFails = false;  // else a negative count reads nothing
};
Counted CountOf(LONG type, LONG parentType, bool leading) {
  if (leading && parentType == 5501) return {21, 12, 25, false};  // the key list header's vectors
  if (parentType != 5020) return {};
  switch (type) {
    case 5600: return {0, 12, 8, true};
    case 5601: return {0, 6, 8, true};
    case 5602: return {0, 8, 8, true};
    case 5653: return {0, 12, 8, true};
    case 5654: return {0, 16, 8, true};
    case 5603: return {0, 4, 8, false};
    case 5655: return {0, 8, 8, false};
    case 5618: return {0, 8, 10, true};
    default: return {};
  }
}

// The texture tag's material index: after two integers, three vectors,
// four reals, three bytes and an integer.
const LONG kMaterialIndexAt = 4 + 4 + 3 * 12 + 4 * 4 + 3 + 4;

// The object type an object record's kind record makes; 0 for none.
int32_t ObjectTypeOfKind(LONG kind) {
  switch (kind) {
    case 5100: case 5101: case 5102: case 5103: return kind;
    case 5107: return 5106;
    case 5124: return 5122;
    default: return 0;
  }
}

// Whether the import reads a record of the type where it stands; one it
// does not read is skipped. The leading record of an animation or key list
// is read whatever its type, and is not asked about.
bool ReadWhereItStands(LONG type, LONG parentType, bool first, int depth) {
  if (type == 0) return true;
  if (depth == 0) return type == 2000 || type == 4000 || type == 5020 || type == 5703;
  switch (parentType) {
    case 5020:
      if (first) return ObjectTypeOfKind(type) != 0;
      switch (type) {
        case 5021: case 5600: case 5601: case 5602: case 5603: case 5612: case 5616: case 5618:
        case 5653: case 5654: case 5655: case 5500: return true;
        default: return false;
      }
    case 5703:
      if (first) return type == 5704;
      return RecordName(type) && type >= 5900 && type <= 5909;
    case 5500: return type == 5501;
    case 5501: return type == 5402 || type == 5404 || type == 5411;
    default: return false;
  }
}

// The object header: level, flags, a matrix, three vectors, then the
// name's length and the name.
const LONG kHeaderNameLengthAt = 4 + 4 + 12 * 4 + 3 * 12;
const LONG kMaxLevel = 253;
const LONG kTextBufferSize = 260;

class Walker {
 public:
  Walker(std::FILE *out, LONG length, std::function<void(const FileFacts::ObjectRecord &)> onObject)
      : out_(out), length_(length) {
    facts_.length = length;
    facts_.onObject = std::move(onObject);
  }

  // One list, from the current position to `limit` (its record's end, or
  // the file's end at the top level); true when its end record ended it.
  bool List(int depth, LONG limit, LONG parentType, bool leading) {
    int index = 0;
    for (bool first = true;; first = false, ++index) {
      const LONG at = CurrentImportFile->GetPosition();
      if (at >= limit) {
        if (depth == 0) Problem(depth, "the file ends without an end-of-stream record");
        else Problem(depth, std::string("no end record before the end of the ") + Name(parentType) + " record");
        return false;
      }
      RecordReader r;
      if (!r.ReadHeader()) {
        Explain(depth, at);
        return false;
      }
      const char *name = RecordName(r.type);
      Print("%10ld  %*s%ld %s", static_cast<long>(at), 2 * depth, "", static_cast<long>(r.type),
            name ? name : "(unknown, skipped)");
      if (r.version) Print(", version %d", r.version);
      Print(", %ld bytes\n", static_cast<long>(r.length));
      const bool opaque = first && leading;
      ++facts_.records;
      if (!opaque && !ReadWhereItStands(r.type, parentType, first, depth)) Skipped(r.type, at);
      if (depth == 0 && r.type == 5020) {
        ++facts_.objects;
        object_ = FileFacts::ObjectRecord();
        object_.at = at;
        object_.materialsBefore = facts_.materials.size();
      }
      if (depth == 0 && r.type == 5703) {
        facts_.materials.emplace_back();
        facts_.materials.back().at = at;
      }
      if (r.end > length_)
        Problem(depth, "its length reaches past the end of the file, to byte " + std::to_string(r.end) + " of " +
                           std::to_string(length_));
      else if (depth > 0 && r.end > limit)
        Problem(depth, "its length reaches past the end of the " + std::string(Name(parentType)) + " record, to byte " +
                           std::to_string(r.end) + " of " + std::to_string(limit));
      const LONG fields = FieldBytes(r.type, parentType, first, depth);
      if (!opaque && r.length < fields)
        Problem(depth, "its " + std::to_string(r.length) + " bytes are fewer than its fields take (" +
                           std::to_string(fields) + ")");
      CheckCount(depth, r, CountOf(r.type, parentType, first && leading));
      if (!opaque && HoldsList(r.type, parentType, depth)) {
        const LONG limit = r.end < length_ ? r.end : length_;
        const bool ended = List(depth + 1, limit, r.type, LeadsWithOpaque(r.type));
        // Bytes between a list's end record and its record's end are never
        // read: most often the record's length is too long.
        const LONG after = CurrentImportFile->GetPosition();
        if (ended && after < limit)
          Problem(depth, "its list ends " + std::to_string(limit - after) + " bytes before the record does");
      }
      if (depth == 1 && parentType == 5020) ObjectFacts(index, r);
      if (depth == 1 && parentType == 5703 && first && r.type == 5704) MaterialName(r);
      if (!opaque && r.type == 5616) CheckMaterial(depth, r);
      if (depth == 0 && r.type == 5703) ++materials_;
      if (depth == 0 && r.type == 5020 && facts_.onObject) facts_.onObject(object_);
      r.SkipToEnd();
      if (r.type == 0 && !opaque) return true;
    }
  }

  int problems() const { return problems_; }
  void AddProblem() { ++problems_; }
  FileFacts &facts() { return facts_; }

  void Print(const char *format, ...) {
    if (!out_) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(out_, format, args);
    va_end(args);
  }

 private:
  static const char *Name(LONG type) {
    const char *n = RecordName(type);
    return n ? n : "enclosing";
  }

  void Problem(int depth, const std::string &text) {
    Print("%10s  %*s! %s\n", "", 2 * depth + 2, "", text.c_str());
    ++problems_;
  }

  LONG PayloadAt(const RecordReader &r) const { return r.end - r.length; }

  // Counted by type, up to a number of types: a file of many made-up types
  // costs no more than one of a few.
  void Skipped(LONG type, LONG at) {
    const size_t kTypes = 256;
    auto it = facts_.skipped.find(type);
    if (it == facts_.skipped.end()) {
      const int32_t key = facts_.skipped.size() < kTypes ? type : -1;
      it = facts_.skipped.emplace(key, FileFacts::Skipped{0, at}).first;
    }
    ++it->second.count;
  }

  // The object record's kind and header, read as the import reads them.
  void ObjectFacts(int index, const RecordReader &r) {
    FileFacts::ObjectRecord &o = object_;
    if (index == 0) {
      if (r.length >= FieldBytes(r.type, 5020, true, 1)) o.objectType = ObjectTypeOfKind(r.type);
      return;
    }
    if (index != 1 || r.type != 5021 || r.length < kHeaderNameLengthAt + 2) return;
    LONG level = 0;
    SWORD nameLength = 0;
    HostFile *f = CurrentImportFile;
    if (!f->Seek(PayloadAt(r)) || !f->ReadLong(&level) || !f->Seek(PayloadAt(r) + kHeaderNameLengthAt) ||
        !f->ReadWord(&nameLength))
      return;
    if (nameLength < 0 || nameLength >= kTextBufferSize || kHeaderNameLengthAt + 2 + nameLength > r.length) return;
    char name[kTextBufferSize];
    if (nameLength > 0 && !f->ReadBytes(name, nameLength)) return;
    o.name.assign(name, static_cast<size_t>(nameLength));
    o.level = level;
    o.headerRead = level >= 0 && level <= kMaxLevel;
  }

  void MaterialName(const RecordReader &r) {
    SWORD n = 0;
    char name[kTextBufferSize];
    HostFile *f = CurrentImportFile;
    if (facts_.materials.empty() || r.length < 2 || !f->Seek(PayloadAt(r)) || !f->ReadWord(&n) || n < 0 ||
        n >= kTextBufferSize || 2 + n > r.length || (n > 0 && !f->ReadBytes(name, n)))
      return;
    facts_.materials.back().name.assign(name, static_cast<size_t>(n));
  }

  // Why a header could not be read at `at`.
  void Explain(int depth, LONG at) {
    LONG word = 0, len = 0;
    CurrentImportFile->Seek(at);
    if (length_ - at < 8) {
      Problem(depth, "the file ends inside a record header at byte " + std::to_string(at) + " (" +
                         std::to_string(length_ - at) + " bytes left)");
    } else if (CurrentImportFile->ReadLong(&word) && CurrentImportFile->ReadLong(&len) && len < 0) {
      Problem(depth, "the record at byte " + std::to_string(at) + " has a negative length, " + std::to_string(len));
    } else {
      Problem(depth, "the record at byte " + std::to_string(at) + " has a length of " + std::to_string(len) +
                         ", beyond the largest file position");
    }
  }

  // A count whose entries do not fit the record: the import fails the
  // record rather than read what follows it.
  void CheckCount(int depth, const RecordReader &r, Counted c) {
    LONG count = 0;
    if (c.size == 0 || r.length < c.at + 4 || !CurrentImportFile->Seek(r.end - r.length + c.at) ||
        !CurrentImportFile->ReadLong(&count))
      return;
    const int64_t room = int64_t(r.length) - c.start;
    if (count < 0 && c.negativeFails)
      Problem(depth, "its count is negative, " + std::to_string(count));
    else if (count > 0 && int64_t(count) * c.size > room)
      Problem(depth, "its count of " + std::to_string(count) + " entries of " + std::to_string(c.size) +
                         " bytes reaches past its end (" + std::to_string(room < 0 ? 0 : room) + " bytes)");
  }

  void CheckMaterial(int depth, const RecordReader &r) {
    LONG index = 0;
    if (r.length < kMaterialIndexAt + 4 || !CurrentImportFile->Seek(r.end - r.length + kMaterialIndexAt) ||
        !CurrentImportFile->ReadLong(&index))
      return;
    if (depth == 1) object_.materials.push_back(index);
    if (index < 1 || index > materials_)
      Problem(depth, "it refers to material " + std::to_string(index) + ", but " +
                         (materials_ ? "only materials 1 to " + std::to_string(materials_) : std::string("no material")) +
                         " come before it");
  }

  std::FILE *out_;
  FileFacts facts_;
  FileFacts::ObjectRecord object_;  // the object record being walked
  LONG length_;
  LONG materials_ = 0;
  int problems_ = 0;
};

}  // namespace

int InspectFile(const std::string &path, std::FILE *out, std::string *why, FileFacts *facts) {
  if (ExistsButNotRegular(path)) {
    *why = "'" + path + "' is not a regular file; inspect reads files that it can seek in";
    return -1;
  }
  t_host = HostInterface();
  HostFile *file = HostFile::Alloc();
  if (!file || !file->Open(Filename(path.c_str()), FILEOPEN_READ, 0, BYTEORDER_MOTOROLA, 0, 0)) {
    if (file) HostFile::Free(file);
    *why = "cannot open '" + path + "'";
    return -1;
  }
  char magic[4];
  const LONG length = file->GetLength();
  if (length < 16 || !file->ReadBytes(magic, 4) || std::memcmp(magic, "FT50", 4) != 0 || !file->Seek(16)) {
    HostFile::Free(file);
    *why = "'" + path + "' is not an FT50 file";
    return -1;
  }
  CurrentImportFile = file;
  Walker walker(out, length, facts ? facts->onObject : nullptr);
  walker.Print("%s: %ld bytes\n%10s  record\n", path.c_str(), static_cast<long>(length), "offset");
  walker.List(0, length, 0, false);
  const LONG after = file->GetPosition();
  RecordReader next;
  if (int64_t(after) + 8 <= length && next.ReadHeader() && RecordName(next.type) && next.type != 0 && next.end <= length) {
    // What follows the end record looks like records of the stream: an end
    // record too many, or one in the wrong place.
    walker.Print("%10s  ! a record follows the end of the stream at byte %ld (%s); it is never read\n", "",
                 static_cast<long>(after), RecordName(next.type));
    walker.AddProblem();
  } else if (walker.problems() == 0 && after < length) {
    walker.Print("%ld bytes after the end of the stream are never read\n", static_cast<long>(length - after));
  }
  if (walker.problems() == 1) walker.Print("1 framing problem\n");
  else walker.Print("%d framing problems\n", walker.problems());
  if (facts) {
    *facts = std::move(walker.facts());
    facts->problems = walker.problems();
  }
  CurrentImportFile = nullptr;
  HostFile::Free(file);
  return walker.problems();
}

}  // namespace tessaro
