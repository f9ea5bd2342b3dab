#include "panel/PanelFixture.h"

#include "host/AINotifierSuite.h"
#include "sim/TextCodec.h"

namespace kztest {

namespace {

constexpr const char* kRowKey = "KartzmapField";

template <typename T>
const T* Item(const sim::Array& array, size_t index) {
  return index < array.items.size() ? std::get_if<T>(&array.items[index].data) : nullptr;
}

}  // namespace

void WriteRow(sim::Art& art, const std::vector<RowField>& fields) {
  auto row = std::make_shared<sim::Array>();
  for (const RowField& field : fields) {
    auto entry = std::make_shared<sim::Array>();
    entry->items = {sim::Value{sim::Utf8ToUtf16(field.name)}, sim::Value{field.type}, sim::Value{field.totalDigits},
                    sim::Value{field.decimals}, sim::Value{sim::Utf8ToUtf16(field.value)}};
    row->items.push_back(sim::Value{entry});
  }
  if (!art.dictionary) art.dictionary = std::make_shared<sim::Dictionary>();
  art.dictionary->entries[kRowKey] = sim::Value{row};
}

bool HasRow(const sim::Art& art) { return art.dictionary && art.dictionary->entries.count(kRowKey) != 0; }

std::vector<RowField> ReadRow(const sim::Art& art) {
  std::vector<RowField> fields;
  if (!HasRow(art)) return fields;
  const auto* row = std::get_if<sim::ArrayPtr>(&art.dictionary->entries.at(kRowKey).data);
  if (!row) return fields;
  for (const sim::Value& item : (*row)->items) {
    const auto* entry = std::get_if<sim::ArrayPtr>(&item.data);
    if (!entry) continue;
    const sim::Array& e = **entry;
    RowField field;
    if (auto* name = Item<std::u16string>(e, 0)) field.name = sim::Utf16ToUtf8(*name);
    if (auto* type = Item<int32_t>(e, 1)) field.type = *type;
    if (auto* total = Item<int32_t>(e, 2)) field.totalDigits = *total;
    if (auto* decimals = Item<int32_t>(e, 3)) field.decimals = *decimals;
    if (auto* value = Item<std::u16string>(e, 4)) field.value = sim::Utf16ToUtf8(*value);
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
