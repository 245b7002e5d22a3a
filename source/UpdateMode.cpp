#include "UpdateMode.h"

#include <string.h>

#include "Globals.h"

namespace {

// Copies the source's texture tags, in order, in front of the destination's
// other tags. Stops at the first tag the host cannot make.
void CopyTextureTags(BaseObject *src, BaseObject *dst) {
  BaseTag *pred = nullptr;
  for (LONG n = 0;; ++n) {
    TextureTag *from = static_cast<TextureTag *>(src->GetTag(Ttexture, n));
    if (!from) return;
    TextureTag *to = static_cast<TextureTag *>(dst->MakeTag(Ttexture, pred));
    if (!to) return;
    to->SetData(from->GetData(), TRUE);
    to->SetMaterial(from->GetMaterial());
    to->SetPos(from->GetPos());
    to->SetScale(from->GetScale());
    to->SetRot(from->GetRot());
    // The host keeps a texture tag's matrix apart from its position, scale
    // and rotation; without it the carried tag would lose its projection.
    to->SetMl(from->GetMl());
    pred = to;
  }
}

Bool GrowCarryList(TagCarryList *list) {
  if (!list->holders) {
    void *array = GeAlloc(16 * static_cast<LONG>(sizeof(BaseObject *)));
    if (!array) return FALSE;
    list->holders = static_cast<BaseObject **>(array);
    list->capacity = 16;
    list->count = 0;
    return TRUE;
  }
  if (list->count < list->capacity) return TRUE;
  if (list->capacity > INT32_MAX / 2 / static_cast<LONG>(sizeof(BaseObject *))) return FALSE;
  LONG capacity = list->capacity * 2;
  void *array = GeAlloc(capacity * static_cast<LONG>(sizeof(BaseObject *)));
  if (!array) return FALSE;
  memcpy(array, list->holders, list->count * sizeof(BaseObject *));
  GeFree(list->holders);
  list->holders = static_cast<BaseObject **>(array);
  list->capacity = capacity;
  return TRUE;
}

void SaveTags(TagCarryList *list, BaseObject *op) {
  if (!GrowCarryList(list)) return;
  BaseObject *holder = BaseObject::Alloc(Onull);
  if (!holder) return;
  holder->SetName(op->GetName());
  holder->SetEditorMode(op->GetEditorMode());
  holder->SetRenderMode(op->GetRenderMode());
  CopyTextureTags(op, holder);
  list->holders[list->count++] = holder;
}

// Judges a node whose children have all been judged.
void Judge(BaseObject *node, TagCarryList *list, LONG kind) {
  if (node->GetDown()) return;
  LONG type = node->GetType();
  if (type != kind && !(type == Opolygon && !node->GetTagData(Tpoint))) return;
  if (list) SaveTags(list, node);
  // The view must not be handed an object that no longer exists.
  if (node == ViewObject) ViewObject = nullptr;
  node->Remove();
  BaseObject::Free(node);
}

// Post-order walk of root's subtree, root included, without recursion: the
// tree may be as deep as a user's document is.
void RemovalWalk(BaseObject *root, TagCarryList *list, LONG kind) {
  BaseObject *node = root;
  while (node->GetDown()) node = node->GetDown();
  for (;;) {
    if (node == root) {
      Judge(node, list, kind);
      return;
    }
    BaseObject *next = node->GetNext();
    BaseObject *up = node->GetUp();
    Judge(node, list, kind);
    if (next) {
      node = next;
      while (node->GetDown()) node = node->GetDown();
    } else {
      node = up;
    }
  }
}

ULONG NameHash(const String &name) {
  char text[256];
  LONG length = name.GetCString(text, sizeof text);
  ULONG h = 2166136261u ^ static_cast<ULONG>(length);
  for (const char *c = text; *c; ++c) h = (h ^ static_cast<UCHAR>(*c)) * 16777619u;
  return h;
}

void FreeIndex(TagCarryList *list) {
  GeFree(list->buckets);
  GeFree(list->chain);
  list->bucketMask = 0;
  list->indexed = 0;
}

// Builds the name index over the holders; false when it cannot be had, and
// the list is then searched from the first holder.
Bool BuildIndex(TagCarryList *list) {
  if (list->buckets && list->indexed == list->count) return TRUE;
  FreeIndex(list);
  LONG size = 16;
  while (size < list->count * 2 && size < (1 << 28)) size *= 2;
  list->buckets = static_cast<LONG *>(GeAlloc(size * static_cast<LONG>(sizeof(LONG))));
  list->chain = static_cast<LONG *>(GeAlloc(list->count * static_cast<LONG>(sizeof(LONG))));
  if (!list->buckets || !list->chain) {
    FreeIndex(list);
    return FALSE;
  }
  for (LONG b = 0; b < size; ++b) list->buckets[b] = -1;
  list->bucketMask = size - 1;
  // From the last holder to the first, so that every chain runs in list order.
  for (LONG i = list->count - 1; i >= 0; --i) {
    LONG b = static_cast<LONG>(NameHash(list->holders[i]->GetName()) & static_cast<ULONG>(list->bucketMask));
    list->chain[i] = list->buckets[b];
    list->buckets[b] = i;
  }
  list->indexed = list->count;
  return TRUE;
}

// The first holder, in list order, whose name is the name.
BaseObject *FirstHolderNamed(TagCarryList *list, const String &name) {
  if (BuildIndex(list)) {
    LONG b = static_cast<LONG>(NameHash(name) & static_cast<ULONG>(list->bucketMask));
    for (LONG i = list->buckets[b]; i >= 0; i = list->chain[i])
      if (list->holders[i]->GetName() == name) return list->holders[i];
    return nullptr;
  }
  for (LONG i = 0; i < list->count; ++i)
    if (list->holders[i]->GetName() == name) return list->holders[i];
  return nullptr;
}

}  // namespace

