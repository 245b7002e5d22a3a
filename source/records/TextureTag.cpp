#include "TextureTag.h"

#include "Globals.h"
#include "MaterialRecord.h"

namespace {

enum {
  ID_OFFSET_X = 1000,
  ID_OFFSET_Y = 1001,
  ID_LENGTH_X = 1002,
  ID_LENGTH_Y = 1003,
  ID_PROJECTION = 1004,
  ID_TILE = 1007,
  BIT_MATERIAL_USED = 8,
};

// A material entering the document: the host's update message, its update
// and the used bit.
void Announce(BaseMaterial *m) {
  m->Message(MSG_UPDATE);
  m->Update(TRUE, TRUE);
  m->SetBit(BIT_MATERIAL_USED);
}

}  // namespace

Bool TextureTagRecord::ReadTextureTag(BaseDocument *doc, BaseObject *op, BaseMaterial **materials, LONG count,
                                      TagCarryList *carry) {
  HostFile *f = RecordFile();
  if (!f->ReadLong(&fieldAt0) || !f->ReadLong(&fieldAt4) || !f->ReadVector(&position) || !f->ReadVector(&scale) ||
      !f->ReadVector(&rotation) || !f->ReadReal(&offsetX) || !f->ReadReal(&offsetY) || !f->ReadReal(&lengthX) ||
      !f->ReadReal(&lengthY) || !f->ReadUChar(&tile) || !f->ReadUChar(&fieldAt61) || !f->ReadUChar(&fieldAt62) ||
      !f->ReadLong(&projection) || !f->ReadLong(&materialIndex) || !f->ReadMatrix(&matrix) || !f->ReadLong(&fieldAt119) ||
      !Within())
    return FALSE;
  if (materialIndex < 1 || materialIndex > count) return FALSE;
  TextureTag *tag = Held(TextureTag::Alloc());
  if (!tag) return FALSE;

  const Real s = ImportScale;
  matrix.v1.x *= s;
  matrix.v2.y *= s;
  matrix.v3.z *= s;
  tag->SetPos(position);
  tag->SetScale(scale);
  tag->SetRot(rotation);
  tag->SetMl(matrix);
  tag->SetParameter(DescID(ID_PROJECTION), GeData(projection), 0);
  tag->SetParameter(DescID(ID_OFFSET_X), GeData(offsetX), 0);
  // The vertical offset is turned over, except on an object of the plain kind.
  tag->SetParameter(DescID(ID_OFFSET_Y), GeData(op->GetType() == Oplain ? offsetY : -offsetY), 0);
  tag->SetParameter(DescID(ID_LENGTH_X), GeData(lengthX), 0);
  tag->SetParameter(DescID(ID_LENGTH_Y), GeData(lengthY), 0);
  tag->SetParameter(DescID(ID_TILE), GeData(static_cast<LONG>(tile)), 0);

  BaseMaterial *m = materials[materialIndex - 1];
  BaseMaterial *link = m;
  if (ImportFlags & IMPORT_UPDATE) {
    // A removed namesake's tags win over the file's own.
    if (RestoreTags(op, carry)) {
      BaseTag *unused = tag;
      BaseTag::Free(unused);
      return TRUE;
    }
  }
  if (!m) {
    // The material record it names failed: the tag keeps its projection
    // and links nothing.
  } else if (ImportFlags & IMPORT_UPDATE) {
    BaseMaterial *same = doc->SearchMaterial(m->GetName());
    if (same) {
      link = same;
    } else if (doc->InsertMaterial(m, nullptr, TRUE)) {
      doc->AddUndo(TH_UNDO_NEW, m);
      Announce(m);
    }
  } else if (m->GetDocument() != doc) {
    // Used materials enter in file order: after the nearest earlier-listed
    // one already in the document, else first.
    BaseMaterial *pred = NearestPlacedBefore(doc, materialIndex - 1);
    if (doc->InsertMaterial(m, pred, TRUE)) {
      MarkPlaced(materialIndex - 1);
      Announce(m);
      if (!(ImportFlags & IMPORT_NEW)) doc->AddUndo(TH_UNDO_NEW, m);
    }
  }
  tag->SetMaterial(link);
  op->InsertTag(tag, nullptr);
  return TRUE;
}
