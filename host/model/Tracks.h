// Animation: a track of an object, identified by a parameter ID of one or
// two levels, holds sequences; a sequence spans a time and holds keys.
#ifndef TESSARO_HOST_MODEL_TRACKS_H
#define TESSARO_HOST_MODEL_TRACKS_H

#include <cmath>
#include <cstdint>
#include <map>

#include "Element.h"

namespace tessaro {

class AnimationKey;
class ElementRegistry;
class Sequence;

// Times compare as the host's time type does: equal numerators and
// denominators are equal; otherwise a is earlier when floor(a.num * b.den)
// is below floor(b.num * a.den).
bool TimeLess(const th_time &a, const th_time &b);

// The host's comparison where it is an order by a key: for fractions of
// whole numbers small enough for exact products (byProducts), and for
// times of one denominator, which weigh floor(numerator * denominator).
struct TimeOrder {
  bool byProducts = true;
  double den = 0;
  bool operator()(const th_time &a, const th_time &b) const {
    if (byProducts) return a.numerator * b.denominator < b.numerator * a.denominator;
    return std::floor(a.numerator * den) < std::floor(b.numerator * den);
  }
};

class Track : public Element {
 public:
  explicit Track(th_descid d) : Element(ElementKind::Track, 0), id(d) {}
  ~Track() override;
  th_descid id;
  ElementList sequences;

  bool Identifies(const th_descid &d) const;
  // A new sequence after the last, spanning the time of the document
  // timeOf, widened to take time; null for a time without a denominator.
  Sequence *AddSequence(ElementRegistry &elements, const th_time &time, const Document &timeOf);
  // Places a loose sequence after the last, as a document file lists them.
  Refusal AppendSequence(Sequence &q);
};

class Sequence : public Element {
 public:
  explicit Sequence(int32_t t) : Element(ElementKind::Sequence, t) {}
  ~Sequence() override;
  th_time start{0, 1}, end{0, 1};
  ElementList keys;

  // Places a loose key in time order, after the keys of its own time: after
  // the last key, counted from the end, that is not later.
  Refusal InsertKey(AnimationKey &k);
  // Places a loose key after the last, as a document file lists them.
  Refusal AppendKey(AnimationKey &k);

 private:
  void IndexKeys();
  // The keys by time, so that a key finds its place without a walk. It is
  // kept while the keys stand in time order and the host's comparison
  // orders them by a key (TimeOrder); it describes the keys list at
  // version keysIndexed_, and is usable only if keysIndexOk_.
  std::multimap<th_time, AnimationKey *, TimeOrder> keysByTime_;
  uint64_t keysIndexed_ = UINT64_MAX;
  bool keysIndexOk_ = false;
};

class AnimationKey : public Element {
 public:
  explicit AnimationKey(int32_t t) : Element(ElementKind::Key, t) {}
  th_time time{0, 1};
  float data[3] = {0, 0, 0};
};

}  // namespace tessaro

#endif
