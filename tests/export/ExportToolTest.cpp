// kzmap export as a user runs it: a map file made here, the tool's options
// turned into the dialog, and the files it writes read by GDAL and Python.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "ExportTestHost.h"
#include "export/CShapeFileExporter.h"
#include "resources/DialogIds.h"
#include "sim/DocumentFile.h"

namespace {

using kztest::ExportTest;
using kztest::Field;
using kztest::Quote;
using kztest::ReadFile;
using kztest::RunCommand;
using sim::DialogAction;

// Shapefiles that GDAL writes from WKT, UTF-8; plane system IX unless told.
kztest::CommandResult GdalShapefile(const std::filesystem::path& csv, const std::filesystem::path& shp,
                                    const std::string& text, const std::string& options = "-a_srs EPSG:2451") {
  std::ofstream(csv) << text;
  return RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(shp.string()) + " " + Quote(csv.string()) +
                    " -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO -lco ENCODING=UTF-8 " + options);
}

class ExportToolTest : public ExportTest {
 protected:
  // Plane rectangular system 9 at 1:3600 from (1000, 2000): two layers, a
  // square with an attribute on 道路 and a symbol on 河川.
  void SetUp() override {
    AddPlaneFrame(1000, 2000);
    sim::Layer& roads = host.AddLayer("道路");
    SetLayerFields(roads, {Field("名前", 0, 20)});
    sim::Art& square = host.AddPath(*roads.group, {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true);
    host.EditStyle(&square, [&](AIPathStyle& style) {
      style.fillPaint = true;
    });
    SetAttributes(square, {Field("名前", 0, 20, 0, "四角")});
    sim::Layer& rivers = host.AddLayer("河川");
    host.AddSymbol(*rivers.group, {10, 40, 30, 20});
    map = Scratch("map.kzmap").string();
    sim::SaveDocumentFile(*document, map);
  }
  kztest::CommandResult Kzmap(const std::string& arguments) {
    return RunCommand("XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " " + Quote(KZ_TOOL_FILE) +
                      " export " + Quote(map) + " " + arguments);
  }
  std::string OgrInfo(const std::string& name) {
    const auto info = RunCommand("ogrinfo -ro -al " + Quote(Scratch(name).string()));
    EXPECT_EQ(info.err, "");
    return info.out;
  }

  std::string map;
};

TEST_F(ExportToolTest, ShapefileOfOneLayer) {
  const auto run = Kzmap(Quote(Scratch("road.shp").string()) +
                         " --type polygon --target layer:道路 --layer-field --to jgd2000:xy9 --encoding utf8");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string info = OgrInfo("road.shp");
  EXPECT_NE(info.find("Feature Count: 1"), std::string::npos) << info;
  EXPECT_NE(info.find("名前 (String) = 四角"), std::string::npos) << info;
  EXPECT_NE(info.find("AI_LAYER (String) = 道路"), std::string::npos) << info;
  // (x, y) = (1000 + 1.27 h, 2000 + 1.27 v), clockwise.
  const std::vector<kztest::Feature> features = kztest::Features(info);
  ASSERT_EQ(features.size(), 1u);
  EXPECT_EQ(features[0].shape, "POLYGON ((# #,# #,# #,# #,# #))");
  const std::vector<double> expected{1000, 2000, 1000, 2012.7, 1012.7, 2012.7, 1012.7, 2000, 1000, 2000};
  ASSERT_EQ(features[0].numbers.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(features[0].numbers[i], expected[i], 1e-6) << i;
  EXPECT_EQ(ReadFile(Scratch("road.cpg")), "UTF-8");
}

TEST_F(ExportToolTest, CsvOfEveryLayerAndOneFilePerLayer) {
  ASSERT_EQ(Kzmap(Quote(Scratch("all.csv").string()) + " --target all --encoding utf8").status, 0);
  EXPECT_EQ(ReadFile(Scratch("all.csv")),
            "\xEF\xBB\xBF平面直角X座標(m),平面直角Y座標(m),名前\r\n"
            "2006.350000000,1006.350000000,四角\r\n"
            "2038.100000000,1025.400000000,\r\n");
  const auto run = Kzmap(Quote(Scratch("layers").string()) + " --format tsv --target visible --per-layer");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(std::filesystem::exists(Scratch("layers/道路.txt")));
  EXPECT_TRUE(std::filesystem::exists(Scratch("layers/河川.txt")));
}

// A user's round trip with the tool alone: a Shapefile made by GDAL (plane
// system IX, UTF-8, a polygon with a hole and one of two islands, the smaller
// first) imported into a new UTM map and exported back to system IX.
TEST_F(ExportToolTest, ImportedFileComesBackThroughTheTool) {
  const auto made = GdalShapefile(
      Scratch("parks.csv"), Scratch("parks.shp"),
      "WKT,NAME,AREA\n"
      "\"POLYGON ((-5000 -35000,-5000 -34900,-4900 -34900,-4900 -35000,-5000 -35000),"
      "(-4980 -34980,-4920 -34980,-4920 -34920,-4980 -34920,-4980 -34980))\",池のある公園,9640.5\n"
      "\"MULTIPOLYGON (((-4790 -35000,-4790 -34980,-4770 -34980,-4770 -35000,-4790 -35000)),"
      "((-4850 -35000,-4850 -34950,-4800 -34950,-4800 -35000,-4850 -35000)))\",二つの島,2900\n",
      "-a_srs EPSG:2451");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string config = "XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " ";
  const std::string utmMap = Quote(Scratch("utm.kzmap").string());
  const auto imported = RunCommand(config + Quote(KZ_TOOL_FILE) + " import " + utmMap + " " +
                                   Quote(Scratch("parks.shp").string()) + " --to jgd2000:utm54 --scale 5000");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const auto exported = RunCommand(config + Quote(KZ_TOOL_FILE) + " export " + utmMap + " " +
                                   Quote(Scratch("back.shp").string()) +
                                   " --type polygon --target layer:parks --to jgd2000:xy9 --encoding utf8");
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.err.find("書き出しています[ parks ] 1 / 2"), std::string::npos) << exported.err;  // progress

  const std::vector<kztest::Feature> before = kztest::Features(OgrInfo("parks.shp"));
  const std::vector<kztest::Feature> after = kztest::Features(OgrInfo("back.shp"));
  ASSERT_EQ(after.size(), 2u);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i].fields, before[i].fields);
    ASSERT_EQ(after[i].shape, before[i].shape);
    for (size_t n = 0; n < before[i].numbers.size(); ++n)
      EXPECT_NEAR(after[i].numbers[n], before[i].numbers[n], 0.001) << "feature " << i << " number " << n;
  }
  EXPECT_EQ(ReadFile(Scratch("back.cpg")), "UTF-8");
  const auto srs = RunCommand("gdalsrsinfo -e " + Quote(Scratch("back.prj").string()));
  EXPECT_NE(srs.out.find("EPSG:2451"), std::string::npos) << srs.out << srs.err;
}

