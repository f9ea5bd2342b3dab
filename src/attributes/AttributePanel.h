// AttributePanel: the plug-in's one docked panel. It lists the attribute
// fields of the selection's layers with the values the selected art carries,
// edits a value on a double-click, and carries the four attribute buttons
// ("注記...", "検索...", "定義...", "新規..."). Its flyout menu starts every
// import, export and document command. It follows the selection and the
// host's interface brightness, and lives from start-up to the application's
// shut-down.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "attributes/AttrTable.h"
#include "attributes/AttributeCommands.h"
#include "host/AIPanelSuite.h"
#include "host/AIUserInterfaceThemeSuite.h"
#include "host/HostTypes.h"
#include "host/PlatformDialogSuite.h"

// One entry of the flyout menu; a null text is a separator.
struct PanelFlyoutItem {
  uint32_t id;
  const char* text;  // UTF-8
};

class AttributePanel {
 public:
  explicit AttributePanel(SPPluginRef pluginRef);
  // Releases only what the plug-in owns; the host panel goes in Destroy.
  ~AttributePanel();
  AttributePanel(const AttributePanel&) = delete;
  AttributePanel& operator=(const AttributePanel&) = delete;

  // Builds the flyout menu with the items in order, the host panel, its
  // callbacks (the flyout commands go to commandProc), size limits and
  // native controls, and shows it. The first host error is returned; the
  // caller then destroys what was built.
  AIErr Create(const PanelFlyoutItem* items, size_t count, AIPanelFlyoutMenuProc commandProc);
  // Removes the native controls, the host panel and its flyout menu.
  void Destroy();

  bool IsShown() const;
  AIErr Show(bool show);
  // The selection or the document changed: the list follows while the panel
  // is shown; a hidden panel catches up when it is shown again, or before a
  // button acts, whichever comes first.
  void Refresh();
  // Re-reads the host's interface colours.
  void UpdateColors();
  // Lets go of the host's texts held for the list, before the host's
  // suites go away; the next refresh reads them anew.
  void ForgetSelection();

  SPPluginRef PluginRef() const { return pluginRef; }
  AIPanelRef Panel() const { return panel; }
  AIPanelFlyoutMenuRef FlyoutMenu() const { return flyoutMenu; }
  const AIUIThemeColor& Color(size_t index) const { return colors.at(index); }

  // The flyout items that need a layer in the current document.
  static constexpr uint32_t kLayerItems[] = {5, 6, 8, 9, 11};

  // The AttributePanel behind a host panel, or null.
  static AttributePanel* FromPanel(AIPanelRef panel);

 private:
  AIErr BuildFlyoutMenu(const PanelFlyoutItem* items, size_t count);
  AIErr CreateHostPanel();
  AIErr RegisterCallbacks(AIPanelFlyoutMenuProc commandProc);
  AIErr BuildControls();
  void DestroyControls();
  void EnableFlyoutItems();
  void Resize();
  void FillList();
  void RefreshIfStale();
  // The row of the current table for a row of the list as the user saw it.
  int32_t CurrentRow(int32_t row);

  // The panel window's procedure, which stands in front of the host's.
  static int32_t WindowProc(AIWindowRef window, PlatformDialogEvent* event, void* userData);
  int32_t HandleEvent(AIWindowRef window, PlatformDialogEvent& event);
  int32_t CustomDraw(PlatformDialogEvent& event) const;
  int32_t CaptionColours(PlatformDialogEvent& event) const;
  void OnDoubleClick(int32_t row);
  void OnButton(int32_t id);
  int32_t FirstSelectedRow() const;  // -1 when no row is selected
  void NewField();
  void DefineField(int32_t row);
  void ReportFailure(AIErr error) const;

  static void FlyoutPreVisibility(AIPanelRef panel);
  static void SizeChanged(AIPanelRef panel);

  SPPluginRef pluginRef = nullptr;
  AIPanelRef panel = nullptr;
  AIPanelFlyoutMenuRef flyoutMenu = nullptr;
  AttrTable table;
  bool stale = false;  // changes came while the panel was hidden
  // What the search and annotation dialogs remember between runs.
  SearchRecord searchRecord;
  AnnotationRecord annotationRecord;
  // 0 caption background, 1 caption text; 2 and 3 are kept for the list.
  std::array<AIUIThemeColor, 4> colors{};

  // The panel's native window, once its controls are built, and the
  // procedure that stood there before the panel's own.
  AIWindowRef window = nullptr;
  PlatformDialogProc previousProc = nullptr;
  bool subclassed = false;
  void* previousUserData = nullptr;
};
