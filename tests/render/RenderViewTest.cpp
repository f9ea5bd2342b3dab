// What the preview shows and leaves out: the georeference layers only on
// request, the picture grown to all the art, and a style file's paints. The
// SVG is read back as XML (which elements exist and where), not as pixels.
#include <gtest/gtest.h>

#include <cairo.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "georef/GeorefLayers.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/TextCodec.h"

namespace {

using kztest::RunKzmap;
using kztest::ScratchFolder;
using kztest::Quote;

struct Glyph {
  double x, y;
};

// Every glyph cairo placed: a <use> of a glyph symbol at its baseline.
std::vector<Glyph> GlyphsOf(const pugi::xml_document& svg) {
  std::vector<Glyph> glyphs;
  for (const pugi::xpath_node& node : svg.select_nodes("//use")) {
    const pugi::xml_node use = node.node();
    if (std::strncmp(use.attribute("xlink:href").value(), "#glyph", 6) != 0) continue;
    glyphs.push_back({use.attribute("x").as_double(), use.attribute("y").as_double()});
  }
  return glyphs;
}

size_t GlyphsOnBaseline(const std::vector<Glyph>& glyphs, double y) {
  size_t count = 0;
  for (const Glyph& glyph : glyphs) count += std::fabs(glyph.y - y) < 0.01;
  return count;
}

// Characters other than blanks: each is one glyph.
size_t Inked(const std::u16string& text) {
  size_t count = 0;
  for (char16_t unit : text) count += unit != u' ' && (unit < 0xDC00 || unit > 0xDFFF);
  return count;
}

bool IsGeoref(const sim::Layer& layer) {
  const std::string title = sim::Utf16ToUtf8(layer.title);
  if (title == kDataFrameLayerTitle) return true;
  for (const char* marker : kFourPointMarkerTitles)
    if (title == marker) return true;
  return false;
}

class DemoMap : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new ScratchFolder;
    ::setenv("XDG_CONFIG_HOME", folder->Path("config").c_str(), 1);
    const std::string sample = folder->Path("sample");
    const std::string data = "bash " + Quote(std::string(KZ_SOURCE_DIR) + "/scripts/sample-data.sh") + " " +
                             Quote(sample) + " > /dev/null";
    ASSERT_EQ(std::system(data.c_str()), 0) << data;
    map = folder->Path("kyoto.kzmap");
    const std::string quoted = Quote(map);
    for (const std::string& step :
         {"new " + quoted + " --artboard a3",
          "import " + quoted + " " + Quote(sample + "/区域.shp") + " " + Quote(sample + "/道路.shp") + " " +
              Quote(sample + "/寺社.shp") + " --to jgd2000:xy6 --scale 25000",
          "attr " + quoted + " search 名称 --text ''", "attr " + quoted + " label 名称"}) {
      const auto run = RunKzmap(step);
      ASSERT_EQ(run.status, 0) << step << "\n" << run.err;
    }
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }

  static pugi::xml_document Render(const std::string& name, const std::string& options, std::string* err = nullptr) {
    const std::string svg = folder->Path(name);
    const auto run = RunKzmap("render " + Quote(map) + " " + Quote(svg) + options);
    EXPECT_EQ(run.status, 0) << run.err;
    if (err) *err = run.err;
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(svg.c_str())) << svg;
    return document;
  }

  static ScratchFolder* folder;
  static std::string map;
};

ScratchFolder* DemoMap::folder = nullptr;
std::string DemoMap::map;

// Each feature of the sample has one label in its own layer, whatever its
// parts: the areas with a hole are one compound path each. 二条城 is both a
// point of 寺社 and an area of 区域, so the map shows that name twice, once
// beside the point and once on the area around it. The names are read from
// the sample files by ogrinfo.
TEST_F(DemoMap, EachFeatureHasOneLabelInItsLayer) {
  sim::Host host;
  sim::LoadDocumentFile(host, map);
  for (const char* title : {"区域", "道路", "寺社"}) {
    SCOPED_TRACE(title);
    const std::string shp = folder->PathText(std::string("sample/") + title + ".shp");
    const kztest::CommandResult info = kztest::RunMerged("ogrinfo -ro -al -q " + Quote(shp));
    ASSERT_EQ(info.status, 0) << info.out;
    std::multiset<std::string> names;
    std::istringstream lines(info.out);
    const std::string prefix = "  名称 (String) = ";
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(prefix, 0) == 0) names.insert(line.substr(prefix.size()));
    }
    EXPECT_FALSE(names.empty());
    const sim::Layer* layer = host.FindLayer(title);
    ASSERT_NE(layer, nullptr);
    std::multiset<std::string> labels;
    for (const sim::Art* art : host.ArtOfLayer(*layer)) {
      if (art->type == kTextFrameArt) labels.insert(sim::Host::Text(*art));
    }
    EXPECT_EQ(labels, names);
  }
}

