// No record lost and no value read from the wrong place: truncated indexes,
// tables whose rows start after a longer header, columns of length 0, and
// the encoding a .cpg declares. Inputs are made by GDAL and shapelib; the
// expected values are what those tools read from the same files.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "formats/CShapeFileReader.h"
#include "formats/ShapeTestSupport.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Quote;
using kztest::RunCommand;
using kztest::ScratchFolder;

class ShapeReaderIntegrityTest : public kztest::HostTest {
 protected:
  // Two points with three text columns A(3), Z(1), B(3), made by shapelib.
  std::string MakeShapelibTriple(const char* name) {
    const std::string base = folder.PathText(name);
    const auto made = RunCommand("shpcreate " + Quote(base) + " point && shpadd " + Quote(base) + " 1 2 && shpadd " +
                                 Quote(base) + " 3 4 && dbfcreate " + Quote(base) +
                                 " -s A 3 -s Z 1 -s B 3 && dbfadd " + Quote(base) + " abc x def && dbfadd " +
                                 Quote(base) + " ghi y jkl");
    EXPECT_EQ(made.status, 0) << made.err;
    return base;
  }
  // shapelib's reading of a table: one list of trimmed values per row.
  static std::vector<std::vector<std::string>> ShapelibRows(const std::string& dbf) {
    const auto run = RunCommand("dbfdump " + Quote(dbf));
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);  // the column names
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      rows.emplace_back();
      for (std::string word; words >> word;) rows.back().push_back(word == "(NULL)" ? "" : word);
    }
    return rows;
  }
  static std::vector<std::vector<std::string>> OurRows(const std::string& shp) {
    const auto result = kztest::ReadTriple(shp);
    EXPECT_TRUE(result.complete);
    std::vector<std::vector<std::string>> rows;
    for (const auto& record : result.records) {
      rows.emplace_back();
      for (std::string value : record.values) {
        value.erase(value.find_last_not_of(' ') + 1);
        rows.back().push_back(value);
      }
    }
    return rows;
  }
  ScratchFolder folder;
};

// An index that lost entries is refused with the counts, never read short.
TEST_F(ShapeReaderIntegrityTest, TruncatedIndexIsRefused) {
  std::string csv = "X,Y\n";
  for (int i = 0; i < 211; ++i) csv += std::to_string(i) + "," + std::to_string(2 * i) + "\n";
  folder.Write("pts.csv", csv);
  const std::string shp = folder.PathText("pts.shp");
  const auto made = RunCommand("ogr2ogr -f 'ESRI Shapefile' " + Quote(shp) + " " + Quote(folder.PathText("pts.csv")) +
                               " -oo X_POSSIBLE_NAMES=X -oo Y_POSSIBLE_NAMES=Y");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string shx = ScratchFolder::Read(folder.Path("pts.shx"));
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(shp));
  EXPECT_EQ(reader.GetRecordCount(), 211u);
  for (size_t size : {shx.size() - 8, shx.size() - 1, size_t{100}, size_t{104}}) {
    SCOPED_TRACE(size);
    folder.Write("pts.shx", shx.substr(0, size));
    EXPECT_FALSE(reader.Open(shp));
    EXPECT_EQ(reader.GetOpenProblem(), CShapeFileReader::OpenProblem::kIndexTruncated);
    EXPECT_EQ(reader.GetIndexedRecordCount(), 211u);
  }
  // Bytes beyond the entries the header counts are harmless.
  folder.Write("pts.shx", shx + "abc");
  ASSERT_TRUE(reader.Open(shp));
  EXPECT_EQ(reader.GetRecordCount(), 211u);
}

// Rows start where the stored header length says, as shapelib reads them.
TEST_F(ShapeReaderIntegrityTest, RowsStartAfterALongerHeader) {
  const std::string base = MakeShapelibTriple("long");
  std::string dbf = ScratchFolder::Read(folder.Path("long.dbf"));
  const size_t headerLength = static_cast<uint8_t>(dbf[8]) | (static_cast<uint8_t>(dbf[9]) << 8);
  ASSERT_EQ(headerLength, 32u * 4 + 1);
  // 263 bytes after the terminator, where a database container is named.
  dbf.insert(headerLength, std::string(263, '\0'));
  dbf[8] = static_cast<char>((headerLength + 263) & 0xFF);
  dbf[9] = static_cast<char>((headerLength + 263) >> 8);
  folder.Write("long.dbf", dbf);
  const auto expected = ShapelibRows(base + ".dbf");
  ASSERT_EQ(expected, (std::vector<std::vector<std::string>>{{"abc", "x", "def"}, {"ghi", "y", "jkl"}}));
  EXPECT_EQ(OurRows(base + ".shp"), expected);
  // A stored length past the end of the table is not believed.
  dbf[8] = dbf[9] = '\x7F';
  folder.Write("long.dbf", dbf.substr(0, headerLength) + dbf.substr(headerLength + 263));
  EXPECT_EQ(OurRows(base + ".shp"), expected);
}

// A column of length 0 reads as empty; the others read as usual.
TEST_F(ShapeReaderIntegrityTest, ColumnOfLengthZero) {
  const std::string base = MakeShapelibTriple("zero");
  std::string dbf = ScratchFolder::Read(folder.Path("zero.dbf"));
  const size_t rows = 32 * 4 + 1;
  dbf[32 * 2 + 16] = '\0';  // Z: length 0
  dbf[10] = 7;              // record length 1 + 3 + 0 + 3
  std::string table = dbf.substr(0, rows);
  for (size_t row = 0; row < 2; ++row) {
    const std::string bytes = dbf.substr(rows + 8 * row, 8);
    table += bytes.substr(0, 4) + bytes.substr(5);
  }
  folder.Write("zero.dbf", table + "\x1A");
  const auto expected = ShapelibRows(base + ".dbf");
  ASSERT_EQ(expected, (std::vector<std::vector<std::string>>{{"abc", "", "def"}, {"ghi", "", "jkl"}}));
  EXPECT_EQ(OurRows(base + ".shp"), expected);
}

// The encoding the .cpg names, or else the table's language driver.
TEST_F(ShapeReaderIntegrityTest, DeclaredEncoding) {
  const std::string base = MakeShapelibTriple("cp");
  const struct {
    const char* cpg;  // nullptr: no .cpg
    int32_t encoding;
  } cases[] = {{nullptr, 0}, {"UTF-8", 1}, {"utf8\r\n", 1}, {"CP932", 17}, {"932", 17}, {"Shift_JIS", 17}, {"1252", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpg ? c.cpg : "none");
    std::filesystem::remove(folder.Path("cp.cpg"));
    if (c.cpg) folder.Write("cp.cpg", c.cpg);
    CShapeFileReader reader;
    ASSERT_TRUE(reader.Open(base + ".shp"));
    EXPECT_EQ(reader.GetDeclaredEncoding(), c.encoding);
  }
  std::filesystem::remove(folder.Path("cp.cpg"));
  std::string dbf = ScratchFolder::Read(folder.Path("cp.dbf"));
  dbf[29] = '\x13';  // the Japanese language driver
  folder.Write("cp.dbf", dbf);
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(base + ".shp"));
  EXPECT_EQ(reader.GetDeclaredEncoding(), 17);
}

}  // namespace
