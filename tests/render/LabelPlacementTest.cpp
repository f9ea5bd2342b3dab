// Labels of imported features where a reader expects them: centred on areas
// and lines, beside point marks. The expected places come from the features'
// coordinates through Python's json module and the map's published scale
// arithmetic, and from the ink of the rendered picture.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/TextCodec.h"

namespace {

using kztest::RunKzmap;
using kztest::ScratchFolder;
using kztest::Quote;

// Plane rectangular system VI (EPSG:2448), metres: a park, a road and a
// temple around (-20000, -110000).
constexpr const char* kFeatures = R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {"name": "公園"}, "geometry": {"type": "Polygon", "coordinates":
   [[[-20500, -110400], [-20500, -109900], [-19700, -109900], [-19700, -110400], [-20500, -110400]]]}},
 {"type": "Feature", "properties": {"name": "大通"}, "geometry": {"type": "LineString", "coordinates":
   [[-21000, -111000], [-20000, -110800], [-19000, -111300]]}},
 {"type": "Feature", "properties": {"name": "寺"}, "geometry": {"type": "Point", "coordinates": [-19300, -109500]}}
]})";

std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return text;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  ::pclose(pipe);
  return text;
}

struct Centre {
  double x, y;
};

// Centre of each feature's bounding box and of all of them, by name ("*").
std::map<std::string, Centre> BoxCentres(const std::string& geojson) {
  const std::string script =
      "import json,sys\n"
      "d=json.load(open(sys.argv[1],encoding='utf-8'))\n"
      "def pts(c):\n"
      "  return [c] if isinstance(c[0],(int,float)) else [p for q in c for p in pts(q)]\n"
      "al=[]\n"
      "for f in d['features']:\n"
      "  p=pts(f['geometry']['coordinates']); al+=p\n"
      "  xs=[q[0] for q in p]; ys=[q[1] for q in p]\n"
      "  print(f['properties']['name'], (min(xs)+max(xs))/2, (min(ys)+max(ys))/2)\n"
      "xs=[q[0] for q in al]; ys=[q[1] for q in al]\n"
      "print('*', (min(xs)+max(xs))/2, (min(ys)+max(ys))/2)\n";
  std::istringstream lines(Output("python3 -c " + Quote(script) + " " + Quote(geojson)));
  std::map<std::string, Centre> centres;
  std::string name;
  Centre centre{};
  while (lines >> name >> centre.x >> centre.y) centres[name] = centre;
  return centres;
}

struct Dark {
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  int count = 0;
};

// The box of the dark pixels of a PNG within [x0, x1) × [y0, y1).
Dark DarkBox(const std::string& png, int x0, int y0, int x1, int y1) {
  Dark dark;
  cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS) {
    const int width = cairo_image_surface_get_width(picture), height = cairo_image_surface_get_height(picture);
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
        uint32_t argb = 0;
        std::memcpy(&argb, cairo_image_surface_get_data(picture) + y * cairo_image_surface_get_stride(picture) + 4 * x,
                    4);
        const int sum = static_cast<int>((argb >> 16) & 0xFF) + static_cast<int>((argb >> 8) & 0xFF) +
                        static_cast<int>(argb & 0xFF);
        if (sum >= 3 * 100) continue;
        ++dark.count;
        dark.left = std::min<double>(dark.left, x);
        dark.right = std::max<double>(dark.right, x + 1);
        dark.top = std::min<double>(dark.top, y);
        dark.bottom = std::max<double>(dark.bottom, y + 1);
      }
  }
  cairo_surface_destroy(picture);
  return dark;
}

