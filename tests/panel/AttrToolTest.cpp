// kzmap attr, markers and upgrade on map files, as a user runs them: each
// runs the plug-in's own command and saves the map, which is read back here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>

#include "panel/PanelFixture.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::CommandResult;
using kztest::Quote;
using kztest::ReadRow;
using kztest::ValueOf;
using kztest::WriteRow;

class AttrToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    map = (folder / "地図.kzmap").string();
    document = &host.NewDocument();
    layer = &host.AddLayer("地物");
    WriteRow(*layer->group, {{"VAL", 0, 20, 0, ""}});
  }

  sim::Art& Feature(sim::Art& container, const std::string& value, AIRealPoint at) {
    sim::Art& art = host.AddPath(container, {at, {at.h + 20, at.v}, {at.h + 20, at.v + 10}, {at.h, at.v + 10}}, true);
    WriteRow(art, {{"VAL", 0, 20, 0, value}});
    return art;
  }
  void Save() { sim::SaveDocumentFile(*document, map); }
  // The saved map, opened in a host of its own.
  sim::Document& Saved() { return sim::LoadDocumentFile(reader, map); }

  CommandResult Kzmap(const std::string& arguments) {
    // The user's preferences stay out of the way.
    return kztest::RunKzmap(arguments, "", "HOME=" + Quote(folder.string()) + " XDG_CONFIG_HOME=");
  }

  kztest::ScratchFolder scratch;
  const fs::path folder = scratch.Path();
  std::string map;
  sim::Host host, reader;
  sim::Document* document = nullptr;
  sim::Layer* layer = nullptr;
};

std::vector<std::string> SelectedValues(sim::Host& host) {
  std::vector<std::string> values;
  for (sim::Art* art : host.SelectedArt()) {
    if (kztest::HasRow(*art)) values.push_back(ValueOf(*art, "VAL"));
  }
  return values;
}

TEST_F(AttrToolTest, SearchSetAndLabelTheSelection) {
  for (const char* value : {"10", "9.99", "abc", "1e3"}) Feature(*layer->group, value, {0, 0});
  sim::Art& hidden = host.AddGroup(*layer->group);
  hidden.userAttributes |= kArtHidden;
  Feature(hidden, "50", {0, 0});
  Feature(*layer->group, "12", {100, 200}).userAttributes |= kArtSelected;
  Save();

  CommandResult run = Kzmap("attr " + Quote(map) + " search VAL --min 10");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "3 objects selected\n");
  Saved();
  EXPECT_EQ(SelectedValues(reader), (std::vector<std::string>{"10", "1e3", "12"}));

  // Both bounds belong to the range: 9.99 and 12 at its edges.
  run = Kzmap("attr " + Quote(map) + " search VAL --min 9.99 --max 12");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "3 objects selected\n");
  reader.CloseDocument();
  Saved();
  EXPECT_EQ(SelectedValues(reader), (std::vector<std::string>{"10", "9.99", "12"}));

  run = Kzmap("attr " + Quote(map) + " search VAL --min 10 --max 100");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 objects selected\n");

  run = Kzmap("attr " + Quote(map) + " set VAL=値");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "VAL set on 2 objects\n");
  reader.CloseDocument();
  sim::Document& saved = Saved();
  std::vector<std::string> values;
  for (sim::Art* art : reader.ArtOfLayer(*saved.layers[0])) {
    if (art->type == kPathArt) values.push_back(ValueOf(*art, "VAL"));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"値", "9.99", "abc", "1e3", "50", "値"}));

  run = Kzmap("attr " + Quote(map) + " label VAL --copy");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 labels placed\n");
  reader.CloseDocument();
  Saved();
  std::vector<AIRealPoint> anchors;
  for (sim::Art* art : reader.ArtOfLayer(*reader.CurrentDocument()->layers[0])) {
    if (art->type != kTextFrameArt) continue;
    EXPECT_EQ(sim::Host::Text(*art), "値");
    EXPECT_EQ(ValueOf(*art, "VAL"), "値");
    anchors.push_back(art->Extras().text.anchor);
  }
  ASSERT_EQ(anchors.size(), 2u);
  // Centred on the 20 x 10 rectangles at (0, 0) and (100, 200): the baseline
  // 0.38 of the 12-point text below their centres.
  EXPECT_NEAR(anchors[0].h, 110, 1e-3);
  EXPECT_NEAR(anchors[0].v, 205 - 4.56, 1e-3);
  EXPECT_NEAR(anchors[1].h, 10, 1e-3);
  EXPECT_NEAR(anchors[1].v, 5 - 4.56, 1e-3);
}

