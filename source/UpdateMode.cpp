#include "UpdateMode.h"

#include <string.h>

#include <algorithm>

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

// The name's bytes into buffer (size bytes) or, when longer, into a block
// of its own that *held keeps; its length, or -1 when there is no room.
LONG NameBytes(const String &name, char *buffer, LONG size, char **text, void **held) {
  *held = nullptr;
  LONG length = name.GetCString(buffer, size);
  *text = buffer;
  if (length < size) return length;
  if (length == INT32_MAX) return -1;
  *held = GeAlloc(length + 1);
  if (!*held) return -1;
  *text = static_cast<char *>(*held);
  name.GetCString(*text, length + 1);
  return length;
}

// Byte order, then length: the order the index is sorted in.
int CompareNames(const char *a, LONG alength, const char *b, LONG blength) {
  LONG n = alength < blength ? alength : blength;
  int c = n > 0 ? memcmp(a, b, static_cast<size_t>(n)) : 0;
  if (c != 0) return c;
  return alength < blength ? -1 : alength > blength ? 1 : 0;
}

void FreeIndex(TagCarryList *list) {
  GeFree(list->order);
  GeFree(list->nameStart);
  GeFree(list->names);
  list->indexed = 0;
}

// Builds the name index over the holders; false when it cannot be had, and
// the list is then searched from the first holder.
Bool BuildIndex(TagCarryList *list) {
  if (list->order && list->indexed == list->count) return TRUE;
  FreeIndex(list);
  const LONG count = list->count;
  if (count > INT32_MAX / static_cast<LONG>(sizeof(LONG)) - 1) return FALSE;
  list->order = static_cast<LONG *>(GeAlloc(count * static_cast<LONG>(sizeof(LONG))));
  list->nameStart = static_cast<LONG *>(GeAlloc((count + 1) * static_cast<LONG>(sizeof(LONG))));
  if (!list->order || !list->nameStart) {
    FreeIndex(list);
    return FALSE;
  }
  // Lengths first, to size the copy of the names.
  LONG total = 0;
  for (LONG i = 0; i < count; ++i) {
    LONG length = list->holders[i]->GetName().GetCString(nullptr, 0);
    if (length < 0 || length > INT32_MAX - 1 - total) {
      FreeIndex(list);
      return FALSE;
    }
    list->nameStart[i] = total;
    total += length;
  }
  list->nameStart[count] = total;
  list->names = static_cast<char *>(GeAlloc(total + 1));
  if (!list->names) {
    FreeIndex(list);
    return FALSE;
  }
  for (LONG i = 0; i < count; ++i) {
    list->holders[i]->GetName().GetCString(list->names + list->nameStart[i],
                                           list->nameStart[i + 1] - list->nameStart[i] + 1);
    list->order[i] = i;
  }
  const char *names = list->names;
  const LONG *start = list->nameStart;
  std::sort(list->order, list->order + count, [names, start](LONG a, LONG b) {
    int c = CompareNames(names + start[a], start[a + 1] - start[a], names + start[b], start[b + 1] - start[b]);
    return c != 0 ? c < 0 : a < b;
  });
  list->indexed = count;
  return TRUE;
}

// The first holder, in list order, whose name is the name.
BaseObject *FirstHolderNamed(TagCarryList *list, const String &name) {
  if (BuildIndex(list)) {
    char buffer[256];
    char *text = nullptr;
    void *held = nullptr;
    LONG length = NameBytes(name, buffer, sizeof buffer, &text, &held);
    if (length >= 0) {
      const char *names = list->names;
      const LONG *start = list->nameStart;
      // The first position whose name is not below the name: of a run of
      // namesakes, the one earliest in the list.
      const LONG *found = std::lower_bound(list->order, list->order + list->count, 0, [&](LONG i, int) {
        return CompareNames(names + start[i], start[i + 1] - start[i], text, length) < 0;
      });
      BaseObject *holder = nullptr;
      if (found != list->order + list->count &&
          CompareNames(names + start[*found], start[*found + 1] - start[*found], text, length) == 0)
        holder = list->holders[*found];
      GeFree(held);
      return holder;
    }
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
