// The headless stand-in host: the suite broker with every host suite, the
// plug-in registry, the open documents, the preference store, the user conversation (alerts,
// progress, file dialogs, all scripted and recorded), menus, panels and
// interface colours. Tests build documents and observe state through it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/HostTypes.h"
#include "sim/DialogPlatform.h"
#include "sim/Document.h"
#include "sim/Interface.h"
#include "sim/PluginRegistry.h"
#include "sim/PreferenceStore.h"
#include "sim/RefTable.h"
#include "sim/SuiteBroker.h"
#include "sim/UserInteraction.h"
#include "sim/Values.h"

namespace sim {

class PluginLoader;

// Objects behind the counted references the host hands out.
struct EntryBox {
  Value value;
};
struct ArtSetData {
  std::vector<Art*> arts;
};
struct TextRangeData {
  Art* frame = nullptr;
};
struct CharFeaturesData {
  bool fillAssigned = false;
  AIColor fill;
};
struct ParaFeaturesData {
  bool justificationAssigned = false;
  int32_t justification = 0;
};
struct PaintData {
  AIColor color;
};

struct References {
  RefTable<Dictionary, DictPtr> dictionaries;
  RefTable<Array, ArrayPtr> arrays;
  RefTable<EntryBox> entries;
  RefTable<ArtSetData> artSets;
  RefTable<TextRangeData> textRanges;
  RefTable<CharFeaturesData> charFeatures;
  RefTable<ParaFeaturesData> paraFeatures;
  RefTable<PaintData> paints;

  size_t Outstanding() const;
};

class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host that the suites' C entry points talk to (the latest one alive).
  static Host* Current();

  SuiteBroker& Broker() { return broker; }
  // Loaded plug-ins and the suites through which they register themselves.
  PluginRegistry& Plugins() { return registry; }
  // Native windows, dialogs and controls, and the scripted user in them.
  DialogPlatform& Dialogs() { return dialogs; }
  const SPBasicSuite* Basic() const { return broker.Basic(); }

  // --- Documents ---------------------------------------------------------
  // Opens a new, empty document and makes it current.
  Document& NewDocument(AIRealRect bounds = {0, 842, 595, 0}, std::string filePath = {});
  Document* CurrentDocument() { return currentDocument; }
  // Closes the current document; the previous one opened becomes current.
  void CloseDocument();
  const std::vector<std::unique_ptr<Document>>& Documents() const { return documents; }

  // Building the current document (it must exist). New layers go below the
  // existing top-level layers; new art goes below the container's contents,
  // so creation order is document order.
  Layer& AddLayer(const std::string& title);
  Layer& AddSublayer(Layer& parent, const std::string& title);
  Art& AddGroup(Art& container);
  Art& AddCompoundPath(Art& container);
  Art& AddPath(Art& container, const std::vector<AIRealPoint>& anchors, bool closed);
  Art& AddCurvedPath(Art& container, std::vector<AIPathSegment> segments, bool closed);
  // Gives art in the current document the style, as the path style suite does.
  void SetStyle(Art& art, const AIPathStyle& style) { currentDocument->SetStyle(&art, style); }
  // Changes the style of art in the current document, as the path style suite does.
  template <typename Edit>
  void EditStyle(Art* art, Edit edit) {
    currentDocument->EditStyle(art, edit);
  }
  Art& AddPointText(Art& container, AIRealPoint anchor, const std::string& text);
  Art& AddSymbol(Art& container, AIRealRect bounds, std::string name = {});
  void Select(Art& art, bool selected = true);
  // First layer (sublayers included) with the title, or null.
  Layer* FindLayer(const std::string& title);

  static std::string Title(const Layer& layer);
  static std::string Text(const Art& art);
  // Every art object of the layer tree in document order, layer groups excluded.
  std::vector<Art*> ArtOfLayer(const Layer& layer) const;
  std::vector<Art*> SelectedArt() const;