TEST_F(AttrToolTest, SetTellsWhenTheValueDoesNotFitItsField) {
  WriteRow(*layer->group, {{"乗客数", 1, 9, 0, ""}});
  sim::Art& art = host.AddPath(*layer->group, {{0, 0}, {20, 0}, {20, 10}}, true);
  WriteRow(art, {{"乗客数", 1, 9, 0, "5"}});
  art.userAttributes |= kArtSelected;
  Save();
  struct Case {
    const char* given;
    const char* stored;
    bool told;
  };
  for (const Case& c : {Case{"1234567890123", "999999999", true}, Case{"abc", "0", true}, Case{"-42", "-42", false},
                        Case{"123456789", "123456789", false}}) {
    SCOPED_TRACE(c.given);
    const CommandResult run = Kzmap("attr " + Quote(map) + " set 乗客数=" + c.given);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string note = std::string("「") + c.given + "」はフィールド「乗客数」（整数 9 桁）に収まらないため、「" + c.stored +
                             "」を設定しました";
    EXPECT_EQ(run.err.find(note) != std::string::npos, c.told) << run.err;
    reader.CloseDocument();
    sim::Document& saved = Saved();
    for (sim::Art* a : reader.ArtOfLayer(*saved.layers[0])) {
      if (a->type == kPathArt) EXPECT_EQ(ValueOf(*a, "乗客数"), c.stored);
    }
  }
}

struct AtCase {
  const char* name;
  const char* option;
  std::vector<std::string> labels;  // the texts placed, in layer order
};

class AttrToolAtTest : public AttrToolTest, public ::testing::WithParamInterface<AtCase> {};

