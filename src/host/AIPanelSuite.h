// Docked panels: a native window the host frames, docks, shows and hides,
// with a flyout menu and callbacks for the flyout and for size changes.
#pragma once

#include "host/HostTypes.h"

#define kAIPanelSuite "AI Panel Suite"
#define kAIPanelSuiteVersion 1

using AIPanelUserData = void*;
// Called before the flyout menu opens, so its items can be enabled.
using AIPanelFlyoutMenuPreVisProc = void (*)(AIPanelRef panel);
// Called with the identifier of the flyout item the user chose.
using AIPanelFlyoutMenuProc = void (*)(AIPanelRef panel, uint32_t itemId);
// Called after the panel's size changed.
using AIPanelSizeChangedProc = void (*)(AIPanelRef panel);

struct AIPanelSuite {
  // id names the panel, title is its caption; stateCount and resizable are
  // the host's frame settings; size is the first size. The panel starts hidden.
  AIErr (*Create)(SPPluginRef plugin, AIUnicodeStringRef id, AIUnicodeStringRef title, int32_t stateCount,
                  AISize size, AIBoolean resizable, AIPanelFlyoutMenuRef flyoutMenu, AIPanelUserData userData,
                  AIPanelRef* panel);
  AIErr (*Destroy)(AIPanelRef panel);
  AIErr (*Show)(AIPanelRef panel, AIBoolean show);
  AIErr (*IsShown)(AIPanelRef panel, AIBoolean* shown);
  AIErr (*GetUserData)(AIPanelRef panel, AIPanelUserData* userData);
  AIErr (*SetUserData)(AIPanelRef panel, AIPanelUserData userData);
  AIErr (*GetSize)(AIPanelRef panel, AISize* size);
  // The minimum size and the preferred sizes without and with docking
  // constraints.
  AIErr (*SetSizes)(AIPanelRef panel, AISize minimum, AISize preferredUnconstrained, AISize preferredConstrained);
  // The panel's own native window, which holds the plug-in's controls.
  AIErr (*GetPlatformWindow)(AIPanelRef panel, AIWindowRef* window);
  AIErr (*SetFlyoutMenuPreVisibilityProc)(AIPanelRef panel, AIPanelFlyoutMenuPreVisProc proc);
  AIErr (*SetFlyoutMenuProc)(AIPanelRef panel, AIPanelFlyoutMenuProc proc);
  AIErr (*SetSizeChangedProc)(AIPanelRef panel, AIPanelSizeChangedProc proc);
};