BaseObject *FindUpdateTarget(BaseDocument *doc, LONG flags, const String &name, TagCarryList *list) {
  // An update of materials alone replaces no objects: nothing below any
  // object may be cleared for it.
  if (!(flags & (IMPORT_GEOMETRY | IMPORT_CAMERAS | IMPORT_LIGHTS))) return nullptr;
  BaseObject *target = doc->GetFirstObject();
  while (target && target->GetName() != name) target = target->GetNext();
  if (!target) return nullptr;
  doc->AddUndo(TH_UNDO_CHANGE, target);
  if (flags & IMPORT_GEOMETRY) {
    ClearKind(target, list, Ospline);
    ClearKind(target, list, Opolygon);
  }
  if (flags & IMPORT_CAMERAS) ClearKind(target, list, Ocamera);
  if (flags & IMPORT_LIGHTS) ClearKind(target, list, Olight);
  return target;
}

void ClearKind(BaseObject *parent, TagCarryList *list, LONG kind) {
  for (BaseObject *child = parent->GetDown(); child;) {
    BaseObject *next = child->GetNext();
    RemovalWalk(child, list, kind);
    child = next;
  }
}

Bool RestoreTags(BaseObject *op, TagCarryList *list) {
  if (list->count == 0) return FALSE;
  BaseObject *holder = FirstHolderNamed(list, op->GetName());
  if (!holder) return FALSE;
  if (list->restored != op) {
    CopyTextureTags(holder, op);
    op->SetEditorMode(holder->GetEditorMode());
    op->SetRenderMode(holder->GetRenderMode());
    list->restored = op;
  }
  return TRUE;
}

void ReleaseCarryList(TagCarryList *list) {
  for (LONG i = 0; i < list->count; ++i) BaseObject::Free(list->holders[i]);
  GeFree(list->holders);
  FreeIndex(list);
  list->count = 0;
  list->capacity = 0;
  list->restored = nullptr;
}