// A one-point path, an imported point's mark, a rectangle and a wholly
// selected group of two points: the group gets one label at its centre, so
// it is no "point" object. A group that gets no label is no object either.
TEST_P(AttrToolAtTest, LabelsOnlyTheObjectsPlacedThatWay) {
  sim::Art& point = host.AddPath(*layer->group, {{50, 60}}, false);
  WriteRow(point, {{"VAL", 0, 20, 0, "p"}});
  sim::Art& mark = host.AddPath(*layer->group, {{98.75f, 58.75f}, {98.75f, 61.25f}, {101.25f, 61.25f}, {101.25f, 58.75f}},
                                true);
  WriteRow(mark, {{"VAL", 0, 20, 0, "k"}});
  Feature(*layer->group, "r", {0, 0});
  sim::Art& group = host.AddGroup(*layer->group);
  WriteRow(group, {{"VAL", 0, 20, 0, "g"}});
  for (float h : {200.0f, 220.0f}) WriteRow(host.AddPath(group, {{h, 300}}, false), {{"VAL", 0, 20, 0, "m"}});
  // A group of which only a point is selected: that point is the object.
  sim::Art& partly = host.AddGroup(*layer->group);
  WriteRow(partly, {{"VAL", 0, 20, 0, "h"}});
  sim::Art& member = host.AddPath(partly, {{400, 500}}, false);
  WriteRow(member, {{"VAL", 0, 20, 0, "q"}});
  Feature(partly, "s", {400, 400});
  // Groups that get no label of their own, one without a row and one whose
  // value is empty: their members are the objects, each judged by itself.
  sim::Art& plain = host.AddGroup(*layer->group);
  WriteRow(host.AddPath(plain, {{600, 100}}, false), {{"VAL", 0, 20, 0, "u"}});
  Feature(plain, "v", {600, 200});
  sim::Art& blank = host.AddGroup(*layer->group);
  WriteRow(blank, {{"VAL", 0, 20, 0, ""}});
  WriteRow(host.AddPath(blank, {{700, 100}}, false), {{"VAL", 0, 20, 0, "x"}});
  Feature(blank, "y", {700, 200});
  for (sim::Art* art : layer->group->children) {
    if (art != &partly) host.Select(*art);
  }
  host.Select(member);
  Save();
  const CommandResult run = Kzmap("attr " + Quote(map) + " label VAL" + GetParam().option);
  ASSERT_EQ(run.status, 0) << run.err;
  Saved();
  std::vector<std::string> texts;
  for (sim::Art* art : reader.ArtOfLayer(*reader.FindLayer("地物"))) {
    if (art->type != kTextFrameArt) continue;
    const std::string text = sim::Host::Text(*art);
    texts.push_back(text);
    // Points: 2 points right of the point (or of the mark's outer edge,
    // 1.75 from its centre); the others centred. The text's middle, 0.38 of
    // its 12 points, is level with the point or centre.
    const std::map<std::string, AIRealPoint> where = {
        {"p", {52, 60 - 4.56f}},   {"k", {103.75f, 60 - 4.56f}}, {"q", {402, 500 - 4.56f}},
        {"r", {10, 5 - 4.56f}},    {"g", {210, 300 - 4.56f}},    {"u", {602, 100 - 4.56f}},
        {"v", {610, 205 - 4.56f}}, {"x", {702, 100 - 4.56f}},    {"y", {710, 205 - 4.56f}}};
    ASSERT_EQ(where.count(text), 1u) << text;
    const AIRealPoint expected = where.at(text);
    EXPECT_NEAR(art->Extras().text.anchor.h, expected.h, 1e-3) << text;
    EXPECT_NEAR(art->Extras().text.anchor.v, expected.v, 1e-3) << text;
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, GetParam().labels);
  EXPECT_EQ(run.out, std::to_string(GetParam().labels.size()) + " labels placed\n");
}

INSTANTIATE_TEST_SUITE_P(Placements, AttrToolAtTest,
                         ::testing::Values(AtCase{"Everything", "", {"g", "k", "p", "q", "r", "u", "v", "x", "y"}},
                                           AtCase{"AtPoint", " --at point", {"k", "p", "q", "u", "x"}},
                                           AtCase{"AtCenter", " --at center", {"g", "r", "v", "y"}}),
                         [](const auto& info) { return info.param.name; });

TEST_F(AttrToolTest, LabelsInASublayerAreCountedOnce) {
  sim::Layer& sub = host.AddSublayer(*layer, "下位");
  Feature(*sub.group, "港", {0, 0}).userAttributes |= kArtSelected;
  Save();
  const CommandResult run = Kzmap("attr " + Quote(map) + " label VAL");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 labels placed\n");
}

TEST_F(AttrToolTest, SearchCountsTheObjectsItSelected) {
  sim::Art& group = host.AddGroup(*layer->group);
  WriteRow(group, {{"VAL", 0, 20, 0, "5"}});
  Feature(group, "50", {0, 0});
  Feature(group, "1", {0, 0});
  Save();
  const CommandResult run = Kzmap("attr " + Quote(map) + " search VAL --min 10");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 objects selected\n");
}

TEST_F(AttrToolTest, AtPointWithoutPointsSaysSoAndLeavesTheMap) {
  Feature(*layer->group, "10", {0, 0}).userAttributes |= kArtSelected;
  Save();
  const std::string before = kztest::ReadFile(map);
  const CommandResult run = Kzmap("attr " + Quote(map) + " label VAL --at point");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no selected object in " + map + " is labelled on its point (--at point)"), std::string::npos)
      << run.err;
  EXPECT_EQ(kztest::ReadFile(map), before);
}

