// Host menus: plug-in items in named menu groups, and sub-menus.
#pragma once

#include "host/HostTypes.h"

#define kAIMenuSuite "AI Menu Suite"
#define kAIMenuSuiteVersion 10

// Host menu groups the system adds to.
#define kToolPalettesMenuGroup "Tool Palettes"
#define kAboutMenuGroup "About"

struct AIMenuSuite {
  // Adds an item named name (unique per plug-in) showing text to the group.
  AIErr (*AddMenuItem)(SPPluginRef plugin, const char* name, const char* groupName, AIUnicodeStringRef text,
                       int32_t options, AIMenuItemHandle* item);
  AIErr (*GetMenuItemName)(AIMenuItemHandle item, const char** name);
  AIErr (*CheckItem)(AIMenuItemHandle item, AIBoolean checked);
  AIErr (*IsItemChecked)(AIMenuItemHandle item, AIBoolean* checked);
  AIErr (*EnableItem)(AIMenuItemHandle item, AIBoolean enabled);
  AIErr (*IsItemEnabled)(AIMenuItemHandle item, AIBoolean* enabled);

  AIErr (*CountMenuGroups)(int32_t* count);
  AIErr (*GetNthMenuGroup)(int32_t index, AIMenuGroup* group);
  AIErr (*GetMenuGroupName)(AIMenuGroup group, const char** name);
  // A new group named name, shown as the sub-menu of the item.
  AIErr (*AddMenuGroupAsSubMenu)(const char* name, int32_t options, AIMenuItemHandle parentItem, AIMenuGroup* group);
};
