// Shapefiles written by GDAL in the shapes the other tests leave out
// (MultiPoint, Z and M records), and damaged ones: every record the index
// lists is read or named, holes stay holes whatever way they wind, and what
// the import changed is told with the records it touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ImportScenario.h"

namespace {

using namespace importtest;

constexpr const char* kJgdLatLong = "-a_srs EPSG:4612 -lco ENCODING=UTF-8";

class ShapeRecordsTest : public ImportScenario {
 protected:
  // ogr2ogr from a CSV of WKT geometries with an id column.
  std::string FromWkt(const std::string& name, const std::vector<std::string>& wkt, const std::string& options) {
    std::string csv = "WKT,id\n";
    for (size_t i = 0; i < wkt.size(); ++i) csv += "\"" + wkt[i] + "\"," + std::to_string(i + 1) + "\n";
    const std::string source = folder / (name + ".csv"), shp = folder / (name + ".shp");
    std::ofstream(source) << csv;
    const CommandResult made = RunMerged("ogr2ogr -f 'ESRI Shapefile' -a_srs EPSG:4612 " + options + " " + Quote(shp) +
                                               " " + Quote(source));
    EXPECT_EQ(made.status, 0) << made.out;
    return shp;
  }
  // Imports the files into one new map (plane system 9, 1:5000).
  void ImportAll(const std::vector<std::string>& files, const char* encoding = nullptr) {
    AnswerFiles(files, encoding);
    AnswerNewPlaneMap(9, "5000");
    ASSERT_TRUE(Import());
    ExpectCleanDialogs();
  }
  std::vector<sim::Art*> Art(const std::string& layer) { return LayerArt(host, layer); }
  // The id column of the art's row (the WKT column comes first).
  static std::string Id(const sim::Art& art) {
    const auto row = StoredRow(art);
    if (!row) return {};
    for (const StoredField& field : *row) {
      if (field.name == "id") return field.value;
    }
    return {};
  }
  // Every anchor of the art and all it holds, in drawing order.
  static void Anchors(const sim::Art& art, std::vector<AIRealPoint>& out) {
    for (const AIPathSegment& segment : art.Segments()) out.push_back(segment.p);
    for (const sim::Art* child : art.children) Anchors(*child, out);
  }
  static std::vector<AIRealPoint> LayerAnchors(const std::vector<sim::Art*>& art) {
    std::vector<AIRealPoint> out;
    for (const sim::Art* a : art) Anchors(*a, out);
    return out;
  }
};

TEST_F(ShapeRecordsTest, MultiPointOfEveryKindLiesWhereTheSamePointsDo) {
  const std::vector<std::string> points = {"POINT (139.70 35.60)", "POINT (139.71 35.61)", "POINT (139.72 35.62)"};
  const std::string single = FromWkt("single", points, "-nlt POINT");
  const std::string plain = FromWkt("plain", {"MULTIPOINT ((139.70 35.60),(139.71 35.61),(139.72 35.62))"}, "-nlt MULTIPOINT");
  const std::string z = FromWkt("z", {"MULTIPOINT Z ((139.70 35.60 5),(139.71 35.61 6),(139.72 35.62 7))"}, "-nlt MULTIPOINT25D");
  const std::string m = FromWkt("m", {"MULTIPOINT M ((139.70 35.60 1),(139.71 35.61 2),(139.72 35.62 3))"}, "-nlt MULTIPOINTM");
  ImportAll({single, plain, z, m});
  EXPECT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();
  // Topmost first: the single points in reverse file order.
  std::vector<AIRealPoint> expected = LayerAnchors(Art("single"));
  std::reverse(expected.begin(), expected.end());
  ASSERT_EQ(expected.size(), 3u * 4u);  // four corners a mark
  for (const char* layer : {"plain", "z", "m"}) {
    SCOPED_TRACE(layer);
    const std::vector<sim::Art*> art = Art(layer);
    ASSERT_EQ(art.size(), 1u);
    ASSERT_EQ(art[0]->type, kGroupArt);
    EXPECT_EQ(Id(*art[0]), "1");
    std::vector<AIRealPoint> drawn = LayerAnchors(art);
    std::reverse(drawn.begin(), drawn.end());
    ASSERT_EQ(drawn.size(), expected.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
      EXPECT_FLOAT_EQ(drawn[i].h, expected[i].h);
      EXPECT_FLOAT_EQ(drawn[i].v, expected[i].v);
    }
  }
}

TEST_F(ShapeRecordsTest, ZAndMLinesAndPolygonsLieWhereTheirPlainTwinsDo) {
  const std::string line = "LINESTRING (139.70 35.60,139.71 35.615,139.72 35.61)";
  const std::string polygon = "POLYGON ((139.70 35.60,139.70 35.62,139.73 35.62,139.73 35.60,139.70 35.60),"
                              "(139.71 35.605,139.72 35.605,139.72 35.61,139.71 35.605))";
  // One geometry kind a Shapefile: a file each.
  const std::string lines2d = FromWkt("l2", {line}, "-nlt LINESTRING");
  const std::string linesZ = FromWkt("lz", {"LINESTRING Z (139.70 35.60 1,139.71 35.615 2,139.72 35.61 3)"}, "-nlt LINESTRING25D");
  const std::string linesM = FromWkt("lm", {"LINESTRING M (139.70 35.60 1,139.71 35.615 2,139.72 35.61 3)"}, "-nlt LINESTRINGM");
  const std::string rings2d = FromWkt("p2", {polygon}, "-nlt POLYGON");
  const std::string ringsZ = FromWkt("pz",
                                     {"POLYGON Z ((139.70 35.60 1,139.70 35.62 1,139.73 35.62 1,139.73 35.60 1,139.70 35.60 1),"
                                      "(139.71 35.605 2,139.72 35.605 2,139.72 35.61 2,139.71 35.605 2))"},
                                     "-nlt POLYGON25D");
  const std::string ringsM = FromWkt("pm",
                                     {"POLYGON M ((139.70 35.60 1,139.70 35.62 1,139.73 35.62 1,139.73 35.60 1,139.70 35.60 1),"
                                      "(139.71 35.605 2,139.72 35.605 2,139.72 35.61 2,139.71 35.605 2))"},
                                     "-nlt POLYGONM");
  ImportAll({lines2d, linesZ, linesM, rings2d, ringsZ, ringsM});
  EXPECT_TRUE(AlertTextsBesidesArtboardAdvice().empty()) << AlertTextsBesidesArtboardAdvice().front();
  for (const auto& [twin, layers] : {std::pair<const char*, std::vector<const char*>>{"l2", {"lz", "lm"}},
                                     std::pair<const char*, std::vector<const char*>>{"p2", {"pz", "pm"}}}) {
    // GDAL may write a ring of the twins the other way round: the anchors as a set.
    const auto sorted = [](std::vector<AIRealPoint> points) {
      std::sort(points.begin(), points.end(),
                [](const AIRealPoint& a, const AIRealPoint& b) { return a.h != b.h ? a.h < b.h : a.v < b.v; });
      return points;
    };
    const std::vector<AIRealPoint> expected = sorted(LayerAnchors(Art(twin)));
    ASSERT_FALSE(expected.empty());
    for (const char* layer : layers) {
      SCOPED_TRACE(layer);
      ASSERT_EQ(Art(layer).size(), Art(twin).size());
      EXPECT_EQ(Art(layer)[0]->type, Art(twin)[0]->type);
      const std::vector<AIRealPoint> drawn = sorted(LayerAnchors(Art(layer)));
      ASSERT_EQ(drawn.size(), expected.size());
      for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_FLOAT_EQ(drawn[i].h, expected[i].h);
        EXPECT_FLOAT_EQ(drawn[i].v, expected[i].v);
      }
    }
  }
}

