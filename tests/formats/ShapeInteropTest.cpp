// Our Shapefiles read by shapelib's and GDAL's tools, and theirs read by our
// reader, on real runs of the tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "formats/CShapeFileWriter.h"
#include "formats/ShapeField.h"
#include "formats/ShapeTestSupport.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Field;
using kztest::Quote;
using kztest::ReadTriple;
using kztest::RunCommand;
using kztest::ScratchFolder;

// One shape as a peer tool prints it: its parts of flat points.
struct PeerShape {
  std::string type;
  std::vector<ShapePart> parts;
};

// shpdump -precision 17: "Shape:N (Type) ..." then vertex lines "(x,y, z[, m])",
// a "+" in front of the first vertex of every part after the first.
std::vector<PeerShape> ParseShpdump(const std::string& text) {
  std::vector<PeerShape> shapes;
  std::istringstream lines(text);
  const std::regex shape(R"(^Shape:\d+ \((\w+)\))");
  const std::regex vertex(R"(^\s*(\+)?\s*\(([-0-9.eE+]+),([-0-9.eE+]+),)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_search(line, match, shape)) {
      shapes.push_back({match[1], {}});
    } else if (!shapes.empty() && line.find("Bounds:") == std::string::npos &&
               line.find("to (") == std::string::npos && std::regex_search(line, match, vertex)) {
      auto& parts = shapes.back().parts;
      if (parts.empty() || match[1].matched) parts.emplace_back();
      parts.back().push_back({std::strtod(match[2].str().c_str(), nullptr), std::strtod(match[3].str().c_str(), nullptr)});
    }
  }
  return shapes;
}

// The parts of a WKT geometry: every innermost parenthesised list of points.
std::vector<ShapePart> WktParts(const std::string& wkt) {
  std::vector<ShapePart> parts;
  const std::regex list(R"(\(([^()]*)\))");
  for (auto it = std::sregex_iterator(wkt.begin(), wkt.end(), list); it != std::sregex_iterator(); ++it) {
    ShapePart part;
    std::istringstream points((*it)[1].str());
    for (std::string point; std::getline(points, point, ',');) {
      std::istringstream xy(point);
      ShapePoint p;
      xy >> p.x >> p.y;
      part.push_back(p);
    }
    parts.push_back(part);
  }
  return parts;
}

// ogr2ogr's CSV rows (WKT first), split on commas outside quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (char c : line) {
      if (c == '"') quoted = !quoted;
      else if (c == ',' && !quoted) cells.emplace_back();
      else cells.back() += c;
    }
    rows.push_back(cells);
  }
  return rows;
}

// GDAL's view of a Shapefile: header row, then one row per feature.
std::vector<std::vector<std::string>> GdalRows(const std::string& shp, const char* encoding) {
  const auto run = RunCommand("ogr2ogr -f CSV /vsistdout/ " + Quote(shp) + " -oo ENCODING=" + encoding +
                              " -lco GEOMETRY=AS_WKT -dim XY");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "") << "GDAL warned";
  return ParseCsv(run.out);
}

// dbfdump -m: "Record: N" then "NAME: value" lines; values trimmed.
std::vector<std::vector<std::string>> ShapelibValues(const std::string& dbf) {
  const auto run = RunCommand("dbfdump -m -r " + Quote(dbf));
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Record:", 0) == 0) {
      rows.emplace_back();
    } else if (!rows.empty() && line.find(": ") != std::string::npos) {
      std::string value = line.substr(line.find(": ") + 2);
      value.erase(0, value.find_first_not_of(' '));
      value.erase(value.find_last_not_of(' ') + 1);
      rows.back().push_back(value);
    }
  }
  return rows;
}

struct OurRecord {
  std::vector<ShapePart> parts;
  std::string name;  // UTF-8
  int32_t code;
  double value;
};