// A3 is 297 × 420 mm: 841.89 × 1190.55 points; the data frame sits at its
// centre and the markers at the corners of the imported area.
TEST_F(DemoMap, GeorefLayersAreDrawnOnlyWithGeoref) {
  std::string told;
  const pugi::xml_document plain = Render("plain.svg", "", &told);
  const pugi::xml_document georef = Render("georef.svg", " --georef");
  EXPECT_NE(told.find("coordinate markers (5 layers) are not drawn; use --georef"), std::string::npos) << told;
  const std::vector<Glyph> without = GlyphsOf(plain), with = GlyphsOf(georef);

  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, map);
  const double top = document.bounds.top;
  EXPECT_NEAR(top, 1190.55, 0.01);
  size_t labels = 0, records = 0;
  std::vector<const sim::Art*> georefTexts;
  for (const sim::Layer* layer : document.layers) {
    document.Walk(layer->group, [&](sim::Art* art) {
      if (art->type != kTextFrameArt) return;
      if (IsGeoref(*layer)) {
        georefTexts.push_back(art);
        records += Inked(art->Extras().text.contents);
      } else {
        labels += Inked(art->Extras().text.contents);
      }
    });
  }
  ASSERT_EQ(georefTexts.size(), 5u) << "a data frame and four markers";
  ASSERT_GT(labels, 20u);
  EXPECT_EQ(without.size(), labels) << "the labels and nothing else";
  EXPECT_EQ(with.size(), labels + records) << "the labels, the data frame record and the markers";
  for (const sim::Art* text : georefTexts) {
    const double baseline = top - text->Extras().text.anchor.v;
    // A label may share the baseline (a point at the area's corner).
    EXPECT_GE(GlyphsOnBaseline(with, baseline) - GlyphsOnBaseline(without, baseline), Inked(text->Extras().text.contents))
        << sim::Utf16ToUtf8(text->Extras().text.contents);
  }
  // The record's text starts at the artboard's centre.
  EXPECT_NEAR(georefTexts.front()->Extras().text.anchor.h, 841.89 / 2, 0.01);
  EXPECT_NEAR(georefTexts.front()->Extras().text.anchor.v, 1190.55 / 2, 0.01);
  // Without the markers every glyph lies on the artboard.
  for (const Glyph& glyph : without) {
    EXPECT_GE(glyph.x, 0);
    EXPECT_LE(glyph.x, 841.89);
  }
  EXPECT_STREQ(plain.child("svg").attribute("width").value(), "841.889771pt");
  EXPECT_STREQ(plain.child("svg").attribute("height").value(), "1190.551147pt");
}

// The western markers' texts run off the artboard's left edge.
TEST_F(DemoMap, ExtentArtShowsTheMarkersWhole) {
  std::string told;
  const pugi::xml_document cut = Render("cut.svg", " --georef", &told);
  EXPECT_NE(told.find("lie partly outside the artboard"), std::string::npos) << told;
  const pugi::xml_document whole = Render("whole.svg", " --georef --extent art", &told);
  EXPECT_EQ(told.find("outside the artboard"), std::string::npos) << told;
  const double width = whole.child("svg").attribute("width").as_double();
  EXPECT_GT(width, 841.89 + 20) << "grown by the markers' texts";
  for (const Glyph& glyph : GlyphsOf(whole)) {
    EXPECT_GE(glyph.x, 0);
    EXPECT_LT(glyph.x, width);
  }
  size_t off = 0;
  for (const Glyph& glyph : GlyphsOf(cut)) off += glyph.x < 0 || glyph.x > 841.89;
  EXPECT_GT(off, 0u) << "the artboard's picture cuts the markers";
}

std::vector<AIRealPoint> Square(float left, float bottom, float size) {
  return {{left, bottom}, {left, bottom + size}, {left + size, bottom + size}, {left + size, bottom}};
}

