// The writer's table of remembered strings against a plain map: each string
// found as the number it was added as, through growth and clearing, and no
// string found that was not added (prefixes, the empty string, bytes that
// differ only at the end).
#include "sim/RememberedStrings.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace {

TEST(RememberedStrings, AgreesWithAPlainMapThroughGrowthAndClearing) {
  std::mt19937 random(7);
  sim::RememberedStrings table;
  for (int round = 0; round < 2; ++round) {
    std::map<std::string, uint64_t> model;
    // Short strings over few letters, so that many share hashes' low bits
    // and probes run on; a third of the lookups miss.
    for (int step = 0; step < 30000; ++step) {
      std::string text(random() % 6, '\0');
      for (char& c : text) c = static_cast<char>('a' + random() % 4);
      if (step % 3 == 0) text += std::string(1, '\0') + "x";
      const auto found = table.Find(text);
      const auto expected = model.find(text);
      ASSERT_EQ(found.has_value(), expected != model.end()) << "\"" << text << "\" at step " << step;
      if (found) {
        ASSERT_EQ(*found, expected->second) << text;
      } else if (random() % 2 == 0) {
        model.emplace(text, table.size());
        table.Add(text);
      }
    }
    ASSERT_EQ(table.size(), model.size());
    for (const auto& [text, number] : model) ASSERT_EQ(table.Find(text), number) << text;
    table.clear();
    EXPECT_EQ(table.size(), 0u);
    for (const auto& [text, number] : model) ASSERT_FALSE(table.Find(text).has_value()) << text;
  }
}

}  // namespace
