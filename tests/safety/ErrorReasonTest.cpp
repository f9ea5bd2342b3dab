// Failures say which file and why: the system's reason for a folder that
// cannot be written, the table's own limit for too many fields, the record
// where a damaged Shapefile went out of step, and what a multi-file import
// saved before it failed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "safety/SafetyTools.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::RunKzmap;
using kztest::ScratchFolder;

void PutLittleInt32(std::string& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
}

TEST(DamagedShapefile, AGarbageShapeTypeIsToldAsAnUnreadableRecord) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  ASSERT_EQ(RunKzmap({"export", map, (folder / "pts.shp").string(), "--kinds", "paths"}).status, 0);
  // Points: a 100-byte header, then 28 bytes a record; the second record's
  // shape type follows its 8-byte header.
  std::string shp = kztest::ReadFile(folder / "pts.shp");
  ASSERT_EQ(shp.size(), 100u + 3 * 28u);
  PutLittleInt32(shp, 100 + 28 + 8, -132607116);
  kztest::WriteFile(folder / "pts.shp", shp);
  const std::string into = (folder / "into.kzmap").string();
  const auto run = RunKzmap({"import", into, (folder / "pts.shp").string(), "--to", "jgd2000:xy9"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find("-132607116"), std::string::npos) << run.err;
  // The record is named; the index still leads to the records after it.
  EXPECT_NE(run.err.find((folder / "pts.shp").string() + ": 2（計 1 件）"), std::string::npos) << run.err;
  sim::Host host;
  sim::LoadDocumentFile(host, into);
  ASSERT_NE(host.FindLayer("pts"), nullptr);
  size_t points = 0;
  for (const sim::Art* art : host.ArtOfLayer(*host.FindLayer("pts"))) points += art->type == kPathArt;
  EXPECT_EQ(points, 2u);  // the first and the third record
}

TEST(TooManyFields, IsToldAsTheTablesLimit) {
  ScratchFolder folder;
  const std::string map = (folder / "m.kzmap").string();
  {
    sim::Host host;
    sim::Document& document = host.NewDocument();
    sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
    host.AddPointText(*frame.group, {0, 0}, "G=JGD|P=XY9|X=100.000000|Y=200.000000|S=3600|R=0.000000");
    sim::Layer& layer = host.AddLayer("広い表");
    auto row = sim::NewArray();
    for (int i = 0; i < 2047; ++i) {
      auto entry = sim::NewArray();
      const std::string name = "F" + std::to_string(i);
      *entry = {sim::Value{std::u16string(name.begin(), name.end())}, sim::Value{int32_t{0}},
                      sim::Value{int32_t{1}}, sim::Value{int32_t{0}}, sim::Value{std::u16string()}};
      row->push_back(sim::Value{entry});
    }
    layer.group->Dict() = sim::NewDictionary();
    layer.group->Dict()->Set("KartzmapField", sim::Value{row});
    host.AddPath(*layer.group, {{1, 1}}, false);
    sim::SaveDocumentFile(document, map);
  }
  const auto run = RunKzmap({"export", map, (folder / "wide.shp").string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("wide.shp: cannot be opened for writing (a dBASE table holds at most 2046 fields)"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(safety::Leftovers(folder.Path(), {"m.kzmap"}).empty());
}

TEST(ReadOnlyFolder, IsToldWithTheSystemsReason) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into any folder; the file size limit tests show the reason";
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  fs::create_directory(folder / "locked");
  fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const auto run = RunKzmap({"export", map, (folder / "locked" / "out.csv").string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("Permission denied"), std::string::npos) << run.err;
}

TEST(MultiFileImport, SaysWhatWasSavedBeforeItFailed) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  kztest::WriteFile(folder / "a.csv", "緯度,経度,名前\n35.66,139.74,東京\n");
  kztest::WriteFile(folder / "b.shp", "not a shapefile");
  const auto run = RunKzmap({"import", map, (folder / "a.csv").string(), (folder / "b.shp").string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(map + " was saved with a.csv imported, before the failure; not imported: b.shp"),
            std::string::npos)
      << run.err;
  sim::Host host;
  sim::LoadDocumentFile(host, map);
  EXPECT_NE(host.FindLayer("a"), nullptr);
  EXPECT_EQ(host.FindLayer("b"), nullptr);
}

}  // namespace
