// The references Japanese data comes in, as kzmap takes them: Shapefiles
// that ogr2ogr wrote in JGD2011 (latitude/longitude, plane IX, UTM 54) and
// WGS 84 (latitude/longitude, UTM 54) import without --from into new
// JGD2011 maps, every vertex where PROJ puts it; exported back with --to the
// same EPSG code, the .prj is that code for gdalsrsinfo and the coordinates
// are PROJ's. Several files whose .prj differ are each converted from their
// own, as if imported one by one.
#include <gtest/gtest.h>
#include <proj.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "ImportTestSupport.h"
#include "georef/DataFrameParams.h"
#include "georef/MapTransform.h"

namespace {

using namespace importtest;
using Point = std::pair<double, double>;

constexpr double kMillimetre = 0.001;
constexpr double kMetresPerDegree = 111000;  // ample for a 1 mm bound on degrees
constexpr double kScale = 1000;              // paper large enough for 1 mm in single precision

// PROJ between two CRSs, easting (longitude) first on both sides.
Point CrsTransform(const std::string& from, const std::string& to, Point p) {
  PJ_CONTEXT* context = proj_context_create();
  PJ* raw = proj_create_crs_to_crs(context, from.c_str(), to.c_str(), nullptr);
  PJ* pj = raw ? proj_normalize_for_visualization(context, raw) : nullptr;
  EXPECT_NE(pj, nullptr) << from << " " << to;
  Point out{NAN, NAN};
  if (pj) {
    const PJ_COORD result = proj_trans(pj, PJ_FWD, proj_coord(p.first, p.second, 0, 0));
    out = {result.xy.x, result.xy.y};
  }
  proj_destroy(pj);
  proj_destroy(raw);
  proj_context_destroy(context);
  return out;
}

bool Geographic(int epsg) { return epsg == 6668 || epsg == 4326 || epsg == 4612; }

// WGS 84 is taken as JGD2011: the same numbers on the JGD2011 reference.
std::string AsJgd2011(int epsg) {
  if (epsg == 4326) return "EPSG:6668";
  if (epsg == 32654) return "EPSG:6691";
  return "EPSG:" + std::to_string(epsg);
}

// The vertices of every LINESTRING in ogrinfo's listing, in order.
std::vector<Point> OgrLineVertices(const std::string& shp) {
  const CommandResult listed = RunMerged("ogrinfo -ro -al -q " + Quote(shp));
  EXPECT_EQ(listed.status, 0) << listed.out;
  std::vector<Point> points;
  for (size_t at = listed.out.find("LINESTRING ("); at != std::string::npos;
       at = listed.out.find("LINESTRING (", at + 1)) {
    std::istringstream in(listed.out.substr(at + 12, listed.out.find(')', at) - at - 12));
    std::string pair;
    while (std::getline(in, pair, ',')) {
      Point p;
      std::istringstream(pair) >> p.first >> p.second;
      points.push_back(p);
    }
  }
  return points;
}

class ReferenceImportTest : public ::testing::Test {
 protected:
  CommandResult Kzmap(const std::string& arguments) {
    return RunMerged("env XDG_CONFIG_HOME=" + Quote(folder / "config") + " " + KZ_TOOL_FILE + " " + arguments);
  }
  nlohmann::json Info(const std::string& map) {
    const CommandResult info = kztest::RunKzmap("info " + Quote(map) + " --json");
    EXPECT_EQ(info.status, 0) << info.out;
    return nlohmann::json::parse(info.out);
  }
  static const nlohmann::json& Layer(const nlohmann::json& info, const std::string& title) {
    for (const auto& layer : info.at("layers")) {
      if (layer.at("title") == title) return layer;
    }
    static const nlohmann::json none = nlohmann::json::object({{"art", nlohmann::json::array()}});
    ADD_FAILURE() << "no layer " << title;
    return none;
  }
  static MapTransform FrameTransform(const nlohmann::json& info) {
    const nlohmann::json& frame = info.at("dataFrame");
    DataFrameParams params;
    params.originX = frame.at("originX");
    params.originY = frame.at("originY");
    params.scale = frame.at("scale");
    params.rotation = frame.at("rotation");
    params.anchorX = frame.at("anchor")[0];
    params.anchorY = frame.at("anchor")[1];
    MapTransform transform;
    EXPECT_TRUE(transform.SetFromDataFrame(params));
    return transform;
  }
  // The map coordinates of a layer's line vertices and of its point marks.
  static std::vector<Point> MapVertices(const nlohmann::json& info, const std::string& title) {
    const MapTransform transform = FrameTransform(info);
    std::vector<Point> points;
    for (const auto& art : Layer(info, title).at("art")) {
      const auto& vertices = art.at("points");
      double x = 0, y = 0;
      if (art.at("closed") == true && vertices.size() == 4) {  // a point's mark: its centre
        float h = 0, v = 0;
        for (const auto& p : vertices) {
          h += p[0].get<float>() / 4;
          v += p[1].get<float>() / 4;
        }
        EXPECT_TRUE(transform.ArtboardToMap(h, v, x, y));
        points.push_back({x, y});
        continue;
      }
      for (const auto& p : vertices) {
        EXPECT_TRUE(transform.ArtboardToMap(p[0].get<float>(), p[1].get<float>(), x, y));
        points.push_back({x, y});
      }
    }
    return points;
  }

