#include "plugin/ShapePlugin.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "attributes/AttributePanel.h"
#include "host/AIError.h"
#include "host/AIMenuSuite.h"
#include "host/AINotifierSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "plugin/AboutDialog.h"
#include "plugin/FlyoutCommands.h"
#include "plugin/SDKAboutPluginsHelper.h"

namespace {

constexpr int32_t kWindowMenuItemOptions = 1;
constexpr const char* kAboutGroupName = "AboutKartzName";
constexpr const char* kAboutGroupText = "Kartzについて...";
constexpr const char* kAboutItemName = "Kartzmap4.5 About";
constexpr const char* kAboutItemText = "Kartzmap4.5...";

enum class Reaction { DestroyPanel, Refresh, UpdateColors };

struct NotifierInfo {
  const char* name;
  const char* type;
  Reaction reaction;
};

const NotifierInfo kNotifiers[] = {
    {"KzMap Application Shutdown Notifier", kAIApplicationShutdownNotifier, Reaction::DestroyPanel},
    {"KzMap Selection Changed Notifier", kAIArtSelectionChangedNotifier, Reaction::Refresh},
    {"KzMap Document Changed Notifier", kAIDocumentChangedNotifier, Reaction::Refresh},
    {"KzMap UIBrightness Changed Notifier", kAIUIBrightnessChangedNotifier, Reaction::UpdateColors},
};

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

ShapePlugin::ShapePlugin(SPPluginRef pluginRef) : Plugin(pluginRef) { SetName(kPluginName); }

ShapePlugin::~ShapePlugin() = default;

AIErr ShapePlugin::OnStartup(SPInterfaceMessage* message) {
  if (AIErr error = Plugin::OnStartup(message)) return error;
  // Without its menu items, panel or notifiers the plug-in still loads; the
  // host is not told.
  try {
    if (AddWindowMenuItem() == kNoErr && AddAboutMenuItem() == kNoErr) {
      BuildPanel();
      if (panel) AddNotifiers();
    }
  } catch (...) {
    DestroyPanel();
  }
  return Lock(true);
}

AIErr ShapePlugin::AddWindowMenuItem() {
  const ai::UnicodeString text(kPluginName);
  return sAIMenu->AddMenuItem(pluginRef, kPluginName, kToolPalettesMenuGroup, text.Ref(), kWindowMenuItemOptions,
                              &windowMenuItem);
}

AIErr ShapePlugin::AddAboutMenuItem() {
  SDKAboutPluginsHelper helper;
  return helper.AddAboutPluginsMenuItem(pluginRef, kAboutGroupName, kAboutGroupText, kAboutItemName, kAboutItemText,
                                        &aboutMenuItem);
}

void ShapePlugin::BuildPanel() {
  panel.reset(new (std::nothrow) AttributePanel(pluginRef));
  if (!panel) return;
  size_t count = 0;
  const PanelFlyoutItem* items = FlyoutMenuItems(&count);
  if (panel->Create(items, count, OnFlyoutCommand) != kNoErr) DestroyPanel();
}

void ShapePlugin::AddNotifiers() {
  for (size_t i = 0; i < notifiers.size(); ++i) {
    if (sAINotifier->AddNotifier(pluginRef, kNotifiers[i].name, kNotifiers[i].type, &notifiers[i]) != kNoErr) return;
  }
}

void ShapePlugin::DestroyPanel() {
  if (!panel) return;
  panel->Destroy();
  panel.reset();
}

// A panel still standing here was not taken down by the application's
// shut-down notification: take it down while the suites are held, so the
// host keeps no callbacks into a library about to go.
AIErr ShapePlugin::OnShutdown(SPInterfaceMessage* message) {
  try {
    if (HoldsSuites()) DestroyPanel();
  } catch (...) {
  }
  panel.reset();
  return Plugin::OnShutdown(message);
}

AIErr ShapePlugin::Dispatch(const char* caller, const char* selector, void* message) {
  AIErr result = kNoErr;
  try {
    result = Plugin::Dispatch(caller, selector, message);
  } catch (const ai::Error& error) {
    result = error.Code();
  } catch (...) {
    result = kCantHappenErr;
  }
  if (result == kNoErr || result == kUnhandledMsgErr) return kNoErr;
  ReportError(result, caller, selector, message);
  return result;
}

void ShapePlugin::SetGlobal(Plugin* object) {}

AIErr ShapePlugin::BeforeUnload() {
  if (panel) panel->ForgetSelection();
  return Plugin::BeforeUnload();
}

AIErr ShapePlugin::OnNotify(AINotifierMessage* message) {
  if (!panel) return kNoErr;
  for (const NotifierInfo& notifier : kNotifiers) {
    if (!Same(message->type, notifier.type)) continue;
    switch (notifier.reaction) {
      case Reaction::DestroyPanel:
        DestroyPanel();
        break;
      case Reaction::Refresh:
        panel->Refresh();
        break;
      case Reaction::UpdateColors:
        panel->UpdateColors();
        break;
    }
    break;
  }
  return kNoErr;
}

AIErr ShapePlugin::OnMenuGo(AIMenuMessage* message) {
  if (message->menuItem == nullptr) return kNoErr;
  if (message->menuItem == windowMenuItem) {
    if (panel) panel->Show(!panel->IsShown());
  } else if (message->menuItem == aboutMenuItem) {
    AboutDialog::Show(pluginRef);
  }
  return kNoErr;
}

AIErr ShapePlugin::OnMenuUpdate(AIMenuMessage* message) {
  if (windowMenuItem) sAIMenu->CheckItem(windowMenuItem, panel && panel->IsShown());
  return kNoErr;
}

Plugin* CreatePlugin(SPPluginRef pluginRef) { return new (std::nothrow) ShapePlugin(pluginRef); }

// The class's operation table as this copy of the library has it: with the
// Itanium C++ ABI (g++, clang) the table's symbol is _ZTV<class>, and an
// object's table pointer points two entries into it, past the offset to the
// top and the type information.
extern "C" const void* const _ZTV11ShapePlugin[];

// The object's operation-table pointer is the first word of the object (the
// class has a single, non-virtual line of bases). It is pointed at this
// library's table directly: building a ShapePlugin to copy the pointer from
// would run the class's constructor and destructor on every reload.
void RebindPlugin(Plugin* object) {
  static_assert(std::is_polymorphic_v<ShapePlugin>);
  if (!object) return;
  const void* const* table = &_ZTV11ShapePlugin[2];
  std::memcpy(static_cast<void*>(object), static_cast<const void*>(&table), sizeof table);
}