  // --- Handles -------------------------------------------------------------
  static AIArtHandle Handle(Art& art) { return reinterpret_cast<AIArtHandle>(&art); }
  static AILayerHandle Handle(Layer& layer) { return reinterpret_cast<AILayerHandle>(&layer); }
  static AIDocumentHandle Handle(Document& document) { return reinterpret_cast<AIDocumentHandle>(&document); }
  // The live art or layer of the current document behind a handle, or null.
  Art* ArtOf(AIArtHandle handle) const;
  Layer* LayerOf(AILayerHandle handle) const;

  // --- Stand-in state ----------------------------------------------------------
  UserInteraction& User() { return user; }
  PreferenceStore& Preferences() { return preferences; }
  Interface& UI() { return ui; }
  References& Refs() { return refs; }
  // Counted references handed out and not yet released.
  size_t OutstandingReferences() const { return refs.Outstanding(); }

  // The same key object for the same name.
  AIDictKey Key(const std::string& name);

  // Native windows (the main window, panel windows) of the dialog platform.
  AIWindowRef NewWindow(const std::string& caption);
  AIWindowRef MainWindow();

  // --- Driving the interface as the user ------------------------------------
  // Each of these ends with the host idle, so the notifications it caused
  // have been delivered.
  Panel* FindPanel(const std::string& id);
  // Opens the flyout menu (its pre-visibility callback runs) and chooses the
  // item; false when the item is missing or disabled.
  bool ChooseFlyoutItem(Panel& panel, uint32_t itemId);
  // The panel's window is sized (its size message), the panel's size
  // callback runs, and a shown panel is painted.
  void ResizePanel(Panel& panel, AISize size);
  // Chooses a menu item of a plug-in as the user would: the plug-in updates
  // it first, and only an enabled item is run ("AI Menu"/"AI Go"). Nothing
  // when the item is disabled, else the plug-in's result.
  std::optional<AIErr> ChooseMenuItem(PluginLoader& loader, MenuItem& item);
  // Shows or hides the panel as the host's own menus and tabs do.
  void ShowPanel(Panel& panel, bool shown);
  // The host paints the panel's window with the theme's colours.
  void PaintPanel(Panel& panel);
  // The user acts in the panel's window (a click, a double-click, ...);
  // problems of the action, empty when done.
  std::string ActInPanel(Panel& panel, const DialogAction& action);

  // --- The application ----------------------------------------------------------
  // Delivers the notifications that host operations caused since the host
  // was last idle.
  void Idle() {
    registry.Idle();
    SweepOpenedRows();
  }
  // The host tells every notifier at once that it has started, or is quitting.
  AIErr ApplicationStarted();
  AIErr ApplicationShutdown();
  // The user chooses another interface brightness: the theme's colours
  // change, the brightness notification is delivered, shown panels repaint.
  enum class Brightness { Dark, MediumDark, MediumLight, Light };
  void SetBrightness(Brightness level);
  Brightness CurrentBrightness() const { return brightness; }
  // A theme colour as the platform's 0x00BBGGRR; black when the theme lacks it.
  uint32_t ThemeRGB(int32_t area, int32_t kind) const;

  // --- Compact rows ----------------------------------------------------------
  // The plug-in opened the rows of a compact array; they are compacted again
  // at a sweep when nobody holds them then.
  void NoteOpenedRows(ArrayPtr array);
  // Compacts the opened arrays whose rows nobody holds; done when a plug-in
  // call returns and when many are waiting. Those still held wait for the
  // next sweep, a few dozen at most.
  void SweepOpenedRows();

  // --- Used by the suites ----------------------------------------------------------
  // A panel is shown or hidden: its window hears of it and is painted when shown.
  void SetPanelShown(Panel& panel, bool shown);

 private:
  void RegisterSuites();

  SuiteBroker broker;
  PluginRegistry registry;
  DialogPlatform dialogs;
  std::vector<std::unique_ptr<Document>> documents;
  Document* currentDocument = nullptr;
  UserInteraction user;
  PreferenceStore preferences;
  Interface ui;
  References refs;
  std::unordered_set<std::string> keys;
  AIWindowRef mainWindow = nullptr;
  Brightness brightness = Brightness::MediumDark;
  Host* previous = nullptr;
  // Arrays opened since the last sweep, oldest first.
  std::vector<ArrayPtr> openedRows;

  void ApplyTheme(Brightness level);
};

}  // namespace sim