class ShapeInteropTest : public kztest::HostTest {
 protected:
  // Writes records of one type with a text, an integer and a real column.
  std::string WriteOurs(const char* file, int32_t type, int32_t encoding, const std::vector<OurRecord>& records,
                        bool withFields = true) {
    CShapeFileWriter writer;
    writer.Begin(type, encoding);
    if (withFields) {
      writer.AddField(Field("名称", kShapeFieldString, 20));
      writer.AddField(Field("CODE", kShapeFieldInteger, 6));
      writer.AddField(Field("VALUE", kShapeFieldReal, 12, 4));
    }
    const std::string path = folder.PathText(file);
    EXPECT_TRUE(writer.Create(ai::FilePath::FromPlatform(path)));
    for (const OurRecord& record : records) {
      if (withFields) {
        EXPECT_TRUE(writer.SetValues({Field("名称", kShapeFieldString, 20, 0, record.name.c_str()),
                                      Field("CODE", kShapeFieldInteger, 6, 0, std::to_string(record.code).c_str()),
                                      Field("VALUE", kShapeFieldReal, 12, 4, std::to_string(record.value).c_str())}));
      }
      if (type == kShapePoint) {
        EXPECT_TRUE(writer.WritePoint(record.parts[0][0].x, record.parts[0][0].y));
      } else if (type == kShapePolyLine) {
        EXPECT_TRUE(writer.WritePolyLine(record.parts));
      } else if (type == kShapePolygon) {
        EXPECT_TRUE(writer.WritePolygon(record.parts));
      }
    }
    EXPECT_TRUE(writer.Finish());
    return path;
  }

  // shapelib and GDAL both read back what we wrote, GDAL without a warning.
  void ExpectPeersRead(const std::string& shp, int32_t encoding, const std::vector<OurRecord>& records,
                       const char* shapelibType, bool withFields = true) {
    const auto dump = RunCommand("shpdump -validate -precision 17 " + Quote(shp));
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.err, "");
    const auto shapes = ParseShpdump(dump.out);
    ASSERT_EQ(shapes.size(), records.size()) << dump.out;
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(shapes[i].type, shapelibType);
      EXPECT_EQ(shapes[i].parts, records[i].parts) << "shapelib, record " << i;
    }
    const char* gdalEncoding = encoding == 17 ? "CP932" : "UTF-8";
    const auto rows = GdalRows(shp, gdalEncoding);
    ASSERT_EQ(rows.size(), records.size() + 1);
    const auto values = withFields ? ShapelibValues(shp.substr(0, shp.size() - 4) + ".dbf")
                                   : std::vector<std::vector<std::string>>();
    if (withFields) {
      EXPECT_EQ(rows[0], (std::vector<std::string>{"WKT", "名称", "CODE", "VALUE"}));
      ASSERT_EQ(values.size(), records.size());
    }
    for (size_t i = 0; i < records.size(); ++i) {
      SCOPED_TRACE("record " + std::to_string(i));
      EXPECT_EQ(WktParts(rows[i + 1][0]), records[i].parts) << rows[i + 1][0];
      if (!withFields) continue;
      ASSERT_EQ(rows[i + 1].size(), 4u);
      EXPECT_EQ(rows[i + 1][1], records[i].name);
      EXPECT_EQ(std::atoi(rows[i + 1][2].c_str()), records[i].code);
      EXPECT_DOUBLE_EQ(std::strtod(rows[i + 1][3].c_str(), nullptr), records[i].value);
      ASSERT_EQ(values[i].size(), 3u);
      const std::string text = ai::UnicodeString(values[i][0], static_cast<AICharacterEncoding>(encoding)).as_UTF8();
      EXPECT_EQ(text, records[i].name);
      EXPECT_EQ(std::atoi(values[i][1].c_str()), records[i].code);
      EXPECT_DOUBLE_EQ(std::strtod(values[i][2].c_str(), nullptr), records[i].value);
    }
  }

  ScratchFolder folder;
};

const std::vector<OurRecord> kPoints = {
    {{{{139.691706, 35.689487}}}, "東京都庁", 13, 1.5},
    {{{{135.520, 34.686}}}, "大阪 ①", -27, -0.25},
    {{{{-0.5, 1e-3}}}, "plain text", 0, 12345.6789},
};

const std::vector<OurRecord> kLines = {
    {{{{0, 0}, {1, 1}, {2, 0}}, {{10, 10}, {11, 12}}}, "二本", 2, 0},
    {{{{-5, -5}, {5, 5}}}, "一本", 1, 3.25},
};

