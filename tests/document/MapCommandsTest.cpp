// kzmap new and kzmap info, run as a user runs them. The expected values are
// worked out by hand from the documents built here.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::Quote;
using kztest::RunKzmap;
using kztest::ScratchFolder;
using nlohmann::json;

struct NewCase {
  const char* options;
  double width, height;  // points: millimetres × 72 / 25.4
};

class NewMap : public ::testing::TestWithParam<NewCase> {};

TEST_P(NewMap, HasTheArtboardAndOneLayer) {
  ScratchFolder folder;
  const std::string map = folder.Path("new.kzmap");
  const auto run = RunKzmap("new " + Quote(map) + " " + GetParam().options);
  ASSERT_EQ(run.status, 0) << run.err;
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, map);
  EXPECT_EQ(document.bounds.left, 0);
  EXPECT_EQ(document.bounds.bottom, 0);
  EXPECT_NEAR(document.bounds.right, GetParam().width, 0.001);
  EXPECT_NEAR(document.bounds.top, GetParam().height, 0.001);
  ASSERT_EQ(document.layers.size(), 1u);
  EXPECT_EQ(sim::Host::Title(*document.layers[0]), "レイヤー 1");
  EXPECT_EQ(document.currentLayer, document.layers[0]);
  EXPECT_TRUE(document.layers[0]->group->children.empty());
}

INSTANTIATE_TEST_SUITE_P(Artboards, NewMap,
                         ::testing::Values(NewCase{"", 595.2756, 841.8898}, NewCase{"--artboard a3", 841.8898, 1190.5512},
                                           NewCase{"--artboard A2 --landscape", 1683.7795, 1190.5512},
                                           NewCase{"--artboard a1", 1683.7795, 2383.9370},
                                           NewCase{"--artboard 800x600", 800, 600},
                                           NewCase{"--artboard 800x600 --landscape", 800, 600},
                                           NewCase{"--artboard 100x200mm --landscape", 566.9291, 283.4646}));

TEST(NewMap, RefusesBadSizesAndExistingFiles) {
  ScratchFolder folder;
  const std::string map = folder.Write("old.kzmap", "keep me");
  EXPECT_EQ(RunKzmap("new " + Quote(folder.Path("a.kzmap")) + " --artboard b5").status, 2);
  EXPECT_EQ(RunKzmap("new " + Quote(folder.Path("a.kzmap")) + " --artboard 0x100").status, 2);
  const auto run = RunKzmap("new " + Quote(map));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("old.kzmap"), std::string::npos) << run.err;
  EXPECT_EQ(ScratchFolder::Read(map), "keep me");
  EXPECT_EQ(RunKzmap("new " + Quote(map) + " --force").status, 0);
}

// One attribute row: name, type, total digits, decimals, value.
sim::Value Field(const char16_t* name, int32_t type, int32_t digits, int32_t decimals, const char16_t* value) {
  auto entry = sim::NewArray();
  *entry = {sim::Value{std::u16string(name)}, sim::Value{type}, sim::Value{digits}, sim::Value{decimals},
                  sim::Value{std::u16string(value)}};
  return sim::Value{entry};
}

