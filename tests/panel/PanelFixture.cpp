#include "panel/PanelFixture.h"

#include "host/AINotifierSuite.h"
#include "sim/TextCodec.h"

namespace kztest {

namespace {

constexpr const char* kRowKey = "KartzmapField";

const sim::Value* Item(const sim::Array& array, size_t index) { return index < array.size() ? &array[index] : nullptr; }

}  // namespace

void WriteRow(sim::Art& art, const std::vector<RowField>& fields) {
  auto row = sim::NewArray();
  for (const RowField& field : fields) {
    auto entry = sim::NewArray();
    *entry = {sim::Value{sim::Utf8ToUtf16(field.name)}, sim::Value{field.type}, sim::Value{field.totalDigits},
                    sim::Value{field.decimals}, sim::Value{sim::Utf8ToUtf16(field.value)}};
    row->push_back(sim::Value{entry});
  }
  if (!art.Dict()) art.Dict() = sim::NewDictionary();
  art.Dict()->Set(kRowKey, sim::Value{row});
}

bool HasRow(const sim::Art& art) { return art.Dict() && art.Dict()->Has(kRowKey); }

std::vector<RowField> ReadRow(const sim::Art& art) {
  std::vector<RowField> fields;
  if (!HasRow(art)) return fields;
  const sim::Value* row = art.Dict()->Find(kRowKey);
  if (!row->IsArray() || !row->AsArray()) return fields;
  for (const sim::Value& item : *row->AsArray()) {
    if (!item.IsArray() || !item.AsArray()) continue;
    const sim::Array& e = *item.AsArray();
    RowField field;
    if (auto* name = Item(e, 0); name && name->IsString()) field.name = sim::Utf16ToUtf8(name->String());
    if (auto* type = Item(e, 1); type && type->IsInt()) field.type = type->Int();
    if (auto* total = Item(e, 2); total && total->IsInt()) field.totalDigits = total->Int();
    if (auto* decimals = Item(e, 3); decimals && decimals->IsInt()) field.decimals = decimals->Int();
    if (auto* value = Item(e, 4); value && value->IsString()) field.value = sim::Utf16ToUtf8(value->String());
    fields.push_back(field);
  }
  return fields;
}

std::string ValueOf(const sim::Art& art, const std::string& name) {
  for (const RowField& field : ReadRow(art)) {
    if (field.name == name) return field.value;
  }
  return "(none)";
}

void PanelTest::SetUp() {
  LoadedPluginTest::SetUp();
  ASSERT_EQ(loader.Startup(), kNoErr);
  ASSERT_NE(Panel(), nullptr);
  document = &host.NewDocument();
  layer = &host.AddLayer("地物");
}

sim::DialogState PanelTest::Look() {
  Act(sim::DialogAction::Inspect({}));
  return host.Dialogs().Snapshot(Window());
}

void PanelTest::Act(const sim::DialogAction& action) {
  const std::string problem = host.Dialogs().Act(Window(), action);
  ASSERT_TRUE(problem.empty()) << problem;
}

void PanelTest::SelectionChanged() { ASSERT_EQ(loader.Broadcast(kAIArtSelectionChangedNotifier), kNoErr); }

std::vector<std::string> PanelTest::AlertTexts() {
  std::vector<std::string> texts;
  for (const auto& alert : host.User().alerts) texts.push_back(alert.text);
  return texts;
}

sim::Art& PanelTest::Feature(sim::Art& container, const std::string& field, const std::string& value,
                             AIRealPoint at) {
  sim::Art& art = host.AddPath(container, {at, {at.h + 10, at.v}, {at.h + 10, at.v + 10}}, true);
  WriteRow(art, {{field, 0, 20, 0, value}});
  return art;
}

}  // namespace kztest