AIPathStyle Filled(AIColor fill) {
  AIPathStyle style;
  style.fillPaint = true;
  style.fill.color = fill;
  return style;
}

// A stray object far away would make the picture too large to draw: the
// run fails naming the way back, and no picture is left.
TEST(RenderExtent, ArtTooFarForAPngIsRefused) {
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 400, 400, 0});
  sim::Layer& layer = host.AddLayer("stray");
  sim::Art& far = host.AddPath(*layer.group, {{100, 100}, {100000, 100}}, false);
  host.EditStyle(&far, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.width = 1;
  });
  const std::string map = folder.Path("stray.kzmap");
  sim::SaveDocumentFile(document, map);
  const std::string png = folder.Path("stray.png");
  const auto run = RunKzmap("render " + Quote(map) + " " + Quote(png) + " --extent art");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("larger than a PNG can be drawn (32767 on a side); lower --dpi or leave out --extent art"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(png));
  EXPECT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(png)).status, 0);
}

// Segments with handles are curves, those without are lines. A closed path
// from (100, 100) to (300, 100) whose handles stand at height 300 bulges to
// 100 + 3/4 × 200 = 250 at its middle (a cubic Bézier at t = 1/2).
TEST(RenderCurves, HandlesMakeCurvesAndCornersLines) {
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 400, 400, 0});
  sim::Layer& layer = host.AddLayer("curves");
  std::vector<AIPathSegment> arch = {{{100, 100}, {100, 100}, {100, 300}, false},
                                     {{300, 100}, {300, 300}, {300, 100}, false}};
  host.SetStyle(host.AddCurvedPath(*layer.group, arch, true), Filled(AIColor::Three(0, 0, 0)));
  const std::string map = folder.Path("curves.kzmap");
  sim::SaveDocumentFile(document, map);
  const std::string png = folder.Path("curves.png");
  ASSERT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(png)).status, 0);
  cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
  const auto at = [&](int h, int v) {
    uint32_t argb = 0;
    std::memcpy(&argb, cairo_image_surface_get_data(picture) + (400 - v) * cairo_image_surface_get_stride(picture) + 4 * h,
                4);
    return argb & 0xFFFFFF;
  };
  EXPECT_EQ(at(200, 240), 0x000000u) << "inside the arch, below its top at 250";
  EXPECT_EQ(at(200, 260), 0xFFFFFFu) << "above the arch";
  EXPECT_EQ(at(200, 95), 0xFFFFFFu) << "below the straight closing side";
  cairo_surface_destroy(picture);
}

// A 400 × 400 artboard with one square inside (100..200), two wholly off it
// (500..520 × −100..−80 and −60..−40 × 0..20), one across its right edge
// (380..420 × 0..40); a hidden layer and a hidden object far off, and a data
// frame text far to the left.
std::string WriteSpreadMap(const ScratchFolder& folder) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 400, 400, 0});
  sim::Layer& record = host.AddLayer(kDataFrameLayerTitle);
  host.AddPointText(*record.group, {-900, 200}, "G=JGD|P=XY9|X=0.000000|Y=0.000000|S=25000|R=0.000000");
  sim::Layer& hidden = host.AddLayer("hidden");
  hidden.visible = false;
  host.SetStyle(host.AddPath(*hidden.group, Square(2000, 2000, 10), true), Filled(AIColor::Three(0, 0, 0)));
  sim::Layer& layer = host.AddLayer("shapes");
  host.SetStyle(host.AddPath(*layer.group, Square(100, 100, 100), true), Filled(AIColor::Three(1, 0, 0)));
  host.SetStyle(host.AddPath(*layer.group, Square(500, -100, 20), true), Filled(AIColor::Three(0, 0, 1)));
  host.SetStyle(host.AddPath(*layer.group, Square(-60, 0, 20), true), Filled(AIColor::Three(0, 0, 1)));
  host.SetStyle(host.AddPath(*layer.group, Square(380, 0, 40), true), Filled(AIColor::Three(0, 1, 0)));
  sim::Art& gone = host.AddPath(*layer.group, Square(3000, 3000, 10), true);
  host.SetStyle(gone, Filled(AIColor::Three(0, 0, 0)));
  gone.userAttributes = kArtHidden;
  const std::string path = folder.Path("spread.kzmap");
  sim::SaveDocumentFile(document, path);
  return path;
}

