#include "Tracks.h"

#include <iterator>

#include "Document.h"
#include "Links.h"
#include "Registry.h"

namespace tessaro {

bool TimeLess(const th_time &a, const th_time &b) {
  if (a.numerator == b.numerator && a.denominator == b.denominator) return false;
  return std::floor(a.numerator * b.denominator) < std::floor(b.numerator * a.denominator);
}

Track::~Track() { Links::Delete(sequences); }

bool Track::Identifies(const th_descid &d) const {
  if (id.count != d.count) return false;
  for (int i = 0; i < id.count && i < 3; ++i)
    if (id.id[i] != d.id[i]) return false;
  return true;
}

Sequence *Track::AddSequence(ElementRegistry &elements, const th_time &time, const Document &timeOf) {
  if (time.denominator == 0) return nullptr;
  auto q = std::make_unique<Sequence>(5002);
  q->start = th_time{0, time.denominator};
  q->end = th_time{timeOf.maxTimeNum, timeOf.maxTimeDen};
  if (TimeLess(time, q->start)) q->start = time;
  if (TimeLess(q->end, time)) q->end = time;
  Sequence *added = elements.Adopt(std::move(q));
  AppendSequence(*added);
  return added;
}

Refusal Track::AppendSequence(Sequence &q) {
  if (q.list) return Refusal::NotLoose;
  Links::Insert(sequences, this, &q, sequences.last);
  Links::SetDocument(&q, doc);
  return Refusal::None;
}

Sequence::~Sequence() { Links::Delete(keys); }

namespace {
// Fractions of whole numbers up to 2^26 multiply exactly in a double, so
// for them the host's comparison is the exact one.
bool ExactTime(const th_time &t) {
  constexpr double kLimit = 67108864.0;
  return std::isfinite(t.numerator) && std::isfinite(t.denominator) && t.denominator > 0 &&
         t.denominator <= kLimit && std::fabs(t.numerator) <= kLimit && std::floor(t.numerator) == t.numerator &&
         std::floor(t.denominator) == t.denominator;
}

// Whether the order can place the time.
bool Orders(const TimeOrder &order, const th_time &t) {
  if (order.byProducts) return ExactTime(t);
  return t.denominator == order.den && std::isfinite(t.numerator);
}
}  // namespace

// Indexes the keys by the order that fits all of them, if any.
void Sequence::IndexKeys() {
  keysIndexed_ = keys.version;
  keysIndexOk_ = false;
  TimeOrder order;
  const Element *first = keys.first;
  if (first) order.den = static_cast<const AnimationKey *>(first)->time.denominator;
  bool exact = true, sameDen = std::isfinite(order.den);
  for (const Element *e = first; e; e = e->next) {
    const th_time &t = static_cast<const AnimationKey *>(e)->time;
    exact = exact && ExactTime(t);
    sameDen = sameDen && t.denominator == order.den && std::isfinite(t.numerator);
  }
  if (!exact && !sameDen) {
    keysByTime_.clear();
    return;
  }
  order.byProducts = exact;
  keysByTime_ = std::multimap<th_time, AnimationKey *, TimeOrder>(order);
  const th_time *previous = nullptr;
  for (Element *e = keys.first; e; e = e->next) {
    auto *k = static_cast<AnimationKey *>(e);
    if (previous && order(k->time, *previous)) {
      keysByTime_.clear();
      return;
    }
    keysByTime_.emplace_hint(keysByTime_.end(), k->time, k);
    previous = &k->time;
  }
  keysIndexOk_ = true;
}

Refusal Sequence::InsertKey(AnimationKey &k) {
  if (k.list) return Refusal::NotLoose;
  if (keysIndexed_ != keys.version) IndexKeys();
  if (keysIndexOk_ && Orders(keysByTime_.key_comp(), k.time)) {
    // The keys stand in time order: the walk from the end would stop at
    // the last key not later than k.
    auto place = keysByTime_.upper_bound(k.time);
    Element *after = place == keysByTime_.begin() ? nullptr : std::prev(place)->second;
    Links::Insert(keys, this, &k, after);
    keysByTime_.emplace_hint(place, k.time, &k);
    keysIndexed_ = keys.version;
  } else {
    const bool wasIndexed = keysIndexOk_;
    Element *after = keys.last;
    while (after && TimeLess(k.time, static_cast<AnimationKey *>(after)->time)) after = after->pred;
    Links::Insert(keys, this, &k, after);
    // A key the index's order cannot place may fit the other order (a
    // fraction among keys of one denominator); at most twice per sequence.
    if (wasIndexed) {
      IndexKeys();
    } else {
      keysIndexed_ = keys.version;
    }
  }
  Links::SetDocument(&k, doc);
  return Refusal::None;
}

Refusal Sequence::AppendKey(AnimationKey &k) {
  if (k.list) return Refusal::NotLoose;
  Links::Insert(keys, this, &k, keys.last);
  Links::SetDocument(&k, doc);
  return Refusal::None;
}

}  // namespace tessaro
