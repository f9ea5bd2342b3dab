// The annotation button: one label per chosen object, beside its point or
// centred on the centre of its bounds, beside the object in its group, with
// the row copied on request.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>

#include "panel/PanelFixture.h"
#include "resources/DialogIds.h"
#include "sim/TextCodec.h"

namespace {

namespace annotation_ids = dialog_ids::annotation;
using kztest::PanelTest;
using kztest::ReadRow;
using kztest::RowField;
using kztest::WriteRow;
using sim::DialogAction;

// New text is 12 points high; a Japanese font's em box runs from 0.12 em
// below the baseline to 0.88 em above, so its middle is 4.56 points up.
constexpr float kMiddle = 4.56f;

struct Label {
  AIRealPoint anchor;
  int32_t justification;  // 0 left, 1 right, 2 centre
  const sim::Art* parent;
  const sim::Art* art;
};

// Where a label must stand, and how it is justified.
struct Where {
  const char* text;
  AIRealPoint anchor;
  int32_t justification;
};

// Each label once, where it must stand (and in parent, when given).
void ExpectPlaced(const std::map<std::string, Label>& labels, std::initializer_list<Where> where,
                  const sim::Art* parent = nullptr) {
  for (const Where& at : where) {
    ASSERT_EQ(labels.count(at.text), 1u) << at.text;
    EXPECT_NEAR(labels.at(at.text).anchor.h, at.anchor.h, 1e-3) << at.text;
    EXPECT_NEAR(labels.at(at.text).anchor.v, at.anchor.v, 1e-3) << at.text;
    EXPECT_EQ(labels.at(at.text).justification, at.justification) << at.text;
    if (parent) EXPECT_EQ(labels.at(at.text).parent, parent) << at.text;
  }
}

class AnnotationTest : public PanelTest {
 protected:
  // Every point text of the document by its text; a text placed twice fails.
  std::map<std::string, Label> Labels() {
    std::map<std::string, Label> labels;
    for (sim::Art* art : host.ArtOfLayer(*layer)) {
      if (art->type != kTextFrameArt) continue;
      const std::string text = sim::Host::Text(*art);
      EXPECT_EQ(labels.count(text), 0u) << text << " labelled twice";
      labels[text] = {art->Extras().text.anchor, art->Extras().text.justificationAssigned ? art->Extras().text.justification : 0, art->parent,
                      art};
    }
    return labels;
  }
  void Annotate(bool copy) {
    SelectionChanged();
    host.Dialogs().Expect(dialog_ids::kAnnotation,
                          {DialogAction::ChooseText(annotation_ids::kField, "NAME"),
                           DialogAction::Check(annotation_ids::kCopyValues, copy), DialogAction::OK()});
    Click(kAnnotate);
  }
};

TEST_F(AnnotationTest, WithNothingSelectedSaysSo) {
  Feature(*layer->group, "NAME", "駅");
  Click(kAnnotate);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"オブジェクトが選択されていません"});
  EXPECT_TRUE(host.Dialogs().Runs().empty());
}

