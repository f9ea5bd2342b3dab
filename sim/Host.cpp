#include "sim/Host.h"

#include <algorithm>

#include "host/AIFilePathSuite.h"
#include "host/AINotifierSuite.h"
#include "host/AIUnicodeStringSuite.h"
#include "host/SuitePointers.h"
#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/PlaceholderSuites.h"
#include "sim/PluginLoader.h"
#include "sim/StringSuites.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

Host* currentHost = nullptr;

// The panels' user-interface area and its colours 0 (background), 1 (text)
// and 2 to 4 (shades), as grey levels, for each brightness.
constexpr int32_t kPanelArea = 1;
constexpr float kThemeGreys[4][5] = {
    {0.2f, 0.85f, 0.35f, 0.1f, 0.45f},   // dark
    {0.33f, 0.9f, 0.5f, 0.2f, 0.6f},     // medium dark
    {0.72f, 0.1f, 0.6f, 0.85f, 0.5f},    // medium light
    {0.94f, 0.0f, 0.8f, 1.0f, 0.7f},     // light
};

Art& Adopt(Document& document, Art* art, Art& container) {
  document.Place(art, kPlaceInsideOnBottom, &container);
  PostDocumentChanged();
  return *art;
}

}  // namespace

size_t References::Outstanding() const {
  return dictionaries.Outstanding() + arrays.Outstanding() + entries.Outstanding() + artSets.Outstanding() +
         textRanges.Outstanding() + charFeatures.Outstanding() + paraFeatures.Outstanding() + paints.Outstanding();
}

Host::Host() : previous(currentHost) {
  currentHost = this;
  RegisterSuites();
  // The host's own menu groups.
  for (const char* group : {kAboutMenuGroup, kToolPalettesMenuGroup}) {
    ui.menuGroups.push_back(std::make_unique<MenuGroup>(MenuGroup{group, 0, nullptr}));
  }
  ApplyTheme(brightness);
}

Host::~Host() { currentHost = previous; }

Host* Host::Current() { return currentHost; }

void Host::RegisterSuites() {
  registry.RegisterSuites(broker);
  dialogs.RegisterWith(broker);
#define KZ_REGISTER(Id, Table) broker.Register(k##Id##Suite, k##Id##SuiteVersion, Table)
  KZ_REGISTER(AIUnicodeString, UnicodeStringSuite());
  KZ_REGISTER(AIFilePath, FilePathSuite());
  KZ_REGISTER(AIArt, ArtSuite());
  KZ_REGISTER(AIArtSet, ArtSetSuite());
  KZ_REGISTER(AILayer, LayerSuite());
  KZ_REGISTER(AIDictionary, DictionarySuite());
  KZ_REGISTER(AIArray, ArraySuite());
  KZ_REGISTER(AIEntry, EntrySuite());
  KZ_REGISTER(AITag, TagSuite());
  KZ_REGISTER(AIPath, PathSuite());
  KZ_REGISTER(AIPathStyle, PathStyleSuite());
  KZ_REGISTER(AIBlendStyle, BlendStyleSuite());
  KZ_REGISTER(AIShapeConstruction, ShapeConstructionSuite());
  KZ_REGISTER(AIRealBezier, RealBezierSuite());
  KZ_REGISTER(AIRealMath, RealMathSuite());
  KZ_REGISTER(AITextFrame, TextFrameSuite());
  KZ_REGISTER(ATETextRange, TextRangeSuite());
  KZ_REGISTER(ATECharFeatures, CharFeaturesSuite());
  KZ_REGISTER(ATEParaFeatures, ParaFeaturesSuite());
  KZ_REGISTER(AIATEPaint, ATEPaintSuite());
  KZ_REGISTER(ATEApplicationPaint, ApplicationPaintSuite());
  KZ_REGISTER(AIDocument, DocumentSuite());
  KZ_REGISTER(AIUser, UserSuite());
  KZ_REGISTER(AIContext, ContextSuite());
  KZ_REGISTER(AIModalParent, ModalParentSuite());
  KZ_REGISTER(AIPreference, PreferenceSuite());
  KZ_REGISTER(AIUserInterfaceTheme, UserInterfaceThemeSuite());
  KZ_REGISTER(AIURL, URLSuite());
  KZ_REGISTER(AIMenu, MenuSuite());
  KZ_REGISTER(AIPanel, PanelSuite());
  KZ_REGISTER(AIPanelFlyoutMenu, PanelFlyoutMenuSuite());
#undef KZ_REGISTER
  // Suites that no part of the system calls still have to be acquirable:
  // the plug-in acquires its whole suite table at start-up.
  RegisterPlaceholderSuites(broker);
}

Document& Host::NewDocument(AIRealRect bounds, std::string filePath) {
  documents.push_back(std::make_unique<Document>());
  Document& document = *documents.back();
  document.bounds = bounds;
  document.filePath = std::move(filePath);
  currentDocument = &document;
  registry.Post(kAIDocumentOpenedNotifier);
  PostDocumentChanged();
  PostSelectionChanged();
  return document;
}

