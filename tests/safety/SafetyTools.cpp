#include "safety/SafetyTools.h"

#include <algorithm>
#include <memory>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"

namespace safety {

namespace fs = std::filesystem;

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = kztest::ReadFile(entry.path());
  }
  return files;
}

std::vector<std::string> Leftovers(const fs::path& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    bool known = false;
    for (const std::string& pattern : expected) {
      // "*" at the end of a pattern stands for any ending.
      if (!pattern.empty() && pattern.back() == '*' ? name.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0
                                                     : name == pattern)
        known = true;
    }
    if (!known) left.push_back(name);
  }
  return left;
}

namespace {

sim::Value FieldEntry(const char16_t* name, int32_t type, int32_t digits, const std::u16string& value) {
  auto entry = sim::NewArray();
  *entry = {sim::Value{std::u16string(name)}, sim::Value{type}, sim::Value{digits}, sim::Value{int32_t{0}},
                  sim::Value{value}};
  return sim::Value{entry};
}

sim::DictPtr Row(const std::u16string& name, const std::u16string& value) {
  auto row = sim::NewArray();
  *row = {FieldEntry(u"名前", 0, 20, name), FieldEntry(u"値", 0, 20, value)};
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

sim::Layer& GeoreferencedLayer(sim::Host& host) {
  sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
  host.AddPointText(*frame.group, {0, 0}, "G=JGD|P=XY9|X=100.000000|Y=200.000000|S=3600|R=0.000000");
  sim::Layer& layer = host.AddLayer("地物");
  layer.group->Dict() = Row(u"", u"");
  host.CurrentDocument()->currentLayer = &layer;
  return layer;
}

}  // namespace

std::string WriteSmallMap(const fs::path& path) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 300, 0});
  sim::Layer& layer = GeoreferencedLayer(host);
  const char16_t* names[] = {u"一", u"二", u"三"};
  for (int i = 0; i < 3; ++i) {
    const float x = 20.0f + 60.0f * static_cast<float>(i);
    sim::Art& art = host.AddPath(*layer.group, {{x, 20}, {x + 40, 20}, {x + 40, 60}}, true);
    host.EditStyle(&art, [&](AIPathStyle& style) {
      style.fillPaint = true;
      style.fill.color = AIColor::Three(0.2f, 0.5f, 0.8f);
    });
    art.Dict() = Row(names[i], u"0");
    if (i == 0) art.userAttributes |= kArtSelected;
  }
  host.AddPointText(*layer.group, {30, 100}, "駅");
  sim::SaveDocumentFile(document, path.string());
  return path.string();
}

std::string WriteLargeMap(const fs::path& path, int points) {
  constexpr int kPointsPerPath = 20000;  // a path holds at most 32000 segments
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 2000, 2000, 0});
  sim::Layer& layer = GeoreferencedLayer(host);
  for (int first = 0; first < points; first += kPointsPerPath) {
    std::vector<AIRealPoint> anchors;
    for (int i = first; i < std::min(points, first + kPointsPerPath); ++i)
      anchors.push_back({static_cast<float>(i % 1000) * 2.0f, static_cast<float>(i / 1000) * 2.0f + 0.5f});
    sim::Art& art = host.AddPath(*layer.group, anchors, false);
    art.Dict() = Row(u"長い線", u"1");
    if (first == 0) art.userAttributes |= kArtSelected;
  }
  sim::SaveDocumentFile(document, path.string());
  return path.string();
}

}  // namespace safety