// A MultiPoint file made by GDAL goes through import (a group of marks a
// record) and comes back as one MultiPoint record each, or as one point per
// mark with its record's row.
TEST_F(ExportToolTest, ImportedMultiPointsComeBackThroughTheTool) {
  const auto made = GdalShapefile(
      Scratch("wells.csv"), Scratch("wells.shp"),
      "WKT,NAME,DEPTH\n"
      "\"MULTIPOINT ((-5000 -35000),(-4950.5 -34980.25),(-4900 -35010))\",東の井戸,12.5\n"
      "\"MULTIPOINT ((-4800.125 -34900.75))\",一本井戸,3\n"
      "\"MULTIPOINT ((-4700 -34800),(-4690 -34790))\",西の井戸,40.25\n",
      "-nlt MULTIPOINT -a_srs EPSG:2451");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string config = "XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " ";
  const std::string utmMap = Quote(Scratch("wells.kzmap").string());
  const auto imported = RunCommand(config + Quote(KZ_TOOL_FILE) + " import " + utmMap + " " +
                                   Quote(Scratch("wells.shp").string()) + " --to jgd2000:utm54 --scale 5000");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::vector<kztest::Feature> before = kztest::Features(OgrInfo("wells.shp"));
  ASSERT_EQ(before.size(), 3u);

  const auto multi = RunCommand(config + Quote(KZ_TOOL_FILE) + " export " + utmMap + " " +
                                Quote(Scratch("back.shp").string()) +
                                " --type multipoint --target layer:wells --to jgd2000:xy9 --encoding utf8");
  ASSERT_EQ(multi.status, 0) << multi.err;
  const std::vector<kztest::Feature> after = kztest::Features(OgrInfo("back.shp"));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i].fields, before[i].fields);
    ASSERT_EQ(after[i].shape, before[i].shape);
    for (size_t n = 0; n < before[i].numbers.size(); ++n)
      EXPECT_NEAR(after[i].numbers[n], before[i].numbers[n], 0.001) << "feature " << i << " number " << n;
  }

  // As points: a record a mark, in the file's order, each with its row.
  const auto single = RunCommand(config + Quote(KZ_TOOL_FILE) + " export " + utmMap + " " +
                                 Quote(Scratch("points.shp").string()) +
                                 " --type point --target layer:wells --to jgd2000:xy9 --encoding utf8");
  ASSERT_EQ(single.status, 0) << single.err;
  const std::vector<kztest::Feature> points = kztest::Features(OgrInfo("points.shp"));
  size_t next = 0;
  for (const kztest::Feature& record : before) {
    for (size_t n = 0; n + 1 < record.numbers.size(); n += 2, ++next) {
      ASSERT_LT(next, points.size());
      EXPECT_EQ(points[next].shape, "POINT (# #)");
      EXPECT_EQ(points[next].fields, record.fields);
      ASSERT_EQ(points[next].numbers.size(), 2u);
      EXPECT_NEAR(points[next].numbers[0], record.numbers[n], 0.001) << next;
      EXPECT_NEAR(points[next].numbers[1], record.numbers[n + 1], 0.001) << next;
    }
  }
  EXPECT_EQ(points.size(), next);
}