TEST_F(AnnotationTest, LabelsEachObjectOnceBesideItsPointOrCentredOnItsBounds) {
  const RowField station{"NAME", 0, 20, 0, "駅"};
  sim::Art& point = host.AddPath(*layer->group, {{50.5f, 60.25f}}, false);
  WriteRow(point, {station, {"CODE", 1, 4, 0, "7"}});
  // An imported point's mark: a 2.5-point square around (600, 70), stroked 1 wide.
  sim::Art& mark = host.AddPath(*layer->group, {{598.75f, 68.75f}, {598.75f, 71.25f}, {601.25f, 71.25f},
                                                {601.25f, 68.75f}}, true);
  WriteRow(mark, {{"NAME", 0, 20, 0, "寺"}});
  // A square as small but open is a line, labelled centred.
  sim::Art& hook = host.AddPath(*layer->group, {{698.75f, 68.75f}, {698.75f, 71.25f}, {701.25f, 71.25f},
                                                {701.25f, 68.75f}}, false);
  WriteRow(hook, {{"NAME", 0, 20, 0, "鉤"}});
  sim::Art& rectangle = host.AddPath(*layer->group, {{0, 0}, {40, 0}, {40, 20}, {0, 20}}, true);
  WriteRow(rectangle, {{"NAME", 0, 20, 0, "公園"}});
  // A group with its own row and members with theirs: one label.
  sim::Art& estate = host.AddGroup(*layer->group);
  WriteRow(estate, {{"NAME", 0, 20, 0, "団地"}});
  WriteRow(host.AddPath(estate, {{100, 100}, {120, 100}, {120, 140}}, true), {{"NAME", 0, 20, 0, "A棟"}});
  WriteRow(host.AddPath(estate, {{200, 100}, {220, 100}, {220, 140}}, true), {{"NAME", 0, 20, 0, "B棟"}});
  // A compound path with a row; its members carry copies of it.
  sim::Art& pond = host.AddCompoundPath(*layer->group);
  WriteRow(pond, {{"NAME", 0, 20, 0, "池"}});
  WriteRow(host.AddPath(pond, {{300, 300}, {340, 300}, {340, 330}}, true), {{"NAME", 0, 20, 0, "池"}});
  WriteRow(host.AddPath(pond, {{310, 310}, {320, 310}, {320, 320}}, true), {{"NAME", 0, 20, 0, "池"}});
  // A plain group without a row: its members are labelled, beside them.
  sim::Art& plain = host.AddGroup(*layer->group);
  sim::Art& school = host.AddPath(plain, {{400, 400}, {410, 410}}, false);
  WriteRow(school, {{"NAME", 0, 20, 0, "学校"}});
  // No label for an empty value, another field, or art that is not chosen.
  WriteRow(host.AddPath(*layer->group, {{0, 0}, {5, 5}}, false), {{"NAME", 0, 20, 0, ""}});
  WriteRow(host.AddPath(*layer->group, {{0, 0}, {5, 5}}, false), {{"OTHER", 0, 20, 0, "x"}});
  sim::Art& unchosen = host.AddPath(*layer->group, {{0, 0}, {5, 5}}, false);
  WriteRow(unchosen, {{"NAME", 0, 20, 0, "選ばれない"}});
  for (sim::Art* art : layer->group->children) {
    if (art != &unchosen) host.Select(*art);
  }

  Annotate(true);
  ASSERT_TRUE(host.Dialogs().RunsOf(dialog_ids::kAnnotation).at(0)->problems.empty());
  EXPECT_EQ(host.Dialogs().RunsOf(dialog_ids::kAnnotation)[0]->caption, "属性値から注記を作成");
  const std::map<std::string, Label> labels = Labels();
  ASSERT_EQ(labels.size(), 7u);
  // A point's label starts 2 points right of it (of a mark, right of its
  // outer edge: 1.25 + 0.5); the others are centred on the bounds' centre.
  ExpectPlaced(labels, {{"駅", {52.5f, 60.25f - kMiddle}, 0},   {"寺", {603.75f, 70 - kMiddle}, 0},
                        {"鉤", {700, 70 - kMiddle}, 2},         {"公園", {20, 10 - kMiddle}, 2},
                        {"団地", {160, 120 - kMiddle}, 2},      {"池", {320, 315 - kMiddle}, 2},
                        {"学校", {405, 405 - kMiddle}, 2}});
  EXPECT_EQ(labels.count("A棟"), 0u);
  EXPECT_EQ(labels.count("選ばれない"), 0u);
  EXPECT_EQ(labels.at("学校").parent, &plain);
  EXPECT_EQ(labels.at("駅").parent, layer->group);
  // The copy of the row, the selection, and the closed text-creation bracket.
  EXPECT_EQ(ReadRow(*labels.at("駅").art), (std::vector<RowField>{station, {"CODE", 1, 4, 0, "7"}}));
  // Only the labels are selected (a group holding one shows as partly selected).
  size_t selectedTexts = 0;
  for (sim::Art* art : host.SelectedArt()) {
    EXPECT_NE(art->type, kPathArt);
    selectedTexts += art->type == kTextFrameArt;
  }
  EXPECT_EQ(selectedTexts, labels.size());
  EXPECT_EQ(document->textCreationDepth, 0);
  EXPECT_EQ(document->textCreationCount, 1);
}