void Host::CloseDocument() {
  if (!currentDocument) return;
  currentDocument->closed = true;
  currentDocument = nullptr;
  for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
    if (!(*it)->closed) {
      currentDocument = it->get();
      break;
    }
  }
  registry.Post(kAIDocumentClosedNotifier);
  PostDocumentChanged();
  PostSelectionChanged();
}

Layer& Host::AddLayer(const std::string& title) {
  Layer* layer = nullptr;
  currentDocument->InsertLayer(nullptr, kPlaceBelowAll, &layer);
  layer->title = Utf8ToUtf16(title);
  PostDocumentChanged();
  return *layer;
}

Layer& Host::AddSublayer(Layer& parent, const std::string& title) {
  Layer* layer = nullptr;
  currentDocument->InsertLayer(&parent, kPlaceInsideOnBottom, &layer);
  layer->title = Utf8ToUtf16(title);
  PostDocumentChanged();
  return *layer;
}

Art& Host::AddGroup(Art& container) { return Adopt(*currentDocument, currentDocument->MakeArt(kGroupArt), container); }

Art& Host::AddCompoundPath(Art& container) { return Adopt(*currentDocument, currentDocument->MakeArt(kCompoundPathArt), container); }

Art& Host::AddPath(Art& container, const std::vector<AIRealPoint>& anchors, bool closed) {
  std::vector<AIPathSegment> segments;
  for (const AIRealPoint& p : anchors) segments.push_back(AIPathSegment{p, p, p, true});
  return AddCurvedPath(container, std::move(segments), closed);
}

Art& Host::AddCurvedPath(Art& container, std::vector<AIPathSegment> segments, bool closed) {
  Art* art = currentDocument->MakeArt(kPathArt);
  art->Segments() = std::move(segments);
  art->closed = closed;
  return Adopt(*currentDocument, art, container);
}

Art& Host::AddPointText(Art& container, AIRealPoint anchor, const std::string& text) {
  Art* art = currentDocument->MakeArt(kTextFrameArt);
  art->EditExtras().text.anchor = anchor;
  art->EditExtras().text.contents = Utf8ToUtf16(text);
  return Adopt(*currentDocument, art, container);
}

Art& Host::AddSymbol(Art& container, AIRealRect bounds, std::string name) {
  Art* art = currentDocument->MakeArt(kSymbolArt);
  art->EditExtras().symbolBounds = bounds;
  art->EditExtras().symbolName = std::move(name);
  return Adopt(*currentDocument, art, container);
}

void Host::Select(Art& art, bool selected) {
  if (SelectionWouldChange(*currentDocument, &art, selected)) PostSelectionChanged();
  currentDocument->SetSelected(&art, selected);
}

Layer* Host::FindLayer(const std::string& title) {
  if (!currentDocument) return nullptr;
  const std::u16string units = Utf8ToUtf16(title);
  for (Layer* layer : currentDocument->AllLayers()) {
    if (layer->title == units) return layer;
  }
  return nullptr;
}

std::string Host::Title(const Layer& layer) { return Utf16ToUtf8(layer.title); }

std::string Host::Text(const Art& art) { return Utf16ToUtf8(art.Extras().text.contents); }

std::vector<Art*> Host::ArtOfLayer(const Layer& layer) const {
  std::vector<Art*> result;
  currentDocument->Walk(layer.group, [&result](Art* art) {
    if (!art->IsLayerGroup()) result.push_back(art);
  });
  return result;
}

std::vector<Art*> Host::SelectedArt() const {
  std::vector<Art*> result;
  if (!currentDocument) return result;
  for (Layer* layer : currentDocument->layers) {
    currentDocument->WalkMaybeSelected(layer->group, [&result](Art* art) {
      if (!art->IsLayerGroup() && (art->userAttributes & kArtSelected)) result.push_back(art);
    });
  }
  return result;
}

Art* Host::ArtOf(AIArtHandle handle) const {
  Art* art = reinterpret_cast<Art*>(handle);
  return currentDocument && currentDocument->Owns(art) ? art : nullptr;
}

Layer* Host::LayerOf(AILayerHandle handle) const {
  Layer* layer = reinterpret_cast<Layer*>(handle);
  return currentDocument && currentDocument->Owns(layer) ? layer : nullptr;
}

AIDictKey Host::Key(const std::string& name) {
  const std::string& stored = *keys.insert(name).first;
  return reinterpret_cast<AIDictKey>(const_cast<std::string*>(&stored));
}

AIWindowRef Host::NewWindow(const std::string& caption) { return dialogs.CreateNativeWindow(caption); }

AIWindowRef Host::MainWindow() {
  if (!mainWindow) mainWindow = NewWindow("Adobe Illustrator");
  return mainWindow;
}

