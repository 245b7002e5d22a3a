// Scene elements. Each class is a view of a host handle: the host creates
// and owns the element, a pointer to the class is the handle itself, and no
// element is ever constructed on the plug-in side.
#ifndef TESSARO_C4D_SCENE_H
#define TESSARO_C4D_SCENE_H

#include "c4d_types.h"
#include "host_types.h"

enum { MSG_UPDATE = 5 };

class BaseList2D {
 public:
  BaseList2D() = delete;
  ~BaseList2D() = delete;

  th_element *Handle() noexcept { return reinterpret_cast<th_element *>(this); }
  const th_element *Handle() const noexcept { return reinterpret_cast<const th_element *>(this); }

  BaseList2D *GetNext() noexcept { return From(t_host->list->GetNext(Handle())); }
  BaseList2D *GetPred() noexcept { return From(t_host->list->GetPred(Handle())); }
  BaseList2D *GetDown() noexcept { return From(t_host->list->GetDown(Handle())); }
  BaseList2D *GetUp() noexcept { return From(t_host->list->GetUp(Handle())); }
  class BaseDocument *GetDocument() noexcept {
    return reinterpret_cast<class BaseDocument *>(t_host->list->GetDocument(Handle()));
  }
  void Remove() noexcept { t_host->list->Remove(Handle()); }
  LONG GetType() const noexcept { return t_host->list->GetType(Handle()); }
  Bool Message(LONG id, void *data = nullptr) noexcept { return t_host->list->Message(Handle(), id, data); }
  String GetName() const noexcept {
    String s;
    t_host->list->GetName(Handle(), s.Get());
    return s;
  }
  void SetName(const String &name) noexcept { t_host->list->SetName(Handle(), name.Get()); }
  LONG GetAllBits() const noexcept { return t_host->list->GetAllBits(Handle()); }
  void SetBit(LONG mask) noexcept { t_host->list->SetBit(Handle(), mask); }
  void SetAllBits(LONG bits) noexcept { t_host->list->SetAllBits(Handle(), bits); }
  void DelBit(LONG mask) noexcept { t_host->list->DelBit(Handle(), mask); }
  BaseContainer GetData() const noexcept {
    BaseContainer bc;
    t_host->list->GetData(Handle(), bc.Get());
    return bc;
  }
  void SetData(const BaseContainer &bc, Bool add = TRUE) noexcept { t_host->list->SetData(Handle(), bc.Get(), add); }
  Bool SetParameter(const DescID &id, const GeData &value, LONG flags) noexcept {
    return t_host->list->SetParameter(Handle(), id.Get(), value.Get(), flags);
  }
  Bool GetParameter(const DescID &id, GeData &value, LONG flags) const noexcept {
    return t_host->list->GetParameter(Handle(), id.Get(), value.Get(), flags);
  }

  static th_element *ToHandle(BaseList2D *e) noexcept { return reinterpret_cast<th_element *>(e); }
  template <class T>
  static T *From(th_element *e) noexcept {
    return reinterpret_cast<T *>(e);
  }
  static BaseList2D *From(th_element *e) noexcept { return reinterpret_cast<BaseList2D *>(e); }

 protected:
  // Frees an element that is in no document and clears the caller's pointer.
  template <class T>
  static void FreeElement(T *&e) noexcept {
    th_element *h = ToHandle(e);
    t_host->list->Free(&h);
    e = nullptr;
  }
};

class BaseTag : public BaseList2D {
 public:
  BaseTag *GetNext() noexcept { return static_cast<BaseTag *>(BaseList2D::GetNext()); }
  BaseTag *GetPred() noexcept { return static_cast<BaseTag *>(BaseList2D::GetPred()); }
  static BaseTag *Alloc(LONG type) noexcept { return From<BaseTag>(t_host->tag->Alloc(type)); }
  static void Free(BaseTag *&tag) noexcept { FreeElement(tag); }
};

// A material channel: its parameters live in a container.
class BaseChannel {
 public:
  BaseChannel() = delete;
  ~BaseChannel() = delete;
  BaseContainer GetData() const noexcept {
    BaseContainer bc;
    t_host->material->ChannelGetData(H(), bc.Get());
    return bc;
  }
  void SetData(const BaseContainer &bc) noexcept { t_host->material->ChannelSetData(H(), bc.Get()); }

 private:
  th_channel *H() const noexcept { return reinterpret_cast<th_channel *>(const_cast<BaseChannel *>(this)); }
};

