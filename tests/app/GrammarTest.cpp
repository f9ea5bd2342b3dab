// One grammar for every command: an option means the same wherever it is
// given, and each wrong use is told in the user's language with what to
// write instead. Tables of (arguments -> exit status, words shown), run in
// English and in Japanese.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

using kztest::FreshFolder;
using kztest::Quote;
using kztest::RunKzmap;

// The locale is set for each run; ja_JP.UTF-8 need not be generated on the machine.
constexpr const char* kEnglish = "LC_ALL= LC_MESSAGES= LANGUAGE= LANG=C.UTF-8";
constexpr const char* kJapanese = "LC_ALL= LC_MESSAGES= LANGUAGE= LANG=ja_JP.UTF-8";

class GrammarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = FreshFolder("grammar");
    // A folder where a map is expected: the command fails (1) once its options are taken.
    notAMap = folder + "/folder.kzmap";
    std::filesystem::create_directories(notAMap);
    csv = folder + "/points.csv";
    std::ofstream(csv) << "lat,lon,name\n";
    // A map with two layers titled alike, one of them a sublayer.
    map = folder + "/roads.kzmap";
    sim::Host host;
    sim::Document& document = host.NewDocument();
    host.AddLayer("道路");
    host.AddSublayer(host.AddLayer("地図"), "道路");
    host.AddLayer("河川");
    sim::SaveDocumentFile(document, map);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  // Replaces MAP, CSV and DIR in a row's arguments.
  std::string Arguments(std::string text) const {
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"MAP", Quote(notAMap)},
                                      {"ROADS", Quote(map)}, {"CSV", Quote(csv)}, {"DIR", Quote(folder)}}) {
      for (size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    }
    return text;
  }

  std::string folder, notAMap, csv, map;
};

// An option's value that the grammar takes goes on to the command (which
// then mostly fails on the folder given as its map, or on a missing file:
// not 2); one it refuses is a usage error (2).
struct Taken {
  const char* arguments;
  bool taken;
};

TEST_F(GrammarTest, SameOptionSameMeaningInEveryCommand) {
  const Taken rows[] = {
      // Encodings by the names of .cpg files and GDAL, and the short names, in any case.
      {"shp dump DIR/none.shp --encoding CP932", true},
      {"shp dump DIR/none.shp --encoding Shift_JIS", true},
      {"shp dump DIR/none.shp --encoding shift_jis", true},
      {"shp dump DIR/none.shp --encoding UTF-8", true},
      {"shp dump DIR/none.shp --encoding utf8", true},
      {"shp dump DIR/none.shp --encoding SJIS", true},
      {"shp dump DIR/none.shp --encoding UTF-16", false},  // a dBASE table holds no UTF-16
      {"shp dump DIR/none.shp --encoding latin1", false},
      {"shp rewrite DIR/none.shp DIR/out.shp --encoding cp932 --output-encoding UTF-8", true},
      {"shp rewrite DIR/none.shp DIR/out.shp --output-encoding Shift_JIS", true},
      {"shp rewrite DIR/none.shp DIR/out.shp --output-encoding EUC-JP", false},
      {"import MAP CSV --encoding CP932", true},
      {"import MAP CSV --encoding utf-16", true},
      {"import MAP CSV --encoding Windows-31J", true},
      {"import MAP CSV --encoding ascii", false},
      {"export ROADS DIR/out.csv --encoding UTF-16", true},
      {"export ROADS DIR/out.csv --encoding shift-jis", true},
      {"export ROADS DIR/out.csv --encoding big5", false},
      {"export ROADS DIR/out.shp --layer 河川", true},
      {"export ROADS DIR/out.shp --target layer:河川", true},
      // --from and --to are references in every command that has them.
      {"convert --from EPSG:4301 --to jgd2011:xy9", true},
      {"import MAP CSV --from EPSG:4612 --to EPSG:6677", true},
      {"import MAP CSV --from sjis", false},
      {"shp rewrite DIR/none.shp DIR/out.shp --from sjis", false},
      {"shp rewrite DIR/none.shp DIR/out.shp --to utf8", false},
      // A scale as a denominator or a ratio.
      {"import MAP CSV --scale 25000", true},
      {"import MAP CSV --scale 1:25000", true},
      {"import MAP CSV --scale 1/25000", true},
      {"import MAP CSV --scale 2.5e4", true},
      {"import MAP CSV --scale 0", false},
      {"import MAP CSV --scale 1:0", false},
      {"import MAP CSV --scale -25000", false},
      {"import MAP CSV --scale 1:", false},
      {"import MAP CSV --scale 25000x", false},
      {"import MAP CSV --scale inf", false},
      {"import MAP CSV --scale nan", false},
      // An area west, south, east, north, as cs2cs --bbox.
      {"import MAP CSV --area 139.7,35.6,139.8,35.7", true},
      {"import MAP CSV --area -35000,-5000,-30000,-2000", true},  // plane metres
      {"import MAP CSV --area 35.6,139.7,35.7,139.8", false},     // latitude first
      {"import MAP CSV --area 139.8,35.6,139.7,35.7", false},     // west beyond east
      {"import MAP CSV --area 139.7,35.7,139.8,35.6", false},     // south beyond north
      {"import MAP CSV --area 139.7,35.6,139.8", false},
      {"import MAP CSV --area 139.7,35.6,139.8,", false},
      // A layer by --layer TITLE wherever a command takes one.
      {"attr MAP list --layer 道路", true},
      {"attr MAP search 名称 --text 東 --layer 道路", true},
      {"attr MAP set 名称=東 --layer 道路", false},  // set works on the selection
  };
  for (const Taken& row : rows) {
    const auto run = RunKzmap(Arguments(row.arguments), "", kEnglish);
    if (row.taken)
      EXPECT_NE(run.status, 2) << row.arguments << "\n" << run.err;
    else
      EXPECT_EQ(run.status, 2) << row.arguments << "\n" << run.err;
  }
}

