#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/CShapeFileReader.h"
#include "formats/CShapeFileWriter.h"
#include "formats/ShapeTestSupport.h"
#include "support/ScratchFolder.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::Field;
using kztest::GetLE32;
using kztest::PutBE32;
using kztest::PutLE32;
using kztest::ReadRecord;
using kztest::ReadTriple;
using kztest::ScratchFolder;

ShapePart Line(int count, double offset = 0) {
  ShapePart part;
  for (int i = 0; i < count; ++i) part.push_back({offset + i, offset - 0.5 * i});
  return part;
}

class ShapeFileReaderTest : public kztest::HostTest {
 protected:
  // A small triple: a polygon with a hole, a point-free multi-part line, a
  // two-part line, with one string and one number column.
  std::string WriteSample(const char* name = "sample.shp") {
    CShapeFileWriter writer;
    writer.Begin(3, 17);
    writer.AddField(Field("NAME", kShapeFieldString, 6));
    writer.AddField(Field("ID", kShapeFieldInteger, 4));
    const std::string path = folder.PathText(name);
    EXPECT_TRUE(writer.Create(ai::FilePath::FromPlatform(path)));
    writer.SetString("NAME", "one");
    writer.SetInteger("ID", 1);
    EXPECT_TRUE(writer.WritePolyLine({Line(3), Line(2, 10)}));
    writer.SetString("NAME", "two");
    EXPECT_TRUE(writer.WritePolyLine({{}, {}, {}}));
    writer.SetInteger("ID", 3);
    EXPECT_TRUE(writer.WritePolyLine({Line(4, -3)}));
    EXPECT_TRUE(writer.Finish());
    return path;
  }
  std::string Bytes(const std::string& name) { return ScratchFolder::Read(folder.Path(name)); }
  void Put(const std::string& name, const std::string& bytes) { folder.Write(name, bytes); }
  ScratchFolder folder;
};

TEST_F(ShapeFileReaderTest, ReadsWhatTheWriterWrote) {
  const auto result = ReadTriple(WriteSample());
  ASSERT_TRUE(result.complete);
  ASSERT_EQ(result.records.size(), 3u);
  EXPECT_EQ(result.records[0], (ReadRecord{1, 3, {Line(3), Line(2, 10)}, {"one   ", "   1"}}));
  EXPECT_EQ(result.records[1], (ReadRecord{2, 3, {{}, {}, {}}, {"two   ", "    "}}));
  EXPECT_EQ(result.records[2], (ReadRecord{3, 3, {Line(4, -3)}, {"      ", "   3"}}));
}

TEST_F(ShapeFileReaderTest, HeaderValues) {
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(ai::FilePath::FromPlatform(WriteSample())));
  double xmin, xmax, ymin, ymax;
  reader.GetBounds(xmin, xmax, ymin, ymax);
  EXPECT_EQ(std::vector<double>({xmin, xmax, ymin, ymax}), std::vector<double>({-3, 11, -4.5, 10}));
  EXPECT_EQ(reader.GetShapeType(), 3);
  EXPECT_EQ(reader.GetRecordCount(), 3u);
  EXPECT_EQ(reader.GetTableHeader().recordCount, 3u);
  EXPECT_EQ(reader.GetTableHeader().headerLength, 97);
  EXPECT_EQ(reader.GetTableHeader().recordLength, 11);
  ASSERT_EQ(reader.GetFieldCount(), 2);
  DbfFieldDescriptor descriptor;
  ASSERT_TRUE(reader.GetFieldDescriptor(1, descriptor));
  EXPECT_EQ(descriptor.Name(), "ID");
  EXPECT_EQ(descriptor.type, 'N');
  EXPECT_EQ(descriptor.length, 4);
  DbfFieldDescriptor untouched;
  untouched.length = 77;
  EXPECT_FALSE(reader.GetFieldDescriptor(2, untouched));
  EXPECT_FALSE(reader.GetFieldDescriptor(-1, untouched));
  EXPECT_EQ(untouched.length, 77);
  EXPECT_FALSE(reader.IsAtEnd());
}