class BaseMaterial : public BaseList2D {
 public:
  BaseMaterial *GetNext() noexcept { return static_cast<BaseMaterial *>(BaseList2D::GetNext()); }
  BaseMaterial *GetPred() noexcept { return static_cast<BaseMaterial *>(BaseList2D::GetPred()); }
  static BaseMaterial *Alloc(LONG type) noexcept { return From<BaseMaterial>(t_host->material->Alloc(type)); }
  static void Free(BaseMaterial *&mat) noexcept { FreeElement(mat); }
  BaseChannel *GetChannel(LONG id) noexcept {
    return reinterpret_cast<BaseChannel *>(t_host->material->GetChannel(Handle(), id));
  }
  Bool GetChannelState(LONG id) const noexcept { return t_host->material->GetChannelState(Handle(), id); }
  void SetChannelState(LONG id, LONG state) noexcept { t_host->material->SetChannelState(Handle(), id, state); }
  void Update(Bool preview, Bool rttm) noexcept { t_host->material->Update(Handle(), preview, rttm); }
};

// Points, polygons and UVW coordinates: a tag with a data array.
class VariableTag : public BaseTag {
 public:
  void *GetDataAddressW() noexcept { return t_host->tag->GetDataAddressW(Handle()); }
  LONG GetDataCount() const noexcept { return t_host->tag->GetDataCount(Handle()); }
  Bool Resize(LONG count) noexcept { return t_host->tag->Resize(Handle(), count); }
};

class UVWTag : public VariableTag {
 public:
  Bool Get(LONG i, UVWStruct &uvw) const noexcept {
    return t_host->tag->UVWGet(Handle(), i, reinterpret_cast<th_uvw *>(&uvw));
  }
  Bool Set(LONG i, const UVWStruct &uvw) noexcept {
    return t_host->tag->UVWSet(Handle(), i, reinterpret_cast<const th_uvw *>(&uvw));
  }
  Bool SetRun(LONG first, LONG count, const UVWStruct *uvw) noexcept {
    return t_host->tag->UVWSetRun(Handle(), first, count, reinterpret_cast<const th_uvw *>(uvw));
  }
};

class TextureTag : public BaseTag {
 public:
  static TextureTag *Alloc() noexcept { return From<TextureTag>(t_host->tag->Alloc(Ttexture)); }
  void SetPos(const Vector &v) noexcept { t_host->tag->SetPos(Handle(), CVec(v)); }
  Vector GetPos() const noexcept {
    Vector v;
    t_host->tag->GetPos(Handle(), CVec(v));
    return v;
  }
  void SetScale(const Vector &v) noexcept { t_host->tag->SetScale(Handle(), CVec(v)); }
  Vector GetScale() const noexcept {
    Vector v;
    t_host->tag->GetScale(Handle(), CVec(v));
    return v;
  }
  void SetRot(const Vector &v) noexcept { t_host->tag->SetRot(Handle(), CVec(v)); }
  Vector GetRot() const noexcept {
    Vector v;
    t_host->tag->GetRot(Handle(), CVec(v));
    return v;
  }
  void SetMl(const Matrix &m) noexcept { t_host->tag->SetMl(Handle(), reinterpret_cast<const th_matrix *>(&m)); }
  Matrix GetMl() const noexcept {
    Matrix m;
    t_host->tag->GetMl(Handle(), reinterpret_cast<th_matrix *>(&m));
    return m;
  }
  void SetMaterial(BaseMaterial *mat) noexcept { t_host->tag->SetMaterial(Handle(), ToHandle(mat)); }
  BaseMaterial *GetMaterial() const noexcept { return From<BaseMaterial>(t_host->tag->GetMaterial(Handle())); }
};

class BaseObject : public BaseList2D {
 public:
  BaseObject *GetNext() noexcept { return static_cast<BaseObject *>(BaseList2D::GetNext()); }
  BaseObject *GetPred() noexcept { return static_cast<BaseObject *>(BaseList2D::GetPred()); }
  BaseObject *GetDown() noexcept { return static_cast<BaseObject *>(BaseList2D::GetDown()); }
  BaseObject *GetUp() noexcept { return static_cast<BaseObject *>(BaseList2D::GetUp()); }

  static BaseObject *Alloc(LONG type) noexcept { return From<BaseObject>(t_host->object->Alloc(type, 0)); }
  static void Free(BaseObject *&op) noexcept { FreeElement(op); }

