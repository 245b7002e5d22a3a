#include "Mesh.h"

#include "Globals.h"

namespace {

const LONG kMaxPolygons = INT32_MAX / static_cast<LONG>(sizeof(CPolygon));

// Makes the tag hold `needed` polygons. The first run makes the tag, at its
// size (the host only makes variable tags in an object, so it is taken out
// at once); later runs resize it, and the host grows its room
// geometrically, so that a mesh split into many small sub-records costs
// linear time.
Bool Reserve(PolygonBuffer *b, LONG needed) {
  if (!b->tag) {
    b->tag = b->op->MakeVariableTag(Tpolygon, needed);
    if (!b->tag) return FALSE;
    b->tag->Remove();
  } else if (!b->tag->Resize(needed)) {
    return FALSE;
  }
  b->polygons = static_cast<CPolygon *>(b->tag->GetDataAddressW());
  return b->polygons != nullptr;
}

// Runs are read in chunks that stay in the cache while they are scaled,
// widened or checked.
const LONG kChunk = 1024;

// n point indices, 32-bit or unsigned 16-bit (65535 is an index, not -1),
// widened into out.
Bool ReadIndices(Bool wide, LONG *out, LONG n) {
  if (wide) return RecordFile()->ReadLongs(out, n) == n;
  UWORD narrow[kChunk * 4];
  if (RecordFile()->ReadUWords(narrow, n) != n) return FALSE;
  for (LONG k = 0; k < n; ++k) out[k] = narrow[k];
  return TRUE;
}

// The two integers that start every mesh record, which must lie inside it.
Bool ReadTwoLongs(const RecordReader &record, LONG *first, LONG *second) {
  return RecordFile()->ReadLong(first) && RecordFile()->ReadLong(second) && record.Within();
}

Bool OutOfMemory() {
  ImportOutOfMemory = TRUE;
  return FALSE;
}

}  // namespace

Bool PointsRecord::Read(BaseObject *op) {
  if (!ReadTwoLongs(*this, &count, &fieldAt4)) return FALSE;
  if (!Holds(count, 12)) return FALSE;
  VariableTag *tag = op->MakeVariableTag(Tpoint, count);
  if (!tag) return OutOfMemory();
  Vector *points = static_cast<Vector *>(tag->GetDataAddressW());
  // An empty tag has no data address: the record fails, for no want of memory.
  if (!points) return count > 0 ? OutOfMemory() : FALSE;
  const Real scale = ImportScale;
  for (LONG i = 0; i < count; i += kChunk) {
    LONG want = count - i < kChunk ? count - i : kChunk;
    // The points read before a short read stay, scaled, in the tag.
    LONG got = RecordFile()->ReadVectors(points + i, want);
    for (LONG k = i; k < i + got; ++k) {
      points[k].x *= scale;
      points[k].y *= scale;
      points[k].z *= scale;
    }
    if (got != want) return FALSE;
  }
  return TRUE;
}

Bool PolygonsRecord::Read(PolygonBuffer *buffer, LONG corners, Bool wide) {
  if (!ReadTwoLongs(*this, &count, &fieldAt4)) return FALSE;
  if (count == 0) return TRUE;
  if (!Holds(count, corners * (wide ? 4 : 2))) return FALSE;
  if (count > kMaxPolygons - buffer->count) return OutOfMemory();
  if (!Reserve(buffer, buffer->count + count)) return OutOfMemory();
  CPolygon *out = buffer->polygons + buffer->count;
  ULONG largest = buffer->maxIndex;
  LONG v[kChunk * 4];
  for (LONG i = 0; i < count; i += kChunk) {
    LONG n = count - i < kChunk ? count - i : kChunk;
    if (!ReadIndices(wide, v, n * corners)) return FALSE;
    for (LONG k = 0; k < n; ++k) {
      const LONG *c = v + k * corners;
      CPolygon &p = out[i + k];
      p.a = c[0];
      p.b = c[1];
      p.c = c[2];
      p.d = corners == 4 ? c[3] : c[2];
    }
    for (LONG k = 0; k < n * corners; ++k)
      if (static_cast<ULONG>(v[k]) > largest) largest = static_cast<ULONG>(v[k]);
  }
  buffer->count += count;
  buffer->maxIndex = largest;
  return TRUE;
}

