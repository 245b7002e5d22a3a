#include "Animation.h"

#include <math.h>
#include <string.h>

#include "DocumentRecords.h"
#include "Globals.h"
#include "RecordWalk.h"

namespace {

enum { TRACK_POSITION = 903, TRACK_ROTATION = 904, TRACK_X = 1000, TRACK_Y = 1001, TRACK_Z = 1002 };
enum { ID_DOCUMENT_END = 1003 };

Bool ReadTime(BaseTime *t) {
  Real numerator = 0, denominator = 0;
  if (!RecordFile()->ReadTime(&numerator, &denominator)) return FALSE;
  *t = BaseTime(numerator, denominator);
  return TRUE;
}

void AddVectorKeys(BaseDocument *doc, BaseObject *op, LONG track, const VectorKeyRecord &k, Real scale) {
  AddAnimationKey(doc, op, track, TRACK_X, k.time, k.value.x * scale, k.second.x, k.third.x);
  AddAnimationKey(doc, op, track, TRACK_Y, k.time, k.value.y * scale, k.second.y, k.third.y);
  AddAnimationKey(doc, op, track, TRACK_Z, k.time, k.value.z * scale, k.second.z, k.third.z);
}

// What AddAnimationKey remembers of the sequences of the tracks it used
// lately, so that a key finds the first sequence that spans its time
// without walking all of them: a file whose every key lies past the last
// sequence makes a sequence per key. The answer is the walk's own: the
// first sequence spanning the time. The memo holds while the host's
// comparison orders its bounds by a key: while every bound is a fraction of
// whole numbers small enough for exact products, or while every bound has
// one denominator d (a time then weighs floor(numerator * d)). Failing
// both, while every bound is a plain time (a float numerator over a
// positive float denominator, or one with a NaN in it), the bounds are
// ordered by their values n / d: the host's comparison can then hold a time
// and a bound as equal only within 1 / (dt * db) of each other, so a search
// widened by that much finds where the first spanning sequence can start,
// and the host's own comparison decides from there. Other times take the
// walk.
struct SequenceSpan {
  BaseSequence *seq;
  BaseTime start, end;
};

struct SequenceMemo {
  BaseTrack *track = nullptr;
  SequenceSpan *spans = nullptr;
  LONG count = 0;
  LONG capacity = 0;
  // Positions whose end is later than every earlier end, and whose start is
  // earlier than every earlier start: the first sequence that ends no
  // earlier than a time is a rise, the first that starts no later a fall.
  LONG *rises = nullptr;
  LONG riseCount = 0;
  LONG *falls = nullptr;
  LONG fallCount = 0;
  Bool exact = TRUE;    // every bound an exact fraction
  Bool sameDen = TRUE;  // every bound of denominator den, with a finite numerator
  LReal den = 0;
  Bool plain = TRUE;     // every bound a plain time
  LReal minDen = 0;      // the least denominator of the bounds
  Bool byValue = FALSE;  // rises and falls ordered by value (exact and sameDen failed)
  ULONG used = 0;
};

// A key list touches at most eleven tracks of its object (three position,
// three rotation, five camera tracks), and objects are read one after another.
SequenceMemo g_memos[16];
ULONG g_memoClock = 0;

Bool ExactTime(const BaseTime &t) {
  const LReal n = t.GetNumerator(), d = t.GetDenominator();
  const LReal limit = 67108864.0;  // 2^26: products of two stay exact
  return d > 0 && d <= limit && n >= -limit && n <= limit && floor(n) == n && floor(d) == d;
}
Bool Finite(LReal x) { return x - x == 0; }

// A float numerator over a positive float denominator: their products are
// exact, and the host's comparison is then bound to the values.
Bool Plain(const BaseTime &t) {
  const LReal n = t.GetNumerator(), d = t.GetDenominator();
  return Finite(n) && Finite(d) && d > 0 && static_cast<LReal>(static_cast<float>(n)) == n &&
         static_cast<LReal>(static_cast<float>(d)) == d;
}
LReal Value(const BaseTime &t) { return t.GetNumerator() / t.GetDenominator(); }

// A bound with a NaN in it is never set apart from any time by the host's
// comparison: as a start it is passed by every time, as an end never.
Bool Unordered(const BaseTime &t) {
  return t.GetNumerator() != t.GetNumerator() || t.GetDenominator() != t.GetDenominator();
}
LReal StartValue(const SequenceSpan &s) { return Unordered(s.start) ? -HUGE_VAL : Value(s.start); }
LReal EndValue(const SequenceSpan &s) { return Unordered(s.end) ? HUGE_VAL : Value(s.end); }

// Orders the remembered bounds' rises and falls again, by value.
void ReorderByValue(SequenceMemo *m) {
  m->byValue = TRUE;
  m->riseCount = m->fallCount = 0;
  for (LONG at = 0; at < m->count; ++at) {
    const SequenceSpan &span = m->spans[at];
    if (m->riseCount == 0 || EndValue(m->spans[m->rises[m->riseCount - 1]]) < EndValue(span))
      m->rises[m->riseCount++] = at;
    if (m->fallCount == 0 || StartValue(span) < StartValue(m->spans[m->falls[m->fallCount - 1]]))
      m->falls[m->fallCount++] = at;
  }
}

// The host's comparison, for the memo's times: exact fractions compare by
// their products; times of one denominator d by floor(numerator * d), which
// is what the host computes for them.
// While both hold, the two agree on the bounds (whole numerators of one
// denominator), so either may order a time with them.
Bool Earlier(const SequenceMemo *m, Bool byProducts, const BaseTime &a, const BaseTime &b) {
  if (byProducts) return a.GetNumerator() * b.GetDenominator() < b.GetNumerator() * a.GetDenominator();
  return floor(a.GetNumerator() * m->den) < floor(b.GetNumerator() * m->den);
}

// Whether the memo can order the time with its bounds, and how.
Bool Orders(const SequenceMemo *m, const BaseTime &t, Bool *byProducts) {
  *byProducts = m->exact && ExactTime(t);
  return *byProducts || (m->sameDen && t.GetDenominator() == m->den && Finite(t.GetNumerator()));
}

void ClearMemo(SequenceMemo *m) {
  GeFree(m->spans);
  GeFree(m->rises);
  GeFree(m->falls);
  *m = SequenceMemo();
}

Bool GrowMemo(SequenceMemo *m) {
  if (m->count < m->capacity) return TRUE;
  LONG capacity = m->capacity ? m->capacity * 2 : 16;
  if (m->capacity > INT32_MAX / 2 / static_cast<LONG>(sizeof(SequenceSpan))) return FALSE;
  void *spans = GeAlloc(capacity * static_cast<LONG>(sizeof(SequenceSpan)));
  void *rises = GeAlloc(capacity * static_cast<LONG>(sizeof(LONG)));
  void *falls = GeAlloc(capacity * static_cast<LONG>(sizeof(LONG)));
  if (!spans || !rises || !falls) {
    GeFree(spans);
    GeFree(rises);
    GeFree(falls);
    return FALSE;
  }
  if (m->count) {
    memcpy(spans, m->spans, static_cast<size_t>(m->count) * sizeof(SequenceSpan));
    memcpy(rises, m->rises, static_cast<size_t>(m->riseCount) * sizeof(LONG));
    memcpy(falls, m->falls, static_cast<size_t>(m->fallCount) * sizeof(LONG));
  }
  GeFree(m->spans);
  GeFree(m->rises);
  GeFree(m->falls);
  m->spans = static_cast<SequenceSpan *>(spans);
  m->rises = static_cast<LONG *>(rises);
  m->falls = static_cast<LONG *>(falls);
  m->capacity = capacity;
  return TRUE;
}

// Takes the track's next sequence into the memo.
void Remember(SequenceMemo *m, BaseSequence *seq) {
  if (!m->exact && !m->sameDen && !m->plain) return;
  SequenceSpan span = {seq, seq->GetT1(), seq->GetT2()};
  // Both keys order the bounds alike while both hold, so what was ordered
  // by one stays ordered when only the other is left.
  if (m->count == 0) m->den = span.start.GetDenominator();
  m->exact = m->exact && ExactTime(span.start) && ExactTime(span.end);
  m->sameDen = m->sameDen && Finite(m->den) && span.start.GetDenominator() == m->den &&
               span.end.GetDenominator() == m->den && Finite(span.start.GetNumerator()) &&
               Finite(span.end.GetNumerator());
  m->plain =
      m->plain && (Plain(span.start) || Unordered(span.start)) && (Plain(span.end) || Unordered(span.end));
  if (m->plain) {
    const BaseTime *bounds[] = {&span.start, &span.end};
    for (const BaseTime *t : bounds)
      if (!Unordered(*t) && (m->minDen == 0 || t->GetDenominator() < m->minDen)) m->minDen = t->GetDenominator();
  }
  if ((!m->exact && !m->sameDen && !m->plain) || !GrowMemo(m)) {
    m->exact = m->sameDen = m->plain = FALSE;
    return;
  }
  if (!m->exact && !m->sameDen && !m->byValue) ReorderByValue(m);
  const LONG at = m->count++;
  m->spans[at] = span;
  if (m->byValue) {
    if (m->riseCount == 0 || EndValue(m->spans[m->rises[m->riseCount - 1]]) < EndValue(span))
      m->rises[m->riseCount++] = at;
    if (m->fallCount == 0 || StartValue(span) < StartValue(m->spans[m->falls[m->fallCount - 1]]))
      m->falls[m->fallCount++] = at;
    return;
  }
  if (m->riseCount == 0 || Earlier(m, m->exact, m->spans[m->rises[m->riseCount - 1]].end, span.end))
    m->rises[m->riseCount++] = at;
  if (m->fallCount == 0 || Earlier(m, m->exact, span.start, m->spans[m->falls[m->fallCount - 1]].start))
    m->falls[m->fallCount++] = at;
}

// The track's memo; fresh: the track was just made (a new track may stand
// where a freed one stood). Null when none can be had.
SequenceMemo *MemoFor(BaseTrack *track, Bool fresh) {
  SequenceMemo *slot = nullptr;
  for (SequenceMemo &m : g_memos)
    if (m.track == track) slot = &m;
  if (slot && fresh) ClearMemo(slot);
  if (!slot || !slot->track) {
    if (!slot) {
      slot = &g_memos[0];
      for (SequenceMemo &m : g_memos)
        if (m.used < slot->used) slot = &m;
      ClearMemo(slot);
    }
    slot->track = track;
    if (!fresh)
      for (BaseSequence *seq = track->GetFirstSequence(); seq && (slot->exact || slot->sameDen || slot->plain);
           seq = seq->GetNext())
        Remember(slot, seq);
  }
  slot->used = ++g_memoClock;
  return slot;
}

// The first remembered sequence that spans a plain time, for bounds
// ordered by value. A bound the host's comparison does not set apart from
// the time lies within 1 / (dt * db) of it in value, so no sequence before
// the first rise ending above value - w, nor before the first fall starting
// below value + w, can span it; from there the host's comparison decides.
BaseSequence *FindByValue(const SequenceMemo *m, const BaseTime &time, Bool *known) {
  *known = TRUE;
  const LReal v = Value(time);
  // Widened a little more, for the rounding of the divisions.
  const LReal w = 1 / (time.GetDenominator() * m->minDen) + 1e-9 * (1 + fabs(v));
  LONG lo = 0, hi = m->riseCount;
  while (lo < hi) {
    LONG mid = lo + (hi - lo) / 2;
    if (EndValue(m->spans[m->rises[mid]]) <= v - w) lo = mid + 1; else hi = mid;
  }
  if (lo == m->riseCount) return nullptr;
  LONG from = m->rises[lo];
  lo = 0, hi = m->fallCount;
  while (lo < hi) {
    LONG mid = lo + (hi - lo) / 2;
    if (StartValue(m->spans[m->falls[mid]]) >= v + w) lo = mid + 1; else hi = mid;
  }
  if (lo == m->fallCount) return nullptr;
  if (m->falls[lo] > from) from = m->falls[lo];
  for (LONG i = from; i < m->count; ++i)
    if (m->spans[i].start <= time && m->spans[i].end >= time) return m->spans[i].seq;
  return nullptr;
}

// The first remembered sequence that spans the time; *known is false when
// the memo cannot answer and the sequences must be walked.
BaseSequence *FindInMemo(const SequenceMemo *m, const BaseTime &time, Bool *known) {
  Bool byProducts = FALSE;
  *known = Orders(m, time, &byProducts);
  // By value only while every bound was remembered (a bound of no order
  // ends the memo, and the spans after it are not in it).
  if (!*known) return m->byValue && m->plain && Plain(time) ? FindByValue(m, time, known) : nullptr;
  // No sequence before the first rise ending no earlier, nor before the
  // first fall starting no later, can span the time.
  LONG lo = 0, hi = m->riseCount;
  while (lo < hi) {
    LONG mid = lo + (hi - lo) / 2;
    if (Earlier(m, byProducts, m->spans[m->rises[mid]].end, time)) lo = mid + 1; else hi = mid;
  }
  if (lo == m->riseCount) return nullptr;
  LONG from = m->rises[lo];
  lo = 0, hi = m->fallCount;
  while (lo < hi) {
    LONG mid = lo + (hi - lo) / 2;
    if (Earlier(m, byProducts, time, m->spans[m->falls[mid]].start)) lo = mid + 1; else hi = mid;
  }
  if (lo == m->fallCount) return nullptr;
  if (m->falls[lo] > from) from = m->falls[lo];
  for (LONG i = from; i < m->count; ++i)
    if (!Earlier(m, byProducts, time, m->spans[i].start) && !Earlier(m, byProducts, m->spans[i].end, time))
      return m->spans[i].seq;
  return nullptr;
}

}  // namespace