// Of a group or compound path that is only partly selected, the selected
// members are the objects, not the container.
TEST_F(AnnotationTest, PartlySelectedContainersGiveTheirSelectedMembers) {
  sim::Art& estate = host.AddGroup(*layer->group);
  WriteRow(estate, {{"NAME", 0, 20, 0, "団地"}});
  sim::Art& a = host.AddPath(estate, {{100, 100}, {120, 100}, {120, 140}}, true);
  WriteRow(a, {{"NAME", 0, 20, 0, "A棟"}});
  WriteRow(host.AddPath(estate, {{200, 100}, {220, 100}, {220, 140}}, true), {{"NAME", 0, 20, 0, "B棟"}});
  sim::Art& pond = host.AddCompoundPath(*layer->group);
  WriteRow(pond, {{"NAME", 0, 20, 0, "池"}});
  sim::Art& outer = host.AddPath(pond, {{300, 300}, {340, 300}, {340, 330}}, true);
  WriteRow(outer, {{"NAME", 0, 20, 0, "外周"}});
  WriteRow(host.AddPath(pond, {{310, 310}, {320, 310}, {320, 320}}, true), {{"NAME", 0, 20, 0, "内周"}});
  host.Select(a);
  host.Select(outer);

  Annotate(false);
  const std::map<std::string, Label> labels = Labels();
  EXPECT_EQ(labels.size(), 2u);
  ASSERT_EQ(labels.count("A棟"), 1u);
  ASSERT_EQ(labels.count("外周"), 1u);
  EXPECT_FLOAT_EQ(labels.at("A棟").anchor.h, 110);
  EXPECT_FLOAT_EQ(labels.at("A棟").anchor.v, 120 - kMiddle);
  // Beside the member in its group; a label never goes inside a compound path.
  EXPECT_EQ(labels.at("A棟").parent, &estate);
  EXPECT_EQ(labels.at("外周").parent, layer->group);
}

// A feature of several parts is drawn as one compound path whose row each
// member path carries too. Chosen whole, as a search or a click chooses
// it, it gets one label, centred on the bounds of all its parts, beside the
// compound path in its group; no member gets a second one.
struct MultiPart {
  const char* name;
  std::vector<std::vector<AIRealPoint>> parts;
  bool closed;
  bool inPlainGroup;   // the compound path lies in a group without a row
  AIRealPoint centre;  // of the bounds of every part, worked out by hand
};

const MultiPart kMultiParts[] = {
    {"PolygonWithAHole",
     {{{300, 300}, {360, 300}, {360, 340}, {300, 340}}, {{320, 310}, {330, 310}, {330, 320}, {320, 320}}},
     true,
     false,
     {330, 320}},
    {"TwoOuterRings", {{{0, 0}, {20, 0}, {20, 10}, {0, 10}}, {{100, 50}, {130, 50}, {130, 80}}}, true, false, {65, 40}},
    {"TwoLines", {{{10, 200}, {50, 220}}, {{60, 180}, {90, 260}}}, false, false, {50, 220}},
    {"HoleInAPlainGroup",
     {{{300, 300}, {360, 300}, {360, 340}, {300, 340}}, {{320, 310}, {330, 310}, {330, 320}, {320, 320}}},
     true,
     true,
     {330, 320}},
};

void PrintTo(const MultiPart& feature, std::ostream* out) { *out << feature.name; }

class MultiPartAnnotationTest : public AnnotationTest, public ::testing::WithParamInterface<MultiPart> {};