TEST(RenderExtent, ArtOffTheArtboardIsToldAndShownOnRequest) {
  ScratchFolder folder;
  const std::string map = WriteSpreadMap(folder);
  const std::string svg = folder.Path("p.svg");
  auto run = RunKzmap("render " + Quote(map) + " " + Quote(svg));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("kzmap render: 2 objects lie outside the artboard; use --extent art to see them"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("1 object lies partly outside the artboard"), std::string::npos) << run.err;
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(svg.c_str()));
  EXPECT_STREQ(document.child("svg").attribute("width").value(), "400pt");
  EXPECT_STREQ(document.child("svg").attribute("height").value(), "400pt");

  // Hidden art stays out of the picture; the record's text counts once drawn.
  run = RunKzmap("render " + Quote(map) + " " + Quote(svg) + " --georef");
  EXPECT_NE(run.err.find("3 objects lie outside the artboard"), std::string::npos) << run.err;

  run = RunKzmap("render " + Quote(map) + " " + Quote(svg) + " --extent art");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("outside"), std::string::npos) << run.err;
  ASSERT_TRUE(document.load_file(svg.c_str()));
  // x from −60 to 520, y from −100 to 400.
  EXPECT_STREQ(document.child("svg").attribute("width").value(), "580pt");
  EXPECT_STREQ(document.child("svg").attribute("height").value(), "500pt");

  const std::string png = folder.Path("p.png");
  ASSERT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(png) + " --extent art").status, 0);
  cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
  const auto at = [&](int x, int y) {
    uint32_t argb = 0;
    std::memcpy(&argb, cairo_image_surface_get_data(picture) + y * cairo_image_surface_get_stride(picture) + 4 * x, 4);
    return argb & 0xFFFFFF;
  };
  // Artboard point (h, v) is pixel (h + 60, 400 − v).
  EXPECT_EQ(at(150 + 60, 400 - 150), 0xFF0000u) << "the square on the artboard";
  EXPECT_EQ(at(510 + 60, 400 + 90), 0x0000FFu) << "the square below and to the right";
  EXPECT_EQ(at(-50 + 60, 400 - 10), 0x0000FFu) << "the square to the left";
  EXPECT_EQ(at(410 + 60, 400 - 20), 0x00FF00u) << "the square across the edge, whole";
  cairo_surface_destroy(picture);
}

}  // namespace

namespace {

// Two layers: "区域" with a square filled 10 % grey and stroked light green
// 0.5 wide (the system's defaults), "道路" with a stroked line, "other" with
// a grey-filled square; a label on "区域".
std::string WriteStyledMap(const ScratchFolder& folder) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 300, 0});
  sim::Layer& areas = host.AddLayer("区域");
  sim::Art& area = host.AddPath(*areas.group, Square(20, 20, 60), true);
  host.SetStyle(area, Filled(AIColor::Four(0, 0, 0, 0.1f)));
  host.EditStyle(&area, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Four(0.8f, 0, 0.5f, 0);
    style.stroke.width = 0.5f;
  });
  host.AddPointText(*areas.group, {30, 150}, "■■");
  sim::Layer& roads = host.AddLayer("道路");
  sim::Art& road = host.AddPath(*roads.group, {{120, 50}, {180, 50}}, false);
  host.EditStyle(&road, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Four(0.8f, 0, 0.5f, 0);
    style.stroke.width = 0.5f;
  });
  sim::Layer& other = host.AddLayer("other");
  host.SetStyle(host.AddPath(*other.group, Square(220, 20, 60), true), Filled(AIColor::Four(0, 0, 0, 0.1f)));
  const std::string path = folder.Path("styled.kzmap");
  sim::SaveDocumentFile(document, path);
  return path;
}

struct Rgb8 {
  int red, green, blue;
};

Rgb8 PixelAt(const std::string& png, int x, int y) {
  cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
  Rgb8 rgb{-1, -1, -1};
  if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
    uint32_t argb = 0;
    std::memcpy(&argb, cairo_image_surface_get_data(picture) + y * cairo_image_surface_get_stride(picture) + 4 * x, 4);
    rgb = {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF)};
  }
  cairo_surface_destroy(picture);
  return rgb;
}

