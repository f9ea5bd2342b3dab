// The map through the real Inkscape, run headless: Shapefiles GDAL made are
// imported, written as SVG, saved again by Inkscape (untouched, and after
// edits by Inkscape's own actions), read back and exported; GDAL reads the
// exports beside the sources and PROJ measures the moves on the ground.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::ScratchFolder;
using kztest::Quote;
using nlohmann::json;

struct Output {
  int status = -1;
  std::string out;
};

Output Shell(const std::string& command) {
  Output result;
  std::FILE* pipe = ::popen(("( " + command + " ) 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// Ground metres per artboard point at the map's scale: a point is 0.0254/72 m.
constexpr double kScale = 25000;
constexpr double kMetresPerPoint = 0.0254 / 72 * kScale;
// Inkscape's transform-translate counts CSS pixels: three quarters of a point.
constexpr double kPointsPerPixel = 0.75;

class InkscapeRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"inkscape", "ogr2ogr", "cs2cs"})
      ASSERT_EQ(Shell(std::string("command -v ") + tool).status, 0) << tool << " is missing (scripts/deps.sh)";
    // Inkscape keeps its settings and caches in the scratch folder.
    const std::string home = folder.Path("home");
    environment = "HOME=" + Quote(home) + " XDG_CONFIG_HOME=" + Quote(home + "/config") +
                  " XDG_CACHE_HOME=" + Quote(home + "/cache") + " XDG_DATA_HOME=" + Quote(home + "/data") +
                  " KZMAP_LOCK_WAIT_MS=0 ";
    // Tokyo, within a few kilometres: JGD2011 latitude and longitude.
    Source("pts", "POINT",
           "WKT,name,pop,area\n"
           "\"POINT (139.7671 35.6812)\",東京駅,120,1.25\n"
           "\"POINT (139.7454 35.6586)\",タワー,333,2.5\n"
           "\"POINT (139.7005 35.6905)\",新宿,42,-0.125\n",
           "WKT,String,Integer,Real");
    Source("poly", "POLYGON",
           "WKT,name,pop,area\n"
           "\"POLYGON ((139.74 35.67,139.76 35.67,139.76 35.69,139.74 35.69,139.74 35.67),"
           "(139.745 35.675,139.75 35.675,139.75 35.68,139.745 35.675))\",皇居,7,1.15\n",
           "WKT,String,Integer,Real");
    Source("line", "LINESTRING",
           "WKT,name,pop,area\n\"LINESTRING (139.70 35.69,139.72 35.68,139.767 35.681)\",中央線,1,0.5\n",
           "WKT,String,Integer,Real");
    map = folder.Path("map.kzmap");
    const auto import = Kzmap("import " + Quote(map) + " " + Quote(folder.Path("pts.shp")) + " " +
                              Quote(folder.Path("poly.shp")) + " " + Quote(folder.Path("line.shp")) +
                              " --to jgd2011:xy9 --scale 25000");
    ASSERT_EQ(import.status, 0) << import.out;
    svg = folder.Path("map.svg");
    const auto written = Kzmap("svg " + Quote(map) + " " + Quote(svg));
    ASSERT_EQ(written.status, 0) << written.out;
  }

  void Source(const std::string& name, const std::string& type, const std::string& csv, const std::string& csvt) {
    std::ofstream(folder.Path(name + ".csv")) << csv;
    std::ofstream(folder.Path(name + ".csvt")) << csvt;
    const auto made = Shell("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:6668 -nlt " + type + " -lco ENCODING=UTF-8 " +
                            Quote(folder.Path(name + ".shp")) + " " + Quote(folder.Path(name + ".csv")) +
                            " -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO");
    ASSERT_EQ(made.status, 0) << made.out;
  }

  Output Kzmap(const std::string& arguments) {
    return Shell(environment + Quote(KZ_TOOL_FILE) + " " + arguments + " </dev/null");
  }

  // Inkscape opens the SVG, runs the actions and writes its own SVG.
  std::string Inkscape(const std::string& actions, const std::string& name) {
    const std::string out = folder.Path(name);
    const auto run = Shell(environment + "inkscape --actions=" +
                           Quote(actions + "export-filename:" + out + ";export-plain-svg:false;export-do") + " " +
                           Quote(svg));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(std::ifstream(out).good()) << run.out;
    return out;
  }

  // The layer of the map exported in JGD2011 latitude and longitude, as GDAL reads it.
  json Export(const std::string& theMap, const std::string& layer, const std::string& type) {
    const std::string shp = folder.Path(theMap + "-" + layer + ".shp");
    const auto exported = Kzmap("export " + Quote(folder.Path(theMap)) + " " + Quote(shp) +
                                " --type " + type + " --target layer:" + layer + " --to jgd2011:bl");
    EXPECT_EQ(exported.status, 0) << exported.out;
    return GeoJson(shp);
  }

  json GeoJson(const std::string& shp) {
    const std::string out = shp + ".geojson";
    const auto converted = Shell("ogr2ogr -f GeoJSON -lco COORDINATE_PRECISION=12 " + Quote(out) + " " +
                                 Quote(shp));
    EXPECT_EQ(converted.status, 0) << converted.out;
    return json::parse(ScratchFolder::Read(out), nullptr, false);
  }

  json SourceFeatures(const std::string& name) { return GeoJson(folder.Path(name + ".shp")); }

  ScratchFolder folder;
  std::string environment, map, svg;
};

