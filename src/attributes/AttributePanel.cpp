#include "attributes/AttributePanel.h"

#include "host/AILayerSuite.h"
#include "host/AIPanelFlyoutMenuSuite.h"
#include "host/AppContextScope.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

namespace {

constexpr const char* kPanelId = "Kartzmap";
constexpr const char* kPanelTitle = "Kartzmap4.5";
constexpr int32_t kPanelStateCount = 3;
constexpr AISize kPanelSize{240, 320};
constexpr AIBoolean kPanelResizable = 1;
constexpr AISize kMinimumSize{230, 140};
constexpr AISize kPreferredSize{230, 400};

// The user interface area and the colour kinds read into colours 0 to 3.
constexpr int32_t kThemeArea = 1;
constexpr int32_t kThemeColorKinds[] = {0, 1, 4, 3};

// Host callbacks must not let anything unwind into the host.
template <typename Action>
void Guarded(Action action) {
  try {
    action();
  } catch (...) {
  }
}

bool DocumentHasLayers() {
  int32_t count = 0;
  return sAILayer->CountLayers(&count) == kNoErr && count > 0;
}

}  // namespace

AttributePanel::AttributePanel(SPPluginRef pluginRef) : pluginRef(pluginRef) {}

AttributePanel::~AttributePanel() = default;

AIErr AttributePanel::Create(const PanelFlyoutItem* items, size_t count, AIPanelFlyoutMenuProc commandProc) {
  if (AIErr error = BuildFlyoutMenu(items, count)) return error;
  if (AIErr error = CreateHostPanel()) return error;
  if (AIErr error = RegisterCallbacks(commandProc)) return error;
  if (AIErr error = sAIPanel->SetSizes(panel, kMinimumSize, kPreferredSize, kPreferredSize)) return error;
  if (AIErr error = sAIPanel->SetSizeChangedProc(panel, SizeChanged)) return error;
  if (AIErr error = sAIPanel->SetUserData(panel, this)) return error;
  // Read now so the caption is never painted in the initial black on black.
  UpdateColors();
  return sAIPanel->Show(panel, true);
}

AIErr AttributePanel::BuildFlyoutMenu(const PanelFlyoutItem* items, size_t count) {
  if (AIErr error = sAIPanelFlyoutMenu->Create(&flyoutMenu)) return error;
  for (size_t i = 0; i < count; ++i) {
    const PanelFlyoutItem& item = items[i];
    AIErr error = kNoErr;
    if (item.text) {
      const ai::UnicodeString text(item.text);
      error = sAIPanelFlyoutMenu->AppendItem(flyoutMenu, item.id, text.Ref());
    } else {
      error = sAIPanelFlyoutMenu->AppendSeparator(flyoutMenu, item.id);
    }
    if (error) return error;
  }
  return kNoErr;
}

AIErr AttributePanel::CreateHostPanel() {
  const ai::UnicodeString id(kPanelId);
  const ai::UnicodeString title(kPanelTitle);
  return sAIPanel->Create(pluginRef, id.Ref(), title.Ref(), kPanelStateCount, kPanelSize, kPanelResizable,
                          flyoutMenu, this, &panel);
}

AIErr AttributePanel::RegisterCallbacks(AIPanelFlyoutMenuProc commandProc) {
  if (AIErr error = sAIPanel->SetFlyoutMenuPreVisibilityProc(panel, FlyoutPreVisibility)) return error;
  return sAIPanel->SetFlyoutMenuProc(panel, commandProc);
}

void AttributePanel::Destroy() {
  if (panel) sAIPanel->Destroy(panel);
  panel = nullptr;
  if (flyoutMenu) sAIPanelFlyoutMenu->Destroy(flyoutMenu);
  flyoutMenu = nullptr;
}

bool AttributePanel::IsShown() const {
  AIBoolean shown = false;
  return panel && sAIPanel->IsShown(panel, &shown) == kNoErr && shown;
}

AIErr AttributePanel::Show(bool show) { return panel ? sAIPanel->Show(panel, show) : kNoErr; }

// The list of the selection's attributes is not part of the panel yet.
void AttributePanel::Refresh() {}

void AttributePanel::UpdateColors() {
  for (size_t i = 0; i < colors.size(); ++i) {
    AIUIThemeColor color;
    if (sAIUserInterfaceTheme->GetUIThemeColor(kThemeArea, kThemeColorKinds[i], &color) != kNoErr) return;
    colors[i] = color;
  }
}

void AttributePanel::EnableFlyoutItems() {
  const bool enable = DocumentHasLayers();
  for (uint32_t id : kLayerItems) sAIPanelFlyoutMenu->EnableItem(flyoutMenu, id, enable);
}

// No child controls to place yet.
void AttributePanel::Resize() {}

AttributePanel* AttributePanel::FromPanel(AIPanelRef panel) {
  AIPanelUserData data = nullptr;
  if (!sAIPanel || sAIPanel->GetUserData(panel, &data) != kNoErr) return nullptr;
  return static_cast<AttributePanel*>(data);
}

void AttributePanel::FlyoutPreVisibility(AIPanelRef panel) {
  Guarded([panel] {
    AttributePanel* self = FromPanel(panel);
    if (!self) return;
    AppContextScope context(self->pluginRef);
    self->EnableFlyoutItems();
  });
}

void AttributePanel::SizeChanged(AIPanelRef panel) {
  Guarded([panel] {
    AttributePanel* self = FromPanel(panel);
    if (!self) return;
    AppContextScope context(self->pluginRef);
    self->Resize();
  });
}