// Outside a group a mark is a MultiPoint record of one point: a Shapefile
// holds one shape type, and a Point record in a MultiPoint file is damage.
TEST_F(ExportToolTest, AMarkOutsideAGroupIsAMultiPointOfOne) {
  const auto run = Kzmap(Quote(Scratch("river.shp").string()) + " --type multipoint --target layer:河川 --to jgd2000:xy9");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<kztest::Feature> features = kztest::Features(OgrInfo("river.shp"));
  ASSERT_EQ(features.size(), 1u);
  EXPECT_EQ(features[0].shape, "MULTIPOINT ((# #))");
  ASSERT_EQ(features[0].numbers.size(), 2u);
  // The symbol's centre (20, 30): (1000 + 1.27 h, 2000 + 1.27 v).
  EXPECT_NEAR(features[0].numbers[0], 1025.4, 1e-6);
  EXPECT_NEAR(features[0].numbers[1], 2038.1, 1e-6);
}

// The artboard holds single-precision points: at 1:200,000 a vertex a few
// hundred points from the origin of the page is placed to about 2e-8°.
constexpr double kArtboardDegrees = 5e-8;

// A polygon at the 180th meridian (-180° to -179.8°, JGD2000 latitude and
// longitude, made by GDAL) imported into a new latitude/longitude map and
// exported again: it keeps its longitudes, instead of the -180° corners
// jumping to +180° across the whole map.
TEST_F(ExportToolTest, PolygonAtTheAntimeridianComesBackUnchanged) {
  const auto made = GdalShapefile(
      Scratch("dateline.csv"), Scratch("dateline.shp"),
      "WKT,NAME\n"
      "\"POLYGON ((-180 35,-180 35.1,-179.8 35.1,-179.8 35,-179.9 34.95,-180 35))\",日付変更線\n",
      "-a_srs EPSG:4612");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string config = "XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " ";
  const std::string blMap = Quote(Scratch("bl.kzmap").string());
  const auto imported = RunCommand(config + Quote(KZ_TOOL_FILE) + " import " + blMap + " " +
                                   Quote(Scratch("dateline.shp").string()) + " --to jgd2000:bl --scale 200000");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const auto exported = RunCommand(config + Quote(KZ_TOOL_FILE) + " export " + blMap + " " +
                                   Quote(Scratch("back.shp").string()) +
                                   " --type polygon --target layer:dateline --to jgd2000:bl --encoding utf8");
  ASSERT_EQ(exported.status, 0) << exported.err;

  const std::vector<kztest::Feature> before = kztest::Features(OgrInfo("dateline.shp"));
  const std::vector<kztest::Feature> after = kztest::Features(OgrInfo("back.shp"));
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].fields, before[0].fields);
  ASSERT_EQ(after[0].shape, before[0].shape);
  double worst = 0;
  for (size_t n = 0; n < before[0].numbers.size(); ++n) {
    const double moved = std::fabs(after[0].numbers[n] - before[0].numbers[n]);
    worst = std::max(worst, moved);
    EXPECT_LT(moved, kArtboardDegrees) << "number " << n << ": " << after[0].numbers[n];
  }
  std::printf("antimeridian polygon: worst %.3g deg\n", worst);
}