// Every position of a geometry, flattened.
std::vector<std::pair<double, double>> Positions(const json& geometry) {
  std::vector<std::pair<double, double>> out;
  std::vector<const json*> pending{&geometry.at("coordinates")};
  while (!pending.empty()) {
    const json* at = pending.back();
    pending.pop_back();
    if (at->size() >= 2 && (*at)[0].is_number()) {
      out.emplace_back((*at)[0].get<double>(), (*at)[1].get<double>());
      continue;
    }
    for (auto item = at->rbegin(); item != at->rend(); ++item) pending.push_back(&*item);
  }
  return out;
}

// Ground distance in metres of two nearby JGD2011 positions (the sphere of
// the GRS80 mean radius is far finer than a millimetre over centimetres).
double GroundMetres(std::pair<double, double> a, std::pair<double, double> b) {
  constexpr double kRadius = 6371008.8, kRadian = M_PI / 180;
  const double dy = (b.second - a.second) * kRadian * kRadius;
  const double dx = (b.first - a.first) * kRadian * kRadius * std::cos(a.second * kRadian);
  return std::hypot(dx, dy);
}

// Each feature of got has the source's values and its vertices within 1 mm.
void ExpectSameFeatures(const json& source, const json& got, const std::map<std::string, std::string>& renamed = {}) {
  ASSERT_TRUE(source.is_object() && got.is_object());
  const json& want = source.at("features");
  const json& have = got.at("features");
  ASSERT_EQ(have.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    for (const auto& [key, value] : want[i].at("properties").items()) {
      const std::string name = renamed.count(key) ? renamed.at(key) : key;
      const json& other = have[i].at("properties").at(name);
      if (value.is_number()) {
        EXPECT_DOUBLE_EQ(other.get<double>(), value.get<double>()) << key;
      } else {
        EXPECT_EQ(other, value) << key;
      }
    }
    const auto a = Positions(want[i].at("geometry"));
    const auto b = Positions(have[i].at("geometry"));
    ASSERT_EQ(a.size(), b.size()) << "feature " << i;
    for (size_t k = 0; k < a.size(); ++k) EXPECT_LE(GroundMetres(a[k], b[k]), 0.001) << "feature " << i << " vertex " << k;
  }
}

std::string Decimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.12f", value);
  return text;
}

// Positions in plane rectangular system IX (metres), as PROJ gives them.
std::vector<std::pair<double, double>> Plane(const std::vector<std::pair<double, double>>& positions) {
  std::string input;
  // EPSG:6668 takes latitude first.
  for (const auto& [lon, lat] : positions) input += Decimal(lat) + " " + Decimal(lon) + "\\n";
  const auto run = Shell("printf '" + input + "' | cs2cs -f %.6f EPSG:6668 EPSG:6677");
  std::vector<std::pair<double, double>> out;
  std::istringstream lines(run.out);
  double x = 0, y = 0, z = 0;
  while (lines >> x >> y >> z) out.emplace_back(x, y);
  return out;
}

