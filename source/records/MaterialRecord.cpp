#include "MaterialRecord.h"

#include <math.h>
#include <string.h>

#include "Globals.h"
#include "RecordWalk.h"

MaterialTable ImportMaterials;

namespace {

enum {
  CHANNEL_TRANSPARENCY = 2,
  CHANNEL_ENVIRONMENT = 4,
  CHANNEL_ALPHA = 7,
  CHANNEL_SPECULAR = 8,
  CHANNEL_SPECULAR_COLOUR = 9,
  BIT_MATERIAL_USED = 8,
};

enum { ID_COLOUR = 1000, ID_BRIGHTNESS = 1001, ID_TEXTURE = 1002, ID_ENABLED = 1006, ID_CHANNEL_REAL = 1007 };

void SetLongParameter(BaseMaterial *mat, LONG id, LONG v) { mat->SetParameter(DescID(id), GeData(v), 0); }
void SetRealParameter(BaseMaterial *mat, LONG id, Real v) { mat->SetParameter(DescID(id), GeData(v), 0); }

// Reads a channel's extension and sets the material parameters it carries,
// in their order.
Bool ReadExtension(const RecordReader &record, BaseMaterial *mat, LONG channel) {
  HostFile *f = RecordFile();
  switch (channel) {
    case CHANNEL_TRANSPARENCY: {
      UCHAR first = 0;  // unsigned: 255 stays 255
      Real second = 0;
      if (!f->ReadUChar(&first) || !f->ReadReal(&second) || !record.Within()) return FALSE;
      SetLongParameter(mat, 1003, first);
      SetRealParameter(mat, 1005, second);
      SetLongParameter(mat, 1004, 1);
      return TRUE;
    }
    case CHANNEL_ENVIRONMENT: {
      Real first = 0, second = 0;
      if (!f->ReadReal(&first) || !f->ReadReal(&second) || !record.Within()) return FALSE;
      SetRealParameter(mat, 1006, first);
      SetRealParameter(mat, 1007, second);
      return TRUE;
    }
    case CHANNEL_ALPHA: {
      Vector value;
      if (!f->ReadVector(&value) || !record.Within()) return FALSE;
      mat->SetParameter(DescID(1011), GeData(value), 0);
      SetLongParameter(mat, 1012, 0);
      return TRUE;
    }
    case CHANNEL_SPECULAR: {
      Real first = 0, second = 0;
      LONG third = 0;
      if (!f->ReadReal(&first) || !f->ReadReal(&second) || !f->ReadLong(&third) || !record.Within()) return FALSE;
      // A power, not a cube root: a negative value gives not-a-number.
      const double oneThird = 0.3333333333333333;
      SetRealParameter(mat, 1016, static_cast<Real>(pow(static_cast<double>(first), oneThird)));
      SetRealParameter(mat, 1017, second);
      SetLongParameter(mat, 1018, third);
      return TRUE;
    }
    default:
      return TRUE;
  }
}

Bool GrowTable(MaterialTable &t) {
  LONG limit = INT32_MAX / static_cast<LONG>(sizeof(BaseMaterial *));
  if (t.capacity > limit / 2) return FALSE;
  LONG capacity = t.capacity ? t.capacity * 2 : 256;
  void *grown = GeAlloc(capacity * static_cast<LONG>(sizeof(BaseMaterial *)));
  if (!grown) return FALSE;
  if (t.count) memcpy(grown, t.entries, t.count * sizeof(BaseMaterial *));
  GeFree(t.entries);
  t.entries = static_cast<BaseMaterial **>(grown);
  t.capacity = capacity;
  return TRUE;
}

}  // namespace

