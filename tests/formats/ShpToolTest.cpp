// kzmap shp dump and kzmap shp rewrite, run as a person runs them.
#include <gtest/gtest.h>

#include <string>

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

const std::string kTool = KZ_TOOL_FILE;

class ShpToolTest : public kztest::HostTest {
 protected:
  std::string WriteSample(const char* file, int32_t encoding) {
    CShapeFileWriter writer;
    writer.Begin(kShapePolygon, encoding);
    writer.AddField(Field("名称", kShapeFieldString, 12));
    writer.AddField(Field("NUM", kShapeFieldInteger, 5));
    writer.AddField(Field("AREA", kShapeFieldReal, 10, 3));
    const std::string path = folder.PathText(file);
    EXPECT_TRUE(writer.Create(ai::FilePath::FromPlatform(path)));
    writer.SetValues({Field("名称", 0, 12, 0, "田んぼ"), Field("NUM", 1, 5, 0, "7"), Field("AREA", 2, 10, 3, "1.5")});
    EXPECT_TRUE(writer.WritePolygon({{{0, 0}, {0, 1}, {1, 1}, {0, 0}}, {{0.25, 0.5}, {0.5, 0.5}, {0.25, 0.5}}}));
    writer.SetValues({Field("名称", 0, 12, 0, "畑"), Field("NUM", 1, 5, 0, "-12")});
    EXPECT_TRUE(writer.WritePolygon({{{2, 2}, {2, 3}, {3.5, 2}, {2, 2}}}));
    EXPECT_TRUE(writer.Finish());
    return path;
  }
  ScratchFolder folder;
};

TEST_F(ShpToolTest, DumpPrintsEveryItem) {
  const std::string path = WriteSample("farm.shp", 17);
  const auto run = RunCommand(kTool + " shp dump " + Quote(path) + " --encoding sjis");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "shape_type 5\n"
            "bounds 0.000000000 0.000000000 3.500000000 3.000000000\n"
            "records 2\n"
            "field 名称 C 12 0\n"
            "field NUM N 5 0\n"
            "field AREA N 10 3\n"
            "record 1 5\n"
            "part 4\n"
            "point 0.000000000 0.000000000\npoint 0.000000000 1.000000000\n"
            "point 1.000000000 1.000000000\npoint 0.000000000 0.000000000\n"
            "part 3\n"
            "point 0.250000000 0.500000000\npoint 0.500000000 0.500000000\npoint 0.250000000 0.500000000\n"
            "value 名称=田んぼ\nvalue NUM=7\nvalue AREA=1.500\n"
            "record 2 5\n"
            "part 4\n"
            "point 2.000000000 2.000000000\npoint 2.000000000 3.000000000\n"
            "point 3.500000000 2.000000000\npoint 2.000000000 2.000000000\n"
            "value 名称=畑\nvalue NUM=-12\nvalue AREA=\n");
}