sim::DictPtr Row(std::vector<sim::Value> fields) {
  auto row = sim::NewArray();
  for (sim::Value& field : fields) row->push_back(std::move(field));
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

// A map georeferenced both ways, with attributes on a layer and its objects.
std::string WriteGeoreferencedMap(const ScratchFolder& folder) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 841.8898f, 595.2756f, 0});
  sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
  host.AddPointText(*frame.group, {297.5f, 421.25f}, "G=JGD|P=XY9|X=-5000.123456|Y=-35000.500000|S=25000|R=0.123456");
  const struct {
    const char* title;
    const char* text;
    AIRealPoint anchor;
  } markers[] = {{"4点座標マーカー 左下", "-6000.000000&-36000.000000", {100, 100}},
                 {"4点座標マーカー 左上", "-4000.500000&-36000.000000", {100, 700}},
                 {"4点座標マーカー 右上", "-4000.500000&-34000.000000", {500, 700}},
                 {"4点座標マーカー 右下", "-6000.000000&-34000.000000", {500, 100}}};
  for (const auto& marker : markers) host.AddPointText(*host.AddLayer(marker.title).group, marker.anchor, marker.text);

  sim::Layer& towns = host.AddLayer("市町村");
  towns.editable = false;
  towns.group->Dict() = Row({Field(u"名前", 0, 20, 0, u""), Field(u"人口", 1, 10, 0, u""), Field(u"面積", 2, 10, 2, u"")});
  sim::Art& area = host.AddPath(*towns.group, {{0.1f, 100.3f}, {200, 100.3f}, {200, 300}}, true);
  host.EditStyle(&area, [&](AIPathStyle& style) {
    style.fillPaint = true;
    style.fill.color = AIColor::Four(0, 0, 0, 0.25f);
  });
  area.Dict() = Row({Field(u"名前", 0, 20, 0, u"東京"), Field(u"人口", 1, 10, 0, u"13960000"),
                         Field(u"面積", 2, 10, 2, u"2194.07")});
  sim::Art& islands = host.AddCompoundPath(*towns.group);
  sim::Art& island = host.AddPath(islands, {{1, 2}, {3, 4}}, false);
  host.EditStyle(&island, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Three(1, 0, 0);
    style.stroke.width = 0.5f;
  });
  sim::Art& group = host.AddGroup(*towns.group);
  host.AddPointText(group, {10, 20}, "新宿区");
  sim::Layer& hidden = host.AddSublayer(towns, "下書き");
  hidden.visible = false;

  const std::string path = folder.Path("geo.kzmap");
  sim::SaveDocumentFile(document, path);
  return path;
}

TEST(InfoCommand, JsonHoldsWhatTheSystemReads) {
  ScratchFolder folder;
  const std::string map = WriteGeoreferencedMap(folder);
  const auto run = RunKzmap("info " + Quote(map) + " --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const json info = json::parse(run.out);

  const json expectedFrame = {{"ref", "jgd2000:xy9"}, {"originX", -5000.123456}, {"originY", -35000.5},
                              {"scale", 25000.0},    {"rotation", 0.123456},     {"anchor", {297.5, 421.25}}};
  EXPECT_EQ(info["dataFrame"], expectedFrame);
  // Map points are (easting, northing), in the markers' reading order.
  const json expectedMarkers = {
      {"kind", "four"},
      {"points",
       {{{"artboard", {100, 100}}, {"map", {-36000, -6000}}}, {{"artboard", {100, 700}}, {"map", {-36000, -4000.5}}},
        {{"artboard", {500, 700}}, {"map", {-34000, -4000.5}}}, {{"artboard", {500, 100}}, {"map", {-34000, -6000}}}}}};
  EXPECT_EQ(info["markers"], expectedMarkers);
  EXPECT_EQ(info["artboard"], json({0, 841.8898, 595.2756, 0}));

  ASSERT_EQ(info["layers"].size(), 6u);
  const json& towns = info["layers"][5];
  EXPECT_EQ(towns["title"], "市町村");
  EXPECT_EQ(towns["visible"], true);
  EXPECT_EQ(towns["locked"], true);
  EXPECT_EQ(towns["fields"], json::parse(R"([{"name": "名前", "type": "文字列", "digits": 20, "decimals": 0},
      {"name": "人口", "type": "整数", "digits": 10, "decimals": 0},
      {"name": "面積", "type": "実数", "digits": 10, "decimals": 2}])"));
  const json expectedArt = json::parse(R"([
      {"type": "path", "closed": true, "fill": {"cmyk": [0, 0, 0, 0.25]}, "stroke": null,
       "points": [[0.1, 100.3], [200, 100.3], [200, 300]],
       "attributes": {"名前": "東京", "人口": "13960000", "面積": "2194.07"}},
      {"type": "compound", "fill": null, "stroke": {"rgb": [1, 0, 0]}, "strokeWidth": 0.5,
       "members": [{"type": "path", "closed": false, "fill": null, "stroke": {"rgb": [1, 0, 0]}, "strokeWidth": 0.5,
                    "points": [[1, 2], [3, 4]], "attributes": {}}],
       "attributes": {}},
      {"type": "group", "art": [{"type": "text", "contents": "新宿区", "position": [10, 20], "fill": null,
                                 "attributes": {}}], "attributes": {}}])");
  EXPECT_EQ(towns["art"], expectedArt);
  ASSERT_EQ(towns["layers"].size(), 1u);
  EXPECT_EQ(towns["layers"][0]["title"], "下書き");
  EXPECT_EQ(towns["layers"][0]["visible"], false);
  EXPECT_EQ(info["layers"][0]["title"], "Kartzmap DataFrame");

  // Numbers in their shortest exact form, never rounded.
  EXPECT_NE(run.out.find("\"originX\": -5000.123456,"), std::string::npos);
  EXPECT_NE(run.out.find("[0.1, 100.3]"), std::string::npos);
  EXPECT_NE(run.out.find("841.8898"), std::string::npos);
}

