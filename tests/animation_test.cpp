// Cameras, lights, kind 5107, animation keys, document and render
// settings, and the finish of an import, through the real plug-in.
#include <cmath>
#include <random>
#include <set>

#include "c4d_symbols.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using ft50::Named;
using tessaro::Op;
using testsupport::Find;
using testsupport::HostTest;
using testsupport::Names;


std::set<std::string> Keys(const tessaro::Object *o) {
  std::set<std::string> out;
  for (const auto &kv : o->params) out.insert(kv.first);
  return out;
}

const tessaro::Track *TrackOf(const tessaro::Object *o, int32_t a, int32_t b = -1) {
  for (const tessaro::Element *t = o->tracks.first; t; t = t->next) {
    const auto *track = static_cast<const tessaro::Track *>(t);
    if (track->id.id[0] == a && (b < 0 ? track->id.count == 1 : track->id.count == 2 && track->id.id[1] == b))
      return track;
  }
  return nullptr;
}

std::vector<const tessaro::AnimationKey *> KeysOf(const tessaro::Track *t) {
  std::vector<const tessaro::AnimationKey *> out;
  for (const tessaro::Element *q = t ? static_cast<tessaro::Element *>(t->sequences.first) : nullptr; q; q = q->next)
    for (const tessaro::Element *k = static_cast<const tessaro::Sequence *>(q)->keys.first; k; k = k->next)
      out.push_back(static_cast<const tessaro::AnimationKey *>(k));
  return out;
}

class AnimationTest : public HostTest {};

TEST_F(AnimationTest, CameraTakesFocusAndApertureFromTheFirstReal) {
  Ft50Writer f;
  ft50::Object(f, 5103, Named("Cam"), nullptr, ft50::CameraBody(35, 50, 2, 0.75f));
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Object *cam = Find(Doc(), "Cam");
  ASSERT_NE(cam, nullptr);
  EXPECT_EQ(cam->type, 5103);
  EXPECT_TRUE(cam->camera);
  EXPECT_EQ(cam->focus, 35);
  EXPECT_EQ(cam->aperture, 35);
  EXPECT_EQ(cam->projection, 2);
  EXPECT_EQ(Keys(cam), (std::set<std::string>{"1009", "1010"}));
  EXPECT_EQ(cam->params.at("1010").r, 0.75f);
  EXPECT_EQ(cam->params.at("1009").type, tessaro::Value::Long);
}

TEST_F(AnimationTest, LightFormsSetExactlyTheirParameters) {
  ft50::Light four, one, zero;
  four.u5 = 1;
  four.u7 = 1;
  one.u5 = 1;
  one.u8 = 200;
  Ft50Writer f;
  ft50::Object(f, 5102, Named("Four"), nullptr, ft50::LightBody(four));
  ft50::Object(f, 5102, Named("One"), nullptr, ft50::LightBody(one));
  ft50::Object(f, 5102, Named("Zero"), nullptr, ft50::LightBody(zero));
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  const std::set<std::string> common{"90000", "90001", "90002", "90003", "90025", "70002", "70022", "70019", "70027"};
  tessaro::Object *l4 = Find(Doc(), "Four"), *l1 = Find(Doc(), "One"), *l0 = Find(Doc(), "Zero");
  EXPECT_EQ(l4->params.at("90002").l, 4);
  EXPECT_EQ(Keys(l4), common);
  EXPECT_EQ(l0->params.at("90002").l, 0);
  EXPECT_EQ(Keys(l0), common);
  EXPECT_EQ(l1->params.at("90002").l, 1);
  std::set<std::string> withForm1 = common;
  withForm1.insert({"90018", "90010", "90011", "90014"});
  EXPECT_EQ(Keys(l1), withForm1);
  EXPECT_EQ(l1->params.at("90018").l, 200);
  EXPECT_EQ(l1->params.at("90010").l, 0);
  EXPECT_EQ(l1->params.at("90011").r, 2.0f);
  EXPECT_EQ(l1->params.at("90014").l, 8);
  EXPECT_EQ(l0->params.at("90000").v, (th_vector{1, 0.5f, 0.25f}));
  EXPECT_EQ(l0->params.at("90001").r, 3.0f);
  EXPECT_EQ(l0->params.at("90003").l, 22);
  EXPECT_EQ(l0->params.at("90025").r, 1.0f);
  EXPECT_EQ(l0->params.at("70002").l, 0);
  EXPECT_EQ(l0->params.at("70022").l, 1);
  EXPECT_EQ(l0->params.at("70019").r, 7.0f);
  EXPECT_EQ(l0->params.at("70027").r, 4.0f);
}

