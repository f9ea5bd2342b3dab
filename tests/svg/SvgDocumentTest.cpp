// The map as an SVG and back, in memory: a document of every kind of art
// comes back property for property; SVG written by hand or by other
// programs is read by what SVG means (transforms, shapes, colours), what
// the document cannot hold is counted by kind, and files that are no SVG
// are refused without a crash.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "document/DocumentCompare.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/SvgDocumentReader.h"
#include "sim/SvgDocumentWriter.h"
#include "sim/TextCodec.h"

namespace {

sim::Value Integer(int32_t v) { return sim::Value{v}; }
sim::Value Text(const std::u16string& v) { return sim::Value{v}; }

using kztest::Curve;

sim::DictPtr FieldRow(const std::u16string& name, const std::u16string& value) {
  return kztest::FieldRow(name, 0, value, 20);
}

// Everything the SVG must carry: layers hidden, locked and nested, the
// current layer, closed paths whose closing is curved or whose last point
// lies on the first, handles SVG does not draw, compound paths with members
// styled apart, process and gray colours, texts with returns and
// characters XML cannot hold, symbols, art of kinds SVG has no element for,
// flags, tags and dictionaries.
void BuildMap(sim::Host& host) {
  sim::Document& document = host.NewDocument({-10.5f, 1190.55f, 841.89f, 0.1f});
  sim::Layer& map = host.AddLayer("地図");
  map.color = {0.25f, 0.75f, 0.125f};
  map.group->Dict() = FieldRow(u"名前", u"");
  sim::Layer& hidden = host.AddSublayer(map, "下位");
  hidden.visible = false;
  hidden.editable = false;
  sim::Layer& second = host.AddLayer("Second & <more>");
  document.currentLayer = &hidden;

  sim::Art& square = host.AddPath(*map.group, {{0, 0}, {0, 100}, {100, 100}, {100, 0}}, true);
  host.SetStyle(square, kztest::EveryPropertyStyle(false));
  square.opacity = 0.3f;
  square.userAttributes = kArtSelected | kArtLocked | kArtHidden;
  square.guide = true;
  square.Dict() = FieldRow(u"名前", u"東京タワー \"&<>'");

  sim::Art& curve = host.AddCurvedPath(*map.group,
                                       {Curve(0.1f, 0.0f, 1e-30f, 3e30f, 0.1f, 0.0f, false),
                                        Curve(16777217.0f, 1.0f / 3, 2, 3, 4, 5, true),
                                        Curve(7, 8, 7, 8, 9, -7, false)},
                                       false);
  host.EditStyle(&curve, [&](AIPathStyle& style) {
    style.stroke.color.kind = kGrayColor;
    style.stroke.color.c.g.gray = 0.75f;
    style.strokePaint = true;
  });
  host.EditStyle(&curve, [&](AIPathStyle& style) {
    style.fill.color.kind = 9;  // a colour kind the stand-in does not know
    style.fill.color.c.f = {1, 2, 3, 4};
  });
  curve.skipped = true;
  // Closed: the last point on the first, a curved closing, one point alone.
  host.AddPath(*map.group, {{1, 1}, {5, 1}, {5, 5}, {1, 1}}, true);
  host.AddCurvedPath(*map.group, {Curve(10, 10, 5, 15, 20, 30, true), Curve(40, 10, 30, 30, 45, 5, false)}, true);
  host.AddCurvedPath(*map.group, {Curve(10, 10, 5, 15, 20, 30, true), Curve(10, 10, 30, 30, 10, 10, true)}, true);
  host.AddPath(*map.group, {{3, 4}}, true);

  sim::Art& compound = host.AddCompoundPath(*hidden.group);
  compound.clip = true;
  host.EditStyle(&compound, [&](AIPathStyle& style) {
    style.fillPaint = true;
    style.fill.color = AIColor::Three(0, 0, 1);
  });
  host.EditStyle(&host.AddPath(compound, {{0, 0}, {50, 0}, {50, 50}}, true),
                 [&](AIPathStyle& style) { style = compound.Style(); });
  sim::Art& hole = host.AddPath(compound, {{10, 10}, {20, 10}, {20, 20}}, true);
  host.EditStyle(&hole, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Four(0, 1, 0, 0);
  });
  compound.opacity = 0;

