// The scene model's own rules, through its classes' methods: where an
// object may go, material names kept unique and counted through renames
// and removals, one tag of each variable type, undo steps, and which
// elements live.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Model.h"

namespace {

using tessaro::Document;
using tessaro::Element;
using tessaro::ElementList;
using tessaro::Material;
using tessaro::Object;
using tessaro::Refusal;
using tessaro::Tag;

class ModelTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // Loose elements go first: the registry still knows the document's.
    elements_.DeleteLoose();
    for (auto &d : docs_) d.reset();
  }
  Document *NewDocument() {
    docs_.push_back(std::make_unique<Document>());
    return docs_.back().get();
  }
  Object *NewObject(const std::string &name) {
    Object *o = elements_.Make<Object>(Onull);
    o->name = name;
    return o;
  }
  Object *Append(Document *doc, const std::string &name, Object *parent = nullptr) {
    Object *o = NewObject(name);
    EXPECT_EQ(doc->AppendObject(*o, parent), Refusal::None) << name;
    return o;
  }
  Material *AddMaterial(Document *doc, const std::string &name, bool unique) {
    Material *m = elements_.Make<Material>(Mmaterial);
    m->name = name;
    EXPECT_EQ(doc->InsertMaterial(*m, doc->materials.last, unique), Refusal::None) << name;
    return m;
  }
  // The names of a list, in order, as "A B C".
  static std::string Names(const ElementList &list) {
    std::string out;
    for (const Element *e = list.first; e; e = e->next) out += (out.empty() ? "" : " ") + e->name;
    return out;
  }
  // Every element below e knows e's document, and no other.
  static void ExpectDocumentBelow(Element *e, const Document *doc) {
    tessaro::ForEachInTree(e, [&](Element *x) { EXPECT_EQ(x->doc, doc) << x->name; });
  }

  tessaro::ElementRegistry elements_;
  std::vector<std::unique_ptr<Document>> docs_;
};

TEST_F(ModelTest, ObjectsGoWhereTheirParentOrPredecessorSaysAndNowhereElse) {
  Document *doc = NewDocument();
  Object *a = Append(doc, "A");
  Object *b = Append(doc, "B");
  Object *child = Append(doc, "Child", a);
  // A predecessor decides the place, whatever parent is named with it.
  Object *after = NewObject("After");
  EXPECT_EQ(doc->InsertObject(*after, b, child), Refusal::None);
  EXPECT_EQ(Names(a->children), "Child After");
  EXPECT_EQ(after->owner, a);
  Object *first = NewObject("First");
  EXPECT_EQ(doc->InsertObject(*first, nullptr, nullptr), Refusal::None);
  EXPECT_EQ(Names(doc->objects), "First A B");

  Document *other = NewDocument();
  Object *elsewhere = Append(other, "Elsewhere");
  Object *loose = NewObject("Loose");
  EXPECT_EQ(doc->InsertObject(*child, nullptr, nullptr), Refusal::NotLoose);
  EXPECT_EQ(doc->InsertObject(*loose, elsewhere, nullptr), Refusal::ParentElsewhere);
  EXPECT_EQ(doc->InsertObject(*loose, nullptr, elsewhere), Refusal::PredecessorElsewhere);
  EXPECT_EQ(doc->InsertObject(*loose, loose, nullptr), Refusal::ParentElsewhere) << "not below itself";

  // A subtree taken out leaves the document whole, and cannot then go below
  // one of its own objects; put back, all of it is in the document again.
  a->Remove();
  ExpectDocumentBelow(a, nullptr);
  EXPECT_EQ(doc->InsertObject(*a, child, nullptr), Refusal::ParentElsewhere);
  EXPECT_EQ(doc->InsertObject(*a, nullptr, after), Refusal::PredecessorElsewhere);
  EXPECT_EQ(Names(doc->objects), "First B");
  EXPECT_EQ(doc->InsertObject(*a, b, nullptr), Refusal::None);
  ExpectDocumentBelow(a, doc);
  EXPECT_EQ(Names(b->children), "A");
  EXPECT_EQ(doc->objects.count, 2u);
  EXPECT_EQ(Names(other->objects), "Elsewhere");
  EXPECT_EQ(loose->list, nullptr);
}