TEST_F(AnimationTest, LightCutShortInsideTableCGivesNoObject) {
  Ft50Writer f;
  f.Begin(5020).Begin(5102);
  ft50::LightBody(ft50::Light(), 1400)(f);  // table C starts at 1320
  f.End().End();
  EXPECT_EQ(Import(f).code, -3);
  EXPECT_EQ(Doc()->objects.count, 0u);
  EXPECT_EQ(host_->Calls(Op::ObjectAlloc), 0u) << "nothing is allocated before the body is read";
}

TEST_F(AnimationTest, Kind5107TakesTheFirstVectorTwiceAndAnUnsignedByte) {
  Ft50Writer f;
  ft50::Object(f, 5107, Named("K"), nullptr, ft50::Kind5107Body({1, 2, 3}, {4, 5, 6}, 255));
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  tessaro::Object *k = Find(Doc(), "K");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->type, 5106);
  EXPECT_EQ(k->params.at("1000").v, (th_vector{1, 2, 3}));
  EXPECT_EQ(k->params.at("1003").v, (th_vector{1, 2, 3}));
  EXPECT_EQ(k->params.at("1002").l, 255);
  EXPECT_EQ(k->params.at("1001").r, 1.0f);
  EXPECT_EQ(k->params.at("1004").r, 4.0f);
  EXPECT_EQ(k->params.at("1005").r, 5.0f);
}

TEST_F(AnimationTest, PositionRotationAndCameraKeys) {
  Ft50Writer f;
  ft50::Object(f, 5103, Named("Cam"), [](Ft50Writer &b) {
    ft50::Animation(b, [](Ft50Writer &a) {
      ft50::KeyList(a, [](Ft50Writer &k) {
        ft50::VectorKey(k, 5402, 1, 1, {1, 2, 3}, {4, 5, 6}, {7, 8, 9});
        ft50::VectorKey(k, 5402, 1, 1, {2, 2, 2}, {0, 0, 0}, {0, 0, 0});  // same time
        ft50::VectorKey(k, 5404, 2, 1, {0.5f, 0.25f, 1}, {0, 0, 0}, {0, 0, 0});
        ft50::CameraKey(k, 4, 1, 50, 2, 0.5f);
        k.Begin(5499).Zeros(4).End();  // not a key: skipped
      }, -3);                            // a count below zero: no vectors follow
      a.Begin(5599).End();                // not a key list: skipped
    });
  }, ft50::CameraBody(35, 0, 0, 0));
  f.Terminator();
  tessaro::DialogAnswers a;
  a.scale = 10;
  ASSERT_EQ(Import(f, a).code, 0);
  tessaro::Object *cam = Find(Doc(), "Cam");
  ASSERT_NE(cam, nullptr);
  auto x = KeysOf(TrackOf(cam, 903, 1000));
  ASSERT_EQ(x.size(), 2u);
  EXPECT_EQ(x[0]->data[0], 10.0f) << "position keys are scaled";
  EXPECT_EQ(x[0]->data[1], 4.0f) << "their second and third reals are not";
  EXPECT_EQ(x[0]->data[2], 7.0f);
  EXPECT_EQ(x[1]->data[0], 20.0f);
  EXPECT_EQ(TrackOf(cam, 903, 1000)->sequences.count, 1u) << "two keys at one time share the sequence";
  EXPECT_EQ(KeysOf(TrackOf(cam, 903, 1001))[0]->data[0], 20.0f);
  EXPECT_EQ(KeysOf(TrackOf(cam, 903, 1002))[0]->data[0], 30.0f);
  EXPECT_EQ(KeysOf(TrackOf(cam, 904, 1000))[0]->data[0], 0.5f) << "rotation keys are not scaled";
  EXPECT_EQ(KeysOf(TrackOf(cam, 500))[0]->data[0], 50.0f);
  EXPECT_EQ(KeysOf(TrackOf(cam, 1006))[0]->data[0], 50.0f);
  EXPECT_EQ(KeysOf(TrackOf(cam, 1001))[0]->data[0], 2.0f) << "the projection as a real";
  EXPECT_EQ(KeysOf(TrackOf(cam, 1010))[0]->data[0], 0.5f);
  EXPECT_EQ(KeysOf(TrackOf(cam, 1009))[0]->data[0], 0.0f);
  EXPECT_EQ(cam->tracks.count, 11u);
  // The document's end time (3 s at first) grew to the key at 4 s.
  EXPECT_EQ(Doc()->maxTimeNum, 4);
  EXPECT_EQ(Doc()->maxTimeDen, 1);
}