TEST_F(ShapeFileReaderTest, CompanionFilesAndPaths) {
  const std::string path = WriteSample("roads.shp");
  EXPECT_FALSE(CShapeFileReader().Open(folder.PathText("roads")));
  EXPECT_TRUE(CShapeFileReader().Open(path));
  // A longer extension keeps its tail: roads.shpx looks for roads.shxx.
  std::filesystem::copy(path, folder.Path("roads.shpx"));
  EXPECT_FALSE(CShapeFileReader().Open(folder.PathText("roads.shpx")));
  std::filesystem::copy(folder.Path("roads.shx"), folder.Path("roads.shxx"));
  std::filesystem::copy(folder.Path("roads.dbf"), folder.Path("roads.dbfx"));
  EXPECT_TRUE(CShapeFileReader().Open(folder.PathText("roads.shpx")));
  for (const char* missing : {"roads.shx", "roads.dbf"}) {
    SCOPED_TRACE(missing);
    const std::string kept = Bytes(missing);
    std::filesystem::remove(folder.Path(missing));
    CShapeFileReader reader;
    EXPECT_FALSE(reader.Open(path));
    EXPECT_TRUE(reader.IsAtEnd()) << "streams opened before the failure are closed";
    Put(missing, kept);
  }
  const std::string japanese = WriteSample("道路.shp");
  EXPECT_TRUE(CShapeFileReader().Open(ai::FilePath(ai::UnicodeString(japanese.c_str()))));
}

TEST_F(ShapeFileReaderTest, IndexSizeGivesRecordCount) {
  const std::string path = WriteSample();
  Put("sample.shx", Bytes("sample.shx") + "abc");
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.GetRecordCount(), 3u);
  // An index whose header counts one entry, with 3 stray bytes after it.
  std::string shx = Bytes("sample.shx").substr(0, 100 + 8 + 3);
  PutBE32(shx, 24, 54);
  Put("sample.shx", shx);
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.GetRecordCount(), 1u);
  shx = shx.substr(0, 100);
  PutBE32(shx, 24, 50);
  Put("sample.shx", shx);
  ASSERT_TRUE(reader.Open(path)) << "a file without records opens";
  EXPECT_EQ(reader.GetRecordCount(), 0u);
}

TEST_F(ShapeFileReaderTest, WrongFileCodes) {
  const std::string path = WriteSample();
  for (const char* name : {"sample.shp", "sample.shx"}) {
    SCOPED_TRACE(name);
    std::string bytes = Bytes(name);
    const std::string kept = bytes;
    PutBE32(bytes, 0, 9995);
    Put(name, bytes);
    EXPECT_FALSE(CShapeFileReader().Open(path));
    PutLE32(bytes, 0, 9994);  // the right number in the wrong byte order
    Put(name, bytes);
    EXPECT_FALSE(CShapeFileReader().Open(path));
    Put(name, kept);
  }
}

TEST_F(ShapeFileReaderTest, TableWithoutFieldsReadsNoRows) {
  CShapeFileWriter writer;
  writer.Begin(1, 17);
  ASSERT_TRUE(writer.Create(ai::FilePath::FromPlatform(folder.PathText("bare.shp"))));
  writer.WritePoint(1, 2);
  writer.WritePoint(3, 4);
  ASSERT_TRUE(writer.Finish());
  // Rows need not exist at all when there are no fields.
  Put("bare.dbf", Bytes("bare.dbf").substr(0, 33));
  const auto result = ReadTriple(folder.PathText("bare.shp"));
  ASSERT_TRUE(result.complete);
  EXPECT_EQ(result.records[1], (ReadRecord{2, 1, {{{3, 4}}}, {}}));
}

TEST_F(ShapeFileReaderTest, ElevenByteNameAndDeletedRow) {
  const std::string path = WriteSample();
  std::string dbf = Bytes("sample.dbf");
  dbf.replace(32, 12, std::string("ABCDEFGHIJKX", 12));  // twelfth byte should be zero but is not
  dbf[97] = '*';
  Put("sample.dbf", dbf);
  CShapeFileReader reader;
  ASSERT_TRUE(reader.Open(path));
  DbfFieldDescriptor descriptor;
  ASSERT_TRUE(reader.GetFieldDescriptor(0, descriptor));
  EXPECT_EQ(descriptor.Name(), "ABCDEFGHIJK");
  EXPECT_EQ(descriptor.name[11], '\0');
  const auto result = ReadTriple(path);
  ASSERT_TRUE(result.complete);
  EXPECT_EQ(result.records[0].values[0], "one   ");
}