Bool IndexPairsRecord::Read(Bool wide) {
  if (!ReadTwoLongs(*this, &count, &fieldAt4)) return FALSE;
  // The pairs are not used: a negative count reads none.
  if (count < 0) return TRUE;
  if (!Holds(count, wide ? 8 : 4)) return FALSE;
  LONG v[kChunk * 2];
  for (LONG i = 0; i < count; i += kChunk) {
    LONG n = count - i < kChunk ? count - i : kChunk;
    if (!ReadIndices(wide, v, n * 2)) return FALSE;
  }
  return TRUE;
}

Bool UvRecord::Read(UvBuffer *buffer) {
  if (!ReadTwoLongs(*this, &count, &fieldAt4)) return FALSE;
  if (!RecordFile()->ReadBool(&fieldAt8) || !RecordFile()->ReadBool(&fieldAt9) || !Within()) return FALSE;
  if (count == 0) return TRUE;
  if (!Holds(count, static_cast<LONG>(sizeof(UvPair)))) return FALSE;
  GeFree(buffer->pairs);
  buffer->count = 0;
  buffer->pairs = static_cast<UvPair *>(GeAlloc(count * static_cast<LONG>(sizeof(UvPair))));
  if (!buffer->pairs) return OutOfMemory();
  buffer->count = count;
  return RecordFile()->ReadReals(&buffer->pairs[0].u, count * 2) == count * 2;
}

Bool PhongRecord::Read(BaseObject *op) {
  if (!ReadTwoLongs(*this, &fieldAt0, &fieldAt4) || !RecordFile()->ReadReal(&angle) || !Within()) return FALSE;
  op->SetPhong(TRUE, TRUE, angle);
  return TRUE;
}

namespace {

// The UVW tag's entries from the per-point UVs, a chunk of polygons per
// host call. A corner whose point has no UV pair maps to 0, 0.
Bool SetUvwEntries(UVWTag *uvw, const PolygonBuffer &polygons, const UvBuffer &uv) {
  auto corner = [&](LONG index, Vector *v) {
    bool known = static_cast<ULONG>(index) < static_cast<ULONG>(uv.count);
    v->x = known ? uv.pairs[index].u : 0;
    v->y = known ? uv.pairs[index].v : 0;
    v->z = 0;
  };
  UVWStruct run[kChunk];
  for (LONG i = 0; i < polygons.count; i += kChunk) {
    LONG n = polygons.count - i < kChunk ? polygons.count - i : kChunk;
    for (LONG k = 0; k < n; ++k) {
      const CPolygon &p = polygons.polygons[i + k];
      corner(p.a, &run[k].a);
      corner(p.b, &run[k].b);
      corner(p.c, &run[k].c);
      corner(p.d, &run[k].d);
    }
    if (!uvw->SetRun(i, n, run)) return FALSE;
  }
  return TRUE;
}

}  // namespace

void BuildMeshTags(BaseObject *op, PolygonBuffer *polygons, const UvBuffer &uv, Bool *error) {
  if (polygons->count == 0 || *error) return;
  VariableTag *pointTag = static_cast<VariableTag *>(op->GetTag(Tpoint));
  const ULONG points = pointTag ? static_cast<ULONG>(pointTag->GetDataCount()) : 0;
  if (polygons->maxIndex >= points) {
    *error = TRUE;
    return;
  }
  // First among the tags, where a tag made now would stand.
  op->InsertTag(polygons->tag);
  if (op->GetTag(Tpolygon) != polygons->tag) {
    *error = TRUE;
    OutOfMemory();
    return;
  }
  polygons->tag = nullptr;
  if (!uv.pairs) return;
  // Without a UVW tag the mesh is still whole: the UV step is left out,
  // and the load says that something could not be held.
  BaseTag *uvw = op->MakeVariableTag(Tuvw, polygons->count);
  if (!uvw) {
    OutOfMemory();
    return;
  }
  if (!SetUvwEntries(static_cast<UVWTag *>(uvw), *polygons, uv)) {
    uvw->Remove();
    BaseTag::Free(uvw);
    OutOfMemory();
  }
}

void ReleaseMeshBuffers(PolygonBuffer *polygons, UvBuffer *uv) {
  if (polygons->tag) {
    // Taken out first, in case a placing the host reported as failed held.
    BaseTag *tag = polygons->tag;
    tag->Remove();
    BaseTag::Free(tag);
    polygons->tag = nullptr;
  }
  polygons->polygons = nullptr;
  polygons->count = 0;
  polygons->maxIndex = 0;
  GeFree(uv->pairs);
  uv->count = 0;
}
