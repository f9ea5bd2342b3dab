#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formats/CShapeFileWriter.h"
#include "formats/ShapeTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Field;
using kztest::GetBE32;
using kztest::GetLE32;
using kztest::GetLEDouble;
using kztest::ScratchFolder;

class ShapeFileWriterTest : public kztest::HostTest {
 protected:
  ai::FilePath PathOf(const char* name) { return ai::FilePath::FromPlatform(folder.PathText(name)); }
  std::string Bytes(const char* name) { return ScratchFolder::Read(folder.Path(name)); }
  // The one row of a single-record table with the given fields.
  std::string RowAfter(const std::vector<ShapeField>& definitions, const std::function<void(CShapeFileWriter&)>& set) {
    CShapeFileWriter writer;
    writer.Begin(1, 17);
    for (const auto& definition : definitions) EXPECT_TRUE(writer.AddField(definition));
    EXPECT_TRUE(writer.Create(PathOf("row.shp")));
    set(writer);
    EXPECT_TRUE(writer.WritePoint(0, 0));
    EXPECT_TRUE(writer.Finish());
    const std::string dbf = Bytes("row.dbf");
    const size_t start = 32 * (definitions.size() + 1) + 1;
    return dbf.substr(start, dbf.size() - start - 1);
  }
  ScratchFolder folder;
};

TEST_F(ShapeFileWriterTest, FileWithoutRecords) {
  CShapeFileWriter writer;
  writer.Begin(5, 17);
  writer.AddField(Field("NAME", kShapeFieldString, 8));
  ASSERT_TRUE(writer.Create(PathOf("empty.shp")));
  ASSERT_TRUE(writer.Finish());
  for (const char* name : {"empty.shp", "empty.shx"}) {
    const std::string shp = Bytes(name);
    ASSERT_EQ(shp.size(), 100u) << name;
    EXPECT_EQ(GetBE32(shp, 0), 9994);
    EXPECT_EQ(GetBE32(shp, 24), 50);
    EXPECT_EQ(GetLE32(shp, 28), 1000);
    EXPECT_EQ(GetLE32(shp, 32), 5);
    EXPECT_EQ(shp.substr(36), std::string(64, '\0'));
  }
  const std::string dbf = Bytes("empty.dbf");
  ASSERT_EQ(dbf.size(), 32u + 32u + 2u);
  EXPECT_EQ(dbf[0], 3);
  EXPECT_EQ(GetLE32(dbf, 4), 0);
  EXPECT_EQ(dbf[8] | (dbf[9] << 8), 65);
  EXPECT_EQ(dbf[10] | (dbf[11] << 8), 9);
  EXPECT_EQ(dbf.substr(32, 5), std::string("NAME\0", 5));
  EXPECT_EQ(dbf[32 + 11], 'C');
  EXPECT_EQ(dbf[32 + 16], 8);
  EXPECT_EQ(dbf[64], '\x0D');
  EXPECT_EQ(dbf[65], '\x1A');
}

TEST_F(ShapeFileWriterTest, OnePointSizesAndBox) {
  CShapeFileWriter writer;
  writer.Begin(1, 17);
  ASSERT_TRUE(writer.Create(PathOf("point.shp")));
  ASSERT_TRUE(writer.WritePoint(10, 20));
  ASSERT_TRUE(writer.Finish());
  const std::string shp = Bytes("point.shp");
  const std::string shx = Bytes("point.shx");
  ASSERT_EQ(shp.size(), 128u);
  ASSERT_EQ(shx.size(), 108u);
  EXPECT_EQ(GetBE32(shp, 24), 64);
  EXPECT_EQ(GetBE32(shx, 24), 54);
  EXPECT_EQ(GetBE32(shx, 100), 50);
  EXPECT_EQ(GetBE32(shx, 104), 10);
  EXPECT_EQ(GetBE32(shp, 100), 1);
  EXPECT_EQ(GetBE32(shp, 104), 10);
  EXPECT_EQ(GetLE32(shp, 108), 1);
  for (const std::string* file : {&shp, &shx}) {
    EXPECT_EQ(GetLEDouble(*file, 36), 10);
    EXPECT_EQ(GetLEDouble(*file, 44), 20);
    EXPECT_EQ(GetLEDouble(*file, 52), 10);
    EXPECT_EQ(GetLEDouble(*file, 60), 20);
  }
  // No fields: each row is the deletion flag alone.
  EXPECT_EQ(Bytes("point.dbf").substr(32), "\x0D \x1A");
}