TEST_F(AttrToolTest, ListPrintsEachObjectsRow) {
  Feature(*layer->group, "東京\tタブ", {0, 0});
  host.AddPath(*layer->group, {{0, 0}, {1, 1}}, false);
  sim::Layer& other = host.AddLayer("道路");
  WriteRow(host.AddPath(*other.group, {{0, 0}, {1, 1}}, false), {{"NAME", 0, 20, 0, "国道1号"}, {"LANES", 1, 2, 0, "4"}});
  // A sublayer's objects are listed once, under the sublayer.
  sim::Layer& sub = host.AddSublayer(other, "橋");
  WriteRow(host.AddPath(*sub.group, {{0, 0}, {1, 1}}, false), {{"NAME", 0, 20, 0, "大橋"}});
  WriteRow(host.AddPath(*other.group, {{0, 0}, {1, 1}}, false), {{"NAME", 0, 20, 0, "県道"}});
  Save();
  CommandResult run = Kzmap("attr " + Quote(map) + " list");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string roads =
      "layer\t道路\n1\tpath\tNAME=国道1号\tLANES=4\n2\tpath\tNAME=県道\nlayer\t道路\t橋\n1\tpath\tNAME=大橋\n";
  EXPECT_EQ(run.out, "layer\t地物\n1\tpath\tVAL=東京\\tタブ\n" + roads);
  run = Kzmap("attr " + Quote(map) + " list --layer 道路");
  EXPECT_EQ(run.out, roads);
}

// Rows the plug-in could not have written: what cannot be read is left out
// of the listing and told, naming the map.
struct DamagedRow {
  const char* name;
  std::function<void(sim::Art&)> damage;
  const char* listed;  // the object's line, empty when the object is not listed
  const char* told;    // in the messages, empty when nothing is left out
};

sim::Value Text(const char16_t* text) { return sim::Value{std::u16string(text)}; }
sim::Value Number(int32_t number) { return sim::Value{number}; }

sim::Value Entry(std::vector<sim::Value> items) {
  auto entry = sim::NewArray();
  for (sim::Value& item : items) entry->push_back(std::move(item));
  return sim::Value{entry};
}

// A row of a good field and then the given entry.
void RowWithSecond(sim::Art& art, sim::Value second) {
  WriteRow(art, {{"NAME", 0, 20, 0, "国道"}});
  art.Dict()->Find("KartzmapField")->AsArray()->push_back(std::move(second));
}

constexpr const char* kFieldLeftOut = "1 field(s) that could not be read are not listed";

const DamagedRow kDamagedRows[] = {
    {"Whole", [](sim::Art& art) { WriteRow(art, {{"NAME", 0, 20, 0, "国道"}, {"LANES", 1, 2, 0, "4"}}); },
     "1\tpath\tNAME=国道\tLANES=4\n", ""},
    {"FieldWithoutValue",
     [](sim::Art& art) { RowWithSecond(art, Entry({Text(u"LANES"), Number(1), Number(2), Number(0)})); },
     "1\tpath\tNAME=国道\n", kFieldLeftOut},
    {"TypeAsText",
     [](sim::Art& art) { RowWithSecond(art, Entry({Text(u"LANES"), Text(u"1"), Number(2), Number(0), Text(u"4")})); },
     "1\tpath\tNAME=国道\n", kFieldLeftOut},
    {"EntryNotAnArray", [](sim::Art& art) { RowWithSecond(art, Number(7)); }, "1\tpath\tNAME=国道\n", kFieldLeftOut},
    {"RowNotAnArray",
     [](sim::Art& art) {
       art.Dict() = sim::NewDictionary();
       art.Dict()->Set("KartzmapField", Text(u"NAME=国道"));
     },
     "", "1 object(s) whose attributes could not be read are not listed"},
};