void ExpectPixel(const std::string& png, int x, int y, Rgb8 expected, const std::string& what) {
  const Rgb8 p = PixelAt(png, x, y);
  EXPECT_NEAR(p.red, expected.red, 2) << what;
  EXPECT_NEAR(p.green, expected.green, 2) << what;
  EXPECT_NEAR(p.blue, expected.blue, 2) << what;
}

// The style's colours are written as hex; 0x80 blended over white is 0xBF or 0xC0.
TEST(RenderStyle, LayersTakeTheStylesPaints) {
  ScratchFolder folder;
  const std::string map = WriteStyledMap(folder);
  const std::string png = folder.Path("plain.png");
  ASSERT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(png) + " --dpi 144").status, 0);
  // Without a style: 10 % black (0.9 × 255 = 229.5) and the light green line.
  ExpectPixel(png, 100, 300, {230, 230, 230}, "default fill");
  ExpectPixel(png, 500, 300, {230, 230, 230}, "default fill of another layer");

  const std::string style = folder.Write("style.json", R"({"layers": {
      "区域": {"fill": "#d8ecc8", "stroke": "#3c8c3c", "stroke-width": 8, "text": "#0000ff"},
      "道路": {"stroke": "#c04000", "stroke-width": 10, "opacity": 0.5},
      "*": {"fill": "none"},
      "河川": {"stroke": "#0000ff"}}})");
  const std::string styled = folder.Path("styled.png");
  const auto run =
      RunKzmap("render " + Quote(map) + " " + Quote(styled) + " --dpi 144 --style " + Quote(style));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("the style names layer \"河川\", which the map does not have"), std::string::npos) << run.err;
  // Pixels are two per point, y down from the top (200 points).
  ExpectPixel(styled, 100, 300, {0xd8, 0xec, 0xc8}, "fill of 区域");
  ExpectPixel(styled, 40, 300, {0x3c, 0x8c, 0x3c}, "8-point stroke of 区域, 2 points inside its edge");
  // The road at y 50 (row 300), 10 points (20 rows) wide: #c04000 half over white.
  ExpectPixel(styled, 300, 300, {0xdf, 0xa0, 0x80}, "the road half opaque");
  ExpectPixel(styled, 300, 291, {0xdf, 0xa0, 0x80}, "the road's width, 9 rows above its middle");
  ExpectPixel(styled, 300, 288, {0xff, 0xff, 0xff}, "above the road's width");
  ExpectPixel(styled, 500, 300, {0xff, 0xff, 0xff}, "\"*\" took the fill away");
}

TEST(RenderStyle, BadStyleFilesAreUsageErrorsNamingTheFile) {
  struct Case {
    const char* json;
    const char* told;
  };
  const Case cases[] = {
      {"{\"layers\": {\"A\": {\"fill\": \"#12345\"}}}", "\"#12345\" is not a colour"},
      {"{\"layers\": {\"A\": {\"fill\": \"green\"}}}", "\"green\" is not a colour"},
      {"{\"layers\": {\"A\": {\"stroke-width\": -1}}}", "\"stroke-width\" must lie between 0 and 1000"},
      {"{\"layers\": {\"A\": {\"opacity\": 1.5}}}", "\"opacity\" must lie between 0 and 1"},
      {"{\"layers\": {\"A\": {\"colour\": \"#ffffff\"}}}", "\"colour\" is not a paint"},
      {"{\"layers\": {\"A\": \"#ffffff\"}}", "must be an object of paints"},
      {"{\"layer\": {}}", "\"layer\" is not known"},
      {"[1, 2]", "must be an object with \"layers\""},
      {"{\"layers\": {\"A\": {\"fill\": ", "not JSON"},
      {"{\"layers\": {\"A\": {\"stroke-width\": 1e400}}}", "not JSON that can be read"},
  };
  ScratchFolder folder;
  const std::string map = WriteStyledMap(folder);
  for (const Case& c : cases) {
    const std::string style = folder.Write("bad.json", c.json);
    const std::string png = folder.Path("bad.png");
    const auto run = RunKzmap("render " + Quote(map) + " " + Quote(png) + " --style " + Quote(style));
    EXPECT_EQ(run.status, 2) << c.json;
    EXPECT_NE(run.err.find("bad.json"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.told), std::string::npos) << c.json << "\n" << run.err;
    EXPECT_FALSE(std::filesystem::exists(png)) << c.json;
  }
}

}  // namespace