// Writes a big-endian 32-bit word at the byte offset of the file.
void PatchBigWord(const std::string& path, std::streamoff at, uint32_t value) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                         static_cast<char>(value)};
  file.seekp(at);
  file.write(bytes, 4);
}

TEST_F(ShapeRecordsTest, EveryRecordTheIndexListsIsReadOrNamed) {
  const std::string shp = FromWkt("damaged",
                                  {"POINT (139.70 35.60)", "POINT (139.71 35.61)", "POINT (139.72 35.62)",
                                   "POINT (139.73 35.63)", "POINT (139.74 35.64)"},
                                  "-nlt POINT");
  // The index sends records 2 and 4 past the end of the main file.
  const std::string shx = folder / "damaged.shx";
  PatchBigWord(shx, 100 + 8 * 1, 0x00100000);
  PatchBigWord(shx, 100 + 8 * 3, 0x7FFFFFF0);
  ImportAll({shp});
  std::vector<std::string> ids;
  for (const sim::Art* art : Art("damaged")) ids.insert(ids.begin(), Id(*art));
  EXPECT_EQ(ids, (std::vector<std::string>{"1", "3", "5"}));
  EXPECT_EQ(AlertTextsBesidesArtboardAdvice(), (std::vector<std::string>{"次のファイルの次のレコードは読めないため、読み込んでいません（レコード番号）：\n" +
                                                    shp + ": 2, 4（計 2 件）"}));
}