  void SetPos(const Vector &v) noexcept { t_host->object->SetPos(Handle(), CVec(v)); }
  Vector GetPos() const noexcept {
    Vector v;
    t_host->object->GetPos(Handle(), CVec(v));
    return v;
  }
  void SetScale(const Vector &v) noexcept { t_host->object->SetScale(Handle(), CVec(v)); }
  Vector GetScale() const noexcept {
    Vector v;
    t_host->object->GetScale(Handle(), CVec(v));
    return v;
  }
  void SetRot(const Vector &v) noexcept { t_host->object->SetRot(Handle(), CVec(v)); }
  Vector GetRot() const noexcept {
    Vector v;
    t_host->object->GetRot(Handle(), CVec(v));
    return v;
  }
  void SetMl(const Matrix &m, Bool keepchildren) noexcept {
    t_host->object->SetMl(Handle(), reinterpret_cast<const th_matrix *>(&m), keepchildren);
  }
  Matrix GetMl() const noexcept {
    Matrix m;
    t_host->object->GetMl(Handle(), reinterpret_cast<th_matrix *>(&m));
    return m;
  }
  LONG GetEditorMode() const noexcept { return t_host->object->GetEditorMode(Handle()); }
  void SetEditorMode(LONG mode) noexcept { t_host->object->SetEditorMode(Handle(), mode); }
  LONG GetRenderMode() const noexcept { return t_host->object->GetRenderMode(Handle()); }
  void SetRenderMode(LONG mode) noexcept { t_host->object->SetRenderMode(Handle(), mode); }
  BaseTag *GetFirstTag() noexcept { return From<BaseTag>(t_host->object->GetFirstTag(Handle())); }
  BaseTag *GetTag(LONG type, LONG nr = 0) noexcept { return From<BaseTag>(t_host->object->GetTag(Handle(), type, nr)); }
  void *GetTagData(LONG type, LONG nr = 0) noexcept { return t_host->object->GetTagData(Handle(), type, nr); }
  LONG GetTagDataCount(LONG type) noexcept { return t_host->object->GetTagDataCount(Handle(), type); }
  void InsertTag(BaseTag *tag, BaseTag *pred = nullptr) noexcept {
    t_host->object->InsertTag(Handle(), ToHandle(tag), ToHandle(pred));
  }
  VariableTag *MakeVariableTag(LONG type, LONG count, BaseTag *pred = nullptr) noexcept {
    return From<VariableTag>(t_host->object->MakeVariableTag(Handle(), type, count, ToHandle(pred)));
  }
  BaseTag *MakeTag(LONG type, BaseTag *pred = nullptr) noexcept {
    return From<BaseTag>(t_host->object->MakeTag(Handle(), type, ToHandle(pred)));
  }
  Bool SetPhong(Bool on, Bool anglelimit, Real angle) noexcept {
    return t_host->object->SetPhong(Handle(), on, anglelimit, angle);
  }
};

class CameraObject : public BaseObject {
 public:
  static CameraObject *Alloc() noexcept { return From<CameraObject>(t_host->object->CameraAlloc()); }
  void SetFocus(Real v) noexcept { t_host->object->SetFocus(Handle(), v); }
  Real GetFocus() const noexcept { return t_host->object->GetFocus(Handle()); }
  void SetAperture(Real v) noexcept { t_host->object->SetAperture(Handle(), v); }
  Real GetAperture() const noexcept { return t_host->object->GetAperture(Handle()); }
  void SetProjection(LONG v) noexcept { t_host->object->SetProjection(Handle(), v); }
  LONG GetProjection() const noexcept { return t_host->object->GetProjection(Handle()); }
};

class SplineObject : public BaseObject {
 public:
  static SplineObject *Alloc(LONG pointcount, LONG type) noexcept {
    return From<SplineObject>(t_host->object->SplineAlloc(pointcount, type));
  }
};

// Animation: tracks of an object hold sequences, sequences hold keys.
class BaseKey : public BaseList2D {
 public:
  static BaseKey *Alloc(LONG type) noexcept { return From<BaseKey>(t_host->animation->KeyAlloc(type)); }
  static void Free(BaseKey *&key) noexcept { FreeElement(key); }
  Real *GetData(LONG *count) noexcept { return t_host->animation->GetKeyData(Handle(), count); }
  void SetTime(const BaseTime &t) noexcept { t_host->animation->SetKeyTime(Handle(), t.Get()); }
  BaseTime GetTime() const noexcept {
    BaseTime t;
    t_host->animation->GetKeyTime(Handle(), t.Get());
    return t;
  }
};

class BaseSequence : public BaseList2D {
 public:
  BaseSequence *GetNext() noexcept { return static_cast<BaseSequence *>(BaseList2D::GetNext()); }
  BaseTime GetT1() const noexcept {
    BaseTime t;
    t_host->animation->GetStart(Handle(), t.Get());
    return t;
  }
  BaseTime GetT2() const noexcept {
    BaseTime t;
    t_host->animation->GetEnd(Handle(), t.Get());
    return t;
  }
  LONG GetType() const noexcept { return t_host->animation->GetSequenceType(Handle()); }
  Bool InsertKey(BaseKey *key) noexcept { return t_host->animation->InsertKey(Handle(), ToHandle(key)); }
};

