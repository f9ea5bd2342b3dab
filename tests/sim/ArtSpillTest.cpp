// Art bodies set aside on disk: what comes back is what went, held things
// never go, and a temporary folder that fails loses nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "host/AIArtSuite.h"
#include "host/AIPathSuite.h"
#include "host/SuitePointers.h"
#include "sim/Document.h"
#include "sim/ValueSpill.h"
#include "sim/Values.h"
#include "support/HostEnvironment.h"

namespace {

using sim::Value;

sim::ArrayPtr ListOf(std::initializer_list<Value> values) {
  sim::ArrayPtr list = sim::NewArray();
  *list = values;
  return list;
}

Value Field(std::u16string_view name, int32_t type, Value value) {
  return Value{ListOf({Value{name}, Value{type}, Value{10}, Value{0}, std::move(value)})};
}

// The fields of one object, compacted as the map readers leave them.
sim::ArrayPtr Row(int32_t id, std::u16string_view name) {
  sim::ArrayPtr row = ListOf({Field(u"ID", 1, Value{id}), Field(u"NAME", 2, Value{name}),
                              Field(u"AREA", 3, Value{id * 0.5}), Field(u"OPEN", 4, Value{id % 2 == 0})});
  row->Compact();
  return row;
}

// Equal as the plug-in could tell: reals bit for bit.
bool Same(const Value& a, const Value& b) {
  if (a.Type() != b.Type()) return false;
  if (a.IsInt()) return a.Int() == b.Int();
  if (a.IsBool()) return a.Bool() == b.Bool();
  if (a.IsReal()) return std::bit_cast<uint64_t>(a.Real()) == std::bit_cast<uint64_t>(b.Real());
  if (a.IsString()) return a.String() == b.String();
  if (a.IsArray()) {
    const sim::Array* x = a.AsArray();
    const sim::Array* y = b.AsArray();
    if (!x || !y) return x == y;
    if (x->size() != y->size()) return false;
    for (size_t i = 0; i < x->size(); ++i) {
      const auto rx = x->Entries(i), ry = y->Entries(i);
      if (rx.has_value() != ry.has_value()) return false;
      if (!rx) {
        if (!Same((*x)[i], (*y)[i])) return false;
        continue;
      }
      if (rx->size() != ry->size()) return false;
      for (size_t j = 0; j < rx->size(); ++j)
        if (!Same((*rx)[j], (*ry)[j])) return false;
    }
    return true;
  }
  if (a.IsDictionary()) {
    const sim::Dictionary* x = a.AsDictionary();
    const sim::Dictionary* y = b.AsDictionary();
    if (!x || !y) return x == y;
    if (x->size() != y->size()) return false;
    for (const auto& [key, value] : *x) {
      const Value* other = y->Find(key.View());
      if (!other || !Same(value, *other)) return false;
    }
    return true;
  }
  return true;
}

// Every kind of value a dictionary can hold, nested.
sim::DictPtr Everything(int32_t id) {
  sim::DictPtr inner = sim::NewDictionary();
  inner->Set("list", Value{ListOf({Value{1}, Value{u"two"}, Value{3.5}, Value{ListOf({})}})});
  sim::DictPtr dictionary = sim::NewDictionary();
  dictionary->Set("int", Value{id});
  dictionary->Set("bool", Value{true});
  dictionary->Set("negative zero", Value{-0.0});
  dictionary->Set("pi", Value{3.141592653589793});
  dictionary->Set("nan", Value{std::numeric_limits<double>::quiet_NaN()});
  dictionary->Set("short", Value{u"東京"});
  dictionary->Set("long", Value{u"京都府京都市中京区二条城町"});
  dictionary->Set("empty", Value{u""});
  dictionary->Set("none", Value{});
  dictionary->Set("null array", Value{sim::ArrayPtr()});
  dictionary->Set("null dictionary", Value{sim::DictPtr()});
  dictionary->Set("inner", Value{inner});
  dictionary->Set("rows", Value{Row(id, u"二条城")});
  return dictionary;
}

sim::DictPtr RoundTrip(sim::ValueSpill& spill, const sim::Dictionary* dictionary) {
  std::string bytes;
  spill.Write(dictionary, bytes);
  sim::ValueSpill::Input in{reinterpret_cast<const uint8_t*>(bytes.data()),
                            reinterpret_cast<const uint8_t*>(bytes.data()) + bytes.size()};
  sim::DictPtr back = spill.Read(in);
  EXPECT_EQ(in.cursor, in.end);
  return back;
}

TEST(ValueSpill, GivesBackEveryKindOfValue) {
  sim::ValueSpill spill;
  const sim::DictPtr original = Everything(42);
  const sim::DictPtr back = RoundTrip(spill, original.get());
  ASSERT_TRUE(back);
  EXPECT_NE(back.get(), original.get());
  EXPECT_TRUE(Same(Value{original}, Value{back}));
  EXPECT_FALSE(RoundTrip(spill, nullptr));
}

TEST(ValueSpill, RowsComeBackCompactUnderTheirSchema) {
  sim::ValueSpill spill;
  sim::DictPtr original = Everything(7);
  const sim::ArrayPtr kept = original->Find("rows")->SharedArray();
  const sim::DictPtr back = RoundTrip(spill, original.get());
  const sim::Array* rows = back->Find("rows")->AsArray();
  EXPECT_TRUE(rows->IsCompact());
  EXPECT_TRUE(rows->SharesSchemaWith(*kept));
  EXPECT_EQ(spill.SchemasKept(), 1u);
  // The schema outlives every array that had it while the rows are away.
  const size_t before = sim::Array::SchemaCount();
  original = nullptr;
  EXPECT_EQ(sim::Array::SchemaCount(), before);
}

TEST(ValueSpill, HeldAloneOnlyWhenNothingElseHoldsAnyPart) {
  const sim::DictPtr alone = Everything(1);
  EXPECT_TRUE(sim::ValueSpill::HeldAlone(*alone));

  const sim::DictPtr shared = Everything(2);
  const sim::DictPtr second = shared;
  EXPECT_FALSE(sim::ValueSpill::HeldAlone(*shared));

  const sim::DictPtr innerHeld = Everything(3);
  const sim::DictPtr inner = innerHeld->Find("inner")->SharedDictionary();
  EXPECT_FALSE(sim::ValueSpill::HeldAlone(*innerHeld));

  const sim::DictPtr listHeld = Everything(4);
  const sim::ArrayPtr list = listHeld->Find("inner")->AsDictionary()->Find("list")->SharedArray();
  EXPECT_FALSE(sim::ValueSpill::HeldAlone(*listHeld));

  const sim::DictPtr rowsHeld = Everything(5);
  const sim::ArrayPtr rows = rowsHeld->Find("rows")->SharedArray();
  EXPECT_FALSE(sim::ValueSpill::HeldAlone(*rowsHeld));
}

// --- Documents ---------------------------------------------------------------

class ArtSpillTest : public testing::Test {
 protected:
  static constexpr int kObjects = 5000;

