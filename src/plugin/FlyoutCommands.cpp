#include "plugin/FlyoutCommands.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "attributes/AttributeCommands.h"
#include "export/CGeoTextFileExporter.h"
#include "export/CShapeFileExporter.h"
#include "georef/CoordMarkers.h"
#include "host/AIDocumentSuite.h"
#include "host/AIError.h"
#include "host/AIUserSuite.h"
#include "host/AppContextScope.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "import/ImportCommands.h"

namespace {

using namespace flyout_texts;

enum class ItemKind {
  Separator,
  Import,    // tests for a document; a failure gets the import error alert
  Export,    // tests for a document; the exporter reports its own failures
  Document,  // tests for a document; a failure gets the item's alert
};

struct ItemInfo {
  PanelFlyoutItem item;
  ItemKind kind;
  const char* failure;  // the error alert of a failed command
};

constexpr ItemInfo kItems[] = {
    {{1, "シェープファイル読み込み..."}, ItemKind::Import, kImportFailed},
    {{2, "座標付きテキストファイル読み込み..."}, ItemKind::Import, kImportFailed},
    {{3, "KMLファイル読み込み..."}, ItemKind::Import, kImportFailed},
    {{4, nullptr}, ItemKind::Separator, nullptr},
    {{5, "シェープファイル書き出し..."}, ItemKind::Export, kExportFailed},
    {{6, "座標付きテキストファイル書き出し..."}, ItemKind::Export, kExportFailed},
    {{7, nullptr}, ItemKind::Separator, nullptr},
    {{8, "4点座標マーカーレイヤー作成"}, ItemKind::Document, kMarkersFailed},
    {{9, "3点座標マーカーレイヤー作成"}, ItemKind::Document, kMarkersFailed},
    {{10, nullptr}, ItemKind::Separator, nullptr},
    {{11, "以前の形式の属性データをアップグレード"}, ItemKind::Document, kUpgradeFailed},
};

template <typename Exporter>
AIErr RunExport(SPPluginRef plugin) {
  Exporter exporter(plugin);
  return exporter.Run();
}

AIErr RunFourPointMarkers(SPPluginRef) { return CreateFourPointMarkerLayers(); }
AIErr RunThreePointMarkers(SPPluginRef) { return CreateThreePointMarkerLayers(); }
AIErr RunUpgrade(SPPluginRef) {
  bool found = false;
  return UpgradeOldAttributes(&found);
}

struct FlyoutCommand {
  uint32_t id;
  FlyoutCommandRun run;
};

// One entry per command that exists; an item without one does nothing.
const FlyoutCommand kCommands[] = {
    {1, RunShapeFileImport},
    {2, RunGeoTextFileImport},
    {3, RunKMLFileImport},
    {5, RunExport<CShapeFileExporter>},
    {6, RunExport<CGeoTextFileExporter>},
    {8, RunFourPointMarkers},
    {9, RunThreePointMarkers},
    {11, RunUpgrade},
};

constexpr auto kMenuItems = [] {
  std::array<PanelFlyoutItem, std::size(kItems)> items{};
  for (size_t i = 0; i < items.size(); ++i) items[i] = kItems[i].item;
  return items;
}();

const ItemInfo* FindItem(uint32_t id) {
  const auto found = std::find_if(std::begin(kItems), std::end(kItems), [id](const ItemInfo& i) { return i.item.id == id; });
  return found == std::end(kItems) ? nullptr : &*found;
}

FlyoutCommandRun FindCommand(uint32_t id) {
  const auto found =
      std::find_if(std::begin(kCommands), std::end(kCommands), [id](const FlyoutCommand& c) { return c.id == id; });
  return found == std::end(kCommands) ? nullptr : found->run;
}

bool DocumentIsOpen() {
  AIDocumentHandle document = nullptr;
  return sAIDocument->GetDocument(&document) == kNoErr && document;
}

void ShowMessage(const char* text) { sAIUser->MessageAlert(ai::UnicodeString(text).Ref()); }

void ShowError(const char* text) {
  try {
    sAIUser->ErrorAlert(ai::UnicodeString(text).Ref());
  } catch (...) {
    // The host cannot even take the text; there is no one left to tell.
  }
}

// The code of the exception in flight, as the dispatcher maps it.
AIErr CaughtCode() {
  try {
    throw;
  } catch (const ai::Error& error) {
    return error.Code();
  } catch (...) {
    return kCantHappenErr;
  }
}

void RunItem(SPPluginRef plugin, const ItemInfo& info) {
  AIErr result = kNoErr;
  bool raised = false;
  try {
    if (!DocumentIsOpen()) {
      ShowMessage(kNoDocument);
      return;
    }
    const FlyoutCommandRun run = FindCommand(info.item.id);
    if (!run) return;
    result = run(plugin);
  } catch (...) {
    result = CaughtCode();
    raised = true;
  }
  if (result == kNoErr || result == kCanceledErr) return;
  if (info.kind == ItemKind::Export && !raised) return;
  ShowError(info.failure);
}

}  // namespace

const PanelFlyoutItem* FlyoutMenuItems(size_t* count) {
  *count = kMenuItems.size();
  return kMenuItems.data();
}

void OnFlyoutCommand(AIPanelRef panel, uint32_t itemId) {
  try {
    AttributePanel* owner = AttributePanel::FromPanel(panel);
    if (!owner) return;
    const ItemInfo* info = FindItem(itemId);
    if (!info || info->kind == ItemKind::Separator) return;
    AppContextScope context(owner->PluginRef());
    RunItem(owner->PluginRef(), *info);
  } catch (...) {
    // Nothing may unwind into the host.
  }
}
