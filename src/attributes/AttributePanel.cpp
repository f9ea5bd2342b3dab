#include "attributes/AttributePanel.h"

#include <algorithm>

#include "attributes/FieldDialog.h"
#include "attributes/LayerWalk.h"
#include "host/AIError.h"
#include "host/AILayerSuite.h"
#include "host/AIPanelFlyoutMenuSuite.h"
#include "host/AIUserSuite.h"
#include "host/AppContextScope.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "resources/DialogIds.h"

namespace {

namespace ids = dialog_ids::panel;
using namespace attribute_texts;

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

constexpr const char* kMixedValues = "(複数の属性値)";
constexpr const char* kNoDocument = "新規ドキュメントを開いた状態で実行してください";
constexpr const char* kCommandFailed = "属性の処理でエラーが発生しました";
constexpr size_t kMaxShownCharacters = 254;

// The panel's controls, in pixels, as first laid out.
constexpr uint32_t G = kDialogStyleGroup;
const DialogControlTemplate kCaption{ids::kCaption, DialogControlKind::Static, "選択範囲の属性:", 0, 4, 0, 100, 20};
const DialogControlTemplate kList{ids::kList, DialogControlKind::ListView, "", G, 0, 25, 230, 180};
constexpr int32_t kButtonIds[] = {ids::kAnnotate, ids::kSearch, ids::kDefine, ids::kNewField};
constexpr const char* kButtonTexts[] = {"注記...", "検索...", "定義...", "新規..."};
constexpr int32_t kButtonX[] = {2, 52, 102, 152};
constexpr int32_t kButtonY = 210;
constexpr int32_t kButtonWidth = 48, kButtonHeight = 22;
// The list starts below the caption; the buttons sit this far above the bottom edge.
constexpr int32_t kListTop = 20;
constexpr int32_t kListBottomMargin = 50;
constexpr int32_t kButtonBottomMargin = 25;

constexpr int32_t kNameColumnWidth = 100;
constexpr int32_t kValueColumnWidth = 150;

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

void ShowMessage(const char* text) { sAIUser->MessageAlert(ai::UnicodeString(text).Ref()); }

// A theme component 0..1 as a colour byte, truncated.
uint8_t Component(AIReal value) {
  const AIReal clamped = std::clamp<AIReal>(value, 0, 1);
  return static_cast<uint8_t>(clamped * 255);
}

uint32_t PlatformColour(const AIUIThemeColor& color) {
  return PlatformRGB(Component(color.red), Component(color.green), Component(color.blue));
}

// The platform's control services for the length of one callback.
class PlatformControls {
 public:
  explicit PlatformControls(AIWindowRef window) {
    const void* acquired = nullptr;
    if (!window || !sSPBasic) return;
    if (sSPBasic->AcquireSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion, &acquired) != kNoErr) return;
    suite = static_cast<const PlatformDialogSuite*>(acquired);
    controls = DialogControls(suite, window);
  }
  ~PlatformControls() {
    if (suite) sSPBasic->ReleaseSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion);
  }
  PlatformControls(const PlatformControls&) = delete;
  PlatformControls& operator=(const PlatformControls&) = delete;

  explicit operator bool() const { return suite != nullptr; }
  const PlatformDialogSuite* operator->() const { return suite; }
  const DialogControls& Controls() const { return controls; }

 private:
  const PlatformDialogSuite* suite = nullptr;
  DialogControls controls;
};

AIErr CodeOfException() {
  try {
    throw;
  } catch (const ai::Error& error) {
    return error.Code();
  } catch (...) {
    return kCantHappenErr;
  }
}

}  // namespace

AttributePanel::AttributePanel(SPPluginRef pluginRef) : pluginRef(pluginRef) {}

AttributePanel::~AttributePanel() = default;

