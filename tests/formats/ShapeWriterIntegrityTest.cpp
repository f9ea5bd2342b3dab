// No value lost or invented by the writer: wide columns, nulls, reals that
// fit, names that clash once cut, overflows, encodings and failed writes.
// Every expectation is checked against GDAL or shapelib reading our files,
// or against bytes worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "formats/CShapeFileWriter.h"
#include "formats/ShapeTestSupport.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Field;
using kztest::Quote;
using kztest::RunCommand;
using kztest::ScratchFolder;

class ShapeWriterIntegrityTest : public kztest::HostTest {
 protected:
  // One point per row; each row is a list of fields for SetValues.
  std::string Write(const char* name, int32_t encoding, const std::vector<ShapeField>& columns,
                    const std::vector<std::vector<ShapeField>>& rows, CShapeFileWriter& writer) {
    writer.Begin(kShapePoint, encoding);
    for (const ShapeField& column : columns) EXPECT_TRUE(writer.AddField(column));
    const std::string path = folder.PathText(name);
    EXPECT_TRUE(writer.Create(ai::FilePath::FromPlatform(path)));
    for (const auto& row : rows) {
      writer.SetValues(row);
      EXPECT_TRUE(writer.WritePoint(1, 2));
    }
    EXPECT_TRUE(writer.Finish());
    return path;
  }
  // "NAME (Type) = value" lines of every feature, as ogrinfo prints them.
  std::vector<std::string> GdalValues(const std::string& path, const std::string& options = "") {
    const auto run = RunCommand("ogrinfo -ro -al -q " + options + " " + Quote(path));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);)
      if (line.rfind("  ", 0) == 0 && line.find(" = ") != std::string::npos && line.find("POINT") == std::string::npos)
        lines.push_back(line.substr(2));
    return lines;
  }
  std::string Rows(const std::string& dbfPath, size_t columnCount) {
    const std::string dbf = ScratchFolder::Read(dbfPath);
    const size_t start = 32 * (columnCount + 1) + 1;
    return dbf.substr(start, dbf.size() - start - 1);
  }
  ScratchFolder folder;
};

// Columns as wide as dBASE allows: the value, right-aligned or left, and
// nothing from beyond it.
TEST_F(ShapeWriterIntegrityTest, WideColumnsHoldTheirValues) {
  CShapeFileWriter writer;
  const std::string path = Write("wide.shp", 1,
                                 {Field("N", kShapeFieldInteger, 100), Field("R", kShapeFieldReal, 120, 10),
                                  Field("S", kShapeFieldString, 255)},
                                 {{Field("N", 1, 100, 0, "42"), Field("R", 2, 120, 10, "1.5"), Field("S", 0, 255, 0, "x")}},
                                 writer);
  const std::string row = Rows(folder.PathText("wide.dbf"), 3);
  ASSERT_EQ(row.size(), 1u + 100 + 120 + 255);
  EXPECT_EQ(row.substr(1, 100), std::string(98, ' ') + "42");
  // At least as wide as the length less the decimals and the point, then padded.
  EXPECT_EQ(row.substr(101, 120), std::string(97, ' ') + "1.5000000000" + std::string(11, ' '));
  EXPECT_EQ(row.substr(221), "x" + std::string(254, ' '));
  EXPECT_EQ(GdalValues(path), (std::vector<std::string>{"N (Real) = 42", "R (Real) = 1.5000000000", "S (String) = x"}));
}

// Blank and asterisk numbers are the dBASE null: they stay null, never 0.
TEST_F(ShapeWriterIntegrityTest, NullNumbersStayNull) {
  CShapeFileWriter writer;
  const std::vector<ShapeField> columns = {Field("I", kShapeFieldInteger, 6), Field("R", kShapeFieldReal, 8, 2)};
  const std::string path = Write("nulls.shp", 1, columns,
                                 {{Field("I", 1, 6, 0, "*****"), Field("R", 2, 8, 2, "********")},
                                  {Field("I", 1, 6, 0, ""), Field("R", 2, 8, 2, "   ")},
                                  {Field("I", 1, 6, 0, "n/a"), Field("R", 2, 8, 2, "-")},
                                  {Field("I", 1, 6, 0, "0"), Field("R", 2, 8, 2, "0")}},
                                 writer);
  EXPECT_EQ(Rows(folder.PathText("nulls.dbf"), 2),
            std::string(15, ' ') + std::string(15, ' ') + std::string(15, ' ') + "      0 0.00   ");
  EXPECT_EQ(GdalValues(path), (std::vector<std::string>{"I (Integer) = (null)", "R (Real) = (null)",
                                                        "I (Integer) = (null)", "R (Real) = (null)",
                                                        "I (Integer) = (null)", "R (Real) = (null)",
                                                        "I (Integer) = 0", "R (Real) = 0.00"}));
  EXPECT_EQ(writer.GetOverflowCount(), 0);
}