TEST(InfoCommand, TextSummaryNamesLayersCountsFieldsAndGeoreference) {
  ScratchFolder folder;
  const std::string map = WriteGeoreferencedMap(folder);
  const auto run = RunKzmap("info " + Quote(map));
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"artboard: [0, 841.8898, 595.2756, 0], 595.2756 × 841.8898 pt",
                           "layer \"市町村\" (locked): 1 path, 1 compound path, 1 group, 1 text",
                           "  fields: 名前 文字列(20), 人口 整数(10), 面積 実数(10.2)",
                           "  layer \"下書き\" (hidden): empty",
                           "data frame: jgd2000:xy9, origin easting -5000.123456 m, northing -35000.5 m, scale 1:25000, "
                           "rotation 0.123456°, anchor [297.5, 421.25]",
                           "coordinate markers: four-point", "  artboard [500, 700]  map easting (or longitude) -34000, northing (or latitude) -4000.5"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  }
}

// The text summary steps over big runs of art and counts them by their
// summaries: whatever it reads, it prints the same, byte for byte. The
// farthest point lies in a big run, the georeference in small layers.
TEST(InfoCommand, TextSummaryIsTheSameWhateverItReads) {
  ScratchFolder folder;
  const std::string map = WriteGeoreferencedMap(folder);
  {
    sim::Host host;
    sim::Document& document = sim::LoadDocumentFile(host, map);
    sim::Layer& points = host.AddLayer("地点");
    points.group->Dict() = Row({Field(u"名前", 0, 20, 0, u"")});
    for (int i = 0; i < 3000; ++i) {
      const float x = static_cast<float>(i % 100);
      sim::Art& mark = host.AddPath(*points.group, {{x, 1}, {x + 1, 1}, {x + 1, 2}}, true);
      mark.Dict() = Row({Field(u"名前", 0, 20, 0, u"点")});
    }
    host.AddPath(*points.group, {{-2000000, 5}, {0, 5}}, false);
    host.AddGroup(*points.group);
    host.AddPointText(*host.AddSublayer(points, "注記").group, {5, 5}, "注");
    host.AddSymbol(*points.group, {0, 1, 1, 0}, "記号");
    sim::SaveDocumentFile(document, map);
  }
  const auto whole = RunKzmap("info " + Quote(map) + " --read-runs-up-to 18446744073709551615");
  ASSERT_EQ(whole.status, 0) << whole.err;
  for (const char* line : {"layer \"地点\": 3001 paths, 1 group, 1 symbol\n", "  fields: 名前 文字列(20)\n",
                           "  layer \"注記\": 1 text\n", "layer \"市町村\" (locked): 1 path, 1 compound path, 1 group, 1 text\n",
                           "data frame: jgd2000:xy9,", "coordinate markers: four-point\n",
                           // 2,000,000 pt × 2⁻²⁴ × 25,000 × 0.0254 / 72 m
                           "precision: positions hold to about 1051.4 mm on the ground"}) {
    EXPECT_NE(whole.out.find(line), std::string::npos) << line << "\n" << whole.out;
  }
  for (const char* reading : {"", " --read-runs-up-to 0", " --read-runs-up-to 200"}) {
    const auto run = RunKzmap("info " + Quote(map) + reading);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, whole.out) << reading;
  }
}

TEST(InfoCommand, MapsWithoutGeoreferenceAndBrokenFiles) {
  ScratchFolder folder;
  const std::string map = folder.Path("plain.kzmap");
  ASSERT_EQ(RunKzmap("new " + Quote(map)).status, 0);
  auto run = RunKzmap("info " + Quote(map) + " --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const json info = json::parse(run.out);
  EXPECT_TRUE(info["dataFrame"].is_null());
  EXPECT_TRUE(info["markers"].is_null());

  const std::string broken = folder.Write("broken.kzmap", R"({"format": "Kartzmap document", "version": 2, "layers": [{"art": 3}]})");
  run = RunKzmap("info " + Quote(broken));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("broken.kzmap: /layers/0/art: expected an array of art"), std::string::npos) << run.err;
  EXPECT_EQ(RunKzmap("info").status, 2);
}

}  // namespace
