// Whether a map file already holds a document as a save would write it: the
// check that lets a command leave an up-to-date map alone. Any difference —
// one byte changed, added or missing, another file form — must say no, or
// a change would be lost without a word.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/ScratchFolder.h"

namespace {

// A document whose one layer bears the title given; titles of one length
// give files of one length.
sim::Document& MapTitled(sim::Host& host, const char* title) {
  sim::Document& document = host.NewDocument({0, 200, 300, 0});
  sim::Layer& layer = host.AddLayer(title);
  host.AddPath(*layer.group, {{10, 10}, {50, 10}, {50, 40}}, true);
  return document;
}

struct HoldsCase {
  const char* label;
  // What lies in the file, from the saved bytes of the map titled "地図A".
  std::function<std::string(const std::string& saved, const sim::Document& map)> file;
  bool holds;
};

void PrintTo(const HoldsCase& c, std::ostream* out) { *out << c.label; }

class DocumentFileHolds : public testing::TestWithParam<HoldsCase> {};

TEST_P(DocumentFileHolds, OnlyTheBytesASaveWritesHoldTheDocument) {
  kztest::ScratchFolder folder;
  sim::Host host;
  sim::Document& map = MapTitled(host, "地図A");
  const std::string path = folder.PathText("m.kzmap");
  sim::SaveDocumentFile(map, path);
  const std::string saved = kztest::ScratchFolder::Read(path);
  folder.Write("m.kzmap", GetParam().file(saved, map));
  EXPECT_EQ(sim::DocumentFileHolds(map, path), GetParam().holds);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DocumentFileHolds,
    testing::Values(
        HoldsCase{"AsSaved", [](const std::string& saved, const sim::Document&) { return saved; }, true},
        HoldsCase{"OneByteMore", [](const std::string& saved, const sim::Document&) { return saved + '\0'; }, false},
        HoldsCase{"OneByteLess",
                  [](const std::string& saved, const sim::Document&) { return saved.substr(0, saved.size() - 1); },
                  false},
        HoldsCase{"Empty", [](const std::string&, const sim::Document&) { return std::string(); }, false},
        HoldsCase{"SameLengthOtherTitle",
                  [](const std::string& saved, const sim::Document&) {
                    sim::Host other;
                    const std::string bytes = sim::DocumentToBytes(MapTitled(other, "地図B"));
                    EXPECT_EQ(bytes.size(), saved.size());
                    EXPECT_NE(bytes, saved);
                    return bytes;
                  },
                  false},
        HoldsCase{"JsonOfTheSameMap",
                  [](const std::string&, const sim::Document& map) { return sim::DocumentToJson(map); }, false}),
    [](const testing::TestParamInfo<HoldsCase>& info) { return std::string(info.param.label); });

TEST(DocumentFileHoldsMissing, NoFileHoldsNothing) {
  kztest::ScratchFolder folder;
  sim::Host host;
  EXPECT_FALSE(sim::DocumentFileHolds(MapTitled(host, "地図A"), folder.PathText("none.kzmap")));
}

}  // namespace
