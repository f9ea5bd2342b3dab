// kzmap render, read back by independent renderers: the PNG decoded and
// checked at known pixels, the SVG converted by rsvg-convert and checked the
// same way, the PDF's page size read from the file.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::Quote;
using kztest::RunKzmap;
using kztest::ScratchFolder;

struct Pixel {
  int red, green, blue;
};

// A decoded PNG (cairo's reader, libpng underneath).
class Picture {
 public:
  explicit Picture(const std::string& path) : surface(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Picture() { cairo_surface_destroy(surface); }
  bool Ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface); }
  int Height() const { return cairo_image_surface_get_height(surface); }
  Pixel At(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    uint32_t argb = 0;
    std::memcpy(&argb, row + 4 * x, 4);
    const int alpha = static_cast<int>(argb >> 24);
    // Composite over white, as a viewer shows it.
    const auto channel = [&](int shift) { return static_cast<int>((argb >> shift) & 0xFF) + (255 - alpha); };
    return {channel(16), channel(8), channel(0)};
  }
  // Pixels in [x0, x1) × [y0, y1) darker than mid grey.
  int DarkPixels(int x0, int y0, int x1, int y1) const {
    int dark = 0;
    for (int y = std::max(0, y0); y < std::min(Height(), y1); ++y)
      for (int x = std::max(0, x0); x < std::min(Width(), x1); ++x) {
        const Pixel p = At(x, y);
        dark += p.red + p.green + p.blue < 3 * 128;
      }
    return dark;
  }

 private:
  cairo_surface_t* surface;
};

void ExpectColor(const Picture& picture, int x, int y, Pixel expected, const char* what) {
  const Pixel p = picture.At(x, y);
  EXPECT_NEAR(p.red, expected.red, 3) << what << " at " << x << "," << y;
  EXPECT_NEAR(p.green, expected.green, 3) << what << " at " << x << "," << y;
  EXPECT_NEAR(p.blue, expected.blue, 3) << what << " at " << x << "," << y;
}

// The document saved as NAME.kzmap and drawn by `kzmap render` into
// NAME.png, whose path is given (a failed render leaves no picture).
std::string RenderedPng(ScratchFolder& folder, const sim::Document& document, const std::string& name) {
  const std::string map = folder.Path(name + ".kzmap");
  sim::SaveDocumentFile(document, map);
  const std::string png = folder.Path(name + ".png");
  const auto run = RunKzmap("render " + Quote(map) + " " + Quote(png));
  EXPECT_EQ(run.status, 0) << run.err;
  return png;
}

AIPathStyle Filled(AIColor fill) {
  AIPathStyle style;
  style.fillPaint = true;
  style.fill.color = fill;
  return style;
}

std::vector<AIRealPoint> Square(float left, float bottom, float size, bool clockwise = true) {
  if (clockwise) return {{left, bottom}, {left, bottom + size}, {left + size, bottom + size}, {left + size, bottom}};
  return {{left, bottom}, {left + size, bottom}, {left + size, bottom + size}, {left, bottom + size}};
}

