// Coordinate text files written by other tools through kzmap import: what
// Python's csv module writes (every field quoted, line breaks inside
// values) comes back as Python reads it; a file without data fails and
// makes no map; every value fitted to its field and every byte that is not
// text in the chosen encoding is counted in a note naming the file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../import/ImportTestSupport.h"

namespace {

using namespace importtest;

// Writes argv[1] with csv.QUOTE_ALL and the rows Python's own reader gets
// back to argv[2]: one row a line, values by tabs, "\" and line feeds escaped.
const char* const kWriter = R"(import csv, sys
rows = [
    ["緯度", "経度", "名前", "メモ"],
    ["35.66", "139.74", "東京\nタワー", "1行目\n\n3行目"],
    ["35.67", "139.75", '"引用", 付き', "x"],
    ["35.68", "139.76", "最後", ""],
    ["35.69", "139.77", "", "末尾\n"],
]
with open(sys.argv[1], "w", newline="", encoding="utf-8") as f:
    csv.writer(f, quoting=csv.QUOTE_ALL).writerows(rows)
with open(sys.argv[1], newline="", encoding="utf-8") as f, open(sys.argv[2], "w", encoding="utf-8") as out:
    for row in csv.reader(f):
        out.write("\t".join(v.replace("\\", "\\\\").replace("\n", "\\n") for v in row) + "\n")
)";

std::vector<std::vector<std::string>> ReadEscapedRows(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> row(1);
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\t') {
        row.emplace_back();
      } else if (line[i] == '\\' && i + 1 < line.size()) {
        row.back() += line[++i] == 'n' ? '\n' : line[i];
      } else {
        row.back() += line[i];
      }
    }
    rows.push_back(row);
  }
  return rows;
}

class TextLossTest : public ::testing::Test {
 protected:
  CommandResult Kzmap(const std::string& arguments) {
    return RunMerged("env XDG_CONFIG_HOME=" + Quote(folder / "config") + " " + KZ_TOOL_FILE + " " + arguments);
  }
  nlohmann::json Info() {
    const CommandResult info = kztest::RunKzmap("info " + Quote(map) + " --json");
    EXPECT_EQ(info.status, 0) << info.out;
    return nlohmann::json::parse(info.out);
  }
  // The attribute rows of the layer's art in file order.
  std::vector<nlohmann::json> Rows(const std::string& title) {
    std::vector<nlohmann::json> rows;
    const nlohmann::json info = Info();
    for (const auto& layer : info.at("layers")) {
      if (layer.at("title") != title) continue;
      for (const auto& art : layer.at("art")) rows.insert(rows.begin(), art.at("attributes"));
    }
    return rows;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  ScratchFolder folder;
  std::string map = folder / "map.kzmap";
};

TEST_F(TextLossTest, QuotedLineBreaksReadAsPythonsCsvReadsThem) {
  const std::string script = Write("write.py", kWriter);
  const std::string csv = folder / "quoted.csv";
  const CommandResult made = RunMerged("python3 " + Quote(script) + " " + Quote(csv) + " " + Quote(folder / "rows.txt"));
  ASSERT_EQ(made.status, 0) << made.out;
  const std::vector<std::vector<std::string>> expected = ReadEscapedRows(folder / "rows.txt");
  ASSERT_EQ(expected.size(), 5u);

  const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(csv) + " --from jgd2000:bl");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("note"), std::string::npos) << run.out;
  const std::vector<nlohmann::json> rows = Rows("quoted");
  // No phantom points from the lines inside the quotes.
  ASSERT_EQ(rows.size(), expected.size() - 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].at("名前"), expected[i + 1][2]);
    EXPECT_EQ(rows[i].at("メモ"), expected[i + 1][3]);
  }
}

TEST_F(TextLossTest, FileWithoutDataFailsAndMakesNoMap) {
  for (const char* text : {"", "\r\n\r\n", "緯度,経度,名前\r\n"}) {
    SCOPED_TRACE(text);
    const std::string csv = Write("empty.csv", text);
    const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(csv) + " --from jgd2000:bl");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("error: empty.csv には"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(map));
  }
}

