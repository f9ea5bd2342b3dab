// kzmap's option parsing: help for the tool and every command, and bad usage
// reported as one line with exit status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/Process.h"

namespace {

using kztest::RunKzmap;

size_t LineCount(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

TEST(CommandLine, HelpListsEveryCommand) {
  const auto top = RunKzmap("--help");
  ASSERT_EQ(top.status, 0) << top.err;
  for (const char* word : {"convert", "demo", "grid", "shp", "--version"})
    EXPECT_NE(top.out.find(word), std::string::npos) << word << "\n" << top.out;
  const auto shp = RunKzmap("shp --help");
  ASSERT_EQ(shp.status, 0) << shp.err;
  for (const char* word : {"dump", "rewrite"}) EXPECT_NE(shp.out.find(word), std::string::npos) << word;

  const auto none = RunKzmap("");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("convert"), std::string::npos) << none.err;
  EXPECT_EQ(RunKzmap("--version").out, "Kartzmap 4.5.1\n");
}

struct HelpCase {
  const char* command;
  std::vector<const char*> mentions;
};

TEST(CommandLine, EachCommandHasHelpWithItsOptions) {
  const HelpCase cases[] = {
      {"convert", {"--from", "--to", "--grid", "--verbose"}},
      {"grid build", {"IN.par", "OUT.dat"}},
      {"shp dump", {"FILE.shp", "--encoding", "CP932", "UTF-8"}},
      {"shp rewrite", {"IN.shp", "OUT.shp", "--encoding", "--output-encoding"}},
      {"demo", {"--plugin"}},
  };
  for (const HelpCase& row : cases) {
    const auto run = RunKzmap(std::string(row.command) + " --help");
    EXPECT_EQ(run.status, 0) << row.command << run.err;
    EXPECT_NE(run.out.find("Usage: kzmap " + std::string(row.command)), std::string::npos) << run.out;
    for (const char* mention : row.mentions) EXPECT_NE(run.out.find(mention), std::string::npos) << mention;
  }
}

struct BadCase {
  const char* arguments;
  const char* start;    // how the one line begins
  const char* culprit;  // what it must name
};

TEST(CommandLine, BadUsageIsOneLineAndExitTwo) {
  const BadCase cases[] = {
      {"frobnicate", "kzmap: ", "frobnicate"},
      {"--colour", "kzmap: ", "--colour"},
      {"shp", "kzmap shp: ", "which command"},
      {"shp undump x.shp", "kzmap shp: ", "undump"},
      {"convert --from tokyo:bl", "kzmap convert: ", "--to"},
      {"convert --from wgs72:bl --to tokyo:bl", "kzmap convert: ", "wgs72:bl"},
      {"convert --from JGD2011:XY20 --to tokyo:bl", "kzmap convert: ", "JGD2011:XY20"},
      // A code PROJ knows that names no reference the tool draws in: said so, with the forms.
      {"convert --from EPSG:3857 --to tokyo:bl", "kzmap convert: ",
       "EPSG:3857 is not a reference this tool draws in: references are tokyo:, jgd2000:, jgd2011: or wgs84:"},
      {"export /dev/null out.shp --to epsg:32754", "kzmap export: ", "epsg:32754 is not a reference this tool draws in"},
      {"convert --from tokyo:bl --to tokyo:bl --fast", "kzmap convert: ", "--fast"},
      {"grid build only-one.par", "kzmap grid build: ", "OUT.dat"},
      {"shp dump", "kzmap shp dump: ", "FILE.shp"},
      {"shp dump a.shp --encoding latin1", "kzmap shp dump: ", "latin1"},
      {"shp dump a.shp b.shp", "kzmap shp dump: ", "b.shp"},
      {"shp rewrite a.shp b.shp --output-encoding ascii", "kzmap shp rewrite: ", "ascii"},
      {"shp rewrite a.shp b.shp --to utf8", "kzmap shp rewrite: ", "write --output-encoding instead of --to"},
      {"demo --plugin", "kzmap demo: ", "--plugin"},
  };
  for (const BadCase& row : cases) {
    const auto run = RunKzmap(row.arguments);
    EXPECT_EQ(run.status, 2) << row.arguments;
    EXPECT_EQ(run.out, "") << row.arguments;
    EXPECT_EQ(LineCount(run.err), 1u) << row.arguments << "\n" << run.err;
    EXPECT_EQ(run.err.rfind(row.start, 0), 0u) << run.err;
    EXPECT_NE(run.err.find(row.culprit), std::string::npos) << row.arguments << "\n" << run.err;
  }
}

}  // namespace