TEST_P(MultiPartAnnotationTest, GetsOneLabelCentredOnAllItsParts) {
  const MultiPart& feature = GetParam();
  sim::Art& holder = feature.inPlainGroup ? host.AddGroup(*layer->group) : *layer->group;
  sim::Art& compound = host.AddCompoundPath(holder);
  const std::vector<RowField> row{{"NAME", 0, 20, 0, "二条城"}, {"KIND", 0, 20, 0, "史跡"}};
  WriteRow(compound, row);
  for (const auto& part : feature.parts) WriteRow(host.AddPath(compound, part, feature.closed), row);
  // A neighbour of one part keeps its own label.
  sim::Art& neighbour = host.AddPath(*layer->group, {{500, 500}, {520, 500}, {520, 510}}, true);
  WriteRow(neighbour, {{"NAME", 0, 20, 0, "堀"}});
  // Every object with a value is selected, the way a search leaves it.
  for (sim::Art* art : host.ArtOfLayer(*layer)) {
    if (kztest::HasRow(*art)) host.Select(*art);
  }

  Annotate(true);
  size_t frames = 0;
  for (sim::Art* art : host.ArtOfLayer(*layer)) {
    if (art->type == kTextFrameArt && sim::Host::Text(*art) == "二条城") ++frames;
  }
  EXPECT_EQ(frames, 1u);
  const std::map<std::string, Label> labels = Labels();
  ASSERT_EQ(labels.size(), 2u);
  ASSERT_EQ(labels.count("二条城"), 1u);
  const Label& label = labels.at("二条城");
  EXPECT_NEAR(label.anchor.h, feature.centre.h, 1e-3);
  EXPECT_NEAR(label.anchor.v, feature.centre.v - kMiddle, 1e-3);
  EXPECT_EQ(label.justification, 2);
  EXPECT_EQ(label.parent, &holder);
  // The label carries the feature's row, once.
  EXPECT_EQ(ReadRow(*label.art), row);
  EXPECT_EQ(labels.count("堀"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Features, MultiPartAnnotationTest, ::testing::ValuesIn(kMultiParts),
                         [](const auto& info) { return std::string(info.param.name); });

// The marks drawn for one record of several points, held in a group tagged
// as such, stand for one point feature: one label beside the easternmost
// mark, level with the middle of them all, as a lone point's label stands.
TEST_F(AnnotationTest, MarksOfOneRecordOfSeveralPointsGetOneLabelBesideThem) {
  // An imported point's mark: a 2.5-point square around the point.
  const auto mark = [this](sim::Art& group, AIRealPoint at) {
    sim::Art& art = host.AddPath(group, {{at.h - 1.25f, at.v - 1.25f}, {at.h - 1.25f, at.v + 1.25f},
                                         {at.h + 1.25f, at.v + 1.25f}, {at.h + 1.25f, at.v - 1.25f}}, true);
    WriteRow(art, {{"NAME", 0, 20, 0, "島"}});
  };
  const auto record = [this](const char* value) -> sim::Art& {
    sim::Art& group = host.AddGroup(*layer->group);
    group.EditExtras().tags.push_back({"KzMultiPoint", "boolean", "", 0, true});
    WriteRow(group, {{"NAME", 0, 20, 0, value}});
    return group;
  };
  sim::Art& one = record("一島");
  mark(one, {600, 70});
  sim::Art& two = record("二島");
  mark(two, {740, 140});
  mark(two, {700, 100});
  // A group the user made of marks is no such record: centred.
  sim::Art& made = host.AddGroup(*layer->group);
  WriteRow(made, {{"NAME", 0, 20, 0, "群"}});
  mark(made, {800, 100});
  mark(made, {840, 140});
  for (sim::Art* art : layer->group->children) host.Select(*art);

  Annotate(false);
  const std::map<std::string, Label> labels = Labels();
  EXPECT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels.count("島"), 0u);
  // 2 points right of the easternmost mark's outer edge (1.25 + 0.5 from its
  // centre), the text's middle level with the middle of the marks' bounds.
  ExpectPlaced(labels,
               {{"一島", {603.75f, 70 - kMiddle}, 0}, {"二島", {743.75f, 120 - kMiddle}, 0}, {"群", {820, 120 - kMiddle}, 2}},
               layer->group);
}

TEST_F(AnnotationTest, WithoutTheCopySwitchTheLabelsCarryNoRow) {
  host.Select(Feature(*layer->group, "NAME", "駅"));
  Annotate(false);
  const auto labels = Labels();
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_FALSE(kztest::HasRow(*labels.begin()->second.art));
}

TEST_F(AnnotationTest, CancelLeavesTheDocumentAlone) {
  sim::Art& art = Feature(*layer->group, "NAME", "駅");
  host.Select(art);
  SelectionChanged();
  host.Dialogs().Expect(dialog_ids::kAnnotation, {DialogAction::Cancel()});
  Click(kAnnotate);
  EXPECT_TRUE(Labels().empty());
  EXPECT_TRUE(art.userAttributes & kArtSelected);
  EXPECT_TRUE(AlertTexts().empty());
}

}  // namespace