class BaseTrack : public BaseList2D {
 public:
  static BaseTrack *Alloc(BaseObject *op, const DescID &id) noexcept {
    return From<BaseTrack>(t_host->animation->TrackAlloc(ToHandle(op), id.Get()));
  }
  static void Free(BaseTrack *&track) noexcept { FreeElement(track); }
  BaseSequence *GetFirstSequence() noexcept {
    return From<BaseSequence>(t_host->animation->GetFirstSequence(Handle()));
  }
  BaseSequence *AutoAddSequence(class BaseDocument *doc, const BaseTime &time) noexcept {
    return From<BaseSequence>(
        t_host->animation->AutoAddSequence(Handle(), reinterpret_cast<th_element *>(doc), time.Get()));
  }
};

inline BaseTrack *FindTrack(BaseObject *op, const DescID &id) noexcept {
  return BaseList2D::From<BaseTrack>(t_host->animation->FindTrack(op->Handle(), id.Get()));
}
inline Bool InsertTrack(BaseObject *op, BaseTrack *track, BaseTrack *pred) noexcept {
  return t_host->animation->InsertTrack(op->Handle(), BaseList2D::ToHandle(track), BaseList2D::ToHandle(pred));
}

class RenderData : public BaseList2D {
 public:
  static RenderData *Alloc() noexcept { return From<RenderData>(t_host->document->RenderDataAlloc()); }
  static void Free(RenderData *&rd) noexcept { FreeElement(rd); }
};

// A view of a document; the scene camera is the object it looks through.
class BaseDraw {
 public:
  BaseDraw() = delete;
  ~BaseDraw() = delete;
  void SetSceneCamera(BaseObject *op) noexcept {
    t_host->document->SetSceneCamera(H(), reinterpret_cast<th_element *>(op));
  }
  BaseObject *GetSceneCamera() const noexcept {
    return BaseList2D::From<BaseObject>(t_host->document->GetSceneCamera(H()));
  }

 private:
  th_view *H() const noexcept { return reinterpret_cast<th_view *>(const_cast<BaseDraw *>(this)); }
};

class BaseDocument : public BaseList2D {
 public:
  static BaseDocument *GetActive() noexcept { return From<BaseDocument>(t_host->document->GetActiveDocument()); }
  static void SetActive(BaseDocument *doc) noexcept { t_host->document->SetActiveDocument(ToHandle(doc)); }
  static void Kill(BaseDocument *doc) noexcept { t_host->document->KillDocument(ToHandle(doc)); }

  BaseObject *GetFirstObject() noexcept { return From<BaseObject>(t_host->document->GetFirstObject(Handle())); }
  BaseMaterial *GetFirstMaterial() noexcept {
    return From<BaseMaterial>(t_host->document->GetFirstMaterial(Handle()));
  }
  Bool InsertObject(BaseObject *op, BaseObject *parent, BaseObject *pred, Bool checknames) noexcept {
    return t_host->document->InsertObject(Handle(), ToHandle(op), ToHandle(parent), ToHandle(pred), checknames);
  }
  Bool InsertMaterial(BaseMaterial *mat, BaseMaterial *pred, Bool checknames) noexcept {
    return t_host->document->InsertMaterial(Handle(), ToHandle(mat), ToHandle(pred), checknames);
  }
  BaseMaterial *SearchMaterial(const String &name) noexcept {
    return From<BaseMaterial>(t_host->document->SearchMaterial(Handle(), name.Get()));
  }
  Bool StartUndo() noexcept { return t_host->document->StartUndo(Handle()); }
  Bool EndUndo() noexcept { return t_host->document->EndUndo(Handle()); }
  Bool AddUndo(LONG type, BaseList2D *element) noexcept {
    return t_host->document->AddUndo(Handle(), type, ToHandle(element));
  }
  BaseContainer GetData(LONG type) noexcept {
    BaseContainer bc;
    t_host->document->GetDocumentData(Handle(), type, bc.Get());
    return bc;
  }
  void SetData(LONG type, const BaseContainer &bc) noexcept {
    t_host->document->SetDocumentData(Handle(), type, bc.Get());
  }
  Bool InsertRenderData(RenderData *rd, RenderData *pred) noexcept {
    return t_host->document->InsertRenderData(Handle(), ToHandle(rd), ToHandle(pred));
  }
  BaseDraw *GetBaseDraw(LONG index) noexcept {
    return reinterpret_cast<BaseDraw *>(t_host->document->GetView(Handle(), index));
  }
};

inline BaseDocument *GetActiveDocument() noexcept { return BaseDocument::GetActive(); }
inline void SetActiveDocument(BaseDocument *doc) noexcept { BaseDocument::SetActive(doc); }
inline void KillDocument(BaseDocument *doc) noexcept { BaseDocument::Kill(doc); }

#endif