TEST_F(ModelTest, MaterialNamesStayUniqueAndCountedThroughRenamesAndRemovals) {
  Document *doc = NewDocument();
  Material *mat = AddMaterial(doc, "Mat", true);
  Material *one = AddMaterial(doc, "Mat", true);
  Material *two = AddMaterial(doc, "Mat", true);
  EXPECT_EQ(Names(doc->materials), "Mat Mat.1 Mat.2");
  Material *twin = AddMaterial(doc, "Mat", false);
  EXPECT_EQ(doc->MaterialsNamed("Mat"), 2u) << "a name is checked only when asked";
  EXPECT_EQ(doc->FirstMaterialNamed("Mat"), mat);

  // The first of a name gone, the next in list order is found.
  mat->Remove();
  EXPECT_EQ(doc->FirstMaterialNamed("Mat"), twin);
  EXPECT_EQ(doc->MaterialsNamed("Mat"), 1u);
  // A suffix freed by a rename is the first free one again.
  one->Rename("Wood");
  EXPECT_EQ(doc->MaterialsNamed("Mat.1"), 0u);
  EXPECT_EQ(doc->FirstMaterialNamed("Wood"), one);
  EXPECT_EQ(doc->UniqueMaterialName("Mat"), "Mat.1");
  // A loose material's name is nobody's count.
  mat->Rename("Wood");
  EXPECT_EQ(doc->MaterialsNamed("Wood"), 1u);
  EXPECT_EQ(doc->InsertMaterial(*mat, nullptr, true), Refusal::None);
  EXPECT_EQ(mat->name, "Wood.1");
  EXPECT_EQ(Names(doc->materials), "Wood.1 Wood Mat.2 Mat");

  Document *other = NewDocument();
  Material *stranger = AddMaterial(other, "Mat.2", false);
  Material *loose = elements_.Make<Material>(Mmaterial);
  EXPECT_EQ(doc->InsertMaterial(*two, nullptr, true), Refusal::NotLoose);
  EXPECT_EQ(doc->InsertMaterial(*loose, stranger, true), Refusal::PredecessorElsewhere);
  EXPECT_EQ(doc->InsertMaterial(*NewObject("NotAMaterial"), nullptr, true), Refusal::NotLoose);
  EXPECT_EQ(doc->MaterialsNamed("Mat.2"), 1u) << "another document's namesake is not counted here";
}

TEST_F(ModelTest, AnObjectHoldsOneTagOfEachVariableTypeAndOnePhongTag) {
  Document *doc = NewDocument();
  Object *o = Append(doc, "Mesh");
  Tag *texture = o->AddTag(elements_, Ttexture, nullptr);
  Tag *points = o->AddVariableTag(elements_, Tpoint, 4, texture);
  Tag *polygons = o->AddVariableTag(elements_, Tpolygon, 1, points);
  EXPECT_EQ(points->payload.size(), 4 * sizeof(th_vector));
  EXPECT_EQ(o->FindTag(Tpoint), points);

  // A new point tag replaces the old one, where the caller places it.
  Tag *again = o->AddVariableTag(elements_, Tpoint, 2, polygons);
  EXPECT_EQ(o->FindTag(Tpoint), again);
  EXPECT_EQ(o->FindTag(Tpoint, 1), nullptr);
  EXPECT_EQ(o->tags.count, 3u);
  EXPECT_EQ(again->pred, polygons);
  EXPECT_EQ(again->doc, doc);

  EXPECT_EQ(o->AddVariableTag(elements_, Ttexture, 1, nullptr), nullptr) << "not a variable type";
  EXPECT_EQ(o->AddVariableTag(elements_, Tuvw, -1, nullptr), nullptr);
  EXPECT_EQ(o->AddVariableTag(elements_, Tuvw, INT32_MAX / 48 + 1, nullptr), nullptr) << "over 2^31 bytes";
  EXPECT_EQ(o->tags.count, 3u);

  // A UVW run is set whole or not at all.
  Tag *uvw = o->AddVariableTag(elements_, Tuvw, 3, nullptr);
  const th_uvw run[2] = {{{1, 2, 0}, {3, 4, 0}, {5, 6, 0}, {7, 8, 0}}, {{9, 9, 0}, {9, 9, 0}, {9, 9, 0}, {9, 9, 0}}};
  EXPECT_TRUE(uvw->SetUvwRun(1, 2, run));
  th_uvw back;
  ASSERT_TRUE(uvw->GetUvw(1, &back));
  EXPECT_TRUE(back.d.x == 7 && back.d.y == 8);
  ASSERT_TRUE(uvw->GetUvw(0, &back));
  EXPECT_TRUE(back.a.x == 0 && back.a.y == 0);
  EXPECT_FALSE(uvw->SetUvwRun(2, 2, run)) << "past the end";
  EXPECT_FALSE(uvw->SetUvwRun(-1, 1, run));
  EXPECT_FALSE(polygons->SetUvwRun(0, 1, run)) << "not a UVW tag";
  ASSERT_TRUE(uvw->GetUvw(2, &back));
  EXPECT_TRUE(back.a.x == 9 && back.a.y == 9) << "a refused run changes nothing";

  // Resizing keeps the entries kept and zeroes the new ones, also in room
  // that an earlier shrink gave back.
  ASSERT_TRUE(uvw->Resize(1));
  ASSERT_TRUE(uvw->Resize(100));
  EXPECT_EQ(uvw->entries, 100);
  EXPECT_EQ(uvw->payload.size(), 100 * sizeof(th_uvw));
  ASSERT_TRUE(uvw->GetUvw(2, &back));
  EXPECT_TRUE(back.a.x == 0 && back.a.y == 0);
  EXPECT_FALSE(uvw->Resize(INT32_MAX / 48 + 1)) << "over 2^31 bytes";
  EXPECT_FALSE(uvw->Resize(-1));
  EXPECT_EQ(uvw->entries, 100) << "a refused size changes nothing";
  uvw->Remove();
  elements_.Destroy(uvw);

  o->SetPhong(elements_, true, true, 0.5f);
  o->SetPhong(elements_, true, false, 0.25f);
  ASSERT_NE(o->FindTag(Tphong), nullptr);
  EXPECT_EQ(o->FindTag(Tphong, 1), nullptr);
  EXPECT_EQ(o->FindTag(Tphong)->params.at("1001").l, 0);
  o->SetPhong(elements_, false, false, 0);
  EXPECT_EQ(o->FindTag(Tphong), nullptr);

  Object *other = Append(doc, "Other");
  Tag *loose = elements_.Make<Tag>(Ttexture);
  EXPECT_EQ(other->InsertTag(*loose, texture), Refusal::PredecessorElsewhere);
  EXPECT_EQ(other->InsertTag(*texture, nullptr), Refusal::NotLoose);
  EXPECT_EQ(other->InsertTag(*NewObject("NotATag"), nullptr), Refusal::NotLoose);
  EXPECT_EQ(other->InsertTag(*loose, nullptr), Refusal::None);
  EXPECT_EQ(loose->doc, doc);
  EXPECT_EQ(elements_.Loose(), 1u) << "only the object that was not a tag";
}