  ScratchFolder folder;
};

// About 1 km around Ueno: a line of five vertices and three points, given
// as JGD2011 latitude/longitude and written by GDAL in each reference.
const std::vector<Point> kLine{{139.7700, 35.7100}, {139.7745, 35.7131}, {139.7790, 35.7122}, {139.7832, 35.7170},
                               {139.7861, 35.7183}};
const std::vector<Point> kPoints{{139.7712, 35.7150}, {139.7800, 35.7090}, {139.7850, 35.7140}};

// The data in the reference of the code, as PROJ gives it.
std::vector<Point> InReference(const std::vector<Point>& points, int epsg) {
  std::vector<Point> out;
  for (const Point& p : points) out.push_back(CrsTransform("EPSG:6668", AsJgd2011(epsg), p));
  return out;
}

void MakeFiles(const ScratchFolder& folder, const std::string& stem, int epsg) {
  const std::string options = "-a_srs EPSG:" + std::to_string(epsg) + " -lco ENCODING=UTF-8";
  MakeShapefile(folder / (stem + "_line.shp"),
                FeatureCollection({LineFeature(InReference(kLine, epsg), "{\"name\":\"線\",\"n\":7}")}), options);
  std::vector<std::string> points;
  const std::vector<Point> at = InReference(kPoints, epsg);
  for (size_t i = 0; i < at.size(); ++i) {
    points.push_back(PointFeature(at[i].first, at[i].second,
                                  "{\"name\":\"点" + std::to_string(i) + "\",\"n\":" + std::to_string(i) + "}"));
  }
  MakeShapefile(folder / (stem + "_points.shp"), FeatureCollection(points), options);
}

struct Target {
  const char* ref;
  int epsg;
};

TEST_F(ReferenceImportTest, EachReferenceImportsWhereProjPutsItAndExportsBackUnderItsCode) {
  const int sources[] = {6668, 6677, 6691, 4326, 32654};
  const Target targets[] = {{"jgd2011:xy9", 6677}, {"jgd2011:utm54", 6691}};
  double worstImport = 0, worstExport = 0;
  for (const int source : sources) {
    const std::string stem = "s" + std::to_string(source);
    MakeFiles(folder, stem, source);
    const std::vector<Point> line = InReference(kLine, source), points = InReference(kPoints, source);
    for (const Target& target : targets) {
      SCOPED_TRACE("EPSG:" + std::to_string(source) + " into " + target.ref);
      const std::string map = folder / (stem + "_" + std::to_string(target.epsg) + ".kzmap");
      const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(folder / (stem + "_line.shp")) + " " +
                                      Quote(folder / (stem + "_points.shp")) + " --to " + target.ref +
                                      " --scale 1000");
      ASSERT_EQ(run.status, 0) << run.out;
      EXPECT_EQ(run.out.find("対応していません"), std::string::npos) << run.out;
      // WGS 84 is said to be taken as JGD2011, once.
      const size_t note = run.out.find("WGS 84 の座標は JGD2011");
      EXPECT_EQ(note != std::string::npos, source == 4326 || source == 32654) << run.out;
      if (note != std::string::npos) {
        EXPECT_EQ(run.out.find("WGS 84 の座標は JGD2011", note + 1), std::string::npos);
      }

      const nlohmann::json info = Info(map);
      EXPECT_EQ(info.at("dataFrame").at("ref"), target.ref);
      // Absolute: each vertex through the data frame is PROJ's.
      std::vector<Point> expected;
      for (const Point& p : line) expected.push_back(CrsTransform(AsJgd2011(source), "EPSG:" + std::to_string(target.epsg), p));
      for (auto p = points.rbegin(); p != points.rend(); ++p) {  // later points lie on top
        expected.push_back(CrsTransform(AsJgd2011(source), "EPSG:" + std::to_string(target.epsg), *p));
      }
      std::vector<Point> drawn = MapVertices(info, stem + "_line");
      const std::vector<Point> marks = MapVertices(info, stem + "_points");
      drawn.insert(drawn.end(), marks.begin(), marks.end());
      ASSERT_EQ(drawn.size(), expected.size());
      for (size_t i = 0; i < drawn.size(); ++i) {
        const double off = std::hypot(drawn[i].first - expected[i].first, drawn[i].second - expected[i].second);
        EXPECT_LT(off, kMillimetre) << i;
        worstImport = std::max(worstImport, off);
        // Relative: distances on paper times the scale are PROJ's on the ground.
        for (size_t j = i + 1; j < drawn.size(); ++j) {
          const double want = std::hypot(expected[i].first - expected[j].first, expected[i].second - expected[j].second);
          const double got = std::hypot(drawn[i].first - drawn[j].first, drawn[i].second - drawn[j].second);
          EXPECT_NEAR(got, want, kMillimetre);
        }
      }
      // Rows as ogrinfo reads them.
      const auto rows = OgrRows(folder / (stem + "_points.shp"));
      const auto& art = Layer(info, stem + "_points").at("art");
      ASSERT_EQ(art.size(), rows.size());
      for (size_t i = 0; i < rows.size(); ++i) {
        for (const auto& [name, field] : rows[i]) {
          EXPECT_EQ(art[rows.size() - 1 - i].at("attributes").at(name), field.value) << name;
        }
      }
      EXPECT_EQ(Layer(info, stem + "_line").at("art")[0].at("attributes").at("name"), "線");

      // Back out in the file's own reference, named by its EPSG code.
      const std::string out = folder / (stem + "_" + std::to_string(target.epsg) + "_out.shp");
      const CommandResult exported = Kzmap("export " + Quote(map) + " " + Quote(out) + " --type polyline --target " +
                                           Quote("layer:" + stem + "_line") + " --to EPSG:" + std::to_string(source));
      ASSERT_EQ(exported.status, 0) << exported.out;
      const CommandResult srs = RunMerged("gdalsrsinfo -e " + Quote(folder / (stem + "_" + std::to_string(target.epsg) +
                                                                        "_out.prj")) + " | grep ^EPSG");
      EXPECT_EQ(srs.out, "EPSG:" + std::to_string(source) + "\n");
      const std::vector<Point> back = OgrLineVertices(out);
      ASSERT_EQ(back.size(), line.size());
      const double unit = Geographic(source) ? kMetresPerDegree : 1;
      for (size_t i = 0; i < back.size(); ++i) {
        const double off = std::hypot((back[i].first - line[i].first) * unit * std::cos(35.7 * M_PI / 180 * Geographic(source)),
                                      (back[i].second - line[i].second) * unit);
        EXPECT_LT(off, kMillimetre) << i;
        worstExport = std::max(worstExport, off);
      }
    }
  }
  std::printf("[ measured ] worst vertex from PROJ: import %.3f mm, export %.3f mm\n", worstImport * 1000,
              worstExport * 1000);
}