// The words shown for each wrong use, in both languages.
struct Told {
  const char* arguments;
  int status;
  std::vector<const char*> english;
  std::vector<const char*> japanese;
};

TEST_F(GrammarTest, EachMistakeIsToldWithWhatToWrite) {
  const Told rows[] = {
      {"import MAP CSV --scale 0", 2,
       {"kzmap import: --scale: scale must be a number above 0 (e.g. 25000 or 1:25000) (usage: kzmap import "},
       {"kzmap import: --scale: 縮尺は 0 より大きい数値で指定してください (例: 25000 または 1:25000) (使い方: kzmap import "}},
      {"import MAP CSV --area 35.6,139.7,35.7,139.8", 2,
       {"'35.6,139.7,35.7,139.8' reads as latitude first; the order is WEST,SOUTH,EAST,NORTH",
        ": 139.7,35.6,139.8,35.7 (usage:"},
       {"「35.6,139.7,35.7,139.8」は緯度が先になっています。順序は WEST,SOUTH,EAST,NORTH", ": 139.7,35.6,139.8,35.7 (使い方:"}},
      {"import MAP CSV --area 139.8,35.6,139.7,35.7", 2,
       {"WEST must be less than EAST and SOUTH less than NORTH"}, {"WEST は EAST より、SOUTH は NORTH より小さく"}},
      {"shp rewrite DIR/a.shp DIR/b.shp --from sjis", 2,
       {"kzmap shp rewrite: the encodings are --encoding (the input's) and --output-encoding; write --encoding "
        "instead of --from (usage:"},
       {"kzmap shp rewrite: 文字コードは --encoding (入力) と --output-encoding で指定します。--from ではなく --encoding "
        "と書いてください"}},
      {"shp rewrite DIR/a.shp DIR/b.shp --to utf8", 2,
       {"write --output-encoding instead of --to"}, {"--to ではなく --output-encoding と書いてください"}},
      {"shp dump DIR/a.shp --encoding latin1", 2,
       {"'latin1' is not an encoding this takes: CP932 (also Shift_JIS, sjis) or UTF-8 (utf8)"},
       {"「latin1」は使える文字コードではありません: CP932 (Shift_JIS, sjis) または UTF-8 (utf8)"}},
      {"import MAP CSV --encoding ascii", 2,
       {"'ascii' is not an encoding this takes: CP932 (also Shift_JIS, sjis), UTF-8 (utf8) or UTF-16 (utf16)"},
       {"「ascii」は使える文字コードではありません: CP932 (Shift_JIS, sjis)、UTF-8 (utf8) または UTF-16 (utf16)"}},
      {"convert --from wgs72:bl --to tokyo:bl", 2,
       {"unknown coordinate reference 'wgs72:bl': references are tokyo:"},
       {"座標参照系「wgs72:bl」は不明です: 座標参照系は tokyo:"}},
      {"import MAP DIR/none.shp", 2, {"none.shp: no such file (usage: kzmap import"}, {"none.shp: ファイルがありません (使い方: kzmap import"}},
      {"export ROADS DIR/out.shp --layer 道路 --target all", 2, {"--target cannot be used with --layer"},
       {"--target は --layer と一緒に使えません"}},
      {"markers MAP five", 2, {"'five' is not one of four, three"}, {"「five」は four, three のどれでもありません"}},
      {"attr MAP set 名称=東 --layer 道路", 2, {"--layer is for list and search; set and label work on the objects"},
       {"--layer は list と search 用です"}},
      {"export ROADS DIR/out.shp --layer 道路", 1,
       {"kzmap export: ", "2 layers are titled \"道路\": \"道路\"; \"地図\" > \"道路\"; give each layer a title of its own"},
       {"タイトルが「道路」のレイヤーが 2 個あります: \"道路\"; \"地図\" > \"道路\"。"}},
      {"export ROADS DIR/out.shp --target layer:道路", 1, {"2 layers are titled \"道路\""},
       {"タイトルが「道路」のレイヤーが 2 個あります"}},
      {"attr ROADS list --layer 道路", 1, {"2 layers are titled \"道路\": \"道路\"; \"地図\" > \"道路\""},
       {"タイトルが「道路」のレイヤーが 2 個あります"}},
      {"export ROADS DIR/out.shp --layer 鉄道", 1,
       {"no layer is titled \"鉄道\" (layers: \"道路\", \"地図\", \"地図\" > \"道路\", \"河川\")"},
       {"タイトルが「鉄道」のレイヤーはありません"}},
      {"frobnicate", 2, {"kzmap: unknown command 'frobnicate' (see kzmap --help)"},
       {"kzmap: 不明なコマンド「frobnicate」です (kzmap --help を参照)"}},
      {"convert --from tokyo:bl", 2, {"--to is required"}, {"--to が必要です"}},
      {"convert --from tokyo:bl --to tokyo:bl --fast", 2, {"unexpected argument: --fast"}, {"余分な引数です: --fast"}},
      {"demo --plugin", 2, {"--plugin needs a value"}, {"--plugin に値がありません"}},
  };
  for (const Told& row : rows) {
    for (const bool japanese : {false, true}) {
      const auto run = RunKzmap(Arguments(row.arguments), "", japanese ? kJapanese : kEnglish);
      EXPECT_EQ(run.status, row.status) << row.arguments << "\n" << run.err;
      for (const char* words : japanese ? row.japanese : row.english)
        EXPECT_NE(run.err.find(words), std::string::npos) << row.arguments << "\n" << words << "\n" << run.err;
      // A usage error is one line, and the parser's own English never shows through.
      if (row.status == 2) EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      for (const char* parser : {"excludes", "is required", "not in {", "ValidationError", "Could not convert"})
        if (japanese) EXPECT_EQ(run.err.find(parser), std::string::npos) << parser << "\n" << run.err;
    }
  }
}

