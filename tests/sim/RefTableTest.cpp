// The host's table of handed-out references against a plain map: every
// handle found while referenced, gone after its last release, the object
// alive exactly as long as the table or a holder keeps it.
#include "sim/RefTable.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

struct Thing {
  int id;
};

// Adds and releases at random among a pool of objects, checking after each
// step that the table agrees with a std::map of counts. Many objects share
// few slots, so probe runs wrap and deletions shift members back.
TEST(RefTable, AgreesWithAPlainMapThroughRandomAddsAndReleases) {
  for (const unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 random(seed);
    std::vector<std::shared_ptr<Thing>> pool;
    for (int i = 0; i < 300; ++i) pool.push_back(std::make_shared<Thing>(Thing{i}));
    sim::RefTable<Thing> table;
    std::map<const Thing*, int> model;
    for (int step = 0; step < 20000; ++step) {
      const auto& thing = pool[random() % pool.size()];
      const int action = static_cast<int>(random() % 4);
      if (action == 0) {
        EXPECT_EQ(table.Add(thing), thing.get());
        ++model[thing.get()];
      } else if (action == 1) {
        EXPECT_EQ(table.AddRef(thing.get()), model.count(thing.get()) == 1);
        if (model.count(thing.get())) ++model[thing.get()];
      } else if (action == 2) {
        EXPECT_EQ(table.Release(thing.get()), model.count(thing.get()) == 1);
        if (model.count(thing.get()) && --model[thing.get()] == 0) model.erase(thing.get());
      } else if (model.count(thing.get())) {  // every reference released at once: slots empty often
        for (int i = model[thing.get()]; i > 0; --i) EXPECT_TRUE(table.Release(thing.get()));
        model.erase(thing.get());
      }
      ASSERT_EQ(table.Outstanding(), model.size()) << "seed " << seed << " step " << step;
      if (step % 97 == 0) {
        for (const auto& each : pool) ASSERT_EQ(table.Find(each.get()) != nullptr, model.count(each.get()) == 1);
      }
    }
    for (const auto& [raw, count] : model)
      for (int i = 0; i < count; ++i) EXPECT_TRUE(table.Release(raw));
    EXPECT_EQ(table.Outstanding(), 0u);
    for (const auto& each : pool) EXPECT_EQ(each.use_count(), 1) << "the table let go of every object";
  }
}

TEST(RefTable, KeepsAnObjectAliveUntilItsLastReference) {
  sim::RefTable<Thing> table;
  std::weak_ptr<Thing> watch;
  const Thing* raw = nullptr;
  {
    auto thing = std::make_shared<Thing>(Thing{7});
    watch = thing;
    raw = table.Add(thing);
    table.Add(thing);
  }
  EXPECT_EQ(table.Find(raw)->id, 7);
  EXPECT_TRUE(table.Release(raw));
  EXPECT_FALSE(watch.expired());
  EXPECT_TRUE(table.Release(raw));
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(table.Release(raw)) << "a released handle is unknown";
  EXPECT_EQ(table.Find(raw), nullptr);
  EXPECT_EQ(table.Find(nullptr), nullptr);
}

}  // namespace