void ReleaseSequenceMemos() {
  for (SequenceMemo &m : g_memos) ClearMemo(&m);
  g_memoClock = 0;
}

Bool KeyListHeader::Read() {
  HostFile *f = RecordFile();
  if (!ReadTime(&fieldAt0) || !ReadTime(&fieldAt8) || !f->ReadLong(&fieldAt16) || !f->ReadUChar(&fieldAt20) ||
      !f->ReadLong(&vectorCount))
    return FALSE;
  // The vectors are read and dropped; a count beyond the record fails it
  // as a short read would, before anything is read.
  if (!Within() || (vectorCount > 0 && !Holds(vectorCount, 12))) return FALSE;
  Vector discarded;
  for (LONG i = 0; i < vectorCount; ++i)
    if (!f->ReadVector(&discarded)) return FALSE;
  return TRUE;
}

Bool VectorKeyRecord::Read() {
  HostFile *f = RecordFile();
  return ReadTime(&time) && f->ReadVector(&value) && f->ReadVector(&second) && f->ReadVector(&third) && Within();
}

Bool CameraKeyRecord::Read() { return ReadTime(&time) && ReadCameraBody(&camera) && Within(); }

namespace {

// What the readers of an animation and of its key lists share: the object
// the keys go to, in its document.
struct Animated {
  BaseDocument *doc;
  BaseObject *op;
};

Bool ReadKeyListRecord(RecordReader &record, Animated &animated) { return ReadKeyList(record, animated.doc, animated.op); }

Bool ReadPositionKey(RecordReader &record, Animated &animated) {
  VectorKeyRecord k(record);
  if (!k.Read()) return FALSE;
  AddVectorKeys(animated.doc, animated.op, TRACK_POSITION, k, ImportScale);
  return TRUE;
}

Bool ReadRotationKey(RecordReader &record, Animated &animated) {
  VectorKeyRecord k(record);
  if (!k.Read()) return FALSE;
  AddVectorKeys(animated.doc, animated.op, TRACK_ROTATION, k, 1.0f);
  return TRUE;
}

Bool ReadCameraKey(RecordReader &record, Animated &animated) {
  CameraKeyRecord k(record);
  if (!k.Read()) return FALSE;
  // The tracks take what the camera builder gives the camera.
  BaseDocument *doc = animated.doc;
  BaseObject *op = animated.op;
  AddAnimationKey(doc, op, 500, 0, k.time, k.camera.focus, 0, 0);
  AddAnimationKey(doc, op, 1001, 0, k.time, static_cast<Real>(k.camera.projection), 0, 0);
  AddAnimationKey(doc, op, 1006, 0, k.time, k.camera.focus, 0, 0);
  AddAnimationKey(doc, op, 1010, 0, k.time, k.camera.fieldAt32, 0, 0);
  AddAnimationKey(doc, op, 1009, 0, k.time, 0.0f, 0, 0);
  return TRUE;
}

const RecordRow<Animated> kAnimationRows[] = {ANIMATION_RECORDS(RECORD_ROW)};
const RecordRow<Animated> kKeyListRows[] = {KEY_LIST_RECORDS(RECORD_ROW)};

}  // namespace