double Distance(std::pair<double, double> a, std::pair<double, double> b) {
  return std::hypot(a.first - b.first, a.second - b.second);
}

std::string IdOf(const std::string& svg, const std::string& text) {
  const size_t at = svg.find(text);
  if (at == std::string::npos) return {};
  const size_t open = svg.rfind('<', at);
  const size_t id = svg.find("id=\"", open) + 4;
  return svg.substr(id, svg.find('"', id) - id);
}

TEST_F(InkscapeRoundTrip, UntouchedMapComesBackExactlyAndExportsTheSources) {
  const std::string saved = Inkscape("", "inkscape.svg");
  const std::string back = folder.Path("back.kzmap");
  const auto read = Kzmap("svg --read " + Quote(saved) + " " + Quote(back));
  ASSERT_EQ(read.status, 0) << read.out;
  EXPECT_EQ(read.out, "");  // nothing to tell
  EXPECT_EQ(Kzmap("info --json " + Quote(back)).out, Kzmap("info --json " + Quote(map)).out);
  ExpectSameFeatures(SourceFeatures("pts"), Export("back.kzmap", "pts", "point"));
  ExpectSameFeatures(SourceFeatures("poly"), Export("back.kzmap", "poly", "polygon"));
  ExpectSameFeatures(SourceFeatures("line"), Export("back.kzmap", "line", "polyline"));
}

TEST_F(InkscapeRoundTrip, EditsByInkscapesActionsReachTheGround) {
  const std::string text = ScratchFolder::Read(svg);
  const std::string tower = IdOf(text, "タワー"), shinjuku = IdOf(text, "新宿"), palace = IdOf(text, "皇居"),
                    chuo = IdOf(text, "中央線");
  ASSERT_FALSE(tower.empty() || shinjuku.empty() || palace.empty() || chuo.empty());
  const std::string saved =
      Inkscape("select-by-id:" + tower + ";transform-translate:10,-4;select-clear;select-by-id:" + shinjuku +
                   ";delete;select-clear;select-by-id:" + palace + ";object-to-path;duplicate;select-clear;" +
                   "select-by-id:" + chuo + ";object-set-property:stroke,#00ff00;transform-rotate:90;select-clear;",
               "edited.svg");
  const auto read = Kzmap("svg --read " + Quote(saved) + " " + Quote(folder.Path("edited.kzmap")));
  ASSERT_EQ(read.status, 0) << read.out;

  const json source = SourceFeatures("pts");
  const json points = Export("edited.kzmap", "pts", "point");
  ASSERT_EQ(points.at("features").size(), 2u);  // 新宿 deleted
  const json& moved = points["features"][1];
  EXPECT_EQ(moved["properties"]["name"], "タワー");
  EXPECT_EQ(moved["properties"]["pop"], 333);
  // The move on the ground: 10 px across and 4 px down, at 1:25000, in the
  // plane system's metres as PROJ gives them.
  const auto before = Positions(source["features"][1]["geometry"])[0];
  const auto after = Positions(moved["geometry"])[0];
  const auto plane = Plane({before, after});
  ASSERT_EQ(plane.size(), 2u);
  const double expected = std::hypot(10, 4) * kPointsPerPixel * kMetresPerPoint;
  EXPECT_NEAR(Distance(plane[0], plane[1]), expected, 0.001);
  // 東京駅 untouched.
  json untouched = source;
  untouched["features"] = json::array({source["features"][0]});
  json first = points;
  first["features"] = json::array({points["features"][0]});
  ExpectSameFeatures(untouched, first);

  // The duplicate carries the row; both stand where the source does.
  json twice = SourceFeatures("poly");
  twice["features"].push_back(twice["features"][0]);
  ExpectSameFeatures(twice, Export("edited.kzmap", "poly", "polygon"));

  // The turned line keeps its row and its length, and has moved.
  const json lineSource = SourceFeatures("line");
  const json line = Export("edited.kzmap", "line", "polyline");
  ASSERT_EQ(line.at("features").size(), 1u);
  EXPECT_EQ(line["features"][0]["properties"], lineSource["features"][0]["properties"]);
  const auto a = Positions(lineSource["features"][0]["geometry"]);
  const auto b = Positions(line["features"][0]["geometry"]);
  ASSERT_EQ(a.size(), b.size());
  const auto planeA = Plane(a), planeB = Plane(b);
  ASSERT_EQ(planeA.size(), planeB.size());
  for (size_t i = 1; i < planeA.size(); ++i)
    EXPECT_NEAR(Distance(planeA[i - 1], planeA[i]), Distance(planeB[i - 1], planeB[i]), 0.001) << i;
  EXPECT_GT(GroundMetres(a[0], b[0]), 100);
}

