// The child list against std::list on the same operations: placing on top,
// at the bottom and in between, removing anywhere, walking both ways.
#include <gtest/gtest.h>

#include <iterator>
#include <list>
#include <random>
#include <vector>

#include "sim/ArtList.h"
#include "sim/Document.h"

namespace {

using sim::Art;

std::vector<Art*> Forward(const sim::ArtList& list) { return {list.begin(), list.end()}; }
std::vector<Art*> Backward(const sim::ArtList& list) { return {list.rbegin(), list.rend()}; }

class ArtListModel : public ::testing::TestWithParam<unsigned> {};

TEST_P(ArtListModel, AgreesWithStdList) {
  std::mt19937 random(GetParam());
  std::vector<char> objects(4000);  // their addresses stand for art
  sim::ArtList list;
  std::list<Art*> model;
  for (size_t step = 0; step < objects.size(); ++step) {
    Art* art = reinterpret_cast<Art*>(&objects[step]);
    const unsigned what = random() % 10;
    const size_t size = model.size();
    if (what < 4) {  // on top
      EXPECT_EQ(*list.insert(list.begin(), art), art);
      model.push_front(art);
    } else if (what < 6) {  // at the bottom
      list.push_back(art);
      model.push_back(art);
    } else if (what < 8) {  // in between
      const size_t at = size == 0 ? 0 : random() % (size + 1);
      EXPECT_EQ(*list.insert(list.begin() + at, art), art);
      model.insert(std::next(model.begin(), static_cast<long>(at)), art);
    } else if (size > 0) {  // removed: the top one half the time
      const size_t at = random() % 2 ? 0 : random() % size;
      list.erase(list.begin() + at);
      model.erase(std::next(model.begin(), static_cast<long>(at)));
    }
    ASSERT_EQ(list.size(), model.size()) << step;
    ASSERT_EQ(list.empty(), model.empty());
    if (!model.empty()) {
      ASSERT_EQ(list.front(), model.front());
      ASSERT_EQ(list.back(), model.back());
      const size_t probe = random() % model.size();
      ASSERT_EQ(list[probe], *std::next(model.begin(), static_cast<long>(probe)));
    }
  }
  EXPECT_EQ(Forward(list), std::vector<Art*>(model.begin(), model.end()));
  EXPECT_EQ(Backward(list), std::vector<Art*>(model.rbegin(), model.rend()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, ArtListModel, ::testing::Values(1u, 2u, 3u, 2026u));

TEST(ArtList, EmptiedFromTheTopAndFilledAgain) {
  char a = 0, b = 0;
  sim::ArtList list;
  list.insert(list.begin(), reinterpret_cast<Art*>(&a));
  list.erase(list.begin());
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.begin(), list.end());
  list.push_back(reinterpret_cast<Art*>(&b));
  list.insert(list.begin(), reinterpret_cast<Art*>(&a));
  EXPECT_EQ(Forward(list), (std::vector<Art*>{reinterpret_cast<Art*>(&a), reinterpret_cast<Art*>(&b)}));
}

}  // namespace

// Each object's remembered place among its siblings goes stale as others
// are placed around it; moving or removing it must still take that object.
TEST(DocumentChildren, PlacesGoneStaleAreFoundAgain) {
  sim::Document document;
  Art* group = document.MakeArt(kGroupArt);
  Art* a = document.MakeArt(kPathArt);
  Art* b = document.MakeArt(kPathArt);
  Art* c = document.MakeArt(kPathArt);
  ASSERT_EQ(document.Place(a, kPlaceInsideOnTop, group), kNoErr);
  ASSERT_EQ(document.Place(b, kPlaceInsideOnTop, group), kNoErr);  // a moves down one
  ASSERT_EQ(document.Place(c, kPlaceAbove, a), kNoErr);            // between b and a
  EXPECT_EQ(Forward(group->children), (std::vector<Art*>{b, c, a}));
  document.Detach(a);
  EXPECT_EQ(Forward(group->children), (std::vector<Art*>{b, c}));
  ASSERT_EQ(document.Place(a, kPlaceInsideOnTop, group), kNoErr);
  ASSERT_EQ(document.Place(b, kPlaceBelow, c), kNoErr);  // b's own place is stale now
  EXPECT_EQ(Forward(group->children), (std::vector<Art*>{a, c, b}));
  document.Detach(c);
  EXPECT_EQ(Forward(group->children), (std::vector<Art*>{a, b}));
}
