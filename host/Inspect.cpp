// The record tree of an FT50 file, walked with the plug-in's own record
// walker and cursor (linked into the program from the plug-in's sources),
// so the tree shows the framing exactly as an import meets it; records are
// named and judged by the plug-in's record tables.
#include "Inspect.h"

#include <cstdarg>
#include <cstring>

#include "Output.h"
#include "abi/Tables.h"
#include "records/RecordTables.h"
#include "records/RecordWalk.h"

namespace tessaro {

namespace {

// Whether a level's table holds a reader for the type.
#define TESSARO_TYPE_CASE(rowType, name, reader) case rowType:
bool TopLevelReads(LONG type) {
  switch (type) { TOP_LEVEL_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
bool KindReads(LONG type) {
  switch (type) { OBJECT_KIND_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
bool ObjectReads(LONG type) {
  switch (type) { OBJECT_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
bool AnimationReads(LONG type) {
  switch (type) { ANIMATION_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
bool KeyListReads(LONG type) {
  switch (type) { KEY_LIST_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
bool MaterialReads(LONG type) {
  switch (type) { MATERIAL_RECORDS(TESSARO_TYPE_CASE) return true; default: return false; }
}
#undef TESSARO_TYPE_CASE

// Records that hold a list of sub-records, where the import opens them:
// objects and materials at the top level, animations in objects, key lists
// in animations. So the walk is never deeper than the format, whatever the
// input nests. Animations and key lists start their lists with one record
// read as a whole, whatever its type.
bool HoldsList(LONG type, LONG parentType, int depth) {
  switch (type) {
    case RECORD_OBJECT:
    case RECORD_MATERIAL: return depth == 0;
    case SUB_ANIMATION: return parentType == RECORD_OBJECT;
    case SUB_KEY_LIST: return parentType == SUB_ANIMATION;
    default: return false;
  }
}
bool LeadsWithOpaque(LONG type) { return type == SUB_ANIMATION || type == SUB_KEY_LIST; }

// The fewest payload bytes that hold the fields the import reads from a
// record where it stands (texts counted empty); 0 where it reads none. A
// shorter record fails its reader.
LONG FieldBytes(LONG type, LONG parentType, bool first, int depth) {
  if (depth == 0) return type == RECORD_DOCUMENT ? 132 : type == RECORD_RENDER ? 163 : 0;
  if (parentType == RECORD_OBJECT && first) {
    switch (type) {
      case SUB_KIND_SPLINE: return 19;
      case SUB_KIND_LIGHT: return 1440;
      case SUB_KIND_CAMERA: return 40;
      case SUB_KIND_SETTINGS: return 59;
      default: return 0;
    }
  }
  if (parentType == RECORD_OBJECT) {
    switch (type) {
      case SUB_OBJECT_HEADER: return 94;
      case SUB_PHONG: return 12;
      case SUB_TEXTURE: return 123;
      case SUB_POINTS: case SUB_TRIANGLES16: case SUB_QUADRANGLES16: case SUB_PAIRS16: case SUB_TRIANGLES32: case SUB_QUADRANGLES32: case SUB_PAIRS32: return 8;
      case SUB_UV: return 10;
      default: return 0;
    }
  }
  if (parentType == SUB_KEY_LIST) {
    if (first) return 25;
    return type == KEY_POSITION || type == KEY_ROTATION ? 44 : type == KEY_CAMERA ? 48 : 0;
  }
  if (parentType == RECORD_MATERIAL) {
    if (first) return type == SUB_MATERIAL_HEADER ? 15 : 0;
    switch (type - SUB_CHANNEL_FIRST) {
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
  if (leading && parentType == SUB_KEY_LIST) return {21, 12, 25, false};  // the key list header's vectors
  if (parentType != RECORD_OBJECT) return {};
  switch (type) {
    case SUB_POINTS: return {0, 12, 8, true};
    case SUB_TRIANGLES16: return {0, 6, 8, true};
    case SUB_QUADRANGLES16: return {0, 8, 8, true};
    case SUB_TRIANGLES32: return {0, 12, 8, true};
    case SUB_QUADRANGLES32: return {0, 16, 8, true};
    case SUB_PAIRS16: return {0, 4, 8, false};
    case SUB_PAIRS32: return {0, 8, 8, false};
    case SUB_UV: return {0, 8, 10, true};
    default: return {};
  }
}

// The texture tag's material index: after two integers, three vectors,
// four reals, three bytes and an integer.
const LONG kMaterialIndexAt = 4 + 4 + 3 * 12 + 4 * 4 + 3 + 4;

// The object type an object record's kind record makes; 0 for none.
int32_t ObjectTypeOfKind(LONG kind) {
  switch (kind) {
    case SUB_KIND_POLYGON: case SUB_KIND_SPLINE: case SUB_KIND_LIGHT: case SUB_KIND_CAMERA: return kind;
    case SUB_KIND_SETTINGS: return Osettings;
    case SUB_KIND_PLAIN: return Oplain;
    default: return 0;
  }
}

// Whether the import reads a record of the type where it stands; one it
// does not read is skipped. The leading record of an animation or key list
// is read whatever its type, and is not asked about.
bool ReadWhereItStands(LONG type, LONG parentType, bool first, int depth) {
  if (type == RECORD_END) return true;
  if (depth == 0) return TopLevelReads(type);
  switch (parentType) {
    case RECORD_OBJECT: return first ? KindReads(type) : type == SUB_OBJECT_HEADER || ObjectReads(type);
    case RECORD_MATERIAL: return first ? type == SUB_MATERIAL_HEADER : MaterialReads(type);
    case SUB_ANIMATION: return AnimationReads(type);
    case SUB_KEY_LIST: return KeyListReads(type);
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
    RecordReader cursor;
    LONG at = 0;
    int index = 0;
    auto next = [&](RecordReader &r) { return NextHeader(r, depth, limit, parentType, &at) ? NEXT_RECORD : NEXT_BROKEN; };
    auto read = [&](RecordReader &r) {
      Record(r, at, depth, limit, parentType, index++, leading);
      return TRUE;
    };
    // The leading record of an animation or key list is read whole, whatever
    // its type: a record of type 0 there ends nothing.
    if (leading) {
      if (next(cursor) != NEXT_RECORD) return false;
      read(cursor);
      cursor.SkipToEnd();
    }
    return WalkRecords(cursor, next, read, FAILURE_GOES_ON) == WALK_ENDED;
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
    const char *n = RecordTypeName(type);
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
      if (r.length >= FieldBytes(r.type, RECORD_OBJECT, true, 1)) o.objectType = ObjectTypeOfKind(r.type);
      return;
    }
    if (index != 1 || r.type != SUB_OBJECT_HEADER || r.length < kHeaderNameLengthAt + 2) return;
    LONG level = 0;
    SWORD nameLength = 0;
    HostFile *f = RecordFile();
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
    HostFile *f = RecordFile();
    if (facts_.materials.empty() || r.length < 2 || !f->Seek(PayloadAt(r)) || !f->ReadWord(&n) || n < 0 ||
        n >= kTextBufferSize || 2 + n > r.length || (n > 0 && !f->ReadBytes(name, n)))
      return;
    facts_.materials.back().name.assign(name, static_cast<size_t>(n));
  }

  // Reads the next header of the list into r, at *at; or says why there is
  // none.
  bool NextHeader(RecordReader &r, int depth, LONG limit, LONG parentType, LONG *at) {
    *at = RecordFile()->GetPosition();
    if (*at >= limit) {
      if (depth == 0) Problem(depth, "the file ends without an end-of-stream record");
      else Problem(depth, std::string("no end record before the end of the ") + Name(parentType) + " record");
      return false;
    }
    if (!r.ReadHeader()) {
      Explain(depth, *at);
      return false;
    }
    return true;
  }

  // Prints and checks the record r, the index-th of its list, that starts
  // at `at`; walks the list it holds, where the import opens one.
  void Record(const RecordReader &r, LONG at, int depth, LONG limit, LONG parentType, int index, bool leading) {
    const bool first = index == 0;
    const char *name = RecordTypeName(r.type);
    Print("%10ld  %*s%ld %s", static_cast<long>(at), 2 * depth, "", static_cast<long>(r.type),
          name ? name : "(unknown, skipped)");
    if (r.version) Print(", version %d", r.version);
    Print(", %ld bytes\n", static_cast<long>(r.length));
    const bool opaque = first && leading;
    ++facts_.records;
    if (!opaque && !ReadWhereItStands(r.type, parentType, first, depth)) Skipped(r.type, at);
    if (depth == 0 && r.type == RECORD_OBJECT) {
      ++facts_.objects;
      object_ = FileFacts::ObjectRecord();
      object_.at = at;
      object_.materialsBefore = facts_.materials.size();
    }
    if (depth == 0 && r.type == RECORD_MATERIAL) {
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
    CheckCount(depth, r, CountOf(r.type, parentType, opaque));
    if (!opaque && HoldsList(r.type, parentType, depth)) {
      const LONG inner = r.end < length_ ? r.end : length_;
      const bool ended = List(depth + 1, inner, r.type, LeadsWithOpaque(r.type));
      // Bytes between a list's end record and its record's end are never
      // read: most often the record's length is too long.
      const LONG after = RecordFile()->GetPosition();
      if (ended && after < inner)
        Problem(depth, "its list ends " + std::to_string(inner - after) + " bytes before the record does");
    }
    if (depth == 1 && parentType == RECORD_OBJECT) ObjectFacts(index, r);
    if (depth == 1 && parentType == RECORD_MATERIAL && first && r.type == SUB_MATERIAL_HEADER) MaterialName(r);
    if (!opaque && r.type == SUB_TEXTURE) CheckMaterial(depth, r);
    if (depth == 0 && r.type == RECORD_MATERIAL) ++materials_;
    if (depth == 0 && r.type == RECORD_OBJECT && facts_.onObject) facts_.onObject(object_);
  }

  // Why a header could not be read at `at`.
  void Explain(int depth, LONG at) {
    LONG word = 0, len = 0;
    RecordFile()->Seek(at);
    if (length_ - at < 8) {
      Problem(depth, "the file ends inside a record header at byte " + std::to_string(at) + " (" +
                         std::to_string(length_ - at) + " bytes left)");
    } else if (RecordFile()->ReadLong(&word) && RecordFile()->ReadLong(&len) && len < 0) {
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
    if (c.size == 0 || r.length < c.at + 4 || !RecordFile()->Seek(r.end - r.length + c.at) ||
        !RecordFile()->ReadLong(&count))
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
    if (r.length < kMaterialIndexAt + 4 || !RecordFile()->Seek(r.end - r.length + kMaterialIndexAt) ||
        !RecordFile()->ReadLong(&index))
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
  if (int64_t(after) + 8 <= length && next.ReadHeader() && RecordTypeName(next.type) && next.type != 0 && next.end <= length) {
    // What follows the end record looks like records of the stream: an end
    // record too many, or one in the wrong place.
    walker.Print("%10s  ! a record follows the end of the stream at byte %ld (%s); it is never read\n", "",
                 static_cast<long>(after), RecordTypeName(next.type));
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