  sim::Art& group = host.AddGroup(*second.group);
  group.userAttributes = kArtSelected;
  sim::Art& label = host.AddPointText(group, {300.25f, 400.5f}, "渋谷区\r2行目 \"quoted\" \\ tab\t<&>");
  kztest::SetEveryTextProperty(label.EditExtras().text);
  sim::Art& plain = host.AddPointText(group, {0, 0}, "");
  plain.EditExtras().text.contents = u"lone \xD800 surrogate \x01";
  host.AddPointText(group, {-1, -2}, "  ");
  host.AddSymbol(group, {1, 20, 30, 4}, "記号");
  document.Place(document.MakeArt(kPlacedArt), kPlaceInsideOnBottom, &group);
  host.AddGroup(group);  // empty group
  document.Dispose(&host.AddPath(*second.group, {{1, 1}, {2, 2}}, false));

  group.EditExtras().tags = {sim::Tag{"KzMapTag0000001", "string", "名前|C|20|0|値", 0, false},
                sim::Tag{"raw", "string", std::string("\xff\x00\x81", 3), 0, false},
                sim::Tag{"scale", "real", "", 25000.5, false}};
}

std::string SvgOf(const sim::Document& document) { return sim::SvgDocumentWriter(document, "map.svg").Text(); }

struct ReadBack {
  sim::Document document;
  sim::SvgReadReport report;
};

std::unique_ptr<ReadBack> Read(const std::string& svg) {
  auto back = std::make_unique<ReadBack>();
  sim::SvgDocumentReader reader("in.svg");
  reader.Read(back->document, svg);
  back->report = reader.Report();
  return back;
}

TEST(SvgDocument, EveryKindOfArtComesBackAsItWas) {
  sim::Host host;
  BuildMap(host);
  const sim::Document& original = *host.CurrentDocument();
  const std::string svg = SvgOf(original);
  const auto back = Read(svg);
  kztest::ExpectSameDocument(original, back->document);
  EXPECT_EQ(sim::DocumentToJson(original), sim::DocumentToJson(back->document));
  EXPECT_TRUE(back->report.notRead.empty()) << back->report.NotReadText();
  EXPECT_TRUE(back->report.projectData);
}

// The SVG itself says what Inkscape shows.
TEST(SvgDocument, WritesWhatInkscapeShows) {
  sim::Host host;
  BuildMap(host);
  const std::string svg = SvgOf(*host.CurrentDocument());
  for (const char* expected : {
           R"~(viewBox="-10.5 -1190.55 )~",
           R"~(inkscape:groupmode="layer" inkscape:label="下位" style="display:none" sodipodi:insensitive="true")~",
           R"~(inkscape:label="Second &amp; &lt;more&gt;")~",
           // CMYK 0.1 0.2 0.3 0.4 shows as (0.54, 0.48, 0.42) of 255.
           "fill:#8a7a6b;fill-rule:evenodd;stroke:#ff8000;stroke-width:0.35;stroke-linecap:round;"
           "stroke-linejoin:bevel;stroke-miterlimit:10;stroke-dasharray:4,2.5,1e-07;stroke-dashoffset:1;"
           "opacity:0.3;display:none",
           R"~(d="M 0 -0 L 0 -100 L 100 -100 L 100 -0 Z")~",
           R"~(d="M 1 -1 L 5 -1 L 5 -5 L 1 -1 L 1 -1 Z")~",
           R"~(d="M 10 -10 C 20 -30 30 -30 40 -10 C 45 -5 5 -15 10 -10 Z")~",
           R"~(sodipodi:nodetypes="cs")~",
           R"~(x="300.25" y="-400.5" style="font-size:18px;fill:#808080;text-anchor:middle;writing-mode:tb-rl">)~"
           "渋谷区&#13;2行目 \"quoted\" \\ tab\t&lt;&amp;&gt;</text>",
           "lone \xEF\xBF\xBD surrogate \xEF\xBF\xBD</text>",
           R"~(<rect id="kz)~",
       }) {
    EXPECT_NE(svg.find(expected), std::string::npos) << expected;
  }
}

