// The host's lookups and orders through its C tables: each keeps the
// answer of a plain walk, whatever order the lists grew in.
#include <algorithm>
#include <functional>
#include <random>
#include <stdexcept>

#include "Edge.h"
#include "Host.h"
#include "support.h"

namespace {

using tessaro::Host;

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<Host>();
    doc_ = reinterpret_cast<th_element *>(host_->ActiveDocument());
  }
  void TearDown() override { EXPECT_TRUE(host_->misuse.empty()) << host_->misuse.front(); }
  const th_host_interface &I() const { return *host_->Interface(); }

  th_element *Material(const std::string &name, th_element *pred, bool checknames) {
    th_element *m = I().material->Alloc(5703);
    Rename(m, name);
    EXPECT_TRUE(I().document->InsertMaterial(doc_, m, pred, checknames ? 1 : 0));
    return m;
  }
  void Rename(th_element *e, const std::string &name) {
    th_string *s = I().string->Alloc(name.c_str());
    I().list->SetName(e, s);
    I().string->Free(&s);
  }
  th_element *Search(const std::string &name) {
    th_string *s = I().string->Alloc(name.c_str());
    th_element *found = I().document->SearchMaterial(doc_, s);
    I().string->Free(&s);
    return found;
  }
  // The plain walk: the first material of the name in list order.
  th_element *Walk(const std::string &name) {
    for (th_element *m = I().document->GetFirstMaterial(doc_); m; m = I().list->GetNext(m))
      if (reinterpret_cast<tessaro::Element *>(m)->name == name) return m;
    return nullptr;
  }
  std::string Name(th_element *e) { return reinterpret_cast<tessaro::Element *>(e)->name; }
  void Drop(th_element *e) {
    I().list->Remove(e);
    I().list->Free(&e);
  }

  std::unique_ptr<Host> host_;
  th_element *doc_ = nullptr;
};

TEST_F(LookupTest, UniqueMaterialNamesTakeTheFirstFreeSuffix) {
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat");
  th_element *one = Material("Mat", nullptr, true);
  th_element *two = Material("Mat", nullptr, true);
  EXPECT_EQ(Name(one), "Mat.1");
  EXPECT_EQ(Name(two), "Mat.2");
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.3");
  // A suffix freed by removal or by a rename is taken again first.
  Drop(two);
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.2");
  Rename(one, "Other");
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.1");
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.4");
  // Names that only look like suffixes of other numbers free nothing.
  th_element *padded = Material("Mat.05", nullptr, true);
  Drop(padded);
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.5");
  // A name taken by hand is skipped; without the check a namesake stays.
  Material("Mat.6", nullptr, true);
  EXPECT_EQ(Name(Material("Mat", nullptr, true)), "Mat.7");
  EXPECT_EQ(Name(Material("Mat", nullptr, false)), "Mat");
  EXPECT_EQ(Name(Material("Mat.1", nullptr, true)), "Mat.1.1");
}

TEST_F(LookupTest, SearchByNameFindsTheFirstInListOrder) {
  // Namesakes inserted anywhere, renamed and removed: the search answers as
  // the walk does after every step.
  std::mt19937 random(7);
  std::vector<th_element *> live;
  const std::vector<std::string> names = {"A", "B", "C", "A.1", ""};
  for (int step = 0; step < 600; ++step) {
    int what = static_cast<int>(random() % 10);
    const std::string &name = names[random() % names.size()];
    if (what < 5 || live.empty()) {
      th_element *pred = live.empty() || random() % 3 == 0 ? nullptr : live[random() % live.size()];
      live.push_back(Material(name, pred, random() % 4 == 0));
    } else if (what < 8) {
      Rename(live[random() % live.size()], name);
    } else {
      size_t i = random() % live.size();
      Drop(live[i]);
      live.erase(live.begin() + static_cast<long>(i));
    }
    for (const std::string &n : names) ASSERT_EQ(Search(n), Walk(n)) << "step " << step << ", name \"" << n << "\"";
  }
}

TEST_F(LookupTest, TagsByTypeAndNumberFollowTheTagList) {
  th_element *o = I().object->Alloc(5100, 0);
  ASSERT_TRUE(I().document->InsertObject(doc_, o, nullptr, nullptr, 0));
  std::mt19937 random(3);
  auto walk = [&](int32_t type, int32_t nr) -> th_element * {
    for (th_element *t = I().object->GetFirstTag(o); t; t = I().list->GetNext(t))
      if (I().list->GetType(t) == type && nr-- == 0) return t;
    return nullptr;
  };
  std::vector<th_element *> tags;
  for (int step = 0; step < 300; ++step) {
    int32_t type = random() % 2 ? 5616 : 5612;
    if (random() % 4 || tags.empty()) {
      th_element *pred = tags.empty() || random() % 2 ? nullptr : tags[random() % tags.size()];
      tags.push_back(I().object->MakeTag(o, type, pred));
    } else {
      size_t i = random() % tags.size();
      Drop(tags[i]);
      tags.erase(tags.begin() + static_cast<long>(i));
    }
    // Forward, repeated, backward and past the end, as callers ask.
    for (int32_t nr : {0, 1, 2, 2, 3, 1, 7, 0, 50, -1})
      ASSERT_EQ(I().object->GetTag(o, type, nr), walk(type, nr)) << "step " << step << ", tag " << nr;
  }
}