// What fits is written exactly, with fewer decimals when only that fits and
// the number stays the same; only what cannot fit becomes asterisks.
TEST_F(ShapeWriterIntegrityTest, RealsThatFitAreWrittenExactly) {
  struct Case {
    int digits, decimals;
    const char* value;
    std::string stored;  // worked out by hand
    const char* gdal;    // what GDAL must read back
  } cases[] = {
      {24, 15, "318622525.000000000000000", "318622525.00000000000000", "318622525.000000000000000"},
      {24, 15, "318622525.1", "318622525.10000002384186", "318622525.100000023841858"},
      {12, 4, "10000000.0000", "10000000.000", "10000000.0000"},
      {12, 4, "-1000000.0000", "-1000000.000", "-1000000.0000"},
      {10, 3, "1.5", " 1.500    ", "1.500"},
      {8, 3, "12345.678", "********", "(null)"},
      {6, 2, "99999.5", "******", "(null)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    CShapeFileWriter writer;
    const std::string path =
        Write("reals.shp", 1, {Field("R", kShapeFieldReal, c.digits, c.decimals)},
              {{Field("R", kShapeFieldReal, c.digits, c.decimals, c.value)}}, writer);
    std::string stored = c.stored;
    stored.resize(static_cast<size_t>(c.digits), ' ');
    EXPECT_EQ(Rows(folder.PathText("reals.dbf"), 1), " " + stored);
    EXPECT_EQ(GdalValues(path), std::vector<std::string>{std::string("R (Real) = ") + c.gdal});
    EXPECT_EQ(writer.GetOverflowCount(0), c.stored[0] == '*' ? 1 : 0);
  }
}

// Names that share their first 10 bytes get distinct columns, named as GDAL
// names them, and each value reaches its own column.
TEST_F(ShapeWriterIntegrityTest, ClashingNamesBecomeDistinctColumns) {
  const std::string csv = folder.Write("pop.csv", "POPULATION1,POPULATION2,population3\n1,2,3\n");
  const auto gdal = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(folder.PathText("gdal.shp")) + " " + Quote(csv) +
                               " 2>&1");
  ASSERT_EQ(gdal.status, 0) << gdal.err;
  CShapeFileWriter writer;
  const std::vector<ShapeField> columns = {Field("POPULATION1", kShapeFieldInteger, 5),
                                           Field("POPULATION2", kShapeFieldInteger, 5),
                                           Field("population3", kShapeFieldInteger, 5)};
  const std::string path =
      Write("pop.shp", 1, columns,
            {{Field("POPULATION2", 1, 5, 0, "2"), Field("population3", 1, 5, 0, "3"), Field("POPULATION1", 1, 5, 0, "1")}},
            writer);
  const std::vector<std::string> ours = GdalValues(path);
  // Without geometry GDAL writes the table alone, its CSV columns as strings:
  // the names and their order are what count.
  const std::vector<std::string> theirs = GdalValues(folder.PathText("gdal.dbf"));
  ASSERT_EQ(ours.size(), 3u);
  ASSERT_EQ(theirs.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ours[i].substr(0, ours[i].find(' ')), theirs[i].substr(0, theirs[i].find(' ')));
    EXPECT_EQ(ours[i].back(), static_cast<char>('1' + i)) << ours[i];
  }
  EXPECT_EQ(writer.GetColumnName(1), "POPULATI_1");
}