// Content moved to another layer in Inkscape's XML (its Move to Layer has
// no headless action) and a renamed layer.
TEST_F(InkscapeRoundTrip, MovedToAnotherLayerAndRenamed) {
  std::string text = ScratchFolder::Read(Inkscape("", "inkscape.svg"));
  const std::string tower = IdOf(text, "タワー");
  const size_t start = text.rfind("<path", text.find("id=\"" + tower + "\""));
  const size_t end = text.find("/>", start) + 2;
  const std::string element = text.substr(start, end - start);
  text.erase(start, end - start);
  const size_t lineLayer = text.find("inkscape:label=\"line\"");
  ASSERT_NE(lineLayer, std::string::npos);
  text.replace(lineLayer, std::string("inkscape:label=\"line\"").size(), "inkscape:label=\"路線\"");
  const size_t inside = text.find('>', lineLayer) + 1;
  text.insert(inside, element);
  std::ofstream(folder.Path("moved.svg")) << text;
  ASSERT_EQ(Kzmap("svg --read " + Quote(folder.Path("moved.svg")) + " " + Quote(folder.Path("moved.kzmap")))
                .status,
            0);
  // Points of the layer: the line's own and the tower's, with its row.
  const json points = Export("moved.kzmap", "路線", "point");
  size_t towers = 0;
  for (const json& feature : points.at("features")) towers += feature["properties"]["name"] == "タワー";
  EXPECT_EQ(towers, 1u);
  EXPECT_EQ(Export("moved.kzmap", "pts", "point").at("features").size(), 2u);
}

TEST_F(InkscapeRoundTrip, BadSvgLeavesTheMapAsItWas) {
  const std::string before = ScratchFolder::Read(map);
  std::ofstream(folder.Path("bad.svg")) << "<html/>";
  const auto read = Kzmap("svg --read " + Quote(folder.Path("bad.svg")) + " " + Quote(map));
  EXPECT_EQ(read.status, 1);
  EXPECT_NE(read.out.find("not an SVG drawing"), std::string::npos) << read.out;
  EXPECT_EQ(ScratchFolder::Read(map), before);
  EXPECT_EQ(Kzmap("svg " + Quote(map) + " " + Quote(map)).status, 2);
  EXPECT_EQ(ScratchFolder::Read(map), before);
}

// Georeference layers deleted in the SVG: a map without georeference, told.
TEST_F(InkscapeRoundTrip, WithoutGeoreferenceTheMapHasNoneAndSaysSo) {
  std::string text = ScratchFolder::Read(svg);
  for (const std::string title : {"Kartzmap DataFrame", "4点座標マーカー"}) {
    for (size_t at; (at = text.find("inkscape:label=\"" + title)) != std::string::npos;) {
      const size_t start = text.rfind("<g", at);
      const size_t end = text.find("</g>", at) + 4;
      text.erase(start, end - start);
    }
  }
  std::ofstream(folder.Path("plain.svg")) << text;
  const auto read = Kzmap("svg --read " + Quote(folder.Path("plain.svg")) + " " + Quote(folder.Path("plain.kzmap")));
  ASSERT_EQ(read.status, 0) << read.out;
  EXPECT_NE(read.out.find("the map has no georeference"), std::string::npos) << read.out;
  const json info = json::parse(Kzmap("info --json " + Quote(folder.Path("plain.kzmap"))).out, nullptr, false);
  EXPECT_TRUE(info["dataFrame"].is_null());
  EXPECT_TRUE(info["markers"].is_null());
}

}  // namespace