Bool MaterialHeader::Read() {
  HostFile *f = RecordFile();
  if (type != SUB_MATERIAL_HEADER) return FALSE;
  if (!ReadText(&name, TEXT_BUFFER_SIZE - 1)) return FALSE;
  if (!f->ReadBytes(switches, MATERIAL_CHANNELS) || !f->ReadBytes(&extra, 1)) return FALSE;
  if (extra) {
    if (!f->ReadLong(&extraLength)) return FALSE;
    int64_t target = static_cast<int64_t>(f->GetPosition()) + extraLength;
    if (target < 0 || target > INT32_MAX || !f->Seek(static_cast<LONG>(target))) return FALSE;
  }
  return Within();
}

Bool ChannelRecord::Read(BaseMaterial *mat) {
  HostFile *f = RecordFile();
  if (!f->ReadVector(&colour) || !f->ReadReal(&brightness) || !ReadText(&texture, TEXT_BUFFER_SIZE - 1) ||
      !f->ReadReal(&channelReal) || !f->ReadLong(&channelInteger) || !f->ReadVector(&channelVector))
    return FALSE;
  for (LONG &v : integers)
    if (!f->ReadLong(&v)) return FALSE;
  if (!Within()) return FALSE;
  const LONG channel = type - SUB_CHANNEL_FIRST;
  BaseChannel *ch = mat->GetChannel(channel);
  if (!ch) return FALSE;
  BaseContainer data = ch->GetData();
  data.SetVector(ID_COLOUR, colour);
  data.SetReal(ID_BRIGHTNESS, brightness);
  data.SetString(ID_TEXTURE, texture);
  data.SetReal(ID_CHANNEL_REAL, channelReal);
  data.SetLong(ID_ENABLED, 1);
  ch->SetData(data);
  return ReadExtension(*this, mat, channel);
}

namespace {

Bool ReadChannel(RecordReader &record, BaseMaterial &mat) { return ChannelRecord(record).Read(&mat); }

const RecordRow<BaseMaterial> kMaterialRows[] = {MATERIAL_RECORDS(RECORD_ROW)};

}  // namespace

Bool ReadChannels(RecordReader *record, BaseMaterial *mat) {
  return WalkInRecord(record, kMaterialRows, *mat) == WALK_ENDED;
}

BaseMaterial *MaterialReader::ReadMaterial(RecordReader *record, BaseDocument *doc, LONG index) {
  enum { PLAIN, EXISTING, APPEND } use = PLAIN;
  BaseMaterial *mat = nullptr;
  BaseMaterial *pred = nullptr;
  if ((ImportFlags & IMPORT_UPDATE) && (ImportFlags & IMPORT_MATERIALS)) {
    // A materials update overwrites the document's materials by position.
    BaseMaterial *at = nullptr;
    if (walkDoc_ == doc && walkIndex_ == index - 1 && walkFirst_ == doc->GetFirstMaterial()) {
      pred = walkAt_ ? walkAt_ : walkPred_;
      at = walkAt_ ? walkAt_->GetNext() : nullptr;
    } else {
      at = doc->GetFirstMaterial();
      for (LONG i = 0; i < index && at; ++i) {
        pred = at;
        at = at->GetNext();
      }
    }
    walkDoc_ = doc;
    walkIndex_ = index;
    walkAt_ = at;
    walkPred_ = pred;
    walkFirst_ = doc->GetFirstMaterial();
    if (at) {
      mat = at;
      doc->AddUndo(TH_UNDO_CHANGE, mat);
      use = EXISTING;
    } else {
      mat = Held(BaseMaterial::Alloc(Mmaterial));
      use = APPEND;
    }
  } else {
    mat = Held(BaseMaterial::Alloc(Mmaterial));
  }
  if (!mat) return nullptr;

  RecordReader first;
  Bool ok = ReadNextInRecord(record, &first) == NEXT_RECORD;
  MaterialHeader header(first);
  if (ok) {
    ok = header.Read();
    header.SkipToEnd();
    // A material that is not read on still ends where its list does.
    if (!ok && header.type != SUB_END) PassOverList(record);
  }
  if (ok) {
    mat->SetName(header.name);
    for (LONG c = 0; c < MATERIAL_CHANNELS; ++c) mat->SetChannelState(c, header.switches[c]);
    ok = ReadChannels(record, mat);
  }
  if (!ok) {
    // An existing material keeps what was changed; its undo entry covers it.
    if (use != EXISTING) BaseMaterial::Free(mat);
    return nullptr;
  }
  if (use == APPEND && doc->InsertMaterial(mat, pred, TRUE)) {
    doc->AddUndo(TH_UNDO_NEW, mat);
    walkAt_ = mat;
    walkFirst_ = doc->GetFirstMaterial();
  }
  mat->Message(MSG_UPDATE);
  mat->Update(TRUE, TRUE);
  mat->SetAllBits(mat->GetAllBits() | BIT_MATERIAL_USED);
  return mat;
}