// Hand-written SVG, read by what SVG means. Points are the document's
// (y up, points): the user unit is one point and y is negated.
struct ShapeCase {
  const char* name;
  const char* body;
  std::vector<std::pair<float, float>> points;  // of the first path, in order
  bool closed;
};

class SvgShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SvgShapes, BecomePathsAtTheirPlaces) {
  const ShapeCase& c = GetParam();
  const std::string svg =
      std::string(R"~(<svg xmlns="http://www.w3.org/2000/svg" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape" width="200pt" height="100pt" viewBox="0 0 200 100">)~") +
      c.body + "</svg>";
  const auto back = Read(svg);
  ASSERT_FALSE(back->document.layers.empty());
  const sim::Art* path = nullptr;
  back->document.Walk(back->document.layers[0]->group, [&](sim::Art* art) {
    if (!path && art->type == kPathArt) path = art;
  });
  ASSERT_NE(path, nullptr);
  ASSERT_EQ(path->Segments().size(), c.points.size());
  for (size_t i = 0; i < c.points.size(); ++i) {
    EXPECT_NEAR(path->Segments()[i].p.h, c.points[i].first, 1e-4) << i;
    EXPECT_NEAR(path->Segments()[i].p.v, c.points[i].second, 1e-4) << i;
  }
  EXPECT_EQ(path->closed, c.closed);
}

INSTANTIATE_TEST_SUITE_P(
    HandWritten, SvgShapes,
    ::testing::Values(
        ShapeCase{"relative", R"~(<path d="m 10,20 h 5 v 5 l -5,0 z"/>)~", {{10, -20}, {15, -20}, {15, -25}, {10, -25}}, true},
        ShapeCase{"layerTranslate",
                  R"~(<g inkscape:groupmode="layer" transform="translate(10,20)"><path d="M 0 0 L 1 1"/></g>)~",
                  {{10, -20}, {11, -21}},
                  false},
        ShapeCase{"nestedScaleThenTranslate",
                  R"~(<g transform="translate(100 0)"><g transform="scale(2)"><path d="M 1 1 H 3"/></g></g>)~",
                  {{102, -2}, {106, -2}},
                  false},
        ShapeCase{"rotateAboutPoint", R"~(<path transform="rotate(90 10 10)" d="M 20 10 L 30 10"/>)~",
                  {{10, -20}, {10, -30}},
                  false},
        ShapeCase{"rect", R"~(<rect x="1" y="2" width="3" height="4"/>)~", {{1, -2}, {4, -2}, {4, -6}, {1, -6}}, true},
        ShapeCase{"polygon", R"~(<polygon points="0,0 10,0 10,10"/>)~", {{0, 0}, {10, 0}, {10, -10}}, true},
        ShapeCase{"polyline", R"~(<polyline points="0,0 10,0 10,10"/>)~", {{0, 0}, {10, 0}, {10, -10}}, false},
        ShapeCase{"line", R"~(<line x1="1" y1="2" x2="3" y2="4"/>)~", {{1, -2}, {3, -4}}, false},
        // Four quarter arcs, the last one closing the circle.
        ShapeCase{"circle", R"~(<circle cx="50" cy="50" r="10"/>)~", {{60, -50}, {50, -60}, {40, -50}, {50, -40}}, true},
        ShapeCase{"quarterArc", R"~(<path d="M 0 0 A 10 10 0 0 1 10 10"/>)~", {{0, 0}, {10, -10}}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SvgDocument, PageInPixelsIsTakenInPoints) {
  const auto back = Read(R"~(<svg xmlns="http://www.w3.org/2000/svg" width="400" height="200"><path d="M 40 20 L 80 20"/></svg>)~");
  const AIRealRect& b = back->document.bounds;
  EXPECT_FLOAT_EQ(b.right - b.left, 300);
  EXPECT_FLOAT_EQ(b.top - b.bottom, 150);
  const sim::Art* path = back->document.layers.at(0)->group->children[0];
  EXPECT_FLOAT_EQ(path->Segments()[0].p.h, 30);
  EXPECT_FLOAT_EQ(path->Segments()[1].p.h, 60);
  EXPECT_FLOAT_EQ(path->Segments()[0].p.v, -15);
  EXPECT_FALSE(back->report.projectData);
}

// Edits as Inkscape saves them, over a map written here.
class EditedMap : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Host host;
    host.NewDocument({0, 100, 200, 0});
    sim::Layer& roads = host.AddLayer("roads");
    sim::Art& road = host.AddPath(*roads.group, {{10, 10}, {20, 10}}, false);
    host.EditStyle(&road, [&](AIPathStyle& style) {
      style.strokePaint = true;
      style.stroke.color = AIColor::Four(0, 1, 1, 0);
    });
    road.Dict() = FieldRow(u"name", u"国道1号");
    svg = SvgOf(*host.CurrentDocument());
  }
  void Replace(const std::string& from, const std::string& to) {
    const size_t at = svg.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    svg.replace(at, from.size(), to);
  }
  const sim::Art& Road(const ReadBack& back, size_t index = 0) {
    return *back.document.layers.at(0)->group->children[index];
  }
  std::string svg;
};

TEST_F(EditedMap, ColourShownAsWrittenKeepsItsProcessColour) {
  const auto back = Read(svg);
  EXPECT_EQ(Road(*back).Style().stroke.color.kind, kFourColor);
  EXPECT_FLOAT_EQ(Road(*back).Style().stroke.color.c.f.magenta, 1);
}

TEST_F(EditedMap, RestyledColourIsTakenAsShown) {
  Replace("stroke:#ff0000", "stroke:#00ff00");
  const auto back = Read(svg);
  const AIColor& color = Road(*back).Style().stroke.color;
  ASSERT_EQ(color.kind, kThreeColor);
  EXPECT_FLOAT_EQ(color.c.rgb.red, 0);
  EXPECT_FLOAT_EQ(color.c.rgb.green, 1);
}

TEST_F(EditedMap, DuplicateKeepsTheRowAndBothAreRead) {
  const size_t start = svg.find("<path");
  const size_t end = svg.find("/>", start) + 2;
  std::string copy = svg.substr(start, end - start);
  const size_t id = copy.find("id=\"");
  copy.replace(id, 4, "id=\"copy");
  svg.insert(end, "\n" + copy);
  const auto back = Read(svg);
  ASSERT_EQ(back->document.layers.at(0)->group->children.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const sim::Art& road = Road(*back, i);
    ASSERT_TRUE(road.Dict());
    EXPECT_TRUE(road.Dict()->Has("KartzmapField"));
  }
}

TEST_F(EditedMap, PathCombinedWithAnotherKeepsItsRowOnTheCompound) {
  Replace("d=\"M 10 -10 L 20 -10\"", "d=\"M 10 -10 L 20 -10 M 0 0 L 5 5\"");
  const auto back = Read(svg);
  const sim::Art& combined = Road(*back);
  ASSERT_EQ(combined.type, kCompoundPathArt);
  ASSERT_EQ(combined.children.size(), 2u);
  ASSERT_TRUE(combined.Dict());
  EXPECT_TRUE(combined.Dict()->Has("KartzmapField"));
}

TEST_F(EditedMap, TransformOnTheLayerMovesItsArt) {
  Replace("inkscape:label=\"roads\"", "inkscape:label=\"renamed\" transform=\"translate(5,-3)\"");
  const auto back = Read(svg);
  EXPECT_EQ(sim::Host::Title(*back->document.layers.at(0)), "renamed");
  EXPECT_FLOAT_EQ(Road(*back).Segments()[0].p.h, 15);
  EXPECT_FLOAT_EQ(Road(*back).Segments()[0].p.v, 13);
}

TEST_F(EditedMap, BrokenProjectDataLeavesAPathWithoutRowAndIsTold) {
  Replace("kz:art=\"{", "kz:art=\"{broken");
  const auto back = Read(svg);
  EXPECT_FALSE(Road(*back).Dict() && Road(*back).Dict()->Has("KartzmapField"));
  EXPECT_EQ(back->report.NotReadText(), "1 object's unreadable Kartzmap data");
}

TEST(SvgDocument, WhatTheDocumentCannotHoldIsCountedByKind) {
  const auto back = Read(R"~(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" viewBox="0 0 10 10">
    <defs><linearGradient id="g"/><filter id="f"/></defs>
    <path d="M 0 0 L 1 1" style="fill:url(#g)"/>
    <path d="M 0 0 L 1 1" fill="url(#g)" filter="url(#f)"/>
    <image href="a.png"/><use xlink:href="#x"/><use xlink:href="#x"/>
    <text x="1" y="2">kept</text></svg>)~");
  EXPECT_EQ(back->report.NotReadText(), "2 clones, 1 filter, 2 gradients, 1 image");
  size_t count = 0;
  back->document.Walk(back->document.layers.at(0)->group, [&](sim::Art*) { ++count; });
  EXPECT_EQ(count, 3u);
}

struct BadCase {
  const char* name;
  std::string text;
  const char* problem;
};

class SvgRefused : public ::testing::TestWithParam<BadCase> {};

TEST_P(SvgRefused, WithAClearMessage) {
  sim::Document document;
  try {
    sim::SvgDocumentReader("in.svg").Read(document, GetParam().text);
    FAIL() << "read";
  } catch (const sim::DocumentFileError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().problem), std::string::npos) << error.what();
    EXPECT_EQ(error.File(), "in.svg");
  }
  EXPECT_TRUE(document.layers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    NotSvg, SvgRefused,
    ::testing::Values(BadCase{"empty", "", "not an SVG file"}, BadCase{"json", "{\"format\": 1}", "not an SVG file"},
                      BadCase{"html", "<html><body/></html>", "its outermost element is <html>"},
                      BadCase{"otherNamespace", "<svg xmlns=\"urn:x\"/>", "not <svg> of the SVG namespace"},
                      BadCase{"cut", "<svg xmlns=\"http://www.w3.org/2000/svg\"><g>", "line 1, column"},
                      // Columns count characters: 東京都 is three, not nine bytes.
                      BadCase{"mismatchAfterJapanese",
                              "<svg xmlns=\"http://www.w3.org/2000/svg\">\n<text>東京都</text><g></svg>",
                              "line 2, column 22: not an SVG file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SvgDocument, DeepNestingIsCountedNotACrash) {
  std::string svg = R"~(<svg xmlns="http://www.w3.org/2000/svg">)~";
  for (int i = 0; i < 100000; ++i) svg += "<g>";
  svg += "<path d=\"M 0 0 L 1 1\"/>";
  for (int i = 0; i < 100000; ++i) svg += "</g>";
  svg += "</svg>";
  const auto back = Read(svg);
  EXPECT_EQ(back->report.notRead.at("object nested too deep"), 1u);
}

TEST(SvgDocument, NoLayersGiveOneEmptyLayerAndSaySo) {
  const auto back = Read(R"~(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 10 10"/>)~");
  ASSERT_EQ(back->document.layers.size(), 1u);
  EXPECT_FALSE(back->report.notes.empty());
}

}  // namespace
