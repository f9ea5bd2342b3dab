// A big map's art waits in the temporary folder while a command works; a
// folder that cannot be written loses nothing: the command carries on with
// the map in memory and says so, and what it makes is the same.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::Quote;
using kztest::RunKzmap;
using kztest::ScratchFolder;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TemporaryFolder, OneThatCannotBeWrittenKeepsTheMapInMemoryAndSaysSo) {
  ScratchFolder folder;
  const std::string csv = folder.Path("points.csv").string();
  {
    std::ofstream out(csv);
    out << "lat,lon,NAME\n";
    for (int i = 0; i < 400; ++i) out << 35 + i * 0.001 << ',' << 139 + i * 0.002 << ",P" << i << '\n';
  }
  const auto import = [&](const std::string& map, const std::string& environment) {
    return RunKzmap("import " + Quote(map) + " " + Quote(csv) +
                        " --to jgd2000:xy9 --from jgd2000:bl --columns y,x,string:10 --encoding utf8",
                    "", environment);
  };
  // Every body set aside at every chance, in a folder that is not there.
  const std::string kept = folder.Path("kept.kzmap").string();
  const auto failing = import(kept, "KZMAP_RESIDENT_ART_CHUNKS=1 TMPDIR=" + folder.Path("none").string());
  ASSERT_EQ(failing.status, 0) << failing.out << failing.err;
  EXPECT_NE(failing.err.find("the map was kept whole in memory"), std::string::npos) << failing.err;
  EXPECT_NE(failing.err.find(folder.Path("none").string()), std::string::npos) << failing.err;

  const std::string aside = folder.Path("aside.kzmap").string();
  const auto working = import(aside, "KZMAP_RESIDENT_ART_CHUNKS=1 TMPDIR=" + folder.Path("").string());
  ASSERT_EQ(working.status, 0) << working.out << working.err;
  EXPECT_EQ(working.err.find("kept whole in memory"), std::string::npos) << working.err;
  EXPECT_EQ(ReadAll(kept), ReadAll(aside));
}

}  // namespace