// Points 25° east of system IX's meridian are drawn and written exactly, and
// the user hears once per command that the map is much distorted there.
TEST_F(ExportToolTest, PointsFarFromTheCentralMeridianAreToldOncePerCommand) {
  std::ofstream(Scratch("far.csv")) << "lat,lon,name\n35,164.9,a\n35.5,165.2,b\n36,139.9,c\n";
  const std::string config = "XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " ";
  const std::string planeMap = Quote(Scratch("far.kzmap").string());
  const auto imported = RunCommand(config + Quote(KZ_TOOL_FILE) + " import " + planeMap + " " +
                                   Quote(Scratch("far.csv").string()) +
                                   " --from jgd2000:bl --to jgd2000:xy9 --scale 5000000");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string note = "中央子午線から20°以上離れた点が 2 個あります";
  EXPECT_NE(imported.err.find(note), std::string::npos) << imported.err;
  EXPECT_EQ(imported.err.find(note), imported.err.rfind(note)) << imported.err;
  const auto exported = RunCommand(config + Quote(KZ_TOOL_FILE) + " export " + planeMap + " " +
                                   Quote(Scratch("back.csv").string()) + " --target all --to jgd2000:bl");
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.err.find(note), std::string::npos) << exported.err;
  EXPECT_EQ(exported.err.find(note), exported.err.rfind(note)) << exported.err;
}

struct UsageCase {
  const char* arguments;
  const char* message;
};

