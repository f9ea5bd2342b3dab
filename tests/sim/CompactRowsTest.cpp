// Rows of fields kept compact while nobody holds them: the plug-in, the map
// files and clones see the same values, and the same objects, whether a row
// is compact or not.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/AIArraySuite.h"
#include "host/AIArtSuite.h"
#include "host/AIDictionarySuite.h"
#include "host/AIEntrySuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"
#include "sim/Values.h"
#include "support/HostEnvironment.h"

namespace {

using sim::Value;
using Table = std::vector<std::vector<std::string>>;

sim::ArrayPtr ListOf(std::initializer_list<Value> values) {
  sim::ArrayPtr list = sim::NewArray();
  *list = values;
  return list;
}

// One field as the plug-in stores it: name, type, digits, decimals, value.
Value Field(std::u16string_view name, int32_t type, int32_t digits, int32_t decimals, Value value) {
  return Value{ListOf({Value{name}, Value{type}, Value{digits}, Value{decimals}, std::move(value)})};
}

// A five-field row; names longer than a value holds inside itself, so two
// rows made apart hold their names in different blocks.
sim::ArrayPtr FiveFieldRow(int32_t id) {
  return ListOf({Field(u"PREFECTURE_NAME", 0, 40, 0, Value{u"東京都千代田区丸の内" + std::u16string(1, u'0' + id % 10)}),
                 Field(u"ADMINISTRATIVE_CODE", 1, 9, 0, Value{id}),
                 Field(u"AREA_SQUARE_METRES", 2, 19, 3, Value{1234.5 + id}),
                 Field(u"SURVEYED_FLAG", 3, 1, 0, Value{id % 2 == 0}), Field(u"NOTE", 0, 10, 0, Value{})});
}

std::string Describe(const Value& value) {
  if (value.IsInt()) return "i" + std::to_string(value.Int());
  if (value.IsBool()) return value.Bool() ? "true" : "false";
  if (value.IsReal()) return "r" + std::to_string(std::bit_cast<uint64_t>(value.Real()));
  if (value.IsString()) return "s" + sim::Utf16ToUtf8(value.String());
  if (value.IsArray()) return value.AsArray() ? "array" : "null array";
  if (value.IsDictionary()) return "dictionary";
  return "none";
}

// The rows read in place, as the writers and the tool read them.
Table InPlace(const sim::Array& array) {
  Table table;
  for (size_t i = 0; i < array.size(); ++i) {
    std::vector<std::string> row;
    if (const auto entries = array.Entries(i)) {
      for (size_t j = 0; j < entries->size(); ++j) row.push_back(Describe((*entries)[j]));
    } else {
      row.push_back("item " + Describe(array[i]));
    }
    table.push_back(row);
  }
  return table;
}

// The rows read as objects, as the suites read them.
Table AsObjects(const sim::Array& array) {
  Table table;
  for (const Value& item : array) {
    std::vector<std::string> row;
    if (item.IsArray() && item.AsArray()) {
      for (const Value& entry : *item.AsArray()) row.push_back(Describe(entry));
    } else {
      row.push_back("item " + Describe(item));
    }
    table.push_back(row);
  }
  return table;
}

// --- Which arrays are kept compact -------------------------------------------

struct ShapeCase {
  const char* name;
  // Builds the array; anything it puts in held is kept alive beside it.
  std::function<sim::ArrayPtr(std::vector<Value>& held)> make;
  bool compacts;
  // Done after the array was read as objects, before it is compacted.
  std::function<void(sim::Array&)> beforeCompacting = [](sim::Array&) {};
};

class CompactShape : public ::testing::TestWithParam<ShapeCase> {};

INSTANTIATE_TEST_SUITE_P(
    Arrays, CompactShape,
    ::testing::Values(
        ShapeCase{"FiveFields", [](std::vector<Value>&) { return FiveFieldRow(7); }, true},
        ShapeCase{"OneEntryEach",
                  [](std::vector<Value>&) { return ListOf({Value{ListOf({Value{1}})}, Value{ListOf({Value{u"x"}})}}); },
                  true},
        ShapeCase{"UnequalLengths",
                  [](std::vector<Value>&) {
                    return ListOf({Value{ListOf({Value{1}, Value{2}})}, Value{ListOf({Value{3}})}});
                  },
                  false},
        ShapeCase{"ArrayAsLastEntry",
                  [](std::vector<Value>&) {
                    return ListOf({Value{ListOf({Value{u"NAME"}, Value{ListOf({Value{1}})}})}});
                  },
                  false},
        ShapeCase{"DictionaryAsFirstEntry",
                  [](std::vector<Value>&) { return ListOf({Value{ListOf({Value{sim::NewDictionary()}, Value{1}})}}); },
                  false},
        ShapeCase{"NullArrayAsEntry",
                  [](std::vector<Value>&) { return ListOf({Value{ListOf({Value{sim::ArrayPtr()}, Value{1}})}}); },
                  false},
        ShapeCase{"NullRow", [](std::vector<Value>&) { return ListOf({Field(u"A", 0, 1, 0, Value{1}), Value{sim::ArrayPtr()}}); },
                  false},
        ShapeCase{"ScalarItem", [](std::vector<Value>&) { return ListOf({Field(u"A", 0, 1, 0, Value{1}), Value{2}}); },
                  false},
        ShapeCase{"EmptyRow", [](std::vector<Value>&) { return ListOf({Value{sim::NewArray()}}); }, false},
        ShapeCase{"NoRows", [](std::vector<Value>&) { return sim::NewArray(); }, false},
        ShapeCase{"RowStoredElsewhereToo",
                  [](std::vector<Value>& held) {
                    sim::ArrayPtr row = FiveFieldRow(3);
                    held.push_back((*row)[2]);
                    return row;
                  },
                  false},
        ShapeCase{"RowsThatAreCompactThemselves",
                  [](std::vector<Value>&) { return ListOf({Value{FiveFieldRow(1)}}); }, false,
                  [](sim::Array& array) { ASSERT_TRUE(array[0].AsArray()->Compact()); }}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

// Compacting keeps every entry, in place and once made back into objects;
// only arrays of equal rows of scalars that nobody else holds are compacted.
TEST_P(CompactShape, KeepsEveryEntry) {
  std::vector<Value> held;
  sim::ArrayPtr array = GetParam().make(held);
  const Table before = AsObjects(*array);
  GetParam().beforeCompacting(*array);
  EXPECT_EQ(array->Compact(), GetParam().compacts);
  EXPECT_EQ(array->IsCompact(), GetParam().compacts);
  EXPECT_EQ(InPlace(*array), before);
  EXPECT_EQ(array->IsCompact(), GetParam().compacts) << "reading in place made the rows";
  array->Expand();
  EXPECT_FALSE(array->IsCompact());
  EXPECT_EQ(AsObjects(*array), before);
  // A row stored elsewhere is still the same object as the array's item.
  for (const Value& other : held) EXPECT_EQ(other.AsArray(), (*array)[2].AsArray());
}

// Made back, the rows are arrays of their own: a change to one reaches no
// other, whatever they shared while compact.
TEST(CompactRows, MadeRowsAreIndependent) {
  sim::ArrayPtr a = FiveFieldRow(1);
  sim::ArrayPtr b = FiveFieldRow(1);
  ASSERT_TRUE(a->Compact());
  ASSERT_TRUE(b->Compact());
  ASSERT_TRUE(a->SharesSchemaWith(*b));
  (*(*a)[0].AsArray())[0] = Value{u"RENAMED"};
  (*(*a)[1].AsArray())[4] = Value{42};
  EXPECT_EQ(InPlace(*b), AsObjects(*FiveFieldRow(1)));
  EXPECT_EQ(AsObjects(*a)[0][0], "sRENAMED");
  EXPECT_EQ(AsObjects(*a)[1][4], "i42");
}

// Rows equal in content share one schema however they were made; rows that
// differ in any shared entry, even only in a zero's sign, do not.
TEST(CompactRows, SchemasAreSharedByContent) {
  const size_t before = sim::Array::SchemaCount();
  {
    std::vector<sim::ArrayPtr> rows;
    for (int32_t id = 0; id < 20; ++id) {
      rows.push_back(FiveFieldRow(id));
      ASSERT_TRUE(rows.back()->Compact());
    }
    EXPECT_EQ(sim::Array::SchemaCount(), before + 1);
    for (const sim::ArrayPtr& row : rows) EXPECT_TRUE(row->SharesSchemaWith(*rows[0]));

    sim::ArrayPtr positive = ListOf({Value{ListOf({Value{0.0}, Value{1}})}});
    sim::ArrayPtr negative = ListOf({Value{ListOf({Value{-0.0}, Value{1}})}});
    sim::ArrayPtr renamed = ListOf({Field(u"PREFECTURE_NAMF", 0, 40, 0, Value{1})});
    for (const sim::ArrayPtr& row : {positive, negative, renamed}) ASSERT_TRUE(row->Compact());
    EXPECT_FALSE(positive->SharesSchemaWith(*negative));
    EXPECT_EQ(sim::Array::SchemaCount(), before + 4);
    EXPECT_TRUE(std::signbit((*negative->Entries(0))[0].Real()));
    EXPECT_FALSE(std::signbit((*positive->Entries(0))[0].Real()));
    // A clone of a compact row is compact and shares its schema.
    sim::ArrayPtr clone = sim::CloneArray(*rows[3]);
    EXPECT_TRUE(clone->SharesSchemaWith(*rows[3]));
    EXPECT_EQ(InPlace(*clone), InPlace(*rows[3]));
  }
  EXPECT_EQ(sim::Array::SchemaCount(), before) << "a schema outlived its rows";
}

// --- The plug-in's view ------------------------------------------------------

class CompactRowsThroughSuites : public kztest::HostTest {
 protected:
  void SetUp() override {
    host.Host().NewDocument();
    sim::Layer& layer = host.Host().AddLayer("L");
    for (int32_t id = 0; id < 3; ++id) {
      sim::Art& art = host.Host().AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
      art.Dict() = sim::NewDictionary();
      sim::ArrayPtr row = FiveFieldRow(id);
      ASSERT_TRUE(row->Compact());
      art.Dict()->Set("KartzmapField", Value{row});
      arts.push_back(&art);
    }
    ASSERT_EQ(sAIDictionary->Key("KartzmapField", &key), kNoErr);
  }

  sim::Array& RowOf(size_t index) { return *arts[index]->Dict()->Find("KartzmapField")->AsArray(); }

  ai::ArrayRef OpenRow(size_t index) {
    ai::DictionaryRef dictionary;
    EXPECT_EQ(sAIArt->GetDictionary(sim::Host::Handle(*arts[index]), dictionary.put()), kNoErr);
    ai::ArrayRef row;
    EXPECT_EQ(sAIDictionary->GetArrayEntry(dictionary.get(), key, row.put()), kNoErr);
    return row;
  }

  static ai::ArrayRef FieldOf(const ai::ArrayRef& row, int32_t index) {
    ai::ArrayRef field;
    EXPECT_EQ(sAIArray->GetArrayEntry(row.get(), index, field.put()), kNoErr);
    return field;
  }

  static std::string TextAt(const ai::ArrayRef& field, int32_t index) {
    AIUnicodeStringRef text = nullptr;
    EXPECT_EQ(sAIArray->GetUnicodeStringEntry(field.get(), index, &text), kNoErr);
    return ai::UnicodeString::Adopt(text).as_UTF8();
  }

  std::vector<sim::Art*> arts;
  AIDictKey key = nullptr;
};

enum class Order { FieldFirst, RowFirst, RowFirstThenManyOthers };

std::string OrderName(const ::testing::TestParamInfo<Order>& info) {
  switch (info.param) {
    case Order::FieldFirst: return "FieldFirst";
    case Order::RowFirst: return "RowFirst";
    default: return "RowFirstThenManyOthers";
  }
}

class CompactRowsReleased : public CompactRowsThroughSuites, public ::testing::WithParamInterface<Order> {};

INSTANTIATE_TEST_SUITE_P(Orders, CompactRowsReleased,
                         ::testing::Values(Order::FieldFirst, Order::RowFirst, Order::RowFirstThenManyOthers),
                         OrderName);

// The plug-in opens a row, changes a field through its own handle (its
// name, shared with the other rows while compact, and its value) and lets
// go in either order; while it holds the field, sweeps leave it the object
// it holds. Afterwards the row is compact again and holds the change, and
// the other rows are as they were.
TEST_P(CompactRowsReleased, ChangesThroughAHeldFieldStay) {
  const Table others = InPlace(RowOf(1));
  const Table original = InPlace(RowOf(0));
  ai::ArrayRef row = OpenRow(0);
  ai::ArrayRef field = FieldOf(row, 0);
  EXPECT_FALSE(RowOf(0).IsCompact());
  EXPECT_EQ(TextAt(field, 0), "PREFECTURE_NAME");
  ASSERT_EQ(sAIArray->SetUnicodeStringEntry(field.get(), 4, ai::UnicodeString("変更後").Ref()), kNoErr);

  if (GetParam() == Order::FieldFirst) {
    field.reset();
    row.reset();
    EXPECT_TRUE(RowOf(0).IsCompact()) << "the row's last handle went with nothing held";
  } else {
    row.reset();
    EXPECT_FALSE(RowOf(0).IsCompact());
    if (GetParam() == Order::RowFirstThenManyOthers) {
      // Enough rows opened to make the host sweep while the field is held.
      for (int round = 0; round < 100; ++round) FieldOf(OpenRow(1 + round % 2), 1);
    }
    host.Host().SweepOpenedRows();
    EXPECT_FALSE(RowOf(0).IsCompact());
    // The held field is still the row's own: a change through it shows.
    ASSERT_EQ(sAIArray->SetUnicodeStringEntry(field.get(), 0, ai::UnicodeString("改名").Ref()), kNoErr);
    EXPECT_EQ(AsObjects(RowOf(0))[0][0], "s改名");
    field.reset();
    host.Host().SweepOpenedRows();
    EXPECT_TRUE(RowOf(0).IsCompact());
  }
  const Table changed = InPlace(RowOf(0));
  EXPECT_EQ(changed[0][0], GetParam() == Order::FieldFirst ? "sPREFECTURE_NAME" : "s改名");
  EXPECT_EQ(changed[0][4], "s変更後");
  for (size_t i = 1; i < original.size(); ++i) EXPECT_EQ(changed[i], original[i]);
  EXPECT_EQ(InPlace(RowOf(1)), others);
  EXPECT_EQ(host.Host().OutstandingReferences(), 0u);
}

// A field held through an entry, or stored in a second row, keeps the row
// from being compacted; changes through either place show in the other.
TEST_F(CompactRowsThroughSuites, AFieldHeldAsAnEntryOrStoredTwiceStaysShared) {
  ai::EntryRef entry;
  ai::ArrayRef other = OpenRow(1);
  {
    ai::ArrayRef row = OpenRow(0);
    ASSERT_EQ(sAIArray->GetEntry(row.get(), 2, entry.put()), kNoErr);
    ai::ArrayRef shared = FieldOf(row, 3);
    ASSERT_EQ(sAIArray->SetArrayEntry(other.get(), 0, shared.get()), kNoErr);
  }
  other.reset();
  host.Host().SweepOpenedRows();
  EXPECT_FALSE(RowOf(0).IsCompact());
  EXPECT_FALSE(RowOf(1).IsCompact()) << "its first field is also row 0's fourth";

  ai::ArrayRef viaEntry;
  ASSERT_EQ(sAIEntry->ToArray(entry.get(), viaEntry.put()), kNoErr);
  ASSERT_EQ(sAIArray->SetIntegerEntry(viaEntry.get(), 4, 77), kNoErr);
  EXPECT_EQ(AsObjects(RowOf(0))[2][4], "i77");
  (*(*RowOf(1)[0].AsArray()).begin()) = Value{u"BOTH"};
  EXPECT_EQ(AsObjects(RowOf(0))[3][0], "sBOTH");

  viaEntry.reset();
  entry.reset();
  host.Host().SweepOpenedRows();
  ai::ArrayRef row = OpenRow(0);
  row.reset();
  EXPECT_FALSE(RowOf(0).IsCompact()) << "its fourth field is still row 1's first";
  EXPECT_EQ(AsObjects(RowOf(0))[2][4], "i77");
}

// A clone made through the suites is compact and independent of its source.
TEST_F(CompactRowsThroughSuites, ClonesAreCompactAndIndependent) {
  const Table original = InPlace(RowOf(0));
  ai::ArrayRef copy;
  {
    ai::ArrayRef row = OpenRow(0);
    ASSERT_EQ(sAIArray->Clone(row.get(), copy.put()), kNoErr);
  }
  EXPECT_TRUE(RowOf(0).IsCompact()) << "cloning opened the source";
  EXPECT_EQ(sAIArray->SetIntegerEntry(FieldOf(copy, 1).get(), 4, -5), kNoErr);
  EXPECT_EQ(InPlace(RowOf(0)), original);
  ai::ArrayRef field = FieldOf(copy, 1);
  int32_t value = 0;
  ASSERT_EQ(sAIArray->GetIntegerEntry(field.get(), 4, &value), kNoErr);
  EXPECT_EQ(value, -5);
}

// --- Files -------------------------------------------------------------------

// A map's bytes do not depend on whether its rows are compact: both forms
// of file, and a map read back (compact) writes the bytes it was read from.
TEST(CompactRowsInFiles, WriteTheBytesOfTheRowsTheyStandFor) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  std::vector<sim::ArrayPtr> rows;
  for (int32_t id = 0; id < 40; ++id) {
    sim::Art& art = host.AddPath(*layer.group, {{0, 0}, {1.0f * id, 1}}, false);
    art.Dict() = sim::NewDictionary();
    rows.push_back(id % 7 == 3 ? ListOf({Field(u"ONLY", 1, 3, 0, Value{id})}) : FiveFieldRow(id));
    art.Dict()->Set("KartzmapField", Value{rows.back()});
  }
  const std::string packed = sim::DocumentToBytes(document);
  const std::string json = sim::DocumentToJson(document);
  for (const sim::ArrayPtr& row : rows) ASSERT_TRUE(row->Compact());
  EXPECT_EQ(sim::DocumentToBytes(document), packed);
  EXPECT_EQ(sim::DocumentToJson(document), json);

  for (const std::string* bytes : {&packed, &json}) {
    sim::Document loaded;
    sim::DocumentFromBytes(loaded, *bytes, "rows.kzmap");
    const std::vector<sim::Art*> art = host.ArtOfLayer(*loaded.layers.at(0));
    ASSERT_EQ(art.size(), rows.size());
    for (const sim::Art* each : art) EXPECT_TRUE(each->Dict()->Find("KartzmapField")->AsArray()->IsCompact());
    EXPECT_EQ(sim::DocumentToBytes(loaded), packed);
  }
}

}  // namespace