// A 400 × 400 point artboard, y up from the bottom left:
//  - a square 100..300 filled red as process colour, stroked blue 10 wide;
//  - above it, on a second layer, a green square 250..350;
//  - a compound path 20..80 with a hole 40..60 by winding (inner ring reversed);
//  - an even-odd compound path 320..380 with a hole 340..360 (rings the same way);
//  - a black square 20..60 at y 320..360 at 50% opacity;
//  - a hidden layer covering everything in black, and a hidden object likewise.
std::string WriteTestMap(const ScratchFolder& folder) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 400, 400, 0});
  sim::Layer& hiddenLayer = host.AddLayer("hidden");
  hiddenLayer.visible = false;
  host.SetStyle(host.AddPath(*hiddenLayer.group, Square(0, 0, 400), true), Filled(AIColor::Four(0, 0, 0, 1)));
  sim::Layer& top = host.AddLayer("top");
  host.SetStyle(host.AddPath(*top.group, Square(250, 250, 100), true), Filled(AIColor::Three(0, 1, 0)));
  sim::Art& hiddenArt = host.AddPath(*top.group, Square(0, 0, 400), true);
  host.SetStyle(hiddenArt, Filled(AIColor::Four(0, 0, 0, 1)));
  hiddenArt.userAttributes = kArtHidden;
  sim::Layer& bottom = host.AddLayer("bottom");
  sim::Art& square = host.AddPath(*bottom.group, Square(100, 100, 200), true);
  host.SetStyle(square, Filled(AIColor::Four(0, 1, 1, 0)));
  host.EditStyle(&square, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Three(0, 0, 1);
    style.stroke.width = 10;
  });

  sim::Art& winding = host.AddCompoundPath(*bottom.group);
  host.AddPath(winding, Square(20, 20, 60), true);
  host.AddPath(winding, Square(40, 40, 20, false), true);
  for (sim::Art* member : winding.children) host.SetStyle(*member, Filled(AIColor::Three(0, 0, 0)));

  sim::Art& evenOdd = host.AddCompoundPath(*bottom.group);
  host.AddPath(evenOdd, Square(320, 20, 60), true);
  host.AddPath(evenOdd, Square(340, 40, 20), true);
  for (sim::Art* member : evenOdd.children) {
    host.SetStyle(*member, Filled(AIColor::Three(0, 0, 0)));
    host.EditStyle(member, [&](AIPathStyle& style) {
      style.evenOdd = true;
    });
  }

  sim::Art& faint = host.AddPath(*bottom.group, {{20, 320}, {20, 360}, {60, 360}, {60, 320}}, true);
  host.SetStyle(faint, Filled(AIColor::Four(0, 0, 0, 1)));
  faint.opacity = 0.5f;

  const std::string path = folder.Path("test.kzmap");
  sim::SaveDocumentFile(document, path);
  return path;
}

// Pixel (x, y) of a picture of `scale` pixels per point, for the artboard
// point (h, v) (y up).
void ExpectTestMap(const Picture& picture, double scale) {
  ASSERT_TRUE(picture.Ok());
  ASSERT_EQ(picture.Width(), static_cast<int>(400 * scale));
  ASSERT_EQ(picture.Height(), static_cast<int>(400 * scale));
  const auto at = [&](double h, double v, Pixel color, const char* what) {
    ExpectColor(picture, static_cast<int>(h * scale), static_cast<int>((400 - v) * scale), color, what);
  };
  const Pixel white{255, 255, 255}, red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0}, black{0, 0, 0};
  at(200, 200, red, "square's inside");
  at(100, 200, blue, "square's stroke");
  at(200, 303, blue, "square's stroke outside the edge");
  at(200, 94, white, "paper beyond the stroke");
  at(50, 380, white, "paper");
  at(275, 275, green, "upper layer over the lower");
  at(30, 30, black, "compound path");
  at(50, 50, white, "hole by winding");
  at(330, 30, black, "even-odd compound path");
  at(350, 50, white, "hole by even-odd");
  at(40, 340, {128, 128, 128}, "half-opaque black");
}

TEST(Render, PngShowsTheMapAtKnownPixels) {
  ScratchFolder folder;
  const std::string map = WriteTestMap(folder);
  const std::string png = folder.Path("map.png");
  const auto run = RunKzmap("render " + Quote(map) + " " + Quote(png));
  ASSERT_EQ(run.status, 0) << run.err;
  ExpectTestMap(Picture(png), 1);

  const std::string fine = folder.Path("fine.PNG");
  ASSERT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(fine) + " --dpi 144").status, 0);
  ExpectTestMap(Picture(fine), 2);
}

// Opacity belongs to the object as a whole: where its stroke lies over its
// fill only the stroke shows, at half strength, and so for a group.
TEST(Render, TranslucentObjectsBlendAsAWhole) {
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 200, 0});
  sim::Layer& layer = host.AddLayer("L");
  sim::Art& square = host.AddPath(*layer.group, Square(20, 20, 60), true);
  host.SetStyle(square, Filled(AIColor::Three(1, 0, 0)));
  host.EditStyle(&square, [&](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Three(0, 0, 1);
    style.stroke.width = 20;
  });
  square.opacity = 0.5f;
  sim::Art& group = host.AddGroup(*layer.group);
  group.opacity = 0.5f;
  host.SetStyle(host.AddPath(group, Square(120, 120, 60), true), Filled(AIColor::Three(0, 0, 1)));
  host.SetStyle(host.AddPath(group, Square(100, 100, 60), true), Filled(AIColor::Three(1, 0, 0)));
  const Picture picture(RenderedPng(folder, document, "faint"));
  ASSERT_TRUE(picture.Ok());
  ExpectColor(picture, 50, 150, {255, 128, 128}, "half-strength fill");
  ExpectColor(picture, 25, 150, {128, 128, 255}, "half-strength stroke over the fill");
  // The blue square was made first, so it lies on top.
  ExpectColor(picture, 170, 30, {128, 128, 255}, "group: blue alone");
  ExpectColor(picture, 110, 90, {255, 128, 128}, "group: red alone");
  ExpectColor(picture, 130, 70, {128, 128, 255}, "group: blue over red shows blue only");
}