TEST_F(ShapeFileWriterTest, PolygonRecordLayout) {
  CShapeFileWriter writer;
  writer.Begin(5, 17);
  ASSERT_TRUE(writer.Create(PathOf("poly.shp")));
  ASSERT_TRUE(writer.WritePolygon({{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}}));
  ASSERT_TRUE(writer.WritePolyLine({{{5, 5}, {6, 6}, {7, 5}}, {{-1, 2}, {3, 4}, {5, 6}, {7, 8}}}));
  ASSERT_TRUE(writer.Finish());
  const std::string shp = Bytes("poly.shp");
  EXPECT_EQ(GetBE32(shp, 104), 64);  // (1 + 20) * 4 + 44 = 128 bytes
  const size_t second = 100 + 8 + 128;
  EXPECT_EQ(GetBE32(shp, second), 2);
  EXPECT_EQ(GetLE32(shp, second + 8), 3);
  EXPECT_EQ(GetLE32(shp, second + 8 + 36), 2);
  EXPECT_EQ(GetLE32(shp, second + 8 + 40), 7);
  EXPECT_EQ(GetLE32(shp, second + 8 + 44), 0);
  EXPECT_EQ(GetLE32(shp, second + 8 + 48), 3);
  // Record box of the second record, then the file box over both.
  EXPECT_EQ(GetLEDouble(shp, second + 12), -1);
  EXPECT_EQ(GetLEDouble(shp, second + 20), 2);
  EXPECT_EQ(GetLEDouble(shp, second + 28), 7);
  EXPECT_EQ(GetLEDouble(shp, second + 36), 8);
  EXPECT_EQ(GetBE32(shp, 24), 50 + 68 + (((2 + 28) * 4 + 44) / 2 + 4));
  EXPECT_EQ(static_cast<int32_t>(shp.size()), 2 * GetBE32(shp, 24));
  EXPECT_EQ(GetLEDouble(shp, 36), -1);
  EXPECT_EQ(GetLEDouble(shp, 44), 0);
  EXPECT_EQ(GetLEDouble(shp, 52), 7);
  EXPECT_EQ(GetLEDouble(shp, 60), 8);
  const std::string shx = Bytes("poly.shx");
  EXPECT_EQ(GetBE32(shx, 108), 50 + 68);
}

TEST_F(ShapeFileWriterTest, RecordsThatCannotBeWritten) {
  CShapeFileWriter writer;
  writer.Begin(3, 17);
  EXPECT_FALSE(writer.WritePoint(1, 1)) << "before Create";
  ASSERT_TRUE(writer.Create(PathOf("refuse.shp")));
  EXPECT_FALSE(writer.AddField(Field("LATE", kShapeFieldString, 4))) << "after the descriptors were written";
  EXPECT_FALSE(writer.WritePolyLine({})) << "a record without parts is unreadable";
  EXPECT_TRUE(writer.WritePolyLine({{}, {}}));
  EXPECT_TRUE(writer.WritePolyLine({{{3, 4}, {5, 6}}}));
  EXPECT_TRUE(writer.Finish());
  // The empty record does not stretch the file's box to the origin.
  const std::string shp = Bytes("refuse.shp");
  EXPECT_EQ(GetLEDouble(shp, 36), 3);
  EXPECT_EQ(GetLEDouble(shp, 44), 4);
  EXPECT_EQ(writer.GetRecordCount(), 2);
}

TEST_F(ShapeFileWriterTest, ExtensionBecomesShpAndMissingFolderFails) {
  CShapeFileWriter writer;
  writer.Begin(1, 17);
  ASSERT_TRUE(writer.Create(PathOf("roads.txt")));
  EXPECT_TRUE(writer.Finish());
  EXPECT_TRUE(std::filesystem::exists(folder.Path("roads.shp")));
  EXPECT_TRUE(std::filesystem::exists(folder.Path("roads.shx")));
  EXPECT_TRUE(std::filesystem::exists(folder.Path("roads.dbf")));
  EXPECT_FALSE(writer.Create(PathOf("no/such/folder.shp")));
  EXPECT_FALSE(writer.Finish());
}

TEST_F(ShapeFileWriterTest, ValuesArePaddedAndAligned) {
  const std::vector<ShapeField> fields = {Field("S", kShapeFieldString, 5), Field("I", kShapeFieldInteger, 4),
                                          Field("R", kShapeFieldReal, 10, 3), Field("T", kShapeFieldString, 3)};
  EXPECT_EQ(RowAfter(fields,
                     [](CShapeFileWriter& w) {
                       EXPECT_TRUE(w.SetString("S", "abcdefg"));
                       EXPECT_TRUE(w.SetInteger("I", 7));
                       EXPECT_TRUE(w.SetReal("R", 1.5));
                       EXPECT_TRUE(w.SetString("T", "ab"));
                     }),
            " abcde   7 1.500    ab ");
  EXPECT_EQ(RowAfter(fields, [](CShapeFileWriter& w) { EXPECT_FALSE(w.SetString("X", "zz")); }),
            std::string(1 + 5 + 4 + 10 + 3, ' '));
  EXPECT_EQ(RowAfter(fields,
                     [](CShapeFileWriter& w) {
                       EXPECT_TRUE(w.SetInteger("I", -999));
                       EXPECT_TRUE(w.SetReal("R", -12.25));
                       EXPECT_TRUE(w.SetString("S", "x"));
                       EXPECT_TRUE(w.SetString("S", "yz"));
                     }),
            " yz   -999-12.250      ");
}