AIErr AttributePanel::Create(const PanelFlyoutItem* items, size_t count, AIPanelFlyoutMenuProc commandProc) {
  if (AIErr error = BuildFlyoutMenu(items, count)) return error;
  if (AIErr error = CreateHostPanel()) return error;
  if (AIErr error = RegisterCallbacks(commandProc)) return error;
  if (AIErr error = sAIPanel->SetSizes(panel, kMinimumSize, kPreferredSize, kPreferredSize)) return error;
  if (AIErr error = BuildControls()) return error;
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

// The caption, the list and the four buttons inside the panel's own window,
// whose procedure the panel then stands in front of.
AIErr AttributePanel::BuildControls() {
  AIWindowRef panelWindow = nullptr;
  if (AIErr error = sAIPanel->GetPlatformWindow(panel, &panelWindow)) return error;
  PlatformControls platform(panelWindow);
  if (!platform) return kSPSuiteNotFoundError;
  window = panelWindow;
  const DialogControls& controls = platform.Controls();
  if (AIErr error = platform->CreateControl(panelWindow, &kCaption)) return error;
  if (AIErr error = platform->CreateControl(panelWindow, &kList)) return error;
  controls.ViewSetStyle(ids::kList, kListViewShowSelectionAlways | kListViewGridLines | kListViewFullRowSelect);
  controls.ViewInsertColumn(ids::kList, 0, "フィールド名", kNameColumnWidth);
  controls.ViewInsertColumn(ids::kList, 1, "属性値", kValueColumnWidth);
  for (size_t i = 0; i < std::size(kButtonIds); ++i) {
    const DialogControlTemplate button{kButtonIds[i], DialogControlKind::PushButton, kButtonTexts[i], G,
                                       static_cast<int16_t>(kButtonX[i]), kButtonY, kButtonWidth, kButtonHeight};
    if (AIErr error = platform->CreateControl(panelWindow, &button)) return error;
  }
  if (AIErr error = platform->SetEventProc(window, WindowProc, this, &previousProc, &previousUserData)) return error;
  subclassed = true;
  return kNoErr;
}

void AttributePanel::DestroyControls() {
  if (window) {
    PlatformControls platform(window);
    if (platform && subclassed) platform->SetEventProc(window, previousProc, previousUserData, nullptr, nullptr);
    if (platform) platform->DestroyControls(window);
  }
  subclassed = false;
  previousProc = nullptr;
  previousUserData = nullptr;
  window = nullptr;
}

void AttributePanel::Destroy() {
  DestroyControls();
  if (panel) sAIPanel->Destroy(panel);
  panel = nullptr;
  if (flyoutMenu) sAIPanelFlyoutMenu->Destroy(flyoutMenu);
  flyoutMenu = nullptr;
  table = AttrTable();
}

bool AttributePanel::IsShown() const {
  AIBoolean shown = false;
  return panel && sAIPanel->IsShown(panel, &shown) == kNoErr && shown;
}

AIErr AttributePanel::Show(bool show) {
  if (!panel) return kNoErr;
  if (AIErr error = sAIPanel->Show(panel, show)) return error;
  if (show) RefreshIfStale();
  return kNoErr;
}

// Called within the plug-in's application context: by the dispatcher for
// notifications, by the panel's own commands after they ran. A hidden panel
// leaves its list alone but knows that its table no longer follows the
// selection.
void AttributePanel::Refresh() {
  if (!IsShown()) {
    stale = true;
    return;
  }
  table.Refresh();
  FillList();
  stale = false;
}

void AttributePanel::RefreshIfStale() {
  if (stale) Refresh();
}

// The table of a panel that missed changes while hidden is rebuilt before a
// button acts on it; the row the user chose in the old list is looked up by
// its field name in the new one (-1 when the field is gone).
int32_t AttributePanel::CurrentRow(int32_t row) {
  if (!stale) return row;
  const bool valid = row >= 0 && row < table.RowCount();
  const ShapeField chosen = valid ? table.Row(row).field : ShapeField{};
  Refresh();
  if (!valid) return row;
  for (int32_t i = 0; i < table.RowCount(); ++i) {
    if (table.Row(i).field.IsSameField(chosen)) return i;
  }
  return -1;
}

void AttributePanel::ForgetSelection() {
  table = AttrTable();
  stale = true;
}

void AttributePanel::FillList() {
  PlatformControls platform(window);
  if (!platform) return;
  const DialogControls& controls = platform.Controls();
  controls.ViewDeleteAllRows(ids::kList);
  for (int32_t i = 0; i < table.RowCount(); ++i) {
    const AttrTableRow& row = table.Row(i);
    const int32_t at = controls.ViewAppendRow(ids::kList, row.field.name);
    const ai::UnicodeString value = row.mixed ? ai::UnicodeString(kMixedValues)
                                              : row.field.value.substr(0, kMaxShownCharacters);
    controls.ViewSetCell(ids::kList, at, 1, value);
  }
}

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

// The list fills the panel between the caption and the buttons; the value
// column takes the width the name column leaves.
void AttributePanel::Resize() {
  PlatformControls platform(window);
  if (!platform) return;
  AISize size;
  if (sAIPanel->GetSize(panel, &size) != kNoErr) return;
  const auto width = static_cast<int32_t>(size.width);
  const auto height = static_cast<int32_t>(size.height);
  platform->MoveControl(window, ids::kList, 0, kListTop, width, height - kListBottomMargin);
  for (size_t i = 0; i < std::size(kButtonIds); ++i) {
    platform->MoveControl(window, kButtonIds[i], kButtonX[i], height - kButtonBottomMargin, kButtonWidth,
                          kButtonHeight);
  }
  const int32_t nameWidth = platform.Controls().ViewColumnWidth(ids::kList, 0);
  platform.Controls().ViewSetColumnWidth(ids::kList, 1, width - nameWidth - 1);
}

int32_t AttributePanel::WindowProc(AIWindowRef window, PlatformDialogEvent* event, void* userData) {
  auto* self = static_cast<AttributePanel*>(userData);
  if (!self || !event) return 0;
  try {
    return self->HandleEvent(window, *event);
  } catch (...) {
    // Nothing may unwind into the platform.
    Guarded([self] { self->ReportFailure(CodeOfException()); });
    return 0;
  }
}

int32_t AttributePanel::HandleEvent(AIWindowRef eventWindow, PlatformDialogEvent& event) {
  switch (event.kind) {
    case kDialogEventCustomDraw:
      if (event.controlId == ids::kList) return CustomDraw(event);
      break;
    case kDialogEventControlColour:
      if (event.controlId == ids::kCaption) return CaptionColours(event);
      break;
    case kDialogEventShow:
      // Shown by the host's own menus or tabs as well as by ours.
      if (event.code != 0) {
        AppContextScope context(pluginRef);
        RefreshIfStale();
      }
      break;
    case kDialogEventDoubleClick:
      if (event.controlId == ids::kList) {
        OnDoubleClick(event.row);
        return 1;
      }
      break;
    case kDialogEventCommand:
      if (event.code == kCommandClicked && std::find(std::begin(kButtonIds), std::end(kButtonIds),
                                                     event.controlId) != std::end(kButtonIds)) {
        OnButton(event.controlId);
        return 1;
      }
      break;
    default:
      break;
  }
  return previousProc ? previousProc(eventWindow, &event, previousUserData) : 0;
}

// The name column in white on grey, the values in black on white.
int32_t AttributePanel::CustomDraw(PlatformDialogEvent& event) const {
  switch (event.code) {
    case kDrawStagePrePaint:
      return kDrawNotifyItem;
    case kDrawStageItemPrePaint:
      return kDrawNotifySubItem;
    case kDrawStageSubItemPrePaint:
      if (event.column == 0) {
        event.textColour = PlatformRGB(255, 255, 255);
        event.backColour = PlatformRGB(96, 96, 96);
      } else {
        event.textColour = PlatformRGB(0, 0, 0);
        event.backColour = PlatformRGB(255, 255, 255);
      }
      return kDrawNewColours;
    default:
      return kDrawDefault;
  }
}

// The caption in the theme's colours: its text in colour 1 on colour 0.
int32_t AttributePanel::CaptionColours(PlatformDialogEvent& event) const {
  event.textColour = PlatformColour(colors[1]);
  event.backColour = PlatformColour(colors[0]);
  return 1;
}

int32_t AttributePanel::FirstSelectedRow() const {
  PlatformControls platform(window);
  return platform ? platform.Controls().ViewNextSelected(ids::kList, -1) : -1;
}

void AttributePanel::OnDoubleClick(int32_t row) {
  AppContextScope context(pluginRef);
  if (!AnyLayerHasSelection()) {
    ShowMessage(kNothingSelected);
    return;
  }
  if (row < 0) return;
  row = CurrentRow(row);
  if (row < 0) return;
  bool changed = false;
  ReportFailure(EditAttributeValue(pluginRef, table, row, &changed));
  if (changed) Refresh();
}

void AttributePanel::OnButton(int32_t id) {
  AppContextScope context(pluginRef);
  // The first selected row, 0 when none.
  int32_t row = FirstSelectedRow();
  if (row < 0) {
    RefreshIfStale();
    row = 0;
  } else {
    row = CurrentRow(row);
  }
  switch (id) {
    case ids::kAnnotate:
      ReportFailure(AnnotateFromAttribute(pluginRef, table, row, annotationRecord));
      break;
    case ids::kSearch:
      ReportFailure(SearchByAttribute(pluginRef, table, row, searchRecord));
      break;
    case ids::kDefine:
      DefineField(row);
      break;
    case ids::kNewField:
      NewField();
      break;
    default:
      return;
  }
  Refresh();
}

void AttributePanel::NewField() {
  if (!DocumentHasLayers()) {
    ShowMessage(kNoDocument);
    return;
  }
  ShapeField field{"(新規属性)", kShapeFieldString, 48, 0, {}};
  FieldDialogParams params{pluginRef, &field, kFieldDialogNewField, 0};
  const AIErr result = FieldDialog::Show(params);
  if (result != kNoErr) {
    ReportFailure(result);
    return;
  }
  table.AddField(field);
}

void AttributePanel::DefineField(int32_t row) {
  if (table.RowCount() == 0) {
    ShowMessage(kNoFields);
    return;
  }
  if (row < 0 || row >= table.RowCount()) return;
  ShapeField field = table.Row(row).field;
  FieldDialogParams params{pluginRef, &field, kFieldDialogEditField, 0};
  const AIErr result = FieldDialog::Show(params);
  if (result != kNoErr) {
    ReportFailure(result);
    return;
  }
  if (params.deleteRequested) {
    table.DeleteField(row);
  } else {
    table.EditField(row, field);
  }
}

// A command that failed says so once; a cancelled one says nothing.
void AttributePanel::ReportFailure(AIErr error) const {
  if (error == kNoErr || error == kCanceledErr) return;
  sAIUser->ErrorAlert(ai::UnicodeString(kCommandFailed).Ref());
}

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