TEST_F(ModelTest, UndoStepsNestAndEmptyStepsAreNotKept) {
  Document *doc = NewDocument();
  Object *o = Append(doc, "Target");
  EXPECT_FALSE(doc->EndUndo()) << "no step open";
  EXPECT_FALSE(doc->AddUndo(TH_UNDO_CHANGE, *o));
  doc->StartUndo();
  doc->StartUndo();
  EXPECT_TRUE(doc->EndUndo());
  EXPECT_TRUE(doc->UndoStepOpen()) << "the outer step is still open";
  EXPECT_TRUE(doc->EndUndo());
  EXPECT_TRUE(doc->undo.empty()) << "a step that recorded nothing";

  doc->StartUndo();
  o->pos = {1, 2, 3};
  EXPECT_TRUE(doc->AddUndo(TH_UNDO_CHANGE, *o));
  EXPECT_TRUE(doc->EndUndo());
  ASSERT_EQ(doc->undo.size(), 1u);
  const tessaro::UndoEntry &u = doc->undo[0][0];
  ASSERT_NE(u.before, nullptr);
  EXPECT_EQ(static_cast<const Object &>(*u.before).pos.x, 1) << "the copy keeps the object as it was";
  EXPECT_FALSE(elements_.Has(u.before.get())) << "a copy is no live element";
}

TEST_F(ModelTest, OnlyLiveElementsAreReachedByTheirSerial) {
  Document *doc = NewDocument();
  Object *o = Append(doc, "Parent");
  Object *child = Append(doc, "Child", o);
  Tag *t = child->AddTag(elements_, Ttexture, nullptr);
  const uint64_t serial = child->serial;
  EXPECT_EQ(elements_.Linked(child, serial), child);
  EXPECT_EQ(elements_.Linked(child, serial + 1), nullptr) << "a later element at the same address";
  o->Remove();
  EXPECT_EQ(elements_.Loose(), 3u) << "the object, its child and the tag";
  elements_.Destroy(o);
  EXPECT_FALSE(elements_.Has(child));
  EXPECT_FALSE(elements_.Has(t));
  EXPECT_EQ(elements_.Loose(), 0u);
  EXPECT_EQ(doc->objects.count, 0u);
}

}  // namespace