// The host's own comparison, for the reference walk.
bool Earlier(const th_time &a, const th_time &b) {
  if (a.numerator == b.numerator && a.denominator == b.denominator) return false;
  return std::floor(a.numerator * b.denominator) < std::floor(b.numerator * a.denominator);
}

// Inserts keys at the times into a new sequence; after each, the keys
// stand where the walk from the end would have put them.
void ExpectWalkOrder(const th_host_interface &I, th_element *doc, const std::vector<th_time> &times,
                     const std::function<void(int, std::vector<const tessaro::Element *> &)> &between = nullptr) {
  th_element *o = I.object->Alloc(5100, 0);
  ASSERT_TRUE(I.document->InsertObject(doc, o, nullptr, nullptr, 0));
  th_descid id{1, {903, 0, 0}};
  th_element *track = I.animation->TrackAlloc(o, &id);
  ASSERT_TRUE(I.animation->InsertTrack(o, track, nullptr));
  th_time zero{0, 1};
  th_element *seq = I.animation->AutoAddSequence(track, doc, &zero);
  ASSERT_NE(seq, nullptr);
  std::vector<const tessaro::Element *> expected;
  int n = 0;
  for (const th_time &t : times) {
    th_element *key = I.animation->KeyAlloc(5002);
    I.animation->SetKeyTime(key, &t);
    size_t at = expected.size();
    while (at > 0 && Earlier(t, static_cast<const tessaro::AnimationKey *>(expected[at - 1])->time)) --at;
    expected.insert(expected.begin() + static_cast<long>(at), reinterpret_cast<tessaro::Element *>(key));
    ASSERT_TRUE(I.animation->InsertKey(seq, key));
    if (between) between(++n, expected);
    std::vector<const tessaro::Element *> actual;
    for (const tessaro::Element *k = reinterpret_cast<tessaro::Sequence *>(seq)->keys.first; k; k = k->next)
      actual.push_back(k);
    ASSERT_EQ(actual, expected) << "after key " << n;
  }
}

TEST_F(LookupTest, KeysGoAfterTheLastKeyNotLaterInAnyOrder) {
  std::mt19937 random(11);
  // Whole frames of two rates, the same time in other forms, then times the
  // comparison cannot order by a key (fractions of several denominators, a
  // negative and a zero denominator, NaN).
  std::vector<th_time> times;
  for (int i = 0; i < 400; ++i) times.push_back({static_cast<double>(random() % 50), i % 3 ? 30.0 : 25.0});
  for (int i = 0; i < 40; ++i) times.push_back({static_cast<double>(random() % 10), 1});
  for (int i = 0; i < 60; ++i) {
    switch (i % 5) {
      case 0: times.push_back({0.5 + random() % 20, 30}); break;
      case 1: times.push_back({static_cast<double>(random() % 20), -30}); break;
      case 2: times.push_back({1, 0}); break;
      case 3: times.push_back({NAN, 30}); break;
      default: times.push_back({static_cast<double>(random() % 60), 30}); break;
    }
  }
  ExpectWalkOrder(I(), doc_, times, [&](int n, std::vector<const tessaro::Element *> &expected) {
    if (n != 200) return;
    // Keys taken out by the list's own operation leave the order to the rest.
    for (size_t i : {150u, 20u, 0u}) {
      th_element *gone = reinterpret_cast<th_element *>(const_cast<tessaro::Element *>(expected[i]));
      expected.erase(expected.begin() + static_cast<long>(i));
      Drop(gone);
    }
  });
  // Fractions of one denominator, which the comparison floors, after whole
  // frames of it; then another denominator.
  std::vector<th_time> fractions;
  for (int i = 0; i < 100; ++i) fractions.push_back({static_cast<double>(random() % 40), 25});
  for (int i = 0; i < 200; ++i) fractions.push_back({(random() % 400) / 8.0, 25});
  for (int i = 0; i < 20; ++i) fractions.push_back({static_cast<double>(random() % 40), 30});
  ExpectWalkOrder(I(), doc_, fractions);
}

}  // namespace

namespace {

int32_t Throws(int32_t n) {
  if (n > 0) throw std::length_error("too long");
  return n;
}
void ThrowsNothingUseful() { throw 7; }

TEST(EdgeTest, AnExceptionBecomesTheFailureValueAndAMisuse) {
  Host host;
  EXPECT_EQ(TESSARO_EDGE(Throws)(-3), -3);
  EXPECT_EQ(TESSARO_EDGE(Throws)(5), 0);
  TESSARO_EDGE(ThrowsNothingUseful)();
  ASSERT_EQ(host.misuse.size(), 2u);
  EXPECT_NE(host.misuse[0].find("too long"), std::string::npos);
}

}  // namespace