TEST_F(AnimationTest, EndTimeGrowsOnlyOnAStrictlyLaterKey) {
  auto file = [](float num, float den) {
    Ft50Writer f;
    ft50::Object(f, 5100, Named("O"), [=](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}});
      ft50::Animation(b, [=](Ft50Writer &a) {
        ft50::KeyList(a, [=](Ft50Writer &k) { ft50::VectorKey(k, 5404, num, den, {1, 1, 1}, {}, {}); });
      });
    });
    f.Terminator();
    return f;
  };
  // Earlier (60/30) and equal in another form (3/1 is 90/30 but not the same
  // pair): unchanged; 91/30 is later.
  ASSERT_EQ(Import(file(60, 30), testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->maxTimeNum, 90);
  ASSERT_EQ(Import(file(90, 30), testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->maxTimeNum, 90);
  ASSERT_EQ(Import(file(3, 1), testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->maxTimeNum, 90) << "floor(3 * 30) is not above floor(90 * 1)";
  ASSERT_EQ(Import(file(91, 30), testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->maxTimeNum, 91);
  EXPECT_EQ(Doc()->maxTimeDen, 30);
}

// The host's comparison of times, for the reference below.
bool Earlier(const th_time &a, const th_time &b) {
  if (a.numerator == b.numerator && a.denominator == b.denominator) return false;
  return std::floor(a.numerator * b.denominator) < std::floor(b.numerator * a.denominator);
}

// The walk from the first sequence, as a reference: for each sequence its
// start and end numerators and its keys' numerators (NaN as -1e30).
struct Span {
  th_time start, end;
  std::multiset<double> keys;
};
std::vector<Span> ReferenceSpans(const std::vector<th_time> &times, th_time end) {
  std::vector<Span> spans;
  for (const th_time &t : times) {
    if (t.denominator == 0) continue;  // the host makes no sequence for it
    Span *in = nullptr;
    for (Span &s : spans)
      if (!Earlier(t, s.start) && !Earlier(s.end, t)) {
        in = &s;
        break;
      }
    if (!in) {
      spans.push_back({{0, t.denominator}, end, {}});
      in = &spans.back();
      if (Earlier(t, in->start)) in->start = t;
      if (Earlier(in->end, t)) in->end = t;
    }
    in->keys.insert(std::isnan(t.numerator) ? -1e30 : t.numerator);
    if (Earlier(end, t)) end = t;
  }
  return spans;
}

void ExpectSpans(const tessaro::Track *track, const std::vector<Span> &spans) {
  ASSERT_NE(track, nullptr);
  ASSERT_EQ(track->sequences.count, spans.size());
  size_t i = 0;
  for (const tessaro::Element *q = track->sequences.first; q; q = q->next, ++i) {
    const auto *seq = static_cast<const tessaro::Sequence *>(q);
    SCOPED_TRACE("sequence " + std::to_string(i));
    EXPECT_EQ(seq->start.numerator, spans[i].start.numerator);
    EXPECT_EQ(seq->end.numerator, spans[i].end.numerator);
    std::multiset<double> keys;
    for (const tessaro::Element *k = seq->keys.first; k; k = k->next) {
      double n = static_cast<const tessaro::AnimationKey *>(k)->time.numerator;
      keys.insert(std::isnan(n) ? -1e30 : n);
    }
    EXPECT_EQ(keys, spans[i].keys);
  }
}

Ft50Writer KeysFile(const std::vector<th_time> &times) {
  Ft50Writer f;
  ft50::Object(f, 5100, Named("O"), [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    ft50::Animation(b, [&](Ft50Writer &a) {
      ft50::KeyList(a, [&](Ft50Writer &k) {
        for (const th_time &t : times)
          ft50::VectorKey(k, 5402, static_cast<float>(t.numerator), static_cast<float>(t.denominator), {1, 1, 1}, {},
                          {});
      });
    });
  });
  f.Terminator();
  return f;
}

TEST_F(AnimationTest, KeysOfFractionsOfOneDenominatorFindTheirSequences) {
  // Fractions of one denominator, past the end, back inside, and in reverse:
  // the host's comparison floors them, and the answers are the walk's.
  std::vector<th_time> times;
  for (int i = 0; i < 40; ++i) times.push_back({100.5 + 10 * i, 1});
  for (int i = 0; i < 40; ++i) times.push_back({500.25 - 9.5 * i, 1});
  for (int i = 0; i < 20; ++i) times.push_back({-3.75 - i, 1});
  times.push_back({100.9f, 1});
  times.push_back({7, 30});  // another denominator: from here on the walk
  times.push_back({900.5, 1});
  ASSERT_EQ(Import(KeysFile(times), testsupport::Mode(MODE_NEW)).code, 0);
  ExpectSpans(TrackOf(Find(Doc(), "O"), 903, 1000), ReferenceSpans(times, {90, 30}));
}

TEST_F(AnimationTest, KeysOfFractionsOfSeveralDenominatorsFindTheirSequences) {
  // Fractions over 1, 25, 30, 2 and 0.5 mixed, inside the end and past it, in
  // random order: the comparison floors them against each other's
  // denominators, and the answers are still the walk's.
  std::mt19937 random(5);
  const double dens[] = {1, 25, 30, 2, 0.5};
  std::vector<th_time> times = {{1.5, 1}};
  for (int i = 0; i < 300; ++i) {
    double den = dens[random() % 5];
    double frames = static_cast<double>(random() % 4000) / 4.0 - 200;
    times.push_back({static_cast<float>(frames * den / 30), den});
  }
  for (int i = 0; i < 40; ++i) times.push_back({110.5 + 10 * i, 1});
  for (int i = 0; i < 40; ++i) times.push_back({static_cast<double>(3000 + 7 * i), 25});
  times.push_back({5, NAN});  // a sequence whose start no time passes below
  for (int i = 0; i < 40; ++i) {
    double den = dens[random() % 5];
    times.push_back({static_cast<float>(static_cast<double>(random() % 8000) / 3.0 - 100), den});
  }
  // A negative denominator, which no order here takes: the sequences after
  // it are found by the walk, among them one only they span.
  times.push_back({1, -30});
  times.push_back({6000, 1});
  times.push_back({5900.5, 1});
  ASSERT_EQ(Import(KeysFile(times), testsupport::Mode(MODE_NEW)).code, 0);
  ExpectSpans(TrackOf(Find(Doc(), "O"), 903, 1000), ReferenceSpans(times, {90, 30}));
}

TEST_F(AnimationTest, EveryKeyFindsTheFirstSequenceSpanningItsTime) {
  // Keys past the end (each makes a sequence), before the start, back inside
  // earlier sequences, then in forms the comparison treats loosely.
  std::vector<th_time> times;
  for (int i = 0; i < 30; ++i) times.push_back({static_cast<double>(100 + 7 * i), 30});
  for (int i = 0; i < 10; ++i) times.push_back({static_cast<double>(-5 - 3 * i), 30});
  for (int i = 0; i < 40; ++i) times.push_back({static_cast<double>((i * 37) % 320 - 40), i % 2 ? 30.0 : 25.0});
  for (int i = 0; i < 10; ++i) times.push_back({400.5 + i, 30});
  times.push_back({5, 3.5});
  times.push_back({1000, 30});
  times.push_back({450, 30});
  times.push_back({NAN, 30});
  times.push_back({2000, 1});
  ASSERT_EQ(Import(KeysFile(times), testsupport::Mode(MODE_NEW)).code, 0);
  ExpectSpans(TrackOf(Find(Doc(), "O"), 903, 1000), ReferenceSpans(times, {90, 30}));
}

TEST_F(AnimationTest, KeysPastTheEndDoNotWalkEverySequence) {
  // Every key lies past the last sequence and makes its own: finding that
  // none spans it must not ask the host about every earlier one, whether
  // the times are whole frames or fractions of one denominator.
  const int n = 3000;
  // Whole frames, fractions of one denominator, fractions past the end
  // after a first key of another denominator inside it, and whole frames
  // after a first key whose denominator is NaN.
  for (int variant = 0; variant < 4; ++variant) {
    SCOPED_TRACE(variant);
    const double fraction = variant ? 0.5 : 0.0;
    Ft50Writer f;
    ft50::Object(f, 5100, Named("O"), [&](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}});
      ft50::Animation(b, [&](Ft50Writer &a) {
        ft50::KeyList(a, [&](Ft50Writer &k) {
          for (int i = 0; i < n; ++i)
            if (variant == 2 && i == 0)
            ft50::VectorKey(k, 5402, 1.5f, 1, {1, 1, 1}, {}, {});
          else if (variant == 3 && i == 0)
            ft50::VectorKey(k, 5402, 1, NAN, {1, 1, 1}, {}, {});
          else
            ft50::VectorKey(k, 5402, static_cast<float>(100 + i + fraction), variant >= 2 ? 1 : 30, {1, 1, 1}, {},
                            {});
        });
      });
    });
    f.Terminator();
    host_->ResetCalls();
    ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
    EXPECT_EQ(TrackOf(Find(Doc(), "O"), 903, 1000)->sequences.count, static_cast<size_t>(n));
    const uint64_t asked = host_->Calls(Op::GetNext) + host_->Calls(Op::GetStart) + host_->Calls(Op::GetEnd);
    EXPECT_LT(asked, 20u * n) << "the sequences were walked for every key";
  }
}