class AttrListDamageTest : public AttrToolTest, public ::testing::WithParamInterface<DamagedRow> {};

TEST_P(AttrListDamageTest, ListsWhatCanBeReadAndTellsTheRest) {
  GetParam().damage(host.AddPath(*layer->group, {{0, 0}, {1, 1}}, false));
  Save();
  const CommandResult run = Kzmap("attr " + Quote(map) + " list");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string("layer\t地物\n") + GetParam().listed);
  if (*GetParam().told) {
    EXPECT_NE(run.err.find("kzmap attr list: " + map + ": " + GetParam().told), std::string::npos) << run.err;
  } else {
    EXPECT_EQ(run.err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, AttrListDamageTest, ::testing::ValuesIn(kDamagedRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
  const char* name;
  const char* arguments;  // after "attr MAP "
  int status;
  const char* says;       // in the messages
};

class AttrToolRefusalTest : public AttrToolTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(AttrToolRefusalTest, SaysWhyAndLeavesTheMap) {
  Feature(*layer->group, "10", {0, 0});
  Save();
  const std::string before = kztest::ReadFile(map);
  const CommandResult run = Kzmap("attr " + Quote(map) + " " + GetParam().arguments);
  EXPECT_EQ(run.status, GetParam().status);
  EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
  EXPECT_EQ(kztest::ReadFile(map), before);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, AttrToolRefusalTest,
    ::testing::Values(
        Refusal{"UnknownField", "search NOPE --text x", 1, "no field \"NOPE\" in the layers of the selection (fields: VAL)"},
        Refusal{"NothingSelected", "set VAL=1", 1, "オブジェクトが選択されていません"},
        Refusal{"NotANumber", "search VAL --min ten", 1, "検索する数値範囲には数値を入力してください"},
        Refusal{"TextAndRange", "search VAL --text a --min 1", 2, "either --text or --min/--max"},
        Refusal{"SetWithoutValue", "set VAL", 2, "set takes FIELD=VALUE"},
        Refusal{"UnknownLayer", "search VAL --text a --layer 無い", 1, "no layer is titled \"無い\""},
        Refusal{"AtOutsideLabel", "list --at point", 2, "--at is for label"},
        Refusal{"CopyOutsideLabel", "set VAL=1 --copy", 2, "--copy is for label"},
        Refusal{"LayerWithSet", "set VAL=1 --layer 地物", 2, "--layer is for list and search"},
        Refusal{"ListWithField", "list VAL", 2, "list takes no FIELD"}),
    [](const auto& info) { return info.param.name; });

TEST_F(AttrToolTest, UpgradeAndMarkersRunTheFlyoutCommands) {
  sim::Art& art = host.AddPath(*layer->group, {{0, 0}, {1, 1}}, false);
  art.EditExtras().tags.push_back(
      sim::Tag{"KzMapTag0001", "string", sim::EncodeText(u"名称|C|20|0|東京", kAIShiftJISCharacterEncoding), 0, false});
  Save();
  CommandResult run = Kzmap("upgrade " + Quote(map));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("アップグレードが完了しました"), std::string::npos) << run.err;
  run = Kzmap("markers " + Quote(map) + " three");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "added layer \"3点座標マーカー 1/3\"\nadded layer \"3点座標マーカー 2/3\"\nadded layer \"3点座標マーカー 3/3\"\n");
  Saved();
  EXPECT_EQ(ReadRow(*reader.FindLayer("地物")->group->children[0]),
            (std::vector<kztest::RowField>{{"名称", 0, 20, 0, "東京"}}));
  for (const char* title : {"3点座標マーカー 1/3", "3点座標マーカー 2/3", "3点座標マーカー 3/3"})
    EXPECT_NE(reader.FindLayer(title), nullptr) << title;
  EXPECT_EQ(Kzmap("markers " + Quote(map) + " five").status, 2);
}

}  // namespace