// Reverses the points of one part of the first polygon record in place.
void ReversePart(const std::string& shp, int part) {
  std::fstream file(shp, std::ios::in | std::ios::out | std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto little = [&bytes](size_t at) {
    int32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
  };
  const size_t content = 100 + 8;  // after the record header
  const int32_t parts = little(content + 36), points = little(content + 40);
  const size_t starts = content + 44, first = starts + 4 * static_cast<size_t>(parts);
  const int32_t begin = little(starts + 4 * part);
  const int32_t end = part + 1 < parts ? little(starts + 4 * (part + 1)) : points;
  for (int32_t a = begin, b = end - 1; a < b; ++a, --b) {
    std::swap_ranges(bytes.begin() + first + 16 * a, bytes.begin() + first + 16 * a + 16, bytes.begin() + first + 16 * b);
  }
  file.seekp(0);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double SignedArea(const sim::Art& path) {
  double area = 0;
  for (size_t i = 0; i < path.Segments().size(); ++i) {
    const AIRealPoint& p = path.Segments()[i].p;
    const AIRealPoint& q = path.Segments()[(i + 1) % path.Segments().size()].p;
    area += double(p.h) * q.v - double(q.h) * p.v;
  }
  return area / 2;
}

TEST_F(ShapeRecordsTest, AHoleWoundLikeItsOuterRingIsStillAHole) {
  const std::string shp = FromWkt("park",
                                  {"POLYGON ((139.70 35.60,139.70 35.62,139.73 35.62,139.73 35.60,139.70 35.60),"
                                   "(139.71 35.605,139.72 35.605,139.72 35.61,139.71 35.61,139.71 35.605))"},
                                  "-nlt POLYGON");
  ReversePart(shp, 1);
  ImportAll({shp});
  const std::vector<sim::Art*> art = Art("park");
  ASSERT_EQ(art.size(), 1u);
  ASSERT_EQ(art[0]->type, kCompoundPathArt);
  ASSERT_EQ(art[0]->children.size(), 2u);
  // Both rings run the same way, so only even-odd filling leaves the hole open
  // (the picture reads the rule from the compound path's topmost path).
  EXPECT_GT(SignedArea(*art[0]->children[0]) * SignedArea(*art[0]->children[1]), 0);
  for (const sim::Art* ring : art[0]->children) EXPECT_TRUE(ring->Style().evenOdd);
}

TEST_F(ShapeRecordsTest, RecordsDrawnWithoutSomeVerticesAreNamed) {
  const std::string shp = FromWkt("rings",
                                  {"POLYGON ((139.70 35.60,139.70 35.62,139.73 35.62,139.73 35.60,139.70 35.60))",
                                   "POLYGON ((139.70 35.60,139.70 95.0,139.73 35.62,139.73 35.60,139.70 35.60))",
                                   "POLYGON ((139.71 35.60,139.71 35.61,139.72 35.61,139.71 35.60))"},
                                  "-nlt POLYGON");
  ImportAll({shp});
  std::vector<std::string> alerts = AlertTexts();
  ASSERT_FALSE(alerts.empty());
  EXPECT_NE(std::find(alerts.begin(), alerts.end(),
                      "次のファイルの次のレコードは、座標を変換できない頂点を除いて描画しました（レコード番号）：\n" + shp +
                          ": 2（計 1 件）"),
            alerts.end())
      << alerts.front();
  EXPECT_NE(std::find(alerts.begin(), alerts.end(), "座標を変換できない点が 1 個あったため、描画していません"), alerts.end());
}

TEST_F(ShapeRecordsTest, ValueBytesThatAreNotTextInTheChosenEncodingAreCounted) {
  const std::string shp = folder / "sjis.shp";
  MakeShapefile(shp, FeatureCollection({PointFeature(139.70, 35.60, "{\"name\":\"東京タワー\"}"),
                                        PointFeature(139.71, 35.61, "{\"name\":\"abc\"}")}),
                "-a_srs EPSG:4612 -lco ENCODING=CP932");
  const CommandResult counted = RunMerged(
      "python3 -c 'print(\"東京タワー\".encode(\"cp932\").decode(\"utf-8\", \"replace\").count(\"\\ufffd\"))'");
  ASSERT_EQ(counted.status, 0) << counted.out;
  ImportAll({shp}, "UTF-8");
  EXPECT_EQ(AlertTexts(), (std::vector<std::string>{"sjis.shp には UTF-8 の文字として読めないバイトが " +
                                                    counted.out.substr(0, counted.out.find('\n')) +
                                                    " 個あり、「\xEF\xBF\xBD」に置き換えました。シフトJIS で読み込んでみてください"}));
}

TEST_F(ShapeRecordsTest, AFileSetNamedInUpperCaseIsRead) {
  const std::string shp = FromWkt("up", {"POINT (139.70 35.60)", "POINT (139.71 35.61)"}, "-nlt POINT -lco ENCODING=CP932");
  for (const auto& [lower, upper] : {std::pair{"shp", "SHP"}, std::pair{"shx", "SHX"}, std::pair{"dbf", "DBF"},
                                     std::pair{"prj", "PRJ"}, std::pair{"cpg", "CPG"}}) {
    std::filesystem::rename(folder / (std::string("up.") + lower), folder / (std::string("UP.") + upper));
  }
  ImportAll({folder / "UP.SHP"});
  EXPECT_TRUE(AlertTexts().empty()) << AlertTexts().front();
  ASSERT_EQ(Art("UP").size(), 2u);
  EXPECT_EQ(Id(*Art("UP")[0]), "2");
}

}  // namespace