  void SetUp() override {
    document.spill.KeepChunks(1);
    for (int i = 0; i < kObjects; ++i) {
      sim::Art* art = document.MakeArt(kPathArt);
      art->Segments() = Segments(i);
      if (i % 3 != 0) art->Dict() = Everything(i);
      arts.push_back(art);
    }
  }

  // Straight corners for most, a curve now and then.
  static std::vector<AIPathSegment> Segments(int i) {
    std::vector<AIPathSegment> segments;
    for (int k = 0; k < 1 + i % 5; ++k) {
      const AIRealPoint p{static_cast<AIReal>(i) + 0.25f * k, -static_cast<AIReal>(k)};
      segments.push_back(AIPathSegment{p, p, p, true});
    }
    if (i % 7 == 0) segments[0].out = AIRealPoint{1.5f, 2.5f};
    return segments;
  }

  void ExpectAllAsMade() {
    for (int i = 0; i < kObjects; ++i) {
      const std::vector<AIPathSegment> expected = Segments(i);
      const sim::PathSegments& segments = arts[i]->Segments();
      ASSERT_EQ(segments.size(), expected.size()) << i;
      for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(segments[k].p.h, expected[k].p.h) << i;
        EXPECT_EQ(segments[k].out.h, expected[k].out.h) << i;
        EXPECT_EQ(segments[k].out.v, expected[k].out.v) << i;
      }
      if (i % 3 == 0) {
        EXPECT_FALSE(arts[i]->Dict()) << i;
      } else {
        EXPECT_TRUE(Same(Value{arts[i]->Dict()}, Value{Everything(i)})) << i;
      }
    }
  }

  size_t AsideCount() const {
    size_t count = 0;
    for (const sim::Art* art : arts) count += art->BodySetAside() ? 1 : 0;
    return count;
  }

  sim::Document document;
  std::vector<sim::Art*> arts;
};

TEST_F(ArtSpillTest, BodiesComeBackAsTheyWent) {
  document.Trim();
  EXPECT_GT(document.spill.ObjectsAway(), kObjects / 2);
  EXPECT_EQ(AsideCount(), document.spill.ObjectsAway());
  ExpectAllAsMade();
  EXPECT_EQ(document.spill.ObjectsAway(), 0u);
  // Back and away again, as a walk does, changes nothing.
  document.Trim();
  EXPECT_GT(document.spill.ObjectsAway(), 0u);
  ExpectAllAsMade();
}