TEST_F(ExportToolTest, UsageErrors) {
  const UsageCase cases[] = {
      {"out.csv --type polygon", "coordinate text files hold points only"},
      {"out.shp --encoding utf16", "Shapefiles are written in CP932 or UTF-8"},
      {"out.shp --accuracy 10", "--accuracy"},
      {"out.shp --to nowhere", "unknown coordinate reference 'nowhere'"},
      {"out.shp --to jgd2000:bl --no-convert", "cannot be used with"},
      {"out.shp --target current --per-layer", "--per-layer needs --target visible or all"},
      {"out.shp --kinds paths,lines", "lines"},
      {"out.shp --type polyline --kinds paths,texts", "points only"},
      {"out.shp --type polygon --kinds filled,シンボル", "points only"},
      {"out.shp --kinds compounds", "add unfilled, filled or groups"},
      {"out.shp --kinds elements", "add unfilled, filled or groups"},
      {"out.shp --type polyline --no-bezier --accuracy 3", "cannot be used with"},
      {"out.shp --type polyline --bezier --no-bezier", "cannot be used with"},
      {"out.shp --accuracy 3", "polylines and polygons only"},
      {"out.shp --bezier", "polylines and polygons only"},
  };
  for (const UsageCase& c : cases) {
    const auto run = Kzmap(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
  }
  const auto missing = Kzmap(Quote(Scratch("x.shp").string()) + " --target layer:無い");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no layer is titled \"無い\""), std::string::npos) << missing.err;
  const auto help = RunCommand(Quote(KZ_TOOL_FILE) + " export --help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--format", "--type", "--target", "--per-layer", "--to", "--no-convert", "--encoding",
                             "--kinds", "--bezier", "--no-bezier", "--accuracy", "--layer-field", "--text-field"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

// A file that was not written is a failure that names the file and the problem.
TEST_F(ExportToolTest, FilesNotWrittenFailTheRun) {
  const auto noFolder = Kzmap(Quote(Scratch("none/out.shp").string()));
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_NE(noFolder.err.find("none/out.shp: the folder"), std::string::npos) << noFolder.err;
  const auto cannotOpen = Kzmap("/proc/out.csv");
  EXPECT_EQ(cannotOpen.status, 1);
  EXPECT_NE(cannotOpen.err.find("/proc/out.csv: cannot be opened for writing"), std::string::npos) << cannotOpen.err;

  sim::Host bare;
  bare.NewDocument();
  bare.AddLayer("道路");
  const std::string plain = Scratch("plain.kzmap").string();
  sim::SaveDocumentFile(*bare.CurrentDocument(), plain);
  const auto unreferenced = RunCommand("XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " " +
                                       Quote(KZ_TOOL_FILE) + " export " + Quote(plain) + " " +
                                       Quote(Scratch("plain.shp").string()));
  EXPECT_EQ(unreferenced.status, 1);
  EXPECT_NE(unreferenced.err.find("plain.kzmap: the map has neither a data frame nor coordinate markers"),
            std::string::npos)
      << unreferenced.err;
}

// The rows of a delimited file as Python's csv module reads them, the two
// coordinates of each line to the millimetre.
std::string PythonRows(const std::filesystem::path& file, const std::string& encoding, const std::string& delimiter) {
  const char* script =
      "import csv,sys\n"
      "rows=list(csv.reader(open(sys.argv[1],encoding=sys.argv[2],newline=''),delimiter=sys.argv[3]))\n"
      "print(repr(rows[:1]+[['%.3f'%float(r[0]),'%.3f'%float(r[1])]+r[2:] for r in rows[1:]]))\n";
  const auto read = RunCommand("python3 -c " + Quote(script) + " " + Quote(file.string()) + " " + Quote(encoding) +
                               " " + Quote(delimiter));
  EXPECT_EQ(read.status, 0) << read.err;
  return read.out;
}

// A map drawn from GDAL's files of two parks (one with a hole), two roads and
// three stations, with a label beside each station, as a new user makes one.
class ExportKindsTest : public ExportToolTest {
 protected:
  void SetUp() override {
    ExportToolTest::SetUp();
    ASSERT_EQ(GdalShapefile(Scratch("parks.csv"), Scratch("parks.shp"),
                            "WKT,NAME\n"
                            "\"POLYGON ((-5000 -35000,-5000 -34900,-4900 -34900,-4900 -35000,-5000 -35000),"
                            "(-4980 -34980,-4920 -34980,-4920 -34920,-4980 -34920,-4980 -34980))\",池の公園\n"
                            "\"POLYGON ((-4850 -35000,-4850 -34950,-4800 -34950,-4800 -35000,-4850 -35000))\",丘\n")
                  .status,
              0);
    ASSERT_EQ(GdalShapefile(Scratch("roads.csv"), Scratch("roads.shp"),
                            "WKT,NAME\n"
                            "\"LINESTRING (-5010 -35010,-4790 -35010,-4790 -34890)\",外周\n"
                            "\"LINESTRING (-4875 -35010,-4875 -34890)\",中道\n")
                  .status,
              0);
    ASSERT_EQ(GdalShapefile(Scratch("stations.csv"), Scratch("stations.shp"),
                            "WKT,NAME\n\"POINT (-4990 -34990)\",東\n\"POINT (-4950 -34950)\",西\n"
                            "\"POINT (-4810 -34960)\",南\n")
                  .status,
              0);
    parkMap = Scratch("parks.kzmap").string();
    const auto imported =
        RunCommand(Config() + Quote(KZ_TOOL_FILE) + " import " + Quote(parkMap) + " " +
                   Quote(Scratch("parks.shp").string()) + " " + Quote(Scratch("roads.shp").string()) + " " +
                   Quote(Scratch("stations.shp").string()) + " --to jgd2000:xy9 --scale 5000 --encoding utf8");
    ASSERT_EQ(imported.status, 0) << imported.err;
    sim::Host reader;
    sim::Document& drawn = sim::LoadDocumentFile(reader, parkMap);
    sim::Layer* stations = reader.FindLayer("stations");
    ASSERT_NE(stations, nullptr);
    for (sim::Art* mark : reader.ArtOfLayer(*stations)) {
      if (mark->type == kPathArt) reader.AddPointText(*stations->group, mark->Segments()[0].p, "駅");
    }
    sim::SaveDocumentFile(drawn, parkMap);
  }
  std::string Config() { return "XDG_CONFIG_HOME=" + Quote(Scratch("config").string()) + " "; }
  kztest::CommandResult Export(const std::string& name, const std::string& options) {
    return RunCommand(Config() + Quote(KZ_TOOL_FILE) + " export " + Quote(parkMap) + " " +
                      Quote(Scratch(name).string()) + " --encoding utf8 " + options);
  }
  // The file's features against those of the file GDAL made, within a millimetre.
  void ExpectSameFeatures(const std::string& written, const std::string& source) {
    const std::vector<kztest::Feature> before = kztest::Features(OgrInfo(source));
    const std::vector<kztest::Feature> after = kztest::Features(OgrInfo(written));
    ASSERT_EQ(after.size(), before.size()) << written;
    for (size_t i = 0; i < before.size(); ++i) {
      EXPECT_EQ(after[i].fields, before[i].fields) << written;
      ASSERT_EQ(after[i].shape, before[i].shape) << written;
      for (size_t n = 0; n < before[i].numbers.size(); ++n)
        EXPECT_NEAR(after[i].numbers[n], before[i].numbers[n], 0.001) << written << " " << i << " " << n;
    }
  }

  std::string parkMap;
};

TEST_F(ExportKindsTest, EachTypeTakesWhatItMeansByDefault) {
  // Polygons: the parks alone, not the stations' marks nor the roads closed into rings.
  ASSERT_EQ(Export("polygons.shp", "--type polygon --target all").status, 0);
  ExpectSameFeatures("polygons.shp", "parks.shp");
  ASSERT_EQ(Export("filled.shp", "--type polygon --target all --kinds 塗りのあるパス").status, 0);
  ExpectSameFeatures("filled.shp", "parks.shp");

  // Polylines: the unfilled paths, so no park.
  ASSERT_EQ(Export("out-roads.shp", "--type polyline --target layer:roads").status, 0);
  ExpectSameFeatures("out-roads.shp", "roads.shp");
  ASSERT_EQ(Export("lines.shp", "--type polyline --target layer:parks").status, 0);
  EXPECT_TRUE(kztest::Features(OgrInfo("lines.shp")).empty());
  ASSERT_EQ(Export("outlines.shp", "--type polyline --target layer:parks --kinds filled").status, 0);
  EXPECT_EQ(kztest::Features(OgrInfo("outlines.shp")).size(), 2u);

  // Points: the stations' marks, not their labels, unless asked.
  ASSERT_EQ(Export("out-stations.shp", "--target layer:stations").status, 0);
  ExpectSameFeatures("out-stations.shp", "stations.shp");
  ASSERT_EQ(Export("labels.shp", "--target layer:stations --kinds texts --text-field").status, 0);
  const std::vector<kztest::Feature> labels = kztest::Features(OgrInfo("labels.shp"));
  ASSERT_EQ(labels.size(), 3u);
  for (const kztest::Feature& label : labels) EXPECT_EQ(label.fields.back(), "AI_TEXT=駅");
  ASSERT_EQ(Export("both.shp", "--target layer:stations --kinds unfilled,テキスト").status, 0);
  EXPECT_EQ(kztest::Features(OgrInfo("both.shp")).size(), 6u);
  ASSERT_EQ(Export("none.shp", "--target layer:stations --kinds filled").status, 0);
  EXPECT_TRUE(kztest::Features(OgrInfo("none.shp")).empty());
}

// An AI_LAYER column the file already had (an earlier export read back) is
// the column of the layer names: one column, current values, in both formats.
TEST_F(ExportKindsTest, AnExistingLayerColumnIsReused) {
  ASSERT_EQ(GdalShapefile(Scratch("old.csv"), Scratch("old.shp"),
                          "WKT,NAME,ai_layer\n\"POINT (-4990 -34990)\",東,古い層\n")
                .status,
            0);
  const auto imported = RunCommand(Config() + Quote(KZ_TOOL_FILE) + " import " + Quote(parkMap) + " " +
                                   Quote(Scratch("old.shp").string()) + " --encoding utf8");
  ASSERT_EQ(imported.status, 0) << imported.err;
  ASSERT_EQ(Export("again.shp", "--target layer:old --layer-field").status, 0);
  const std::vector<kztest::Feature> features = kztest::Features(OgrInfo("again.shp"));
  ASSERT_EQ(features.size(), 1u);
  EXPECT_EQ(features[0].fields, (std::vector<std::string>{"NAME=東", "ai_layer=old"}));  // its own name kept
  ASSERT_EQ(Export("again.csv", "--target layer:old --layer-field").status, 0);
  EXPECT_EQ(PythonRows(Scratch("again.csv"), "utf-8-sig", ","),
            "[['平面直角X座標(m)', '平面直角Y座標(m)', 'NAME', 'ai_layer'], "
            "['-34990.000', '-4990.000', '東', 'old']]\n");
}

// The tool flattens curves as the dialog does when left alone: accuracy 5.
TEST_F(ExportToolTest, CurvesAreFlattenedAsTheDialogDoesByDefault) {
  sim::Layer& curves = host.AddLayer("曲線");
  // An arch about 145 points long from (0, 0) to (100, 0).
  host.AddCurvedPath(*curves.group, {{{0, 0}, {0, 0}, {0, 80}, true}, {{100, 0}, {100, 80}, {100, 0}, true}}, false);
  sim::SaveDocumentFile(*document, map);
  ASSERT_EQ(Kzmap(Quote(Scratch("tool.shp").string()) + " --type polyline --target layer:曲線").status, 0);
  ASSERT_EQ(Kzmap(Quote(Scratch("five.shp").string()) + " --type polyline --target layer:曲線 --bezier --accuracy 5")
                .status,
            0);
  ASSERT_EQ(Kzmap(Quote(Scratch("chord.shp").string()) + " --type polyline --target layer:曲線 --no-bezier").status,
            0);

  // The dialog in the plug-in, with nothing changed but the layer, for a
  // user who last exported polylines (a point export unticks flattening).
  document->currentLayer = &curves;
  host.Preferences().Put(kPreferencePrefix, "exportDataType", int32_t{kExportPolyline});
  AnswerExport({}, Scratch("dialog.shp").string());
  CShapeFileExporter exporter(plugin);
  ASSERT_EQ(exporter.Run(), kNoErr);

  const std::vector<kztest::Feature> dialog = kztest::Features(OgrInfo("dialog.shp"));
  ASSERT_EQ(dialog.size(), 1u);
  EXPECT_GT(dialog[0].numbers.size(), 2u * 10);  // many pieces, not one chord
  for (const char* name : {"tool.shp", "five.shp"}) {
    const std::vector<kztest::Feature> tool = kztest::Features(OgrInfo(name));
    ASSERT_EQ(tool.size(), 1u) << name;
    EXPECT_EQ(tool[0].shape, dialog[0].shape) << name;
    EXPECT_EQ(tool[0].numbers, dialog[0].numbers) << name;
  }
  const std::vector<kztest::Feature> chord = kztest::Features(OgrInfo("chord.shp"));
  ASSERT_EQ(chord.size(), 1u);
  EXPECT_EQ(chord[0].shape, "LINESTRING (# #,# #)");
}

TEST_F(ExportToolTest, Utf16TextThroughTheTool) {
  const auto run = Kzmap(Quote(Scratch("wide.txt").string()) + " --target all --encoding utf16");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Scratch("wide.txt")).substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(PythonRows(Scratch("wide.txt"), "utf-16", "\t"),
            "[['平面直角X座標(m)', '平面直角Y座標(m)', '名前'], ['2006.350', '1006.350', '四角'], ['2038.100', '1025.400', '']]\n");
}

// The extension decides the format whatever its case, as on import.
TEST_F(ExportToolTest, ExtensionsInCapitals) {
  ASSERT_EQ(Kzmap(Quote(Scratch("UP.CSV").string()) + " --target all --encoding utf8").status, 0);
  EXPECT_FALSE(std::filesystem::exists(Scratch("UP.shp")));
  EXPECT_EQ(PythonRows(Scratch("UP.CSV"), "utf-8-sig", ","),
            "[['平面直角X座標(m)', '平面直角Y座標(m)', '名前'], ['2006.350', '1006.350', '四角'], ['2038.100', '1025.400', '']]\n");
  ASSERT_EQ(Kzmap(Quote(Scratch("UP.TSV").string()) + " --target all --encoding utf8").status, 0);
  EXPECT_EQ(ReadFile(Scratch("UP.TSV")).substr(0, 3 + 23), "\xEF\xBB\xBF平面直角X座標(m)\t");
}

}  // namespace
