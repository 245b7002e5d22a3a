// The animation table: an object's tracks, their sequences and keys.
#include "Arguments.h"
#include "Edge.h"
#include "Tables.h"

namespace tessaro::abi {
namespace {

Track *TrackOf(const th_element *e, const char *op) { return static_cast<Track *>(Of(e, ElementKind::Track, op)); }
Sequence *SequenceOf(const th_element *e, const char *op) {
  return static_cast<Sequence *>(Of(e, ElementKind::Sequence, op));
}
AnimationKey *KeyOf(const th_element *e, const char *op) {
  return static_cast<AnimationKey *>(Of(e, ElementKind::Key, op));
}

th_element *AnimFindTrack(th_element *e, const th_descid *id) {
  H().Fault(Op::FindTrack);
  Object *o = Obj(e, "FindTrack");
  if (!o || !id) return nullptr;
  return Handle(o->FindTrack(*id));
}
th_element *AnimTrackAlloc(th_element *e, const th_descid *id) {
  if (H().Fault(Op::TrackAlloc)) return nullptr;
  if (!Obj(e, "TrackAlloc") || !id || id->count < 1 || id->count > 2) return nullptr;
  return Handle(H().Elements().Make<Track>(*id));
}
th_bool AnimInsertTrack(th_element *e, th_element *track, th_element *pred) {
  if (H().Fault(Op::InsertTrack)) return 0;
  Object *o = Obj(e, "InsertTrack");
  Element *t = El(track, "InsertTrack");
  Element *after = pred ? El(pred, "InsertTrack predecessor") : nullptr;
  if (!o || !t || (pred && !after)) return 0;
  return Placed(o->InsertTrack(*t, after), "InsertTrack", "not a loose track, or a foreign predecessor");
}
th_element *AnimFirstSequence(th_element *e) {
  H().Fault(Op::GetFirstSequence);
  Track *t = TrackOf(e, "GetFirstSequence");
  return t ? Handle(t->sequences.first) : nullptr;
}
void AnimGetStart(const th_element *e, th_time *out) {
  H().Fault(Op::GetStart);
  Sequence *q = SequenceOf(e, "GetStart");
  if (out) *out = q ? q->start : th_time{0, 1};
}
void AnimGetEnd(const th_element *e, th_time *out) {
  H().Fault(Op::GetEnd);
  Sequence *q = SequenceOf(e, "GetEnd");
  if (out) *out = q ? q->end : th_time{0, 1};
}
th_element *AnimAutoAddSequence(th_element *e, th_element *d, const th_time *time) {
  if (H().Fault(Op::AutoAddSequence)) return nullptr;
  Track *t = TrackOf(e, "AutoAddSequence");
  Document *doc = Doc(d, "AutoAddSequence");
  if (!t || !doc || !time) return nullptr;
  return Handle(t->AddSequence(H().Elements(), *time, *doc));
}
int32_t AnimSequenceType(const th_element *e) {
  H().Fault(Op::GetSequenceType);
  const Sequence *q = SequenceOf(e, "GetSequenceType");
  return q ? q->type : 0;
}
th_element *AnimKeyAlloc(int32_t type) {
  if (H().Fault(Op::KeyAlloc)) return nullptr;
  return Handle(H().Elements().Make<AnimationKey>(type));
}
float *AnimKeyData(th_element *e, int32_t *count) {
  H().Fault(Op::GetKeyData);
  AnimationKey *k = KeyOf(e, "GetKeyData");
  if (count) *count = k ? 3 : 0;
  return k ? k->data : nullptr;
}
void AnimSetKeyTime(th_element *e, const th_time *t) {
  H().Fault(Op::SetKeyTime);
  AnimationKey *k = KeyOf(e, "SetKeyTime");
  if (k && t) k->time = *t;
}
void AnimGetKeyTime(const th_element *e, th_time *t) {
  AnimationKey *k = KeyOf(e, "GetKeyTime");
  if (t) *t = k ? k->time : th_time{0, 1};
}
th_bool AnimInsertKey(th_element *e, th_element *key) {
  if (H().Fault(Op::InsertKey)) return 0;
  Sequence *q = SequenceOf(e, "InsertKey");
  AnimationKey *k = KeyOf(key, "InsertKey");
  if (!q || !k) return 0;
  return Placed(q->InsertKey(*k), "InsertKey", "the key is already inserted");
}

const th_animation_table kAnimation = {
    sizeof(th_animation_table), TESSARO_EDGE(AnimFindTrack), TESSARO_EDGE(AnimTrackAlloc),
    TESSARO_EDGE(AnimInsertTrack), TESSARO_EDGE(AnimFirstSequence), TESSARO_EDGE(AnimGetStart),
    TESSARO_EDGE(AnimGetEnd), TESSARO_EDGE(AnimAutoAddSequence), TESSARO_EDGE(AnimSequenceType),
    TESSARO_EDGE(AnimKeyAlloc), TESSARO_EDGE(AnimKeyData), TESSARO_EDGE(AnimSetKeyTime),
    TESSARO_EDGE(AnimGetKeyTime), TESSARO_EDGE(AnimInsertKey)};

}  // namespace
}  // namespace tessaro::abi

const th_animation_table *tessaro::AnimationTable() { return &abi::kAnimation; }