TEST_F(AnimationTest, KeyListShapes) {
  Ft50Writer f;
  ft50::Object(f, 5100, Named("LeadingList"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    // A key list in the leading place is skipped unread.
    b.Begin(5500);
    ft50::KeyList(b, [](Ft50Writer &k) { ft50::VectorKey(k, 5404, 1, 1, {1, 1, 1}, {}, {}); });
    b.Terminator().End();
  });
  ft50::Object(f, 5100, Named("KeyAsHeader"), [](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}});
    ft50::Animation(b, [](Ft50Writer &a) {
      // The first inner record is a position key: read as the header (its
      // count field is the x of its second vector... here 0).
      a.Begin(5501);
      a.Begin(5402).Pair(0, 1).Pair(0, 1).I32(0).U8(0).I32(0).End();
      ft50::VectorKey(a, 5404, 1, 1, {1, 1, 1}, {}, {});
      a.Terminator().End();
    });
  });
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Find(Doc(), "LeadingList")->tracks.count, 0u);
  tessaro::Object *o = Find(Doc(), "KeyAsHeader");
  EXPECT_EQ(TrackOf(o, 903, 1000), nullptr);
  EXPECT_NE(TrackOf(o, 904, 1000), nullptr);
}

TEST_F(AnimationTest, KeyListWithoutItsEndFailsTheObject) {
  Ft50Writer f;
  f.Begin(5020).Begin(5100).End();
  ft50::ObjectHeader(f, Named("Cut"));
  ft50::Points(f, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  ft50::Polygons(f, 5601, {{0, 1, 2}});
  f.Begin(5500).Begin(5599).End();
  ft50::KeyList(f, [](Ft50Writer &k) { ft50::VectorKey(k, 5404, 1, 1, {1, 1, 1}, {}, {}); }, 0, 5502, false);
  f.End().End();
  EXPECT_EQ(Import(f).code, -3);
  tessaro::Object *o = Find(Doc(), "Cut");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(testsupport::TagOf(o, 5604), nullptr);
  EXPECT_EQ(KeysOf(TrackOf(o, 904, 1000)).size(), 1u) << "keys read before the failure stay";
}

TEST_F(AnimationTest, KeysTheHostCannotMakeAreLeftOut) {
  auto file = [] {
    Ft50Writer f;
    ft50::Object(f, 5100, Named("O"), [](Ft50Writer &b) {
      ft50::Points(b, {{0, 0, 0}});
      ft50::Animation(b, [](Ft50Writer &a) {
        ft50::KeyList(a, [](Ft50Writer &k) { ft50::VectorKey(k, 5402, 1, 1, {1, 2, 3}, {}, {}); });
      });
    });
    f.Terminator();
    return f;
  };
  // Tracks and keys the host has no memory for are reported (-7); refused
  // insertions and sequences are not.
  for (Op op : {Op::TrackAlloc, Op::InsertTrack, Op::AutoAddSequence, Op::KeyAlloc, Op::InsertKey}) {
    SCOPED_TRACE(tessaro::OpName(op));
    host_->FailNth(op, 1);
    const bool memory = op == Op::TrackAlloc || op == Op::KeyAlloc;
    ASSERT_EQ(Import(file(), testsupport::Mode(MODE_NEW)).code, memory ? -7 : 0);
    tessaro::Object *o = Find(Doc(), "O");
    EXPECT_EQ(KeysOf(TrackOf(o, 903, 1000)).size(), 0u);
    EXPECT_EQ(KeysOf(TrackOf(o, 903, 1001)).size(), 1u) << "the next key is made";
    EXPECT_EQ(KeysOf(TrackOf(o, 903, 1002)).size(), 1u);
  }
  host_->FailNth(Op::CameraAlloc, 1);
  Ft50Writer cam;
  ft50::Object(cam, 5103, Named("Cam"), nullptr, ft50::CameraBody(1, 1, 0, 0));
  cam.Terminator();
  ASSERT_EQ(Import(cam, testsupport::Mode(MODE_NEW)).code, -7);
  EXPECT_EQ(Find(Doc(), "Cam"), nullptr);
}

TEST_F(AnimationTest, FrameRateAndRenderSettings) {
  Ft50Writer f;
  ft50::DocumentSettings(f, 24);
  ft50::RenderSettings(f);
  ft50::DocumentSettings(f, 25);  // the later one stands
  ft50::RenderSettings(f);
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(Doc()->fps, 25);
  EXPECT_EQ(Doc()->renderData.count, 2u);

  // A lights update skips record 2000 but still adds render settings.
  tessaro::Document *user = Doc();
  AddUserObject("Target");
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_LIGHTS)).code, 0);
  EXPECT_EQ(Doc(), user);
  EXPECT_EQ(user->fps, 25);
  EXPECT_EQ(user->renderData.count, 4u);
  user->fps = 30;
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_CAMERAS)).code, 0);
  EXPECT_EQ(user->fps, 25) << "a cameras update reads it";
}