// Closed outlines are stroked all round, the side back to the first anchor
// included, whether the path keeps anchors alone or whole segments (a
// handle one ulp off its anchor); an open one leaves that side out.
TEST(Render, ClosedOutlinesAreStrokedAllRound) {
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 200, 0});
  sim::Layer& layer = host.AddLayer("L");
  AIPathStyle stroked;
  stroked.strokePaint = true;
  stroked.stroke.color = AIColor::Three(0, 0, 0);
  stroked.stroke.width = 4;
  // Clockwise from the bottom left; the last side runs along the bottom.
  host.SetStyle(host.AddPath(*layer.group, Square(20, 20, 60), true), stroked);
  std::vector<AIPathSegment> whole;
  for (const AIRealPoint& p : Square(120, 20, 60)) whole.push_back(AIPathSegment{p, p, p, true});
  whole[1].in.h = std::nextafter(whole[1].p.h, 0.0f);
  host.SetStyle(host.AddCurvedPath(*layer.group, whole, true), stroked);
  host.SetStyle(host.AddPath(*layer.group, Square(20, 120, 60), false), stroked);
  const Picture picture(RenderedPng(folder, document, "outlines"));
  ASSERT_TRUE(picture.Ok());
  // Pixel rows run down from the artboard's top (y 200).
  const auto inked = [&](double x, double y) {
    const int column = static_cast<int>(x), row = static_cast<int>(200 - y);
    return picture.DarkPixels(column - 1, row - 1, column + 2, row + 2) > 0;
  };
  for (const double left : {20.0, 120.0}) {
    EXPECT_TRUE(inked(left, 50)) << left << ": left side";
    EXPECT_TRUE(inked(left + 30, 80)) << left << ": top side";
    EXPECT_TRUE(inked(left + 60, 50)) << left << ": right side";
    EXPECT_TRUE(inked(left + 30, 20)) << left << ": closing side";
    EXPECT_FALSE(inked(left + 30, 50)) << left << ": inside";
  }
  EXPECT_TRUE(inked(20, 150)) << "open path: first side";
  EXPECT_FALSE(inked(50, 120)) << "open path: no closing side";
}

// Process colours on screen: R = (1 − C)(1 − K), G = (1 − M)(1 − K),
// B = (1 − Y)(1 − K), each ink its own channel; grey is an amount of ink.
TEST(Render, ProcessAndGreyColoursOnScreen) {
  struct Ink {
    float c, m, y, k;
  };
  const Ink inks[] = {{0.2f, 0.5f, 0.7f, 0.3f}, {0.9f, 0.1f, 0.4f, 0}, {0, 0.6f, 0.25f, 0.5f}, {0.5f, 0.5f, 0.5f, 1}};
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 100, 500, 0});
  sim::Layer& layer = host.AddLayer("L");
  for (size_t i = 0; i < std::size(inks); ++i) {
    const Ink& ink = inks[i];
    host.SetStyle(host.AddPath(*layer.group, Square(100.0f * i, 0, 100), true),
        Filled(AIColor::Four(ink.c, ink.m, ink.y, ink.k)));
  }
  AIColor gray;
  gray.kind = kGrayColor;
  gray.c.g.gray = 0.25f;
  host.SetStyle(host.AddPath(*layer.group, Square(400, 0, 100), true), Filled(gray));
  const Picture picture(RenderedPng(folder, document, "inks"));
  ASSERT_TRUE(picture.Ok());
  const auto level = [](double share) { return static_cast<int>(std::lround(255 * share)); };
  for (size_t i = 0; i < std::size(inks); ++i) {
    const Ink& ink = inks[i];
    const double white = 1.0 - ink.k;
    ExpectColor(picture, static_cast<int>(100 * i + 50), 50,
                {level((1 - ink.c) * white), level((1 - ink.m) * white), level((1 - ink.y) * white)}, "process colour");
  }
  ExpectColor(picture, 450, 50, {level(0.75), level(0.75), level(0.75)}, "a quarter of black ink");
}

