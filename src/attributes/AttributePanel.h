// AttributePanel: the plug-in's one docked panel. It carries the flyout menu
// from which every import, export and document command starts, follows the
// selection and the host's interface brightness, and lives from start-up to
// the application's shut-down.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "host/AIPanelSuite.h"
#include "host/AIUserInterfaceThemeSuite.h"
#include "host/HostTypes.h"

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
  // callbacks (the flyout commands go to commandProc) and size limits, and
  // shows it. The first host error is returned; the caller then destroys
  // what was built.
  AIErr Create(const PanelFlyoutItem* items, size_t count, AIPanelFlyoutMenuProc commandProc);
  // Removes the host panel and its flyout menu.
  void Destroy();

  bool IsShown() const;
  AIErr Show(bool show);
  // The selection or the document changed.
  void Refresh();
  // Re-reads the host's interface colours.
  void UpdateColors();

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
  void EnableFlyoutItems();
  void Resize();

  static void FlyoutPreVisibility(AIPanelRef panel);
  static void SizeChanged(AIPanelRef panel);

  SPPluginRef pluginRef = nullptr;
  AIPanelRef panel = nullptr;
  AIPanelFlyoutMenuRef flyoutMenu = nullptr;
  // 0 caption background, 1 caption text; 2 and 3 are kept for the list.
  std::array<AIUIThemeColor, 4> colors{};
};