TEST_F(AnimationTest, ShortSettingsRecordsChangeNothing) {
  AddUserObject("Scene");
  tessaro::Document *user = Doc();
  user->fps = 24;
  Ft50Writer render;
  ft50::RenderSettings(render, 150);  // ends inside the pairs, at the end of the file
  EXPECT_EQ(Import(render, testsupport::Mode(MODE_MERGE)).code, -3);
  EXPECT_EQ(user->renderData.count, 0u);
  Ft50Writer settings;
  ft50::DocumentSettings(settings, 60, 100);  // ends inside the integers after the pair
  EXPECT_EQ(Import(settings, testsupport::Mode(MODE_MERGE)).code, -3);
  EXPECT_EQ(user->fps, 24);
  // An element the host has no memory for is reported; one it refuses is not.
  for (Op op : {Op::RenderDataAlloc, Op::InsertRenderData}) {
    Ft50Writer f;
    ft50::RenderSettings(f);
    f.Terminator();
    host_->FailNth(op, 1);
    EXPECT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, op == Op::RenderDataAlloc ? -7 : 0);
    EXPECT_EQ(user->renderData.count, 0u);
  }
}

TEST_F(AnimationTest, HostWindowIsFoundByItsTitleOnce) {
  host_->windows = {"Other", "cinema 4d lower case", "CINEMA", "CINEMA 4Dx", "CINEMA 4D main"};
  Ft50Writer f;
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(host_->foreground, "CINEMA 4Dx") << "the first whose first nine characters match";
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(host_->foregroundCalls, 2);
  EXPECT_EQ(host_->Calls(Op::EnumThreadWindows), 1u) << "a found window is kept";
}

