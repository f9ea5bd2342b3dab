// The stand-in host's dictionary values as the plug-in relies on them:
// text of any length comes back whole, containers are shared by reference
// however large they grow, clones are independent, keys keep their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/AIArraySuite.h"
#include "host/AIEntrySuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/Values.h"
#include "support/HostEnvironment.h"

namespace {

struct TextCase {
  const char* name;
  std::u16string text;
};

class ValueText : public ::testing::TestWithParam<TextCase> {};

// Around the number of code units a value holds inside itself, with
// surrogate pairs on either side of it.
INSTANTIATE_TEST_SUITE_P(
    Lengths, ValueText,
    ::testing::Values(TextCase{"Empty", u""}, TextCase{"One", u"A"}, TextCase{"Six", u"ABCDEF"},
                      TextCase{"Seven", u"東京都千代田区"}, TextCase{"Eight", u"ABCDEFGH"},
                      TextCase{"PairEndingAtSeven", u"ABCDE\U0002000B"},
                      TextCase{"PairAcrossSevenAndEight", u"ABCDEF\U0002000B"},
                      TextCase{"PairEndingAtNine", u"ABCDEFG\U0002000B"}, TextCase{"InnerNul", std::u16string(u"a\0b", 3)},
                      TextCase{"EightNuls", std::u16string(8, u'\0')},
                      TextCase{"Long", std::u16string(300, u'字') + u"\U0001F5FE"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST_P(ValueText, ComesBackWholeThroughCopiesAndTheFile) {
  const std::u16string& text = GetParam().text;
  std::vector<sim::Value> copies;
  {
    sim::Value original{text};
    ASSERT_TRUE(original.IsString());
    EXPECT_EQ(original.Type(), kUnicodeStringEntryType);
    EXPECT_EQ(original.String(), text);
    copies.push_back(original);
    sim::Value assigned{int32_t{5}};
    assigned = original;
    copies.push_back(std::move(assigned));
  }
  // The original is gone; its copies still hold the text.
  for (const sim::Value& copy : copies) EXPECT_EQ(copy.String(), text);

  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  layer.group->Dict() = sim::NewDictionary();
  sim::ArrayPtr list = sim::NewArray();
  *list = {copies[0], sim::Value{text + u"x"}, copies[1]};
  layer.group->Dict()->Set("t", sim::Value{list});
  for (const std::string& bytes : {sim::DocumentToBytes(document), sim::DocumentToJson(document)}) {
    sim::Document loaded;
    sim::DocumentFromBytes(loaded, bytes, "text.kzmap");
    const sim::Array& back = *loaded.layers.at(0)->group->Dict()->Find("t")->AsArray();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].String(), text);
    EXPECT_EQ(back[1].String(), text + u"x");
    EXPECT_EQ(back[2].String(), text);
  }
}

// The type of a value is asked before it is read; reading it as another
// type is a fault of the caller, reported, never a wrong value.
TEST(Value, ReadAsAnotherTypeThrows) {
  const sim::Value number{int32_t{3}};
  EXPECT_THROW(number.String(), std::logic_error);
  EXPECT_THROW(number.Real(), std::logic_error);
  EXPECT_THROW(sim::Value{u"3"}.Int(), std::logic_error);
  EXPECT_THROW(sim::Value{true}.AsArray(), std::logic_error);
  EXPECT_TRUE(sim::Value{true}.IsBool());
  EXPECT_TRUE(sim::Value{2.5}.IsReal());
}

// A list of ints built by inserting and erasing at every place, beside a
// std::vector given the same steps, across the size where items leave the
// list's own space for the heap.
TEST(Array, InsertAndEraseAnywhereMatchAVector) {
  for (size_t size = 0; size <= 12; ++size) {
    for (size_t at = 0; at <= size; ++at) {
      sim::ArrayPtr array = sim::NewArray();
      std::vector<int32_t> expected;
      for (size_t i = 0; i < size; ++i) {
        array->push_back(sim::Value{static_cast<int32_t>(i)});
        expected.push_back(static_cast<int32_t>(i));
      }
      array->insert(array->begin() + at, sim::Value{int32_t{100}});
      expected.insert(expected.begin() + static_cast<ptrdiff_t>(at), 100);
      if (at < size) {
        array->erase(array->begin() + at + 1);
        expected.erase(expected.begin() + static_cast<ptrdiff_t>(at) + 1);
      }
      std::vector<int32_t> got;
      for (const sim::Value& value : *array) got.push_back(value.Int());
      EXPECT_EQ(got, expected) << "size " << size << ", at " << at;
    }
  }
}

// Storing an array shares it: what is added through one reference, as the
// array outgrows its own space, is seen through every other and through
// the dictionary that holds it; a clone made before is not touched.
TEST(Array, GrowingKeepsItShared) {
  sim::ArrayPtr row = sim::NewArray();
  *row = {sim::Value{u"NAME"}, sim::Value{int32_t{0}}};
  sim::DictPtr dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  const sim::DictPtr cloned = sim::CloneDictionary(*dictionary);
  const sim::Array* held = dictionary->Find("KartzmapField")->AsArray();
  for (int32_t i = 0; i < 40; ++i) row->push_back(sim::Value{u"a value longer than seven " + std::u16string(1, u'a' + i % 26)});
  (*row)[1] = sim::Value{int32_t{7}};
  ASSERT_EQ(held, row.get());
  ASSERT_EQ(held->size(), 42u);
  EXPECT_EQ((*held)[0].String(), u"NAME");
  EXPECT_EQ((*held)[1].Int(), 7);
  EXPECT_EQ((*held)[41].String(), u"a value longer than seven n");
  // Through the parent: the dictionary's entry changes the same array.
  dictionary->Find("KartzmapField")->AsArray()->erase(held->begin());
  EXPECT_EQ((*row)[0].Int(), 7);
  const sim::Array& old = *cloned->Find("KartzmapField")->AsArray();
  ASSERT_EQ(old.size(), 2u);
  EXPECT_EQ(old[0].String(), u"NAME");
  EXPECT_EQ(old[1].Int(), 0);
}

// A deep copy shares nothing that can change: changes to the original's
// nested containers, at every depth, leave the clone as it was.
TEST(Clone, IsIndependentAtEveryDepth) {
  sim::DictPtr inner = sim::NewDictionary();
  inner->Set("k", sim::Value{u"inner text longer than seven"});
  sim::ArrayPtr list = sim::NewArray();
  *list = {sim::Value{inner}, sim::Value{int32_t{1}}, sim::Value{sim::ArrayPtr()}};
  sim::DictPtr outer = sim::NewDictionary();
  outer->Set("list", sim::Value{list});
  const sim::Value clone = sim::CloneValue(sim::Value{outer});

  inner->Set("k", sim::Value{u"changed"});
  inner->Set("added", sim::Value{true});
  list->push_back(sim::Value{2.5});
  (*list)[1] = sim::Value{int32_t{9}};
  outer->Set("other", sim::Value{});

  const sim::Dictionary& copy = *clone.AsDictionary();
  ASSERT_NE(&copy, outer.get());
  EXPECT_EQ(copy.size(), 1u);
  const sim::Array& copiedList = *copy.Find("list")->AsArray();
  ASSERT_EQ(copiedList.size(), 3u);
  EXPECT_EQ(copiedList[1].Int(), 1);
  EXPECT_TRUE(copiedList[2].IsArray());
  EXPECT_EQ(copiedList[2].AsArray(), nullptr);
  const sim::Dictionary& copiedInner = *copiedList[0].AsDictionary();
  EXPECT_NE(&copiedInner, inner.get());
  EXPECT_EQ(copiedInner.size(), 1u);
  EXPECT_EQ(copiedInner.Find("k")->String(), u"inner text longer than seven");
}

// Entries come out ordered by their keys' bytes (unsigned), whatever the
// order they went in, and keep that order through replacing and erasing.
// The expected order is Python's sorted() of the same byte strings.
TEST(Dictionary, KeysComeOutInByteOrder) {
  const std::vector<std::string> added = {"b", "日本語", "", "ab", "\xff", "B", "a", "a\x01", "A", "\x7f"};
  const std::vector<std::string> sorted = {"", "A", "B", "a", "a\x01", "ab", "b", "\x7f", "日本語", "\xff"};
  sim::DictPtr dictionary = sim::NewDictionary();
  // Half are added as a reader adds them, which is quick only for keys in order.
  int32_t n = 0;
  for (const std::string& key : added) {
    if (n % 2) {
      dictionary->Add(key, sim::Value{n++});
    } else {
      dictionary->Set(key, sim::Value{n++});
    }
  }
  dictionary->Set("ab", sim::Value{int32_t{-1}});
  EXPECT_FALSE(dictionary->Erase("zz"));
  std::vector<std::string> got;
  for (const auto& entry : *dictionary) got.emplace_back(entry.key.View());
  EXPECT_EQ(got, sorted);
  EXPECT_EQ(dictionary->Find("ab")->Int(), -1);
  EXPECT_EQ(dictionary->Find("日本語")->Int(), 1);
  EXPECT_EQ(dictionary->Find("a\x01")->Int(), 7);
  EXPECT_EQ(dictionary->Find("zz"), nullptr);
  EXPECT_TRUE(dictionary->Erase("a"));
  EXPECT_FALSE(dictionary->Has("a"));
  EXPECT_EQ(dictionary->size(), sorted.size() - 1);
  EXPECT_EQ(dictionary->Find("a\x01")->Int(), 7);
}

// A key whose last holder is gone is forgotten; the same text later is a
// new key that reads back right.
TEST(Dictionary, KeysOutliveTheirFirstHolders) {
  {
    sim::DictPtr first = sim::NewDictionary();
    first->Set("a key of its own", sim::Value{int32_t{1}});
  }
  sim::DictPtr second = sim::NewDictionary();
  second->Set(std::string("a key of its own"), sim::Value{int32_t{2}});
  EXPECT_EQ(second->begin()->key.View(), "a key of its own");
  EXPECT_EQ(second->Find("a key of its own")->Int(), 2);
}

// A map's repeated long strings, such as a field's name in every row, are
// one block of text in memory after loading, not one copy a row.
TEST(Value, RepeatedTextOfALoadedMapIsSharedNotCopied) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  for (int i = 0; i < 3; ++i) {
    sim::Art& mark = host.AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
    mark.Dict() = sim::NewDictionary();
    sim::ArrayPtr row = sim::NewArray();
    *row = {sim::Value{u"POPULATION_2020"}, sim::Value{u"a value of each row " + std::u16string(1, u'0' + i)}};
    mark.Dict()->Set("KartzmapField", sim::Value{row});
  }
  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "rows.kzmap");
  std::vector<const sim::Array*> rows;
  for (const sim::Art* art : loaded.layers.at(0)->group->children)
    rows.push_back(art->Dict()->Find("KartzmapField")->AsArray());
  ASSERT_EQ(rows.size(), 3u);
  for (const sim::Array* row : rows) EXPECT_EQ((*row)[0].String(), u"POPULATION_2020");
  EXPECT_TRUE((*rows[0])[0].SharesTextWith((*rows[1])[0]));
  EXPECT_TRUE((*rows[0])[0].SharesTextWith((*rows[2])[0]));
  EXPECT_FALSE((*rows[0])[1].SharesTextWith((*rows[1])[1]));
  EXPECT_EQ((*rows[2])[1].String(), u"a value of each row 2");
}

