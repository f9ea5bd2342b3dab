#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/AIArraySuite.h"
#include "host/AIArtSetSuite.h"
#include "host/AIArtSuite.h"
#include "host/AIDictionarySuite.h"
#include "host/AIEntrySuite.h"
#include "host/AIPanelFlyoutMenuSuite.h"
#include "host/AIPanelSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPathStyleSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AITagSuite.h"
#include "host/AIUserSuite.h"
#include "host/FilePath.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"
#include "support/HostEnvironment.h"

namespace {

using kztest::HostTest;
using sim::Host;

class HostSuitesTest : public HostTest {
 protected:
  sim::Host& H() { return host.Host(); }
};

TEST_F(HostSuitesTest, EverySuiteOfTheTableIsAcquirable) {
  int filled = 0;
#define KZ_CHECK(Id, Name, Version) \
  EXPECT_NE(s##Id, nullptr) << Name; \
  filled += s##Id != nullptr;
  KZ_HOST_SUITES(KZ_CHECK)
#undef KZ_CHECK
  EXPECT_EQ(filled, kBaseSuiteCount + kPluginSuiteCount);
}

// --- Arrays and entries in art dictionaries --------------------------------------

ai::EntryRef Entry(int32_t value) {
  ai::EntryRef entry;
  sAIEntry->FromInteger(value, entry.put());
  return entry;
}

ai::EntryRef Entry(const char* text) {
  ai::EntryRef entry;
  sAIEntry->FromUnicodeString(ai::UnicodeString(text).Ref(), entry.put());
  return entry;
}

TEST_F(HostSuitesTest, ArraysKeepOrderThroughInsertAndDelete) {
  ai::ArrayRef array;
  ASSERT_EQ(sAIArray->CreateArray(array.put()), kNoErr);
  // Each step and the integers the array holds after it.
  struct Step {
    const char* name;
    AIErr (*apply)(AIArrayRef);
    AIErr result;
    std::vector<int32_t> after;
  };
  const std::vector<Step> steps = {
      {"append 1", [](AIArrayRef a) { return sAIArray->AppendEntry(a, Entry(1).get()); }, kNoErr, {1}},
      {"append 3", [](AIArrayRef a) { return sAIArray->AppendEntry(a, Entry(3).get()); }, kNoErr, {1, 3}},
      {"insert 2 at 1", [](AIArrayRef a) { return sAIArray->InsertEntry(a, 1, Entry(2).get()); }, kNoErr, {1, 2, 3}},
      {"insert 0 at 0", [](AIArrayRef a) { return sAIArray->InsertEntry(a, 0, Entry(0).get()); }, kNoErr,
       {0, 1, 2, 3}},
      {"insert past the end", [](AIArrayRef a) { return sAIArray->InsertEntry(a, 5, Entry(9).get()); },
       kIndexOutOfRangeErr, {0, 1, 2, 3}},
      {"delete at 2", [](AIArrayRef a) { return sAIArray->DeleteEntry(a, 2); }, kNoErr, {0, 1, 3}},
      {"delete at -1", [](AIArrayRef a) { return sAIArray->DeleteEntry(a, -1); }, kIndexOutOfRangeErr, {0, 1, 3}},
      {"set 7 at 0", [](AIArrayRef a) { return sAIArray->SetIntegerEntry(a, 0, 7); }, kNoErr, {7, 1, 3}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    EXPECT_EQ(step.apply(array.get()), step.result);
    int32_t count = -1;
    ASSERT_EQ(sAIArray->Count(array.get(), &count), kNoErr);
    std::vector<int32_t> values(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) EXPECT_EQ(sAIArray->GetIntegerEntry(array.get(), i, &values[size_t(i)]), kNoErr);
    EXPECT_EQ(values, step.after);
  }
}

TEST_F(HostSuitesTest, StoredArraysAreSharedAndClonesAreNot) {
  H().NewDocument();
  sim::Layer& layer = H().AddLayer("L");
  sim::Art& art = H().AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
  {
    ai::DictionaryRef dictionary;
    ASSERT_EQ(sAIArt->GetDictionary(Host::Handle(art), dictionary.put()), kNoErr);
    AIDictKey key = nullptr;
    ASSERT_EQ(sAIDictionary->Key("KartzmapField", &key), kNoErr);
    AIBoolean known = true;
    EXPECT_EQ(sAIDictionary->IsKnown(dictionary.get(), key, &known), kNoErr);
    EXPECT_FALSE(known);
    ai::ArrayRef missing;
    EXPECT_EQ(sAIDictionary->GetArrayEntry(dictionary.get(), key, missing.put()), kNoSuchKeyErr);

    ai::ArrayRef rows, row;
    sAIArray->CreateArray(rows.put());
    sAIArray->CreateArray(row.put());
    sAIArray->AppendEntry(row.get(), Entry("NAME").get());
    ai::EntryRef rowEntry;
    sAIEntry->FromArray(row.get(), rowEntry.put());
    ASSERT_EQ(sAIArray->AppendEntry(rows.get(), rowEntry.get()), kNoErr);
    ASSERT_EQ(sAIDictionary->SetArrayEntry(dictionary.get(), key, rows.get()), kNoErr);

    // A change made through the row after storing shows in the document.
    sAIArray->AppendEntry(row.get(), Entry(48).get());
    ai::ArrayRef clone;
    ASSERT_EQ(sAIArray->Clone(rows.get(), clone.put()), kNoErr);
    ai::ArrayRef clonedRow;
    ASSERT_EQ(sAIArray->GetArrayEntry(clone.get(), 0, clonedRow.put()), kNoErr);
    sAIArray->SetIntegerEntry(row.get(), 1, 254);

    int32_t stored = 0, cloned = 0;
    ai::ArrayRef storedRows, storedRow;
    ASSERT_EQ(sAIDictionary->GetArrayEntry(dictionary.get(), key, storedRows.put()), kNoErr);
    ASSERT_EQ(sAIArray->GetArrayEntry(storedRows.get(), 0, storedRow.put()), kNoErr);
    EXPECT_EQ(sAIArray->GetIntegerEntry(storedRow.get(), 1, &stored), kNoErr);
    EXPECT_EQ(sAIArray->GetIntegerEntry(clonedRow.get(), 1, &cloned), kNoErr);
    EXPECT_EQ(stored, 254);
    EXPECT_EQ(cloned, 48);

    // Typed reads refuse entries of another kind, and an array cannot hold itself.
    AIUnicodeStringRef text = nullptr;
    EXPECT_EQ(sAIArray->GetUnicodeStringEntry(storedRow.get(), 1, &text), kWrongEntryTypeErr);
    ai::EntryRef self;
    sAIEntry->FromArray(rows.get(), self.put());
    EXPECT_EQ(sAIArray->AppendEntry(row.get(), self.get()), kBadParameterErr);
  }
  EXPECT_EQ(H().OutstandingReferences(), 0u);
}

// --- Tags --------------------------------------------------------------------------

TEST_F(HostSuitesTest, TagsAreFoundByNameAndType) {
  H().NewDocument();
  sim::Art& art = H().AddGroup(*H().AddLayer("L").group);
  const AIArtHandle handle = Host::Handle(art);
  ASSERT_EQ(sAITag->SetTagString(handle, "KzMapTag0000000001", "NAME|C|10|0|Tokyo"), kNoErr);
  ASSERT_EQ(sAITag->SetTagReal(handle, "Scale", 2.5f), kNoErr);
  ASSERT_EQ(sAITag->SetTagString(handle, "KzMapTag0000000002", "CODE|N|5|0|13"), kNoErr);

  int32_t count = 0;
  ASSERT_EQ(sAITag->CountTags(handle, &count), kNoErr);
  ASSERT_EQ(count, 3);
  struct Expected {
    const char* name;
    const char* type;
    const char* text;  // string tags only
  };
  const Expected expected[] = {{"KzMapTag0000000001", kTagString, "NAME|C|10|0|Tokyo"},
                               {"Scale", kTagReal, nullptr},
                               {"KzMapTag0000000002", kTagString, "CODE|N|5|0|13"}};
  for (int32_t i = 0; i < count; ++i) {
    const char* name = nullptr;
    const char* type = nullptr;
    ASSERT_EQ(sAITag->GetNthTagName(handle, i, &name), kNoErr);
    EXPECT_STREQ(name, expected[i].name);
    ASSERT_EQ(sAITag->GetTagType(handle, name, &type), kNoErr);
    EXPECT_STREQ(type, expected[i].type);
    const char* text = nullptr;
    if (expected[i].text) {
      ASSERT_EQ(sAITag->GetTagString(handle, name, &text), kNoErr);
      EXPECT_STREQ(text, expected[i].text);
    } else {
      EXPECT_EQ(sAITag->GetTagString(handle, name, &text), kWrongEntryTypeErr);
    }
  }
  const char* unused = nullptr;
  EXPECT_EQ(sAITag->GetTagType(handle, "Missing", &unused), kNoSuchKeyErr);
  EXPECT_EQ(sAITag->GetNthTagName(handle, 3, &unused), kIndexOutOfRangeErr);
}

// --- Preferences -------------------------------------------------------------------

TEST_F(HostSuitesTest, MissingPreferencesAreReportedAndLeaveTheValue) {
  const char* prefix = "Kartzmap4.5";
  ASSERT_EQ(sAIPreference->PutIntegerPreference(prefix, "importInXYKei", 9), kNoErr);
  ASSERT_EQ(sAIPreference->PutBooleanPreference(prefix, "importLimitArea", true), kNoErr);

  struct Case {
    const char* key;
    AIErr integerResult;
    int32_t integerValue;
    AIErr booleanResult;
    AIBoolean booleanValue;
  };
  const Case cases[] = {
      {"importInXYKei", kNoErr, 9, kNoSuchKeyErr, 7},      // stored as integer only
      {"importLimitArea", kNoSuchKeyErr, -1, kNoErr, 1},   // stored as boolean only
      {"importInUTMZone", kNoSuchKeyErr, -1, kNoSuchKeyErr, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    int32_t integer = -1;
    AIBoolean boolean = 7;
    EXPECT_EQ(sAIPreference->GetIntegerPreference(prefix, c.key, &integer), c.integerResult);
    EXPECT_EQ(integer, c.integerValue);
    EXPECT_EQ(sAIPreference->GetBooleanPreference(prefix, c.key, &boolean), c.booleanResult);
    EXPECT_EQ(boolean, c.booleanValue);
  }
  int32_t other = -1;
  EXPECT_EQ(sAIPreference->GetIntegerPreference("OtherPlugin", "importInXYKei", &other), kNoSuchKeyErr);

  AIFilePathRef path = nullptr;
  EXPECT_EQ(sAIPreference->GetFilePathPreference(prefix, "importShapeDir", &path), kNoSuchKeyErr);
  EXPECT_EQ(path, nullptr);
  const ai::FilePath folder = ai::FilePath::FromPlatform("/data/地図");
  ASSERT_EQ(sAIPreference->PutFilePathPreference(prefix, "importShapeDir", folder.Ref()), kNoErr);
  ASSERT_EQ(sAIPreference->GetFilePathPreference(prefix, "importShapeDir", &path), kNoErr);
  EXPECT_EQ(ai::FilePath::Adopt(path).GetPlatformPath(), "/data/地図");
}

// --- Progress ----------------------------------------------------------------------

TEST_F(HostSuitesTest, ProgressCancelsFromTheScriptedValueOn) {
  for (const int32_t cancelAt : {1, 5, 10, 11}) {
    SCOPED_TRACE(cancelAt);
    H().User().progress.Reset();
    H().User().progress.cancelAt = cancelAt;
    sAIUser->SetProgressText(ai::UnicodeString("読み込んでいます").Ref());
    int32_t firstCancelled = 0;
    for (int32_t i = 1; i <= 10; ++i) {
      sAIUser->UpdateProgress(i, 10);
      AIBoolean cancelled = false;
      ASSERT_EQ(sAIUser->Cancelled(&cancelled), kNoErr);
      if (cancelled && !firstCancelled) firstCancelled = i;
      if (firstCancelled) {
        EXPECT_TRUE(cancelled) << "cancel stays for the command";
      }
    }
    EXPECT_EQ(firstCancelled, cancelAt <= 10 ? cancelAt : 0);
    EXPECT_EQ(H().User().progress.texts, std::vector<std::string>{"読み込んでいます"});
    EXPECT_EQ(H().User().progress.current, 10);
  }
}

// --- Selection and the art sets ------------------------------------------------------

TEST_F(HostSuitesTest, SelectionMarksContainersAndFullSelection) {
  H().NewDocument();
  sim::Layer& layer = H().AddLayer("L");
  sim::Art& group = H().AddGroup(*layer.group);
  sim::Art& a = H().AddPath(group, {{0, 0}, {1, 0}}, false);
  sim::Art& b = H().AddPath(group, {{0, 1}, {1, 1}}, false);
  sim::Art& loose = H().AddPath(*layer.group, {{5, 5}}, false);
  sim::Layer& sublayer = H().AddSublayer(layer, "S");
  sim::Art& inner = H().AddPath(*sublayer.group, {{9, 9}}, false);

  auto attr = [](sim::Art& art) {
    int32_t value = 0;
    sAIArt->GetArtUserAttr(Host::Handle(art), kArtSelected | kArtFullySelected, &value);
    return value;
  };
  auto selectedSet = [] {
    ai::ArtSetRef set;
    sAIArtSet->NewArtSet(set.put());
    sAIArtSet->SelectedArtSet(set.get());
    size_t count = 0;
    sAIArtSet->CountArtSet(set.get(), &count);
    return count;
  };

  ASSERT_EQ(sAIArt->SetArtUserAttr(Host::Handle(a), kArtSelected, kArtSelected), kNoErr);
  EXPECT_EQ(attr(group), kArtSelected);  // partly selected
  EXPECT_EQ(attr(a), kArtSelected | kArtFullySelected);
  EXPECT_EQ(selectedSet(), 2u);

  sAIArt->SetArtUserAttr(Host::Handle(b), kArtSelected, kArtSelected);
  EXPECT_EQ(attr(group), kArtSelected | kArtFullySelected);

  sAIArt->SetArtUserAttr(Host::Handle(group), kArtSelected, 0);
  EXPECT_EQ(attr(a), 0);
  EXPECT_EQ(selectedSet(), 0u);

  sAIArt->SetArtUserAttr(Host::Handle(inner), kArtSelected, kArtSelected);
  AIBoolean has = false;
  sAILayer->LayerHasSelectedArt(Host::Handle(layer), &has);
  EXPECT_TRUE(has);
  sAILayer->DeselectArtOnLayer(Host::Handle(layer));
  sAILayer->LayerHasSelectedArt(Host::Handle(layer), &has);
  EXPECT_FALSE(has);

  ai::ArtSetRef layerSet;
  sAIArtSet->NewArtSet(layerSet.put());
  ASSERT_EQ(sAIArtSet->LayerArtSet(Host::Handle(layer), layerSet.get()), kNoErr);
  std::vector<sim::Art*> listed;
  size_t count = 0;
  sAIArtSet->CountArtSet(layerSet.get(), &count);
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    sAIArtSet->IndexArtSet(layerSet.get(), i, &art);
    listed.push_back(reinterpret_cast<sim::Art*>(art));
  }
  EXPECT_EQ(listed, (std::vector<sim::Art*>{&group, &a, &b, &loose, &inner}));
}

// --- Layers ----------------------------------------------------------------------------

TEST_F(HostSuitesTest, InsertLayerPlacesByPaintOrder) {
  H().NewDocument();
  sim::Layer& middle = H().AddLayer("M");
  struct Case {
    const char* title;
    AIPaintOrder order;
    bool relative;
  };
  const Case cases[] = {{"T", kPlaceAboveAll, false}, {"B", kPlaceBelowAll, false},
                        {"above M", kPlaceAbove, true}, {"below M", kPlaceBelow, true},
                        {"in M bottom", kPlaceInsideOnBottom, true}, {"in M top", kPlaceInsideOnTop, true}};
  for (const Case& c : cases) {
    AILayerHandle made = nullptr;
    ASSERT_EQ(sAILayer->InsertLayer(c.relative ? Host::Handle(middle) : nullptr, c.order, &made), kNoErr) << c.title;
    sAILayer->SetLayerTitle(made, ai::UnicodeString(c.title).Ref());
  }
  auto titles = [](AILayerHandle first) {
    std::vector<std::string> result;
    for (AILayerHandle layer = first; layer;) {
      AIUnicodeStringRef title = nullptr;
      sAILayer->GetLayerTitle(layer, &title);
      result.push_back(ai::UnicodeString::Adopt(title).as_UTF8());
      sAILayer->GetNextLayer(layer, &layer);
    }
    return result;
  };
  AILayerHandle top = nullptr, sub = nullptr;
  sAILayer->GetFirstLayer(&top);
  EXPECT_EQ(titles(top), (std::vector<std::string>{"T", "above M", "M", "below M", "B"}));
  sAILayer->GetLayerFirstChild(Host::Handle(middle), &sub);
  EXPECT_EQ(titles(sub), (std::vector<std::string>{"in M top", "in M bottom"}));

  AILayerHandle found = nullptr;
  ASSERT_EQ(sAILayer->GetLayerByTitle(&found, ai::UnicodeString("in M bottom").Ref()), kNoErr);
  AILayerHandle parent = nullptr;
  sAILayer->GetLayerParent(found, &parent);
  EXPECT_EQ(parent, Host::Handle(middle));
  ASSERT_EQ(sAILayer->GetLayerByTitle(&found, ai::UnicodeString("M ").Ref()), kNoErr);
  EXPECT_EQ(found, nullptr);
}

// Sublayers as the plug-in walks them follow their groups' places among the
// layer's art through inserts and deletes, and a file keeps them.
TEST_F(HostSuitesTest, SublayersKeepTheirOrderThroughInsertsAndDeletes) {
  sim::Document& document = H().NewDocument();
  sim::Layer& top = H().AddLayer("M");
  H().AddPath(*top.group, {{0, 0}, {1, 1}}, false);
  auto insert = [&](const char* title, AILayerHandle reference, AIPaintOrder order) {
    AILayerHandle made = nullptr;
    EXPECT_EQ(sAILayer->InsertLayer(reference, order, &made), kNoErr) << title;
    sAILayer->SetLayerTitle(made, ai::UnicodeString(title).Ref());
    H().AddPath(*reinterpret_cast<sim::Layer*>(made)->group, {{0, 0}, {1, 1}}, false);
    return made;
  };
  auto titles = [](AILayerHandle parent) {
    std::vector<std::string> result;
    AILayerHandle layer = nullptr;
    sAILayer->GetLayerFirstChild(parent, &layer);
    while (layer) {
      AIUnicodeStringRef title = nullptr;
      sAILayer->GetLayerTitle(layer, &title);
      result.push_back(ai::UnicodeString::Adopt(title).as_UTF8());
      sAILayer->GetNextLayer(layer, &layer);
    }
    return result;
  };
  // The same order read from the art: sublayer groups among the layer's objects.
  auto groups = [](const sim::Layer& layer) {
    std::vector<std::string> result;
    for (const sim::Art* child : layer.group->children)
      if (child->ownerLayer) result.push_back(sim::Utf16ToUtf8(child->ownerLayer->title));
    return result;
  };
  AILayerHandle m = Host::Handle(top);
  AILayerHandle b = insert("B", m, kPlaceInsideOnTop);
  insert("D", m, kPlaceInsideOnBottom);
  AILayerHandle a = insert("A", m, kPlaceInsideOnTop);
  insert("C", b, kPlaceBelow);
  insert("A2", a, kPlaceAbove);
  AILayerHandle inner = insert("B1", b, kPlaceInsideOnTop);
  insert("B0", inner, kPlaceAbove);
  EXPECT_EQ(titles(m), (std::vector<std::string>{"A2", "A", "B", "C", "D"}));
  EXPECT_EQ(titles(b), (std::vector<std::string>{"B0", "B1"}));
  ASSERT_EQ(sAILayer->DeleteLayer(a), kNoErr);
  ASSERT_EQ(sAILayer->DeleteLayer(inner), kNoErr);
  insert("A3", b, kPlaceAbove);
  const std::vector<std::string> want{"A2", "A3", "B", "C", "D"};
  EXPECT_EQ(titles(m), want);
  EXPECT_EQ(titles(b), (std::vector<std::string>{"B0"}));
  EXPECT_EQ(groups(top), want);

  sim::Host other;
  sim::Document& loaded = other.NewDocument();
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "layers.kzmap");
  ASSERT_EQ(loaded.layers.size(), 1u);
  std::vector<std::string> reloaded;
  for (const sim::Layer* layer : loaded.Sublayers(loaded.layers[0]))
    reloaded.push_back(sim::Utf16ToUtf8(layer->title));
  EXPECT_EQ(reloaded, want);
  EXPECT_EQ(groups(*loaded.layers[0]), want);
}

// Paths share a kept style; restyling one leaves the others that shared it
// as they were.
TEST_F(HostSuitesTest, RestylingOnePathLeavesThoseThatSharedItsStyle) {
  H().NewDocument();
  sim::Layer& layer = H().AddLayer("L");
  sim::Art& a = H().AddPath(*layer.group, {{0, 0}, {1, 1}}, false);
  sim::Art& b = H().AddPath(*layer.group, {{0, 0}, {2, 2}}, false);
  sim::Art& compound = H().AddCompoundPath(*layer.group);
  sim::Art& member = H().AddPath(compound, {{0, 0}, {3, 3}}, true);
  AIPathStyle red;
  red.fillPaint = true;
  red.fill.color = AIColor::Three(1, 0, 0);
  red.stroke.width = 2;
  for (sim::Art* art : {&a, &b, &compound})
    ASSERT_EQ(sAIPathStyle->SetPathStyle(Host::Handle(*art), &red), kNoErr);
  EXPECT_EQ(a.StylePointer(), b.StylePointer());  // one style kept for all three

  AIPathStyle blue = red;
  blue.fill.color = AIColor::Three(0, 0, 1);
  blue.stroke.width = 0.5f;
  ASSERT_EQ(sAIPathStyle->SetPathStyle(Host::Handle(a), &blue), kNoErr);
  AIPathStyle got;
  ASSERT_EQ(sAIPathStyle->GetPathStyle(Host::Handle(a), &got), kNoErr);
  EXPECT_EQ(got.fill.color.c.rgb.blue, 1);
  EXPECT_EQ(got.stroke.width, 0.5f);
  for (sim::Art* art : {&b, &compound, &member}) {
    ASSERT_EQ(sAIPathStyle->GetPathStyle(Host::Handle(*art), &got), kNoErr);
    EXPECT_TRUE(got.fillPaint);
    EXPECT_EQ(got.fill.color.c.rgb.red, 1);
    EXPECT_EQ(got.fill.color.c.rgb.blue, 0);
    EXPECT_EQ(got.stroke.width, 2);
  }
}

}  // namespace

namespace {

TEST_F(HostSuitesTest, PanelWindowIsANativeWindowOfTheDialogPlatform) {
  AIPanelFlyoutMenuRef flyout = nullptr;
  ASSERT_EQ(sAIPanelFlyoutMenu->Create(&flyout), kNoErr);
  ASSERT_EQ(sAIPanelFlyoutMenu->AppendItem(flyout, 1, ai::UnicodeString("シェープファイル読み込み...").Ref()), kNoErr);
  ASSERT_EQ(sAIPanelFlyoutMenu->AppendSeparator(flyout, 4), kNoErr);
  AIPanelRef panel = nullptr;
  ASSERT_EQ(sAIPanel->Create(nullptr, ai::UnicodeString("Kartzmap").Ref(), ai::UnicodeString("Kartzmap4.5").Ref(), 3,
                             AISize{240, 320}, true, flyout, nullptr, &panel),
            kNoErr);
  AIWindowRef window = nullptr;
  ASSERT_EQ(sAIPanel->GetPlatformWindow(panel, &window), kNoErr);
  EXPECT_EQ(H().Dialogs().Snapshot(window).caption, "Kartzmap4.5");

  sim::Panel* found = H().FindPanel("Kartzmap");
  ASSERT_NE(found, nullptr);
  EXPECT_TRUE(H().ChooseFlyoutItem(*found, 1));
  EXPECT_FALSE(H().ChooseFlyoutItem(*found, 4));  // a separator cannot be chosen
  sAIPanelFlyoutMenu->EnableItem(flyout, 1, false);
  EXPECT_FALSE(H().ChooseFlyoutItem(*found, 1));
}

}  // namespace