TEST_F(ArtSpillTest, AChangeMadeAfterComingBackIsWhatGoesNext) {
  document.Trim();
  ASSERT_TRUE(arts[1]->BodySetAside());
  arts[1]->Segments() = std::vector<AIPathSegment>{AIPathSegment{{9, 9}, {9, 9}, {9, 9}, true}};
  arts[1]->Dict()->Set("int", Value{-1});
  // Everything newer comes back and pushes the first chunks out again.
  for (size_t i = arts.size() - 1; i > 1; --i) (void)arts[i]->Segments();
  document.Trim();
  ASSERT_TRUE(arts[1]->BodySetAside());
  EXPECT_EQ(arts[1]->Segments().size(), 1u);
  EXPECT_EQ(arts[1]->Segments()[0].p.h, 9);
  EXPECT_EQ(arts[1]->Dict()->Find("int")->Int(), -1);
}

TEST_F(ArtSpillTest, HeldDictionariesStay) {
  const sim::DictPtr held = arts[2]->Dict();
  const sim::ArrayPtr rows = arts[4]->Dict()->Find("rows")->SharedArray();
  document.Trim();
  EXPECT_FALSE(arts[2]->BodySetAside());
  EXPECT_FALSE(arts[4]->BodySetAside());
  EXPECT_TRUE(arts[5]->BodySetAside());
  // A change through the held dictionary is the art's.
  held->Set("int", Value{99});
  EXPECT_EQ(arts[2]->Dict()->Find("int")->Int(), 99);
}

TEST_F(ArtSpillTest, DisposedArtIsLeftAlone) {
  arts[1]->disposed = true;
  document.Trim();
  EXPECT_FALSE(arts[1]->BodySetAside());
  EXPECT_TRUE(arts[2]->BodySetAside());
}

TEST_F(ArtSpillTest, AMovedDocumentBringsBackWhatItsSourceSetAside) {
  document.Trim();
  ASSERT_GT(document.spill.ObjectsAway(), 0u);
  sim::Document moved;
  moved = std::move(document);
  EXPECT_EQ(moved.spill.ObjectsAway(), AsideCount());
  for (int i = 0; i < kObjects; ++i) ASSERT_TRUE(moved.Owns(arts[i]));
  ExpectAllAsMade();
}

TEST_F(ArtSpillTest, AFailingTemporaryFolderKeepsEverythingInMemory) {
  const char* before = std::getenv("TMPDIR");
  const std::string kept = before ? before : "";
  setenv("TMPDIR", "/nonexistent-kzmap-folder", 1);
  document.Trim();
  if (before) {
    setenv("TMPDIR", kept.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_NE(document.spill.Failure().find("/nonexistent-kzmap-folder"), std::string::npos)
      << document.spill.Failure();
  EXPECT_EQ(AsideCount(), 0u);
  EXPECT_EQ(document.spill.ObjectsAway(), 0u);
  ExpectAllAsMade();
  // It does not try again and again.
  document.Trim();
  EXPECT_EQ(AsideCount(), 0u);
}

// The plug-in's calls are the safe points: making art and walking it
// leave only the newest chunks' bodies in memory, and what the plug-in
// reads back is what it wrote.
TEST(ArtSpillSuites, MakingAndWalkingArtSetsBodiesAside) {
  kztest::HostEnvironment environment;
  sim::Document& document = environment.Host().NewDocument();
  document.spill.KeepChunks(1);
  const sim::Layer& layer = environment.Host().AddLayer("点");
  const auto group = reinterpret_cast<AIArtHandle>(layer.group);
  constexpr int kPaths = 3000;
  for (int i = 0; i < kPaths; ++i) {
    AIArtHandle art = nullptr;
    ASSERT_EQ(sAIArt->NewArt(kPathArt, kPlaceInsideOnBottom, group, &art), kNoErr);
    const AIRealPoint p{static_cast<AIReal>(i), 1}, q{static_cast<AIReal>(i), 2};
    const AIPathSegment segments[] = {{p, p, p, true}, {q, q, q, true}};
    ASSERT_EQ(sAIPath->SetPathSegments(art, 0, 2, segments), kNoErr);
  }
  EXPECT_GT(document.spill.ObjectsAway(), kPaths / 2);

  AIArtHandle art = nullptr;
  ASSERT_EQ(sAIArt->GetArtFirstChild(group, &art), kNoErr);
  int seen = 0;
  size_t leastAway = document.spill.ObjectsAway();
  for (; art; ++seen) {
    AIPathSegment segments[2];
    ASSERT_EQ(sAIPath->GetPathSegments(art, 0, 2, segments), kNoErr);
    EXPECT_EQ(segments[0].p.h, static_cast<AIReal>(seen));
    EXPECT_EQ(segments[1].p.v, 2);
    ASSERT_EQ(sAIArt->GetArtSibling(art, &art), kNoErr);
    leastAway = std::min(leastAway, document.spill.ObjectsAway());
  }
  EXPECT_EQ(seen, kPaths);
  // Never everything back at once.
  EXPECT_GT(leastAway, kPaths / 2);
}

}  // namespace