Panel* Host::FindPanel(const std::string& id) {
  const std::u16string units = Utf8ToUtf16(id);
  for (auto& panel : ui.panels) {
    if (!panel->destroyed && panel->id == units) return panel.get();
  }
  return nullptr;
}

bool Host::ChooseFlyoutItem(Panel& panel, uint32_t itemId) {
  Idle();
  AIPanelRef handle = reinterpret_cast<AIPanelRef>(&panel);
  if (panel.flyoutPreVisibility) panel.flyoutPreVisibility(handle);
  FlyoutItem* item = panel.flyout ? panel.flyout->Find(itemId) : nullptr;
  if (!item || item->separator || !item->enabled) return false;
  ProgressCommandScope command(user.progress);
  if (panel.flyoutChosen) panel.flyoutChosen(handle, itemId);
  Idle();
  return true;
}

std::optional<AIErr> Host::ChooseMenuItem(PluginLoader& loader, MenuItem& item) {
  const AIMenuItemHandle handle = reinterpret_cast<AIMenuItemHandle>(&item);
  loader.MenuUpdate(handle);
  if (!item.enabled) return std::nullopt;
  ProgressCommandScope command(user.progress);
  return loader.MenuGo(handle);
}

void Host::ResizePanel(Panel& panel, AISize size) {
  Idle();
  panel.size = size;
  if (panel.destroyed) return;
  dialogs.SendSize(panel.window, size.width, size.height);
  if (panel.sizeChanged) panel.sizeChanged(reinterpret_cast<AIPanelRef>(&panel));
  if (panel.shown && !panel.destroyed) PaintPanel(panel);
  Idle();
}

void Host::ShowPanel(Panel& panel, bool shown) {
  Idle();
  SetPanelShown(panel, shown);
  Idle();
}

void Host::SetPanelShown(Panel& panel, bool shown) {
  if (panel.destroyed || panel.shown == shown) return;
  panel.shown = shown;
  dialogs.SendShow(panel.window, shown);
  if (panel.shown && !panel.destroyed) PaintPanel(panel);
}

void Host::PaintPanel(Panel& panel) {
  if (panel.destroyed) return;
  dialogs.PaintNativeWindow(panel.window, ThemeRGB(kPanelArea, 1), ThemeRGB(kPanelArea, 0));
}

std::string Host::ActInPanel(Panel& panel, const DialogAction& action) {
  if (panel.destroyed) return action.Describe() + ": the panel is gone";
  Idle();
  std::string problem = dialogs.Act(panel.window, action);
  Idle();
  return problem;
}

// --- The application --------------------------------------------------------------

AIErr Host::ApplicationStarted() {
  Idle();
  return registry.Broadcast(kAIApplicationStartedNotifier);
}

AIErr Host::ApplicationShutdown() {
  Idle();
  return registry.Broadcast(kAIApplicationShutdownNotifier);
}

void Host::ApplyTheme(Brightness level) {
  brightness = level;
  const float* greys = kThemeGreys[static_cast<int>(level)];
  for (int32_t kind = 0; kind < 5; ++kind) {
    const float grey = greys[kind];
    ui.themeColors[{kPanelArea, kind}] = {1, grey, grey, grey};
  }
}

void Host::SetBrightness(Brightness level) {
  Idle();
  ApplyTheme(level);
  registry.Post(kAIUIBrightnessChangedNotifier);
  Idle();
  for (auto& panel : ui.panels) {
    if (panel->shown && !panel->destroyed) PaintPanel(*panel);
  }
}

uint32_t Host::ThemeRGB(int32_t area, int32_t kind) const {
  const auto found = ui.themeColors.find({area, kind});
  if (found == ui.themeColors.end()) return 0;
  auto channel = [](AIReal value) { return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f); };
  const AIUIThemeColor& color = found->second;
  return PlatformRGB(channel(color.red), channel(color.green), channel(color.blue));
}

// Enough to cover the rows a command keeps open at once (a few per object),
// few enough that a sweep costs nothing beside the calls that filled it.
constexpr size_t kOpenedRowsBeforeSweep = 64;
// Arrays still held at a sweep wait for the next one, the newest first.
constexpr size_t kOpenedRowsKept = 32;

void Host::NoteOpenedRows(ArrayPtr array) {
  openedRows.push_back(std::move(array));
  if (openedRows.size() > kOpenedRowsBeforeSweep) SweepOpenedRows();
}

void Host::SweepOpenedRows() {
  std::vector<ArrayPtr> waiting;
  for (ArrayPtr& array : openedRows)
    if (!array->Compact()) waiting.push_back(std::move(array));
  if (waiting.size() > kOpenedRowsKept) waiting.erase(waiting.begin(), waiting.end() - kOpenedRowsKept);
  openedRows = std::move(waiting);
}

}  // namespace sim
