// ShapePlugin: Kartzmap's plug-in class. Start-up adds the window menu item
// that shows and hides the attribute panel and the About item, builds the
// panel with its flyout menu and registers the notifiers that keep the panel
// up to date.
#pragma once

#include <array>
#include <memory>

#include "plugin/Plugin.h"

class AttributePanel;

class ShapePlugin : public Plugin {
 public:
  explicit ShapePlugin(SPPluginRef pluginRef);
  ~ShapePlugin() override;

  AIErr OnStartup(SPInterfaceMessage* message) override;
  AIErr OnShutdown(SPInterfaceMessage* message) override;
  // The base routing behind an exception barrier: nothing thrown by the
  // host-interface layer may unwind into the host.
  AIErr Dispatch(const char* caller, const char* selector, void* message) override;
  void SetGlobal(Plugin* object) override;
  AIErr OnNotify(AINotifierMessage* message) override;
  AIErr OnMenuGo(AIMenuMessage* message) override;
  AIErr OnMenuUpdate(AIMenuMessage* message) override;
  // The panel lets go of the host's texts it keeps before the suites go.
  AIErr BeforeUnload() override;

  // Null before start-up has built it and after the application shut down.
  AttributePanel* Panel() const { return panel.get(); }

  // The name under which the plug-in registers itself with the host.
  static constexpr const char* kPluginName = "Kartzmap4.5";

 private:
  AIErr AddWindowMenuItem();
  AIErr AddAboutMenuItem();
  void BuildPanel();
  void AddNotifiers();
  void DestroyPanel();

  std::unique_ptr<AttributePanel> panel;
  AIMenuItemHandle windowMenuItem = nullptr;
  AIMenuItemHandle aboutMenuItem = nullptr;
  std::array<AINotifierHandle, 4> notifiers{};
};