TEST_F(TextLossTest, ValuesFittedToTheirFieldAreCountedInANote) {
  const std::string csv = Write("counts.csv",
                                "lat,lon,big,small,real\n"
                                "35.66,139.74,9999999999,12345678901,12.9\n"
                                "35.67,139.75,-3000000000,7,abc\n"
                                "35.68,139.76,42,-5,1.005\n");
  const CommandResult run =
      Kzmap("import " + Quote(map) + " " + Quote(csv) + " --from jgd2000:bl --columns y,x,integer,integer:5,real:8.2");
  ASSERT_EQ(run.status, 0) << run.out;
  // -3000000000 in ten digits, 12345678901 in five, "abc" and 1.005 (two decimals).
  EXPECT_NE(run.out.find("note: counts.csv の値のうち 4 個は、数値でないかフィールドの桁数に収まらないため、収まる値に変えて読み込みました"),
            std::string::npos)
      << run.out;
  const std::vector<nlohmann::json> rows = Rows("counts");
  ASSERT_EQ(rows.size(), 3u);
  // Ten digits hold 9999999999 exactly: no 32-bit limit on the way.
  EXPECT_EQ(rows[0].at("big"), "9999999999");
  EXPECT_EQ(rows[0].at("small"), "99999");
  EXPECT_EQ(rows[0].at("real"), "12.90");
  EXPECT_EQ(rows[1].at("big"), "-999999999");
  EXPECT_EQ(rows[2].at("big"), "42");
  EXPECT_EQ(rows[2].at("small"), "-5");
}

TEST_F(TextLossTest, BytesThatAreNotTextInTheEncodingAreCountedOnce) {
  // Shift-JIS text read as UTF-8; Python counts what UTF-8 cannot read.
  const std::string utf8 = Write("source.csv", "lat,lon,name\n35.66,139.74,東京タワー\n35.67,139.75,ＡＢ\n");
  const std::string csv = folder / "sjis.csv";
  ASSERT_EQ(RunMerged("iconv -f UTF-8 -t CP932 " + Quote(utf8) + " > " + Quote(csv)).status, 0);
  const CommandResult counted = RunMerged(
      "python3 -c 'import sys; print(open(sys.argv[1], \"rb\").read().decode(\"utf-8\", \"replace\").count(\"\\ufffd\"))' " +
      Quote(csv));
  ASSERT_EQ(counted.status, 0) << counted.out;
  const std::string count = counted.out.substr(0, counted.out.find('\n'));

  const CommandResult run = Kzmap("import " + Quote(map) + " " + Quote(csv) + " --encoding utf8 --from jgd2000:bl");
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string note = "note: sjis.csv には UTF-8 の文字として読めないバイトが " + count +
                           " 個あり、「\xEF\xBF\xBD」に置き換えました。シフトJIS で読み込んでみてください";
  EXPECT_NE(run.out.find(note), std::string::npos) << run.out;
  // Told once for the file.
  EXPECT_EQ(run.out.find("読めないバイト"), run.out.rfind("読めないバイト"));

  // A U+FFFD that the UTF-8 file holds as text is no loss; a stray byte is.
  const std::string mixed = Write("mixed.csv", "lat,lon,name\n35.66,139.74,\xEF\xBF\xBD\xFF\n");
  const CommandResult mixedCount = RunMerged(
      "python3 -c 'import sys; d = open(sys.argv[1], \"rb\").read(); "
      "print(d.decode(\"utf-8\", \"replace\").count(\"\\ufffd\") - d.count(b\"\\xef\\xbf\\xbd\"))' " +
      Quote(mixed));
  ASSERT_EQ(mixedCount.out, "1\n");
  const CommandResult once = Kzmap("import " + Quote(map) + " " + Quote(mixed) + " --encoding utf8 --from jgd2000:bl");
  ASSERT_EQ(once.status, 0) << once.out;
  EXPECT_NE(once.out.find("mixed.csv には UTF-8 の文字として読めないバイトが 1 個あり"), std::string::npos) << once.out;

  // Read in the right encoding, nothing is lost and nothing is said.
  const CommandResult right = Kzmap("import " + Quote(map) + " " + Quote(csv) + " --encoding sjis --from jgd2000:bl");
  ASSERT_EQ(right.status, 0) << right.out;
  EXPECT_EQ(right.out.find("読めないバイト"), std::string::npos) << right.out;
}

}  // namespace
