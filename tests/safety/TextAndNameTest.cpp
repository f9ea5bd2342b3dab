// What a map's texts can do to a terminal and to file names: control
// characters in titles and values are shown escaped; long titles become
// file names that fit the file system, cut between characters.
#include <gtest/gtest.h>

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

sim::Value Entry(const std::u16string& name, const std::u16string& value) {
  auto entry = sim::NewArray();
  *entry = {sim::Value{name}, sim::Value{int32_t{0}}, sim::Value{int32_t{40}}, sim::Value{int32_t{0}},
                  sim::Value{value}};
  return sim::Value{entry};
}

sim::DictPtr Row(const std::u16string& name, const std::u16string& value) {
  auto row = sim::NewArray();
  *row = {Entry(name, value)};
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

// Bytes a terminal acts on: C0 controls but the line feed, DEL, and the
// C1 controls (UTF-8 C2 80..C2 9F).
std::string ControlBytes(const std::string& text) {
  std::string found;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7F) found += "\\x" + std::to_string(c) + " ";
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80)
      found += "C1 ";
  }
  return found;
}

TEST(TerminalSafety, InfoAndAttrListShowControlCharactersEscaped) {
  ScratchFolder folder;
  const std::string map = (folder / "m.kzmap").string();
  {
    sim::Host host;
    sim::Document& document = host.NewDocument();
    sim::Layer& layer = host.AddLayer("\x1b]0;owned\x07\x1b[2J赤\x1b[31m");
    layer.group->Dict() = Row(u"名\u001b[1m", u"");
    sim::Art& art = host.AddPath(*layer.group, {{0, 0}, {10, 10}}, false);
    art.Dict() = Row(u"名\u001b[1m", u"a\u0008\u009b31m\u202eb\tc");
    sim::SaveDocumentFile(document, map);
  }
  const auto info = RunKzmap({"info", map});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(ControlBytes(info.out), "") << info.out;
  EXPECT_NE(info.out.find("layer \"\\x1B]0;owned\\x07\\x1B[2J赤\\x1B[31m\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("名\\x1B[1m"), std::string::npos) << info.out;

  const auto list = RunKzmap({"attr", map, "list"});
  ASSERT_EQ(list.status, 0) << list.err;
  // Tabs separate the columns; none comes from the map.
  EXPECT_EQ(list.out,
            "layer\t\\x1B]0;owned\\x07\\x1B[2J赤\\x1B[31m\n"
            "1\tpath\t名\\x1B[1m=a\\x08\\u{009B}31m\\u{202E}b\\tc\n");
}

struct LongTitle {
  const char* label;
  std::string title;
  std::string expectedStem;  // the file's name without ".shp"
};

// The stem fits 255 bytes less the temporary suffix (7) and ".shp" (4).
const LongTitle kLongTitles[] = {
    // 82 kana are 246 bytes: one goes.
    {"Kana82", [] { std::string t; for (int i = 0; i < 82; ++i) t += "あ"; return t; }(),
     [] { std::string t; for (int i = 0; i < 81; ++i) t += "あ"; return t; }()},
    // 240 ASCII letters fit as they are.
    {"Ascii240", std::string(240, 'a'), std::string(240, 'a')},
    // 61 four-byte characters are 244 bytes and fit; 62 lose a whole one.
    {"Emoji62", [] { std::string t; for (int i = 0; i < 62; ++i) t += "😀"; return t; }(),
     [] { std::string t; for (int i = 0; i < 61; ++i) t += "😀"; return t; }()},
};

class LongLayerTitles : public ::testing::TestWithParam<LongTitle> {};

TEST_P(LongLayerTitles, BecomeFileNamesThatFit) {
  ScratchFolder folder;
  const std::string map = (folder / "m.kzmap").string();
  {
    sim::Host host;
    sim::Document& document = host.NewDocument();
    sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
    host.AddPointText(*frame.group, {0, 0}, "G=JGD|P=XY9|X=100.000000|Y=200.000000|S=3600|R=0.000000");
    for (int copy = 0; copy < 2; ++copy) {
      sim::Layer& layer = host.AddLayer(GetParam().title);
      host.AddPath(*layer.group, {{1, 1}}, false);
    }
    sim::SaveDocumentFile(document, map);
  }
  const auto run = RunKzmap({"export", map, (folder / "out").string(), "--per-layer", "--target", "all"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder / "out" / (GetParam().expectedStem + ".shp"))) << run.err;
  for (const auto& entry : fs::directory_iterator(folder / "out"))
    EXPECT_LE(entry.path().filename().string().size(), 255u - 7u) << entry.path();
  // The second layer of the same title gets "_2", the stem giving way.
  size_t sets = 0;
  for (const auto& entry : fs::directory_iterator(folder / "out")) sets += entry.path().extension() == ".shp";
  EXPECT_EQ(sets, 2u);
}

INSTANTIATE_TEST_SUITE_P(Titles, LongLayerTitles, ::testing::ValuesIn(kLongTitles),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