Bool ReadAnimationRecord(const RecordHeader &record, BaseDocument *doc, BaseObject *op) {
  RecordReader leading;
  // The leading record is skipped unread, whatever its type.
  if (!leading.ReadHeaderWithin(record)) return FALSE;
  leading.SkipToEnd();
  Animated animated = {doc, op};
  return WalkWithin(record, kAnimationRows, animated) == WALK_ENDED;
}

Bool ReadKeyList(const RecordHeader &list, BaseDocument *doc, BaseObject *op) {
  RecordReader first;
  if (!first.ReadHeaderWithin(list)) return FALSE;
  // The list's header, whatever its type.
  KeyListHeader header(first);
  if (!header.Read()) return FALSE;
  header.SkipToEnd();
  Animated animated = {doc, op};
  return WalkWithin(list, kKeyListRows, animated) == WALK_ENDED;
}

Bool AddAnimationKey(BaseDocument *doc, BaseObject *op, LONG level1, LONG level2, const BaseTime &time, Real value,
                     Real second, Real third) {
  const Bool twoLevels = level2 != 0;
  DescID id = twoLevels ? DescID(level1, level2) : DescID(level1);
  BaseTrack *track = FindTrack(op, id);
  Bool fresh = FALSE;
  if (!track) {
    track = Held(BaseTrack::Alloc(op, id));
    if (!track) return FALSE;
    if (!InsertTrack(op, track, nullptr)) {
      BaseTrack::Free(track);
      return FALSE;
    }
    fresh = TRUE;
  }
  SequenceMemo *memo = MemoFor(track, fresh);
  Bool known = FALSE;
  BaseSequence *seq = FindInMemo(memo, time, &known);
  if (!known) {
    seq = track->GetFirstSequence();
    while (seq && !(seq->GetT1() <= time && seq->GetT2() >= time)) seq = seq->GetNext();
  }
  if (!seq) {
    seq = track->AutoAddSequence(doc, time);
    if (seq) Remember(memo, seq);
  }
  if (!seq) return FALSE;
  BaseKey *key = Held(BaseKey::Alloc(seq->GetType()));
  if (!key) return FALSE;
  LONG count = 0;
  Real *data = key->GetData(&count);
  if (!data || count < (twoLevels ? 3 : 1)) {
    BaseKey::Free(key);
    return FALSE;
  }
  data[0] = value;
  if (twoLevels) {
    data[1] = second;
    data[2] = third;
  }
  BaseContainer settings = doc->GetData(0);
  if (time > settings.GetTime(ID_DOCUMENT_END)) {
    RecordDocumentSettings(doc);
    settings.SetTime(ID_DOCUMENT_END, time);
    doc->SetData(0, settings);
  }
  key->SetTime(time);
  if (!seq->InsertKey(key)) {
    BaseKey::Free(key);
    return FALSE;
  }
  return TRUE;
}