// JGD2000 latitude/longitude, plane IX and UTM 54 in one command: each file
// from its own .prj, where the three imported one by one put it.
TEST_F(ReferenceImportTest, FilesOfDifferentReferencesInOneImport) {
  struct File {
    const char* stem;
    int epsg;
    double dx, dy;  // where its data lies, from Ueno, degrees
  };
  const File files[] = {{"geo", 4612, 0, 0}, {"plane", 2451, 0.015, 0.008}, {"utm", 3100, -0.012, 0.01}};
  for (const File& f : files) {
    std::vector<Point> moved;
    for (const Point& p : kLine) moved.push_back({p.first + f.dx, p.second + f.dy});
    std::vector<Point> at;
    for (const Point& p : moved) at.push_back(CrsTransform("EPSG:4612", "EPSG:" + std::to_string(f.epsg), p));
    MakeShapefile(folder / (std::string(f.stem) + ".shp"), FeatureCollection({LineFeature(at, "{\"n\":1}")}),
                  "-a_srs EPSG:" + std::to_string(f.epsg));
  }
  const std::string together = folder / "together.kzmap", oneByOne = folder / "one.kzmap";
  const CommandResult run = Kzmap("import " + Quote(together) + " " + Quote(folder / "geo.shp") + " " +
                                  Quote(folder / "plane.shp") + " " + Quote(folder / "utm.shp") +
                                  " --to jgd2000:xy9 --scale 1000");
  ASSERT_EQ(run.status, 0) << run.out;
  // The note names each file's reference.
  for (const char* named : {"geo.shp：世界測地系(JGD2000) 緯度経度", "plane.shp：世界測地系(JGD2000) 平面直角座標 第9系",
                            "utm.shp：世界測地系(JGD2000) UTM座標 第54帯"}) {
    EXPECT_NE(run.out.find(named), std::string::npos) << named << "\n" << run.out;
  }
  for (const File& f : files) {
    const CommandResult one = Kzmap("import " + Quote(oneByOne) + " " + Quote(folder / (std::string(f.stem) + ".shp")) +
                                    " --to jgd2000:xy9 --scale 1000");
    ASSERT_EQ(one.status, 0) << one.out;
  }
  const nlohmann::json a = Info(together), b = Info(oneByOne);
  // The new frame is centred on all three files: its origin lies among them.
  double xmin = 1e300, xmax = -1e300, ymin = 1e300, ymax = -1e300;
  double worst = 0;
  for (const File& f : files) {
    const std::vector<Point> inA = MapVertices(a, f.stem), inB = MapVertices(b, f.stem);
    ASSERT_EQ(inA.size(), kLine.size());
    ASSERT_EQ(inB.size(), kLine.size());
    for (size_t i = 0; i < inA.size(); ++i) {
      const double off = std::hypot(inA[i].first - inB[i].first, inA[i].second - inB[i].second);
      EXPECT_LT(off, kMillimetre) << f.stem << " " << i;
      worst = std::max(worst, off);
      xmin = std::min(xmin, inA[i].first);
      xmax = std::max(xmax, inA[i].first);
      ymin = std::min(ymin, inA[i].second);
      ymax = std::max(ymax, inA[i].second);
    }
  }
  const double originX = a.at("dataFrame").at("originX"), originY = a.at("dataFrame").at("originY");
  EXPECT_GT(originX, xmin);
  EXPECT_LT(originX, xmax);
  EXPECT_GT(originY, ymin);
  EXPECT_LT(originY, ymax);
  std::printf("[ measured ] together against one by one: %.3f mm\n", worst * 1000);

  // A source the user chooses applies to every file: the plane system's
  // numbers are then read as degrees, and that file lands elsewhere.
  const std::string chosen = folder / "chosen.kzmap";
  const CommandResult forced = Kzmap("import " + Quote(chosen) + " " + Quote(folder / "geo.shp") + " " +
                                     Quote(folder / "plane.shp") + " --from jgd2000:bl --to jgd2000:xy9");
  EXPECT_EQ(forced.out.find("ファイルごとに"), std::string::npos) << forced.out;
}

// Points far from the map's central meridian are told for the whole import,
// though each file of its own reference sets the converter up afresh.
TEST_F(ReferenceImportTest, FarPointsOfAnEarlierFileAreToldWhenTheNextHasAnotherReference) {
  std::vector<Point> far;
  for (const Point& p : kLine) far.push_back({p.first + 25.5, p.second});
  MakeShapefile(folder / "far.shp", FeatureCollection({LineFeature(far, "{\"n\":1}")}), "-a_srs EPSG:4612");
  std::vector<Point> near;
  for (const Point& p : kLine) near.push_back(CrsTransform("EPSG:4612", "EPSG:2451", p));
  MakeShapefile(folder / "near.shp", FeatureCollection({LineFeature(near, "{\"n\":2}")}), "-a_srs EPSG:2451");
  const CommandResult run = Kzmap("import " + Quote(folder / "far.kzmap") + " " + Quote(folder / "far.shp") + " " +
                                  Quote(folder / "near.shp") + " --to jgd2000:xy9 --scale 1000000");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("中央子午線から20°以上離れた点が 5 個あります"), std::string::npos) << run.out;
}

}  // namespace