TEST(LabelPlacement, ImportedFeaturesAreLabelledCentredOrBesideTheirMark) {
  ScratchFolder folder;
  ::setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
  const std::string geojson = folder.Write("features.geojson", kFeatures);
  // A Shapefile holds one geometry type: one file per type.
  for (const char* type : {"Polygon", "LineString", "Point"}) {
    const std::string one = folder.Path(std::string(type) + ".shp");
    const std::string command = "ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:2448 -lco ENCODING=UTF-8 -where " +
                                Quote("OGR_GEOMETRY='" + std::string(type) + "'") + " " + Quote(one) + " " +
                                Quote(geojson);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  const std::map<std::string, Centre> centres = BoxCentres(geojson);
  ASSERT_EQ(centres.size(), 4u) << "python3 read the features";

  const std::string map = folder.Path("labels.kzmap");
  const std::string quoted = Quote(map);
  for (const std::string& step :
       {"new " + quoted + " --artboard a4",
        "import " + quoted + " " + Quote(folder.Path("Polygon.shp")) + " " +
            Quote(folder.Path("LineString.shp")) + " " + Quote(folder.Path("Point.shp")) +
            " --to jgd2000:xy6 --scale 10000 --no-north-up",
        "attr " + quoted + " search name --text ''", "attr " + quoted + " label name"}) {
    const auto run = RunKzmap(step);
    ASSERT_EQ(run.status, 0) << step << "\n" << run.err;
  }

  // The new map's centre sits at the artboard's centre (A4: 595.28 × 841.89
  // points); one metre is 72 / 0.0254 / 10000 points.
  const double perMetre = 72 / 0.0254 / 10000;
  const Centre middle = centres.at("*");
  const auto artboard = [&](const Centre& c) {
    return Centre{595.2756 / 2 + (c.x - middle.x) * perMetre, 841.8898 / 2 + (c.y - middle.y) * perMetre};
  };
  // A 12-point label's middle (0.38 em above the baseline) is level with
  // the object's middle; a point label starts 2 points past the mark's outer
  // edge (1.25 + 0.5 from the point).
  struct Expected {
    const char* name;
    Centre anchor;
    int justification;
  };
  const Centre park = artboard(centres.at("公園")), road = artboard(centres.at("大通")),
               temple = artboard(centres.at("寺"));
  const Expected expected[] = {{"公園", {park.x, park.y - 4.56}, 2},
                               {"大通", {road.x, road.y - 4.56}, 2},
                               {"寺", {temple.x + 3.75, temple.y - 4.56}, 0}};
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, map);
  std::map<std::string, const sim::Art*> labels;
  for (const sim::Layer* layer : document.layers)
    document.Walk(layer->group, [&](sim::Art* art) {
      if (art->type == kTextFrameArt) labels[sim::Utf16ToUtf8(art->Extras().text.contents)] = art;
    });
  for (const Expected& e : expected) {
    ASSERT_EQ(labels.count(e.name), 1u) << e.name;
    const sim::TextData& text = labels.at(e.name)->Extras().text;
    // The artboard keeps single precision.
    EXPECT_NEAR(text.anchor.h, e.anchor.x, 0.01) << e.name;
    EXPECT_NEAR(text.anchor.v, e.anchor.y, 0.01) << e.name;
    EXPECT_EQ(text.justificationAssigned ? text.justification : 0, e.justification) << e.name;
  }

  // Drawn, the park's name sits in the middle of the park: the ink's box is
  // centred on the park's centre to within half a point.
  const std::string png = folder.Path("labels.png");
  const auto run = RunKzmap("render " + quoted + " " + Quote(png) + " --dpi 288");
  ASSERT_EQ(run.status, 0) << run.err;
  const double scale = 4;  // pixels per point
  const double parkHalfWidth = 400 * perMetre, parkHalfHeight = 250 * perMetre;
  const Centre parkPixels{park.x * scale, (841.8898 - park.y) * scale};
  const Dark ink = DarkBox(png, static_cast<int>(parkPixels.x - parkHalfWidth * scale + 8),
                           static_cast<int>(parkPixels.y - parkHalfHeight * scale + 8),
                           static_cast<int>(parkPixels.x + parkHalfWidth * scale - 8),
                           static_cast<int>(parkPixels.y + parkHalfHeight * scale - 8));
  ASSERT_GT(ink.count, 100) << "the park's label";
  EXPECT_NEAR((ink.left + ink.right) / 2 / scale, parkPixels.x / scale, 0.5);
  EXPECT_NEAR((ink.top + ink.bottom) / 2 / scale, parkPixels.y / scale, 0.5);
  // The temple's label starts right of its mark and is level with it.
  const Centre templePixels{temple.x * scale, (841.8898 - temple.y) * scale};
  const Dark beside = DarkBox(png, static_cast<int>(templePixels.x + 3 * scale), static_cast<int>(templePixels.y - 40),
                              static_cast<int>(templePixels.x + 60 * scale), static_cast<int>(templePixels.y + 40));
  ASSERT_GT(beside.count, 50) << "the temple's label";
  EXPECT_GT(beside.left / scale, templePixels.x / scale + 1.75) << "clear of the mark";
  EXPECT_NEAR((beside.top + beside.bottom) / 2 / scale, templePixels.y / scale, 0.75);
}

}  // namespace
