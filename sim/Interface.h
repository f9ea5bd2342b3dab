// The stand-in host's user-interface objects owned by plug-ins: menu groups
// and items, panels with their flyout menus, the interface colours, the
// application context and the modal parent. Plain data.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/AIPanelSuite.h"
#include "host/AIUserInterfaceThemeSuite.h"
#include "host/HostTypes.h"

namespace sim {

struct MenuItem;

struct MenuGroup {
  std::string name;
  int32_t options = 0;
  MenuItem* parentItem = nullptr;  // for sub-menus
};

struct MenuItem {
  SPPluginRef plugin = nullptr;
  std::string name;
  std::string groupName;
  std::u16string text;
  int32_t options = 0;
  bool checked = false;
  bool enabled = true;
};

struct FlyoutItem {
  uint32_t id = 0;
  std::u16string text;
  bool separator = false;
  bool enabled = true;
  bool checked = false;
};

struct FlyoutMenu {
  std::vector<FlyoutItem> items;
  bool destroyed = false;

  FlyoutItem* Find(uint32_t id) {
    for (FlyoutItem& item : items) {
      if (item.id == id) return &item;
    }
    return nullptr;
  }
};

struct Panel {
  SPPluginRef plugin = nullptr;
  std::u16string id;
  std::u16string title;
  int32_t stateCount = 0;
  AISize size;
  bool resizable = false;
  FlyoutMenu* flyout = nullptr;
  AIPanelUserData userData = nullptr;
  bool shown = false;
  bool destroyed = false;
  AISize minimumSize, preferredUnconstrained, preferredConstrained;
  AIWindowRef window = nullptr;
  AIPanelFlyoutMenuPreVisProc flyoutPreVisibility = nullptr;
  AIPanelFlyoutMenuProc flyoutChosen = nullptr;
  AIPanelSizeChangedProc sizeChanged = nullptr;
};

struct Interface {
  std::vector<std::unique_ptr<MenuGroup>> menuGroups;
  std::vector<std::unique_ptr<MenuItem>> menuItems;
  std::vector<std::unique_ptr<Panel>> panels;
  std::vector<std::unique_ptr<FlyoutMenu>> flyoutMenus;
  // Interface colours by (area, kind).
  std::map<std::pair<int32_t, int32_t>, AIUIThemeColor> themeColors;

  // Application context: entries not yet left, and every entry made.
  std::vector<SPPluginRef> contextStack;
  int64_t contextEntries = 0;
  AIWindowRef modalParent = nullptr;  // null: the main window

  MenuGroup* FindGroup(const std::string& name) {
    for (auto& group : menuGroups) {
      if (group->name == name) return group.get();
    }
    return nullptr;
  }
};

}  // namespace sim