TEST_F(ShapeWriterIntegrityTest, ClashingJapaneseNamesInBothEncodings) {
  struct Case {
    int32_t encoding;
    const char* option;
    std::vector<std::string> names;  // worked out by hand
  } cases[] = {
      {17, "", {"人口総数男", "人口総数_1", "人口総数女"}},
      {1, "", {"人口総", "人口_1", "人口_2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoding);
    CShapeFileWriter writer;
    const std::vector<ShapeField> columns = {Field("人口総数男性", kShapeFieldString, 4),
                                             Field("人口総数男性２", kShapeFieldString, 4),
                                             Field("人口総数女性", kShapeFieldString, 4)};
    const std::string path = Write("jp.shp", c.encoding, columns,
                                   {{Field("人口総数女性", 0, 4, 0, "c"), Field("人口総数男性", 0, 4, 0, "a"),
                                     Field("人口総数男性２", 0, 4, 0, "b")}},
                                   writer);
    // GDAL finds the encoding in the .cpg beside the table.
    EXPECT_EQ(GdalValues(path, c.option),
              (std::vector<std::string>{c.names[0] + " (String) = a", c.names[1] + " (String) = b",
                                        c.names[2] + " (String) = c"}));
  }
}

// An overflow costs one value, never the row; the counts say where.
TEST_F(ShapeWriterIntegrityTest, OverflowMarksOneValueAndCountsIt) {
  CShapeFileWriter writer;
  const std::vector<ShapeField> columns = {Field("NAME", kShapeFieldString, 4), Field("I", kShapeFieldInteger, 3),
                                           Field("R", kShapeFieldReal, 4, 2)};
  const std::string path = Write("over.shp", 1, columns,
                                 {{Field("NAME", 0, 4, 0, "a"), Field("I", 1, 3, 0, "-1234"), Field("R", 2, 4, 2, "12345.68")},
                                  {Field("NAME", 0, 4, 0, "b"), Field("I", 1, 3, 0, "-99"), Field("R", 2, 4, 2, "9.99")}},
                                 writer);
  EXPECT_EQ(writer.GetRecordCount(), 2);
  EXPECT_EQ(writer.GetOverflowCount(1), 1);
  EXPECT_EQ(writer.GetOverflowCount(2), 1);
  EXPECT_EQ(writer.GetOverflowCount(), 2);
  EXPECT_EQ(GdalValues(path), (std::vector<std::string>{"NAME (String) = a", "I (Integer) = (null)", "R (Real) = (null)",
                                                        "NAME (String) = b", "I (Integer) = -99", "R (Real) = 9.99"}));
}

// The .cpg names the table's encoding; the language-driver byte stays 0;
// characters Shift-JIS cannot show are counted.
TEST_F(ShapeWriterIntegrityTest, CodePageFileAndUnmappedCharacters) {
  for (const auto& [encoding, cpg] : {std::pair{17, "CP932"}, std::pair{1, "UTF-8"}}) {
    CShapeFileWriter writer;
    const std::string path = Write("cp.shp", encoding, {Field("名前", kShapeFieldString, 12)},
                                   {{Field("名前", 0, 12, 0, "𠮷野家?")}, {Field("名前", 0, 12, 0, "①😀")}}, writer);
    EXPECT_EQ(ScratchFolder::Read(folder.Path("cp.cpg")), cpg);
    EXPECT_EQ(ScratchFolder::Read(folder.Path("cp.dbf"))[29], '\0');
    EXPECT_EQ(writer.GetUnmappedCount(), encoding == 17 ? 2 : 0);
    const auto values = GdalValues(path);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], encoding == 17 ? "名前 (String) = ?野家?" : "名前 (String) = 𠮷野家?");
    EXPECT_EQ(values[1], encoding == 17 ? "名前 (String) = ①?" : "名前 (String) = ①😀");
  }
}

std::vector<std::string> FolderNames(const ScratchFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path("")))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A write that does not complete leaves no files of its own and the earlier
// file set of that name as it was.
TEST_F(ShapeWriterIntegrityTest, FailedWriteKeepsTheEarlierFiles) {
  CShapeFileWriter first;
  const std::string path = Write("keep.shp", 1, {Field("V", kShapeFieldString, 3)}, {{Field("V", 0, 3, 0, "old")}}, first);
  const std::vector<std::string> files = {"keep.cpg", "keep.dbf", "keep.shp", "keep.shx"};
  ASSERT_EQ(FolderNames(folder), files);
  std::vector<std::string> before;
  for (const auto& name : files) before.push_back(ScratchFolder::Read(folder.Path(name)));
  {
    CShapeFileWriter abandoned;
    abandoned.Begin(kShapePoint, 17);
    abandoned.AddField(Field("V", kShapeFieldString, 3));
    ASSERT_TRUE(abandoned.Create(ai::FilePath::FromPlatform(path)));
    abandoned.SetValues({Field("V", 0, 3, 0, "new")});
    ASSERT_TRUE(abandoned.WritePoint(5, 5));
  }  // destroyed before Finish, as after a failed record
  EXPECT_EQ(FolderNames(folder), files);
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_EQ(ScratchFolder::Read(folder.Path(files[i])), before[i]) << files[i];
  // A completed write replaces the whole set.
  CShapeFileWriter second;
  Write("keep.shp", 17, {Field("V", kShapeFieldString, 3)}, {{Field("V", 0, 3, 0, "new")}}, second);
  EXPECT_EQ(FolderNames(folder), files);
  EXPECT_EQ(ScratchFolder::Read(folder.Path("keep.cpg")), "CP932");
  EXPECT_EQ(GdalValues(path), std::vector<std::string>{"V (String) = new"});
}

}  // namespace
