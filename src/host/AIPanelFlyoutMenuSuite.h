// Flyout menus of panels.
#pragma once

#include "host/HostTypes.h"

#define kAIPanelFlyoutMenuSuite "AI Panel Flyout Menu Suite"
#define kAIPanelFlyoutMenuSuiteVersion 1

struct AIPanelFlyoutMenuSuite {
  AIErr (*Create)(AIPanelFlyoutMenuRef* menu);
  AIErr (*Destroy)(AIPanelFlyoutMenuRef menu);
  // Items are enabled when appended. Identifiers are the caller's.
  AIErr (*AppendItem)(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIUnicodeStringRef text);
  AIErr (*AppendSeparator)(AIPanelFlyoutMenuRef menu, uint32_t itemId);
  AIErr (*EnableItem)(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean enabled);
  AIErr (*IsItemEnabled)(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean* enabled);
  AIErr (*CheckItem)(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean checked);
};