// A handle the plug-in holds stays good, and sees every change, while the
// array it stands for grows far past its own space through another handle.
class ValueHandles : public kztest::HostTest {};

TEST_F(ValueHandles, AnArrayHandleSurvivesGrowth) {
  ai::ArrayRef array;
  ASSERT_EQ(sAIArray->CreateArray(array.put()), kNoErr);
  ai::EntryRef self;
  ASSERT_EQ(sAIEntry->FromArray(array.get(), self.put()), kNoErr);
  ai::ArrayRef same;
  ASSERT_EQ(sAIEntry->ToArray(self.get(), same.put()), kNoErr);
  for (int32_t i = 0; i < 30; ++i) {
    ai::EntryRef entry;
    ASSERT_EQ(sAIEntry->FromInteger(i * 3, entry.put()), kNoErr);
    ASSERT_EQ(sAIArray->AppendEntry(same.get(), entry.get()), kNoErr);
  }
  ASSERT_EQ(sAIArray->DeleteEntry(array.get(), 0), kNoErr);
  int32_t count = 0;
  ASSERT_EQ(sAIArray->Count(array.get(), &count), kNoErr);
  EXPECT_EQ(count, 29);
  for (int32_t i = 0; i < count; ++i) {
    int32_t value = -1;
    ASSERT_EQ(sAIArray->GetIntegerEntry(array.get(), i, &value), kNoErr);
    EXPECT_EQ(value, (i + 1) * 3);
  }
  // An array cannot be stored inside itself, however large it has grown.
  EXPECT_EQ(sAIArray->AppendEntry(array.get(), self.get()), kBadParameterErr);
}

}  // namespace