// A number wider than its field would otherwise lose its leading or trailing
// digits and read back as a different number: it becomes the overflow mark,
// and the row is written all the same.
TEST_F(ShapeFileWriterTest, NumbersThatDoNotFitAreMarkedAndCounted) {
  const std::vector<ShapeField> fields = {Field("I", kShapeFieldInteger, 3), Field("R", kShapeFieldReal, 6, 2)};
  EXPECT_EQ(RowAfter(fields,
                     [](CShapeFileWriter& w) {
                       EXPECT_TRUE(w.SetInteger("I", 12345));
                       EXPECT_TRUE(w.SetReal("R", 123456.5));
                     }),
            " *********");
  EXPECT_EQ(RowAfter(fields,
                     [](CShapeFileWriter& w) {
                       EXPECT_TRUE(w.SetInteger("I", -99));
                       EXPECT_TRUE(w.SetReal("R", 999.99));
                     }),
            " -99999.99");
  EXPECT_EQ(RowAfter(fields,
                     [](CShapeFileWriter& w) {
                       EXPECT_TRUE(w.SetInteger("I", -100));
                       EXPECT_TRUE(w.SetReal("R", std::nan("")));
                     }),
            " *********");
}

TEST_F(ShapeFileWriterTest, NamesAreCutToTenBytesOnCharacterBoundaries) {
  struct Case {
    int32_t encoding;
    const char* name;
    std::string stored;
  } cases[] = {
      {17, "ABCDEFGHIJKL", "ABCDEFGHIJ"},
      {17, "a地図名称道", "a\x92\x6e\x90\x7d\x96\xbc\x8f\xcc"},  // 11 bytes: the last kanji does not fit
      {17, "地図名称道路", "\x92\x6e\x90\x7d\x96\xbc\x8f\xcc\x93\xb9"},
      {1, "地図名称", "\xE5\x9C\xB0\xE5\x9B\xB3\xE5\x90\x8D"},
      {1, "abcdefghij", "abcdefghij"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CShapeFileWriter writer;
    writer.Begin(1, c.encoding);
    ASSERT_TRUE(writer.AddField(Field(c.name, kShapeFieldString, 4)));
    ASSERT_TRUE(writer.Create(PathOf("names.shp")));
    const std::string fullName = ai::UnicodeString(c.name).getInStdString(static_cast<AICharacterEncoding>(c.encoding));
    EXPECT_TRUE(writer.SetString(fullName, "v")) << "the full name still reaches the field";
    ASSERT_TRUE(writer.WritePoint(0, 0));
    ASSERT_TRUE(writer.Finish());
    const std::string dbf = Bytes("names.dbf");
    EXPECT_EQ(dbf.substr(32, 11), c.stored + std::string(11 - c.stored.size(), '\0'));
    EXPECT_EQ(dbf.substr(65, 5), " v   ");
  }
}

TEST_F(ShapeFileWriterTest, SetValuesConvertsByTypeAndStartsAFreshRow) {
  CShapeFileWriter writer;
  writer.Begin(1, 17);
  writer.AddField(Field("名称", kShapeFieldString, 6));
  writer.AddField(Field("N", kShapeFieldInteger, 5));
  writer.AddField(Field("R", kShapeFieldReal, 8, 2));
  ASSERT_TRUE(writer.Create(PathOf("values.shp")));
  EXPECT_TRUE(writer.SetValues({Field("名称", kShapeFieldString, 6, 0, "地図"), Field("N", kShapeFieldInteger, 5, 0, "42abc"),
                                Field("R", kShapeFieldReal, 8, 2, "3.14159")}));
  ASSERT_TRUE(writer.WritePoint(0, 0));
  // An object whose values were refused is not written; its values must not reach the next row.
  EXPECT_TRUE(writer.SetValues({Field("N", kShapeFieldInteger, 5, 0, "999999"), Field("名称", kShapeFieldString, 6, 0, "x")}));
  EXPECT_FALSE(writer.SetValues({Field("NONE", kShapeFieldString, 6, 0, "x")})) << "a value with no column";
  EXPECT_TRUE(writer.SetValues({Field("R", kShapeFieldReal, 8, 2, "-1")}));
  ASSERT_TRUE(writer.WritePoint(0, 0));
  EXPECT_TRUE(writer.SetValues({}));
  ASSERT_TRUE(writer.WritePoint(0, 0));
  // Numbers without a value stay blank (null), not 0.
  EXPECT_TRUE(writer.SetValues({Field("N", kShapeFieldInteger, 5, 0, ""), Field("R", kShapeFieldReal, 8, 2, "  ")}));
  ASSERT_TRUE(writer.WritePoint(0, 0));
  ASSERT_TRUE(writer.Finish());
  const std::string dbf = Bytes("values.dbf");
  const size_t rows = 32 * 4 + 1;
  EXPECT_EQ(dbf.substr(rows), " \x92\x6e\x90\x7d     42 3.14   "
                              "            -1.00   "
                              "                    "
                              "                    \x1A");
}

}  // namespace