// Every command's help ends with an example, after the forms of a reference
// where it takes one; framed in the user's language.
TEST_F(GrammarTest, EveryHelpEndsWithAnExample) {
  struct Row {
    const char* command;
    bool references;
  };
  const Row rows[] = {{"convert", true},  {"import", true},       {"export", true},       {"info", false},
                      {"new", false},     {"render", false},      {"attr", false},        {"markers", false},
                      {"upgrade", false}, {"shp dump", false},    {"shp rewrite", false}, {"grid build", false},
                      {"demo", false}};
  for (const Row& row : rows) {
    for (const bool japanese : {false, true}) {
      const auto run = RunKzmap(std::string(row.command) + " --help", "", japanese ? kJapanese : kEnglish);
      ASSERT_EQ(run.status, 0) << row.command;
      const std::string example = japanese ? "\n例:\n  kzmap " : "\nExample:\n  kzmap ";
      const size_t at = run.out.rfind(example);
      ASSERT_NE(at, std::string::npos) << row.command << "\n" << run.out;
      // Nothing but example lines after it.
      std::string rest = run.out.substr(at + example.size() - 8);
      for (size_t line = rest.find('\n'); line != std::string::npos && line + 1 < rest.size(); line = rest.find('\n', line + 1))
        EXPECT_EQ(rest.compare(line + 1, 8, "  kzmap "), 0) << row.command << "\n" << rest;
      const size_t forms = run.out.find(japanese ? "REF は tokyo:" : "REF is tokyo:");
      EXPECT_EQ(forms != std::string::npos, row.references) << row.command;
      if (row.references) EXPECT_LT(forms, at) << row.command;
      EXPECT_NE(run.out.find(japanese ? "\n使い方: kzmap " : "\nUsage: kzmap "), std::string::npos) << run.out;
    }
  }
}

// The area reaches the import in the order it is written: of five points
// around a square, only the one inside is drawn. The corners are those of a
// cs2cs --bbox: west and south first.
TEST_F(GrammarTest, AreaIsWestSouthEastNorth) {
  const std::string points = folder + "/stations.csv";
  std::ofstream(points) << "lat,lon,name\n"
                           "35.65,139.75,inside\n35.65,139.65,west\n35.65,139.85,east\n"
                           "35.55,139.75,south\n35.75,139.75,north\n";
  const std::string made = folder + "/area.kzmap";
  const auto run = RunKzmap("import " + Quote(made) + " " + Quote(points) +
                                " --from jgd2000:bl --to jgd2000:xy9 --area 139.7,35.6,139.8,35.7",
                            "", kEnglish);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto info = RunKzmap("attr " + Quote(made) + " list --layer stations", "", kEnglish);
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("name=inside"), std::string::npos) << info.out;
  for (const char* outside : {"name=west", "name=east", "name=south", "name=north"})
    EXPECT_EQ(info.out.find(outside), std::string::npos) << outside << "\n" << info.out;
}

}  // namespace
