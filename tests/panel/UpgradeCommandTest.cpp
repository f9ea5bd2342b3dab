// The upgrade of attribute data of the older tag format, started from the
// flyout menu.
#include <gtest/gtest.h>

#include "panel/PanelFixture.h"
#include "sim/TextCodec.h"

namespace {

using kztest::HasRow;
using kztest::PanelTest;
using kztest::ReadRow;
using kztest::RowField;

constexpr uint32_t kUpgradeItem = 11;

class UpgradeTest : public PanelTest {
 protected:
  // A string tag as the older version wrote it: 8-bit Shift-JIS text.
  static void Tag(sim::Art& art, const std::string& name, const std::string& utf8) {
    art.EditExtras().tags.push_back(
        sim::Tag{name, "string", sim::EncodeText(sim::Utf8ToUtf16(utf8), kAIShiftJISCharacterEncoding), 0, false});
  }
  sim::Art& Object() { return host.AddPath(*layer->group, {{0, 0}, {10, 10}}, false); }
  void Upgrade() { ASSERT_TRUE(host.ChooseFlyoutItem(*Panel(), kUpgradeItem)); }
};

TEST_F(UpgradeTest, ConvertsTheTagsOnceAndKeepsThem) {
  sim::Art& city = Object();
  Tag(city, "KzMapTag0001", "名称|C|20|0|東京|都");  // the value may hold "|"
  Tag(city, "KzMapTag0002", "POP|N|10|0|  13960000");
  Tag(city, "KzMapTag0003", "AREA|N|10|3|2194.050");
  Tag(city, "KzMapTag0004", "CAPITAL|L|1|0|T");
  Tag(city, "KzMapTag0005", "RATE|F|8|2|0.75");
  Tag(city, "KzMapTag0006", "BROKEN|C|20|0");  // three separators: not an entry
  Tag(city, "OtherTag0007", "NAME|C|20|0|x");  // another plug-in's tag
  city.EditExtras().tags.push_back(sim::Tag{"KzMapTag0008", "real", {}, 1.5, false});
  sim::Art& town = Object();
  Tag(town, "KzMapTag0001", "WIDE|C|300|0|x");  // 300 does not fit a field: refused, not narrowed to 44
  Tag(town, "KzMapTag0002", "DEC|N|5|9|1");     // more decimals than digits
  Tag(town, "KzMapTag0003", "CODE|N|5|0|13");
  sim::Art& plain = Object();
  const size_t tagCount = city.Extras().tags.size();

  Upgrade();
  const std::vector<RowField> cityRow = {{"名称", 0, 20, 0, "東京|都"},
                                         {"POP", 1, 10, 0, "13960000"},
                                         {"AREA", 2, 10, 3, "2194.050"},
                                         {"CAPITAL", 1, 1, 0, "1"},
                                         {"RATE", 2, 8, 2, "0.75"}};
  EXPECT_EQ(ReadRow(city), cityRow);
  EXPECT_EQ(ReadRow(town), (std::vector<RowField>{{"CODE", 1, 5, 0, "13"}}));
  EXPECT_FALSE(HasRow(plain));
  EXPECT_EQ(city.Extras().tags.size(), tagCount);
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"アップグレードが完了しました"});
  const auto& texts = host.User().progress.texts;
  EXPECT_NE(std::find(texts.begin(), texts.end(), "旧型式の属性をアップグレードしています"), texts.end());

  Upgrade();
  EXPECT_EQ(ReadRow(city), cityRow);
  EXPECT_EQ(ReadRow(town).size(), 1u);
  EXPECT_EQ(AlertTexts().size(), 2u);
}

TEST_F(UpgradeTest, AddsToAnExistingRowWithoutDuplicates) {
  sim::Art& art = Object();
  kztest::WriteRow(art, {{"CODE", 1, 5, 0, "99"}});
  Tag(art, "KzMapTag0001", "CODE|N|5|0|13");
  Tag(art, "KzMapTag0002", "NAME|C|10|0|港");
  Upgrade();
  EXPECT_EQ(ReadRow(art), (std::vector<RowField>{{"CODE", 1, 5, 0, "99"}, {"NAME", 0, 10, 0, "港"}}));
}

TEST_F(UpgradeTest, WithoutOldDataSaysSo) {
  Object().EditExtras().tags.push_back(sim::Tag{"KzMapTag0001", "real", {}, 1, false});
  Upgrade();
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{"ドキュメント内に以前の型式の属性データはありません"});
}

TEST_F(UpgradeTest, CancelKeepsWhatWasConvertedAndSaysNothing) {
  std::vector<sim::Art*> objects;
  for (int i = 0; i < 4; ++i) {
    objects.push_back(&Object());
    Tag(*objects.back(), "KzMapTag0001", "CODE|N|5|0|" + std::to_string(i));
  }
  host.User().progress.cancelAt = 2;  // while converting the third object
  Upgrade();
  EXPECT_TRUE(HasRow(*objects[0]));
  EXPECT_TRUE(HasRow(*objects[1]));
  EXPECT_FALSE(HasRow(*objects[2]));
  EXPECT_FALSE(HasRow(*objects[3]));
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(UpgradeTest, CancelDuringTheScanConvertsNothing) {
  Tag(Object(), "KzMapTag0001", "CODE|N|5|0|1");
  host.User().progress.cancelAt = 1;  // the first step of the scan
  Upgrade();
  EXPECT_FALSE(HasRow(*layer->group->children[0]));
  EXPECT_TRUE(AlertTexts().empty());
}

}  // namespace