TEST_F(ShpToolTest, DumpOfSkippedRecordsAndPoints) {
  const std::string base = folder.PathText("pts");
  const auto made = RunCommand("shpcreate " + Quote(base) + " pointz && shpadd " + Quote(base) + " -z 1 2 3 && shpadd " +
                               Quote(base) + " && dbfcreate " + Quote(base) + " -s T 3 && dbfadd " + Quote(base) +
                               " a && dbfadd " + Quote(base) + " b");
  ASSERT_EQ(made.status, 0) << made.err;
  const auto run = RunCommand(kTool + " shp dump " + Quote(base + ".shp"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("record 1 11\npoint 1.000000000 2.000000000\nvalue T=a\nrecord 2 0\n"), std::string::npos)
      << run.out;
  // A Null record has its row too.
  EXPECT_EQ(run.out.substr(run.out.size() - 21), "record 2 0\nvalue T=b\n");
}

TEST_F(ShpToolTest, DumpFailures) {
  const std::string path = WriteSample("farm.shp", 17);
  std::filesystem::remove(folder.Path("farm.dbf"));
  auto run = RunCommand(kTool + " shp dump " + Quote(path));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(folder.PathText("farm.dbf")), std::string::npos) << run.err;
  folder.Write("junk.shp", std::string(200, 'x'));
  folder.Write("junk.shx", std::string(200, 'x'));
  folder.Write("junk.dbf", std::string(200, 'x'));
  run = RunCommand(kTool + " shp dump " + Quote(folder.PathText("junk.shp")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("junk.shp: not a Shapefile"), std::string::npos) << run.err;
  // A damaged record: what came before it is printed, then the failure.
  WriteSample("cut.shp", 17);
  const std::string cut = ScratchFolder::Read(folder.Path("cut.shp"));
  folder.Write("cut.shp", cut.substr(0, cut.size() - 8));
  run = RunCommand(kTool + " shp dump " + Quote(folder.PathText("cut.shp")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("record 1 5\n"), std::string::npos);
  EXPECT_NE(run.err.find("record 2 cannot be read"), std::string::npos) << run.err;
  EXPECT_EQ(RunCommand(kTool + " shp dump").status, 2);
  EXPECT_EQ(RunCommand(kTool + " shp dump a.shp --encoding latin1").status, 2);
  EXPECT_EQ(RunCommand(kTool + " shp rewrite a.shp").status, 2);
}

// Shift-JIS to UTF-8 and back gives the very same bytes.
TEST_F(ShpToolTest, RewriteReencodesBothWays) {
  const std::string sjis = WriteSample("farm.shp", 17);
  const std::string utf8 = folder.PathText("farm8.shp");
  const std::string back = folder.PathText("back.shp");
  auto run = RunCommand(kTool + " shp rewrite " + Quote(sjis) + " " + Quote(utf8) + " --encoding sjis --output-encoding utf8");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "kzmap shp rewrite: 2 records written, 0 skipped\n");
  const auto dump = RunCommand(kTool + " shp dump " + Quote(utf8) + " --encoding utf8");
  EXPECT_NE(dump.out.find("field 名称 C 12 0\n"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("value 名称=田んぼ\n"), std::string::npos) << dump.out;
  const auto gdal = RunCommand("ogrinfo -ro -al -oo ENCODING=UTF-8 " + Quote(utf8));
  EXPECT_NE(gdal.out.find("名称 (String) = 田んぼ"), std::string::npos) << gdal.out;
  run = RunCommand(kTool + " shp rewrite " + Quote(utf8) + " " + Quote(back) + " --encoding utf8 --output-encoding sjis");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* extension : {".shp", ".shx", ".dbf"}) {
    SCOPED_TRACE(extension);
    EXPECT_EQ(ScratchFolder::Read(folder.Path(std::string("back") + extension)),
              ScratchFolder::Read(folder.Path(std::string("farm") + extension)));
  }
}

TEST_F(ShpToolTest, RewriteFlattensAndCountsSkipped) {
  const std::string base = folder.PathText("zz");
  const auto made = RunCommand("shpcreate " + Quote(base) + " polygonz && shpadd " + Quote(base) +
                               " -z 0 0 1 0 1 1 1 1 1 0 0 1 && shpadd " + Quote(base) + " && dbfcreate " + Quote(base) +
                               " -n N 4 0 && dbfadd " + Quote(base) + " 1 && dbfadd " + Quote(base) + " 2");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string out = folder.PathText("flat.shp");
  const auto run = RunCommand(kTool + " shp rewrite " + Quote(base + ".shp") + " " + Quote(out));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "kzmap shp rewrite: 2 records written, 0 skipped\n");
  const auto dump = RunCommand("shpdump " + Quote(out));
  EXPECT_NE(dump.out.find("Shapefile Type: Polygon   # of Shapes: 2"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("Shape:1 (NullShape)"), std::string::npos) << dump.out;
  const auto result = kztest::ReadTriple(out);
  ASSERT_TRUE(result.complete);
  EXPECT_EQ(result.records[0].parts, (std::vector<ShapePart>{{{0, 0}, {0, 1}, {1, 1}, {0, 0}}}));
  EXPECT_EQ(result.records[0].values, std::vector<std::string>{"   1"});
  EXPECT_EQ(result.records[1].type, 0);
  EXPECT_EQ(result.records[1].values, std::vector<std::string>{"   2"}) << "a Null record keeps its row";
}

}  // namespace