void AppendMaterial(BaseMaterial *mat) {
  MaterialTable &t = ImportMaterials;
  if (t.count == t.capacity && !GrowTable(t)) {
    // Not in the table, nothing would release it at the end of the load;
    // and the references after it no longer line up.
    if (mat && !mat->GetDocument()) BaseMaterial::Free(mat);
    ImportOutOfMemory = TRUE;
    return;
  }
  t.entries[t.count++] = mat;
}

namespace {

void PlacedUpdate(MaterialTable &t, LONG position) {
  for (LONG i = position + 1; i <= t.placedSize; i += i & -i)
    if (t.placed[i - 1] < position + 1) t.placed[i - 1] = position + 1;
}

// Makes the tree cover the whole table. Entries reach the document during a
// load only by insertion, never leave it, and in the modes that ask for a
// predecessor only the texture-tag reader inserts them (and marks them), so
// a rebuild from the entries' documents and the marks agree with a walk of
// the document's materials.
Bool PlacedCovers(BaseDocument *doc, MaterialTable &t) {
  if (t.placedSize >= t.count && t.placed) return TRUE;
  LONG size = t.capacity;
  if (size > INT32_MAX / static_cast<LONG>(sizeof(LONG))) return FALSE;
  LONG *tree = static_cast<LONG *>(GeAlloc(size * static_cast<LONG>(sizeof(LONG))));
  if (!tree) return FALSE;
  memset(tree, 0, size * sizeof(LONG));
  GeFree(t.placed);
  t.placed = tree;
  t.placedSize = size;
  for (LONG i = 0; i < t.count; ++i)
    if (t.entries[i] && t.entries[i]->GetDocument() == doc) PlacedUpdate(t, i);
  return TRUE;
}

}  // namespace

BaseMaterial *NearestPlacedBefore(BaseDocument *doc, LONG position) {
  MaterialTable &t = ImportMaterials;
  if (!PlacedCovers(doc, t)) {
    // Without the tree, the walk it stands for.
    for (LONG k = position - 1; k >= 0; --k)
      if (t.entries[k] && t.entries[k]->GetDocument() == doc) return t.entries[k];
    return nullptr;
  }
  LONG best = 0;
  for (LONG i = position; i > 0; i -= i & -i)
    if (t.placed[i - 1] > best) best = t.placed[i - 1];
  return best > 0 ? t.entries[best - 1] : nullptr;
}

void MarkPlaced(LONG position) {
  MaterialTable &t = ImportMaterials;
  if (t.placed && position < t.placedSize) PlacedUpdate(t, position);
}

void ReleaseLooseMaterials(BaseDocument *doc) {
  (void)doc;
  MaterialTable &t = ImportMaterials;
  GeFree(t.placed);
  t.placedSize = 0;
  // Asking each material for its document answers what a walk of the
  // document's materials would, in constant time.
  for (LONG i = 0; i < t.count; ++i) {
    if (t.entries[i] && !t.entries[i]->GetDocument()) BaseMaterial::Free(t.entries[i]);
  }
  GeFree(t.entries);
  t.count = 0;
  t.capacity = 0;
}