// Outer rings clockwise, holes counter-clockwise, as the format wants.
const std::vector<OurRecord> kPolygons = {
    {{{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, {{2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}}}, "穴あき", 1, 100},
    {{{{20, 0}, {20, 1}, {21, 1}, {21, 0}, {20, 0}}, {{30, 0}, {30, 1}, {31, 0}, {30, 0}}}, "二つ", 2, -1},
};

TEST_F(ShapeInteropTest, OurPointsInShiftJis) {
  ExpectPeersRead(WriteOurs("points.shp", kShapePoint, 17, kPoints), 17, kPoints, "Point");
}

TEST_F(ShapeInteropTest, OurPointsInUtf8) {
  ExpectPeersRead(WriteOurs("points8.shp", kShapePoint, 1, kPoints), 1, kPoints, "Point");
}

TEST_F(ShapeInteropTest, OurMultiPartPolyLines) {
  ExpectPeersRead(WriteOurs("lines.shp", kShapePolyLine, 17, kLines), 17, kLines, "Arc");
}

TEST_F(ShapeInteropTest, OurPolygonsWithHolesAndSeveralOuters) {
  const std::string shp = WriteOurs("polys.shp", kShapePolygon, 1, kPolygons);
  ExpectPeersRead(shp, 1, kPolygons, "Polygon");
  const auto rows = GdalRows(shp, "UTF-8");
  EXPECT_EQ(rows[1][0].rfind("POLYGON ((", 0), 0u) << "one polygon with a hole";
  EXPECT_EQ(rows[2][0].rfind("MULTIPOLYGON", 0), 0u) << "two outer rings";
  const auto validate = RunCommand("shpdump -validate " + Quote(shp) + " | tail -1");
  EXPECT_EQ(validate.out, "0 object has invalid ring orderings.\n");
}

TEST_F(ShapeInteropTest, OurFileWithoutRecords) {
  const std::string shp = WriteOurs("none.shp", kShapePolygon, 17, {});
  ExpectPeersRead(shp, 17, {}, "Polygon");
  const auto info = RunCommand("ogrinfo -ro -so -al " + Quote(shp));
  EXPECT_EQ(info.err, "");
  EXPECT_NE(info.out.find("Feature Count: 0"), std::string::npos) << info.out;
}

TEST_F(ShapeInteropTest, OurFileWithoutFields) {
  const std::string shp = WriteOurs("bare.shp", kShapePolyLine, 17, kLines, false);
  ExpectPeersRead(shp, 17, kLines, "Arc", false);
  // dbfdump treats a table without fields the same way for its own tables.
  const auto ours = RunCommand("dbfdump -h " + Quote(folder.PathText("bare.dbf")));
  const auto theirs = RunCommand("dbfcreate " + Quote(folder.PathText("theirs")) + " && dbfdump -h " +
                                 Quote(folder.PathText("theirs.dbf")));
  EXPECT_EQ(ours.status, theirs.status);
  EXPECT_EQ(ours.out, theirs.out);
  EXPECT_NE(ours.out.find("no fields"), std::string::npos) << ours.out;
}

// Files made by shapelib's command-line tools, read by our reader.
TEST_F(ShapeInteropTest, ShapelibFilesReadTheSame) {
  struct Made {
    const char* type;
    const char* adds;  // one shpadd argument list per record, '|' between records
  } made[] = {
      {"point", "1.25 -2|-7.5 3e5|"},
      {"pointz", "-z 1 2 3|-z 4 5 6"},
      {"arcm", "-m 1.5 2 7 3 4 8 + 5 6 9||-m 0 0 0 1 1 1"},
      {"polygonz", "-z 0 0 1 0 2 1 2 2 3 0 0 4 + 5 5 5 6 6 6 5 5 5 5 5 5|-z 9 9 9 9 8 9 8 8 9 9 9 9"},
      {"multipoint", "1 2 3 4|5 6"},
  };
  const std::string name = kztest::ToShiftJis("地図の名前");
  for (const Made& m : made) {
    SCOPED_TRACE(m.type);
    const std::string base = folder.PathText(m.type);
    std::string script = "shpcreate " + Quote(base) + " " + m.type + " && dbfcreate " + Quote(base) +
                         " -s NAME 16 -n NUM 8 2";
    std::istringstream adds(m.adds);
    int row = 0;
    for (std::string add; std::getline(adds, add, '|'); ++row) {
      script += " && shpadd " + Quote(base) + " " + add;
      script += " && dbfadd " + Quote(base) + " " + Quote(row % 2 ? name : "row") + " " + std::to_string(row) + ".5";
    }
    const auto made = RunCommand(script);
    ASSERT_EQ(made.status, 0) << made.err;
    const auto dump = RunCommand("shpdump -precision 17 " + Quote(base + ".shp"));
    ASSERT_EQ(dump.status, 0);
    const auto shapes = ParseShpdump(dump.out);
    const auto values = ShapelibValues(base + ".dbf");
    const auto ours = ReadTriple(base + ".shp");
    ASSERT_TRUE(ours.complete);
    ASSERT_EQ(ours.records.size(), shapes.size());
    for (size_t i = 0; i < shapes.size(); ++i) {
      SCOPED_TRACE(i);
      const bool drawn = shapes[i].type != "NullShape" && shapes[i].type.find("MultiPoint") == std::string::npos;
      EXPECT_EQ(ours.records[i].parts, drawn ? shapes[i].parts : std::vector<ShapePart>());
      EXPECT_EQ(ours.records[i].number, static_cast<int32_t>(i + 1));
      ASSERT_EQ(ours.records[i].values.size(), 2u);
      EXPECT_EQ(TrimSpaces(ai::UnicodeString(ours.records[i].values[0], kAIShiftJISCharacterEncoding)).as_UTF8(),
                ai::UnicodeString(values[i][0], kAIShiftJISCharacterEncoding).as_UTF8());
      EXPECT_DOUBLE_EQ(std::strtod(ours.records[i].values[1].c_str(), nullptr), std::strtod(values[i][1].c_str(), nullptr));
    }
  }
}

// Files made by GDAL from a GeoJSON source, read by our reader and compared
// with what GDAL itself prints for them.
TEST_F(ShapeInteropTest, GdalFilesReadTheSame) {
  const std::string source = folder.Write("source.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"NAME":"東京","CODE":13,"VAL":1.25},"geometry":{"type":"MultiLineString","coordinates":[[[139.5,35.5,1],[139.75,35.25,2]],[[140,36,3],[140.5,36.5,4],[141,37,5]]]}},
{"type":"Feature","properties":{"NAME":"大阪","CODE":27,"VAL":-3.5},"geometry":null},
{"type":"Feature","properties":{"NAME":"abc","CODE":1,"VAL":0},"geometry":{"type":"MultiLineString","coordinates":[[[1,2,3],[4,5,6]]]}}
]})");
  const std::string polygons = folder.Write("polygons.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"NAME":"穴","CODE":1,"VAL":2.5},"geometry":{"type":"Polygon","coordinates":[[[0,0,1],[10,0,1],[10,10,1],[0,10,1],[0,0,1]],[[2,2,5],[2,4,5],[4,4,5],[4,2,5],[2,2,5]]]}},
{"type":"Feature","properties":{"NAME":"点々","CODE":2,"VAL":0.5},"geometry":{"type":"MultiPoint","coordinates":[[1,1,1],[2,2,2]]}},
{"type":"Feature","properties":{"NAME":"z点","CODE":3,"VAL":-0.5},"geometry":{"type":"Point","coordinates":[7,8,9]}}
]})");
  struct Made {
    const char* file;
    const char* input;
    const char* options;
    const char* encoding;
  } made[] = {
      {"lm.shp", source.c_str(), "-dim XYM -lco SHPT=ARCM", "CP932"},
      {"lz.shp", source.c_str(), "-dim XYZ -lco SHPT=ARCZ", "UTF-8"},
      {"pz.shp", polygons.c_str(), "-dim XYZ -lco SHPT=POLYGONZ -where \"CODE=1\"", "CP932"},
      {"mp.shp", polygons.c_str(), "-dim XYZ -lco SHPT=MULTIPOINTZ -where \"CODE=2\"", "UTF-8"},
      {"ptz.shp", polygons.c_str(), "-dim XYZ -lco SHPT=POINTZ -where \"CODE=3\"", "CP932"},
  };
  for (const Made& m : made) {
    SCOPED_TRACE(m.file);
    const std::string shp = folder.PathText(m.file);
    const auto run = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(shp) + " " + Quote(m.input) + " " + m.options +
                                " -lco ENCODING=" + m.encoding);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = GdalRows(shp, m.encoding);
    const auto ours = ReadTriple(shp);
    ASSERT_TRUE(ours.complete);
    ASSERT_EQ(ours.records.size() + 1, rows.size());
    const auto encoding = std::string(m.encoding) == "CP932" ? kAIShiftJISCharacterEncoding : kAIUTF8CharacterEncoding;
    for (size_t i = 0; i < ours.records.size(); ++i) {
      SCOPED_TRACE(i);
      const auto& record = ours.records[i];
      const bool drawn = record.type != 0 && record.type % 10 != 8;
      EXPECT_EQ(record.parts, drawn ? WktParts(rows[i + 1][0]) : std::vector<ShapePart>()) << rows[i + 1][0];
      ASSERT_EQ(record.values.size(), 3u);
      EXPECT_EQ(TrimSpaces(ai::UnicodeString(record.values[0], encoding)).as_UTF8(), rows[i + 1][1]);
      EXPECT_EQ(std::atoi(record.values[1].c_str()), std::atoi(rows[i + 1][2].c_str()));
      EXPECT_DOUBLE_EQ(std::strtod(record.values[2].c_str(), nullptr), std::strtod(rows[i + 1][3].c_str(), nullptr));
    }
  }
}

}  // namespace