TEST_F(ShapeFileReaderTest, ChunkBoundaries) {
  CShapeFileWriter writer;
  writer.Begin(5, 17);
  ASSERT_TRUE(writer.Create(ai::FilePath::FromPlatform(folder.PathText("big.shp"))));
  const std::vector<std::vector<ShapePart>> records = {
      {Line(1024)}, {Line(1025)}, {Line(2048)}, {Line(1023), Line(1025), Line(1)}, {Line(0)}};
  for (const auto& parts : records) ASSERT_TRUE(writer.WritePolygon(parts));
  ASSERT_TRUE(writer.Finish());
  const auto result = ReadTriple(folder.PathText("big.shp"));
  ASSERT_TRUE(result.complete);
  ASSERT_EQ(result.records.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(result.records[i].parts, records[i]) << i;
}

// Offsets in the sample: the first record's header is at 100, its body at
// 112: box (32), part count at 144, point count at 148, part starts at 152.
struct PolyDamage {
  const char* name;
  size_t offset;
  int32_t value;
};

void PrintTo(const PolyDamage& d, std::ostream* os) { *os << d.name; }

class DamagedPolyTest : public ShapeFileReaderTest, public ::testing::WithParamInterface<PolyDamage> {};

TEST_P(DamagedPolyTest, FirstRecordFailsCleanly) {
  const std::string path = WriteSample();
  std::string shp = Bytes("sample.shp");
  PutLE32(shp, GetParam().offset, GetParam().value);
  Put("sample.shp", shp);
  const auto result = ReadTriple(path);
  ASSERT_TRUE(result.opened);
  EXPECT_FALSE(result.complete);
  EXPECT_TRUE(result.records.empty());
}

INSTANTIATE_TEST_SUITE_P(Counts, DamagedPolyTest,
                         ::testing::Values(PolyDamage{"NoParts", 144, 0}, PolyDamage{"NegativeParts", 144, -1},
                                           PolyDamage{"HugeParts", 144, 0x7FFFFFFF},
                                           PolyDamage{"PartsBeyondRecord", 144, 20},
                                           PolyDamage{"NegativePoints", 148, -5},
                                           PolyDamage{"HugePoints", 148, 0x7FFFFFFF},
                                           PolyDamage{"PointsBeyondRecord", 148, 6},
                                           PolyDamage{"FirstStartNotZero", 152, 1},
                                           PolyDamage{"StartPastPoints", 156, 6},
                                           PolyDamage{"StartNegative", 156, -1},
                                           PolyDamage{"ZeroContentLength", 104, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShapeFileReaderTest, HugeContentLengthIsStillBoundByTheFile) {
  const std::string path = WriteSample();
  std::string shp = Bytes("sample.shp");
  PutBE32(shp, 104, 0x7FFFFFFF);
  PutLE32(shp, 148, 0x10000000);
  Put("sample.shp", shp);
  EXPECT_FALSE(ReadTriple(path).complete);
}

TEST_F(ShapeFileReaderTest, PartStartsOutOfOrder) {
  CShapeFileWriter writer;
  writer.Begin(3, 17);
  ASSERT_TRUE(writer.Create(ai::FilePath::FromPlatform(folder.PathText("order.shp"))));
  writer.WritePolyLine({Line(2), Line(2), Line(2)});
  ASSERT_TRUE(writer.Finish());
  std::string shp = Bytes("order.shp");
  ASSERT_EQ(GetLE32(shp, 156), 2);
  PutLE32(shp, 156, 4);
  PutLE32(shp, 160, 2);
  Put("order.shp", shp);
  EXPECT_FALSE(ReadTriple(folder.PathText("order.shp")).complete);
}

TEST_F(ShapeFileReaderTest, IndexOffsetsThatPointNowhere) {
  for (int32_t offset : {-1, -0x7FFFFFFF, 0x7FFFFFFF, 3}) {
    SCOPED_TRACE(offset);
    const std::string path = WriteSample();
    std::string shx = Bytes("sample.shx");
    PutBE32(shx, 108, offset);
    Put("sample.shx", shx);
    const auto result = ReadTriple(path);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.complete);
  }
}

TEST_F(ShapeFileReaderTest, DamagedTables) {
  const std::string path = WriteSample();
  const std::string dbf = Bytes("sample.dbf");
  std::string noTerminator = dbf.substr(0, 96);
  for (const std::string& bytes : {noTerminator, dbf.substr(0, 31), std::string()}) {
    Put("sample.dbf", bytes);
    EXPECT_FALSE(CShapeFileReader().Open(path));
  }
  Put("sample.dbf", dbf.substr(0, dbf.size() - 5));
  const auto result = ReadTriple(path);
  EXPECT_TRUE(result.opened);
  EXPECT_FALSE(result.complete) << "the last row is short";
  EXPECT_EQ(result.records.size(), 2u);
}

// Every truncation of every file of the triple is either a clean failure or
// gives back a prefix of the true records, never anything else.
TEST_F(ShapeFileReaderTest, TruncationAtEveryOffset) {
  const std::string path = WriteSample();
  const auto whole = ReadTriple(path);
  ASSERT_TRUE(whole.complete);
  for (const char* name : {"sample.shp", "sample.shx", "sample.dbf"}) {
    const std::string bytes = Bytes(name);
    for (size_t size = 0; size < bytes.size(); ++size) {
      SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(size));
      Put(name, bytes.substr(0, size));
      const auto result = ReadTriple(path);
      ASSERT_LE(result.records.size(), whole.records.size());
      for (size_t i = 0; i < result.records.size(); ++i) EXPECT_EQ(result.records[i], whole.records[i]);
    }
    Put(name, bytes);
  }
}

TEST_F(ShapeFileReaderTest, ZAndMRecordsAreReadFlatAndTheIndexFindsTheNext) {
  // Hand-made PolygonZ then PointM, each followed by its extra arrays.
  std::string shp(100, '\0'), shx(100, '\0');
  for (std::string* file : {&shp, &shx}) {
    PutBE32(*file, 0, 9994);
    PutLE32(*file, 28, 1000);
    PutLE32(*file, 32, 15);
  }
  auto appendRecord = [&](int32_t number, const std::string& content) {
    std::string header(8, '\0');
    PutBE32(header, 0, number);
    PutBE32(header, 4, static_cast<int32_t>(content.size() / 2));
    std::string entry(8, '\0');
    PutBE32(entry, 0, static_cast<int32_t>(shp.size() / 2));
    PutBE32(entry, 4, static_cast<int32_t>(content.size() / 2));
    shx += entry;
    shp += header + content;
  };
  auto le = [](int32_t v) { std::string s(4, '\0'); PutLE32(s, 0, v); return s; };
  auto dbl = [](double v) { return std::string(reinterpret_cast<const char*>(&v), 8); };
  std::string polygonZ = le(15) + dbl(0) + dbl(0) + dbl(1) + dbl(1) + le(1) + le(3) + le(0);
  for (double v : {0.0, 0.0, 1.0, 1.0, 0.0, 0.0}) polygonZ += dbl(v);
  for (int i = 0; i < 2 + 3; ++i) polygonZ += dbl(7);  // z range and values
  for (int i = 0; i < 2 + 3; ++i) polygonZ += dbl(9);  // m range and values
  appendRecord(1, polygonZ);
  appendRecord(2, le(21) + dbl(5) + dbl(6) + dbl(99));
  appendRecord(3, le(0));
  appendRecord(4, le(1) + dbl(-1) + dbl(-2));
  PutBE32(shp, 24, static_cast<int32_t>(shp.size() / 2));
  PutBE32(shx, 24, static_cast<int32_t>(shx.size() / 2));
  Put("z.shp", shp);
  Put("z.shx", shx);
  Put("z.dbf", std::string("\x03\x7d\x01\x01\0\0\0\0\x21\0\x01\0", 12) + std::string(20, '\0') + "\x0D");
  const auto result = ReadTriple(folder.PathText("z.shp"));
  ASSERT_TRUE(result.complete);
  ASSERT_EQ(result.records.size(), 4u);
  EXPECT_EQ(result.records[0].parts, (std::vector<ShapePart>{{{0, 0}, {1, 1}, {0, 0}}}));
  EXPECT_EQ(result.records[1].parts, (std::vector<ShapePart>{{{5, 6}}}));
  EXPECT_EQ(result.records[2].type, 0);
  EXPECT_EQ(result.records[3].parts, (std::vector<ShapePart>{{{-1, -2}}}));
}

}  // namespace