TEST(Render, SvgReadByRsvgConvertShowsTheSameMap) {
  ScratchFolder folder;
  const std::string map = WriteTestMap(folder);
  const std::string svg = folder.Path("map.svg");
  const auto run = RunKzmap("render " + Quote(map) + " " + Quote(svg));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string png = folder.Path("rsvg.png");
  const std::string convert = "rsvg-convert --dpi-x 72 --dpi-y 72 -o " + Quote(png) + " " + Quote(svg);
  const auto converted = kztest::RunShell(convert);
  ASSERT_EQ(converted.status, 0) << convert << "\n" << converted.err;
  ExpectTestMap(Picture(png), 1);
}

TEST(Render, PdfHasOnePageTheSizeOfTheArtboard) {
  ScratchFolder folder;
  const std::string map = WriteTestMap(folder);
  const std::string pdf = folder.Path("map.pdf");
  ASSERT_EQ(RunKzmap("render " + Quote(map) + " " + Quote(pdf)).status, 0);
  const std::string bytes = ScratchFolder::Read(pdf);
  EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
  EXPECT_NE(bytes.find("/MediaBox [ 0 0 400 400 ]"), std::string::npos);
  EXPECT_NE(bytes.find("/Count 1"), std::string::npos);
}

// Labels in the Japanese font: dark pixels where the text is, none beside it.
TEST(Render, JapaneseLabelsAppearWhereTheirAnchorsAre) {
  ASSERT_EQ(kztest::RunShell("fc-list :lang=ja family | grep -q IPAGothic").status, 0)
      << "the IPA Gothic font is missing";
  ScratchFolder folder;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 400, 400, 0});
  sim::Layer& layer = host.AddLayer("labels");
  sim::Art& left = host.AddPointText(*layer.group, {40, 300}, "東京都");
  left.EditExtras().text.fontSize = 40;
  sim::Art& right = host.AddPointText(*layer.group, {360, 100}, "渋谷区");
  right.EditExtras().text.fontSize = 40;
  right.EditExtras().text.justificationAssigned = true;
  right.EditExtras().text.justification = 1;
  const Picture picture(RenderedPng(folder, document, "labels"));
  ASSERT_TRUE(picture.Ok());
  // Three 40-point characters: about 120 points wide, 30 above the baseline.
  EXPECT_GT(picture.DarkPixels(40, 100 - 35, 160, 100), 600) << "left-justified label";
  EXPECT_EQ(picture.DarkPixels(0, 0, 38, 400), 0) << "nothing left of the first anchor";
  EXPECT_EQ(picture.DarkPixels(165, 0, 230, 400), 0) << "nothing past the first label";
  EXPECT_GT(picture.DarkPixels(240, 300 - 35, 360, 300), 600) << "right-justified label ends at its anchor";
  EXPECT_EQ(picture.DarkPixels(362, 0, 400, 400), 0) << "nothing right of the second anchor";
  EXPECT_EQ(picture.DarkPixels(0, 0, 400, 50), 0) << "nothing far above the labels";
}

TEST(Render, BadPicturesAndMapsAreErrorsNamingTheFile) {
  ScratchFolder folder;
  const std::string map = WriteTestMap(folder);
  auto run = RunKzmap("render " + Quote(map) + " " + Quote(folder.Path("map.gif")));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("map.gif"), std::string::npos) << run.err;
  run = RunKzmap("render " + Quote(folder.Path("none.kzmap")) + " " + Quote(folder.Path("x.png")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("none.kzmap: cannot open"), std::string::npos) << run.err;
  run = RunKzmap("render " + Quote(map) + " " + Quote(folder.Path("no/folder/x.pdf")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("x.pdf"), std::string::npos) << run.err;
  run = RunKzmap("render " + Quote(map) + " " + Quote(folder.Path("x.png")) + " --dpi 0");
  EXPECT_EQ(run.status, 2);
}

}  // namespace