TEST_F(AnimationTest, NoHostWindowMeansNothingInFrontAndALaterSearch) {
  host_->windows = {"Other", "CINEMA 4"};
  Ft50Writer f;
  f.Terminator();
  ASSERT_EQ(Import(f).code, 0);
  EXPECT_EQ(host_->foregroundCalls, 0);
  host_->windows.push_back("CINEMA 4D");
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(host_->foregroundCalls, 1);
  EXPECT_EQ(host_->Calls(Op::EnumThreadWindows), 2u);
}

TEST_F(AnimationTest, MergeGivesTheUserDocumentBackLookingThroughTheCamera) {
  tessaro::Document *user = Doc();
  AddUserObject("Existing");
  Ft50Writer f;
  ft50::Header h = Named("Shot");
  h.flags = 0x20;
  ft50::Object(f, 5103, Named("Other"), nullptr, ft50::CameraBody(1, 1, 0, 0));
  ft50::Object(f, 5103, h, nullptr, ft50::CameraBody(1, 1, 0, 0));
  f.Terminator();
  size_t documents = host_->Documents().size();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_MERGE)).code, 0);
  EXPECT_EQ(Doc(), user);
  EXPECT_EQ(host_->Documents().size(), documents) << "the loader's document is closed";
  EXPECT_EQ(host_->LinkedObject(user->views[0].camera, user->views[0].cameraSerial), Find(user, "Shot"));

  // A new-document import: no document is closed; the camera step runs on
  // the document in front, the new one.
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_NE(Doc(), user);
  EXPECT_EQ(host_->Documents().size(), documents + 1);
  EXPECT_EQ(host_->LinkedObject(Doc()->views[0].camera, Doc()->views[0].cameraSerial), Find(Doc(), "Shot"));

  // An import without a flagged object leaves the view as it is.
  Ft50Writer plain;
  plain.Terminator();
  ASSERT_EQ(Import(plain, testsupport::Mode(MODE_NEW)).code, 0);
  EXPECT_EQ(Doc()->views[0].camera, nullptr);
}

TEST_F(AnimationTest, ViewObjectRemovedByTheCleanUpIsNotHandedOn) {
  tessaro::Document *user = Doc();
  AddUserObject("Target");
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Root"));
  ft50::Header h = Named("Empty", 1);
  h.flags = 0x20;
  ft50::Object(f, 5100, h);  // a polygon object without points: cleaned up
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Update("Target", KIND_GEOMETRY)).code, 0);
  EXPECT_EQ(Find(user, "Empty"), nullptr);
  EXPECT_EQ(user->views[0].camera, nullptr);
}

}  // namespace
