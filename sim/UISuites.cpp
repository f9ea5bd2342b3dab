// The stand-in Menu, Panel and Panel Flyout Menu suites.
#include <cstring>

#include "sim/HostSuites.h"
#include "sim/SuiteSupport.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

using namespace support;

// Objects behind handles are only trusted when the host made them.
template <typename T>
T* Find(const std::vector<std::unique_ptr<T>>& store, const void* handle) {
  for (const auto& object : store) {
    if (object.get() == handle) return object.get();
  }
  return nullptr;
}

MenuItem* ItemOf(AIMenuItemHandle handle) { return H() ? Find(H()->UI().menuItems, handle) : nullptr; }

// --- Menu --------------------------------------------------------------------

AIErr AddMenuItem(SPPluginRef plugin, const char* name, const char* groupName, AIUnicodeStringRef text,
                  int32_t options, AIMenuItemHandle* item) {
  SIM_REQUIRE(name && groupName && text && item, kBadParameterErr);
  *item = nullptr;
  SIM_REQUIRE(H(), kCantHappenErr);
  Interface& ui = H()->UI();
  SIM_REQUIRE(ui.FindGroup(groupName), kBadParameterErr);
  for (const auto& existing : ui.menuItems) {
    SIM_REQUIRE(!(existing->plugin == plugin && existing->name == name), kBadParameterErr);
  }
  ui.menuItems.push_back(std::make_unique<MenuItem>());
  MenuItem& made = *ui.menuItems.back();
  made.plugin = plugin;
  made.name = name;
  made.groupName = groupName;
  made.text = UnitsOf(text);
  made.options = options;
  *item = reinterpret_cast<AIMenuItemHandle>(&made);
  return kNoErr;
}

#define SIM_ITEM(var, handle)           \
  ::sim::MenuItem* var = ItemOf(handle); \
  if (!var) return kBadParameterErr

AIErr GetMenuItemName(AIMenuItemHandle handle, const char** name) {
  SIM_REQUIRE(name, kBadParameterErr);
  SIM_ITEM(item, handle);
  *name = item->name.c_str();
  return kNoErr;
}

AIErr CheckItem(AIMenuItemHandle handle, AIBoolean checked) {
  SIM_ITEM(item, handle);
  item->checked = checked != 0;
  return kNoErr;
}

AIErr IsItemChecked(AIMenuItemHandle handle, AIBoolean* checked) {
  SIM_REQUIRE(checked, kBadParameterErr);
  SIM_ITEM(item, handle);
  *checked = item->checked;
  return kNoErr;
}

AIErr EnableItem(AIMenuItemHandle handle, AIBoolean enabled) {
  SIM_ITEM(item, handle);
  item->enabled = enabled != 0;
  return kNoErr;
}

AIErr IsItemEnabled(AIMenuItemHandle handle, AIBoolean* enabled) {
  SIM_REQUIRE(enabled, kBadParameterErr);
  SIM_ITEM(item, handle);
  *enabled = item->enabled;
  return kNoErr;
}

AIErr CountMenuGroups(int32_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *count = static_cast<int32_t>(H()->UI().menuGroups.size());
  return kNoErr;
}

AIErr GetNthMenuGroup(int32_t index, AIMenuGroup* group) {
  SIM_REQUIRE(group, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  const auto& groups = H()->UI().menuGroups;
  SIM_REQUIRE(index >= 0 && static_cast<size_t>(index) < groups.size(), kIndexOutOfRangeErr);
  *group = reinterpret_cast<AIMenuGroup>(groups[static_cast<size_t>(index)].get());
  return kNoErr;
}

AIErr GetMenuGroupName(AIMenuGroup handle, const char** name) {
  SIM_REQUIRE(name, kBadParameterErr);
  MenuGroup* group = H() ? Find(H()->UI().menuGroups, handle) : nullptr;
  SIM_REQUIRE(group, kBadParameterErr);
  *name = group->name.c_str();
  return kNoErr;
}

AIErr AddMenuGroupAsSubMenu(const char* name, int32_t options, AIMenuItemHandle parentItem, AIMenuGroup* group) {
  SIM_REQUIRE(name && group, kBadParameterErr);
  *group = nullptr;
  SIM_ITEM(item, parentItem);
  Interface& ui = H()->UI();
  SIM_REQUIRE(!ui.FindGroup(name), kBadParameterErr);
  ui.menuGroups.push_back(std::make_unique<MenuGroup>(MenuGroup{name, options, item}));
  *group = reinterpret_cast<AIMenuGroup>(ui.menuGroups.back().get());
  return kNoErr;
}

const AIMenuSuite menuSuite = {AddMenuItem,     GetMenuItemName, CheckItem,        IsItemChecked,
                               EnableItem,      IsItemEnabled,   CountMenuGroups,  GetNthMenuGroup,
                               GetMenuGroupName, AddMenuGroupAsSubMenu};

// --- Flyout menus ----------------------------------------------------------------

FlyoutMenu* FlyoutOf(AIPanelFlyoutMenuRef handle) {
  FlyoutMenu* menu = H() ? Find(H()->UI().flyoutMenus, handle) : nullptr;
  return menu && !menu->destroyed ? menu : nullptr;
}

#define SIM_FLYOUT(var, handle)              \
  ::sim::FlyoutMenu* var = FlyoutOf(handle); \
  if (!var) return kBadParameterErr

AIErr FlyoutCreate(AIPanelFlyoutMenuRef* menu) {
  SIM_REQUIRE(menu, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  H()->UI().flyoutMenus.push_back(std::make_unique<FlyoutMenu>());
  *menu = reinterpret_cast<AIPanelFlyoutMenuRef>(H()->UI().flyoutMenus.back().get());
  return kNoErr;
}

AIErr FlyoutDestroy(AIPanelFlyoutMenuRef handle) {
  SIM_FLYOUT(menu, handle);
  menu->destroyed = true;
  return kNoErr;
}

AIErr Append(AIPanelFlyoutMenuRef handle, FlyoutItem item) {
  SIM_FLYOUT(menu, handle);
  SIM_REQUIRE(!menu->Find(item.id), kBadParameterErr);
  menu->items.push_back(std::move(item));
  return kNoErr;
}

AIErr AppendItem(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIUnicodeStringRef text) {
  SIM_REQUIRE(text, kBadParameterErr);
  return Append(menu, FlyoutItem{itemId, UnitsOf(text), false, true, false});
}

AIErr AppendSeparator(AIPanelFlyoutMenuRef menu, uint32_t itemId) {
  return Append(menu, FlyoutItem{itemId, {}, true, true, false});
}

AIErr FlyoutItemOf(AIPanelFlyoutMenuRef handle, uint32_t itemId, FlyoutItem** item) {
  SIM_FLYOUT(menu, handle);
  *item = menu->Find(itemId);
  SIM_REQUIRE(*item, kBadParameterErr);
  return kNoErr;
}

AIErr FlyoutEnableItem(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean enabled) {
  FlyoutItem* item = nullptr;
  if (const AIErr error = FlyoutItemOf(menu, itemId, &item)) return error;
  item->enabled = enabled != 0;
  return kNoErr;
}

AIErr FlyoutIsItemEnabled(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean* enabled) {
  SIM_REQUIRE(enabled, kBadParameterErr);
  FlyoutItem* item = nullptr;
  if (const AIErr error = FlyoutItemOf(menu, itemId, &item)) return error;
  *enabled = item->enabled;
  return kNoErr;
}

AIErr FlyoutCheckItem(AIPanelFlyoutMenuRef menu, uint32_t itemId, AIBoolean checked) {
  FlyoutItem* item = nullptr;
  if (const AIErr error = FlyoutItemOf(menu, itemId, &item)) return error;
  item->checked = checked != 0;
  return kNoErr;
}

const AIPanelFlyoutMenuSuite flyoutSuite = {FlyoutCreate,     FlyoutDestroy,       AppendItem,     AppendSeparator,
                                            FlyoutEnableItem, FlyoutIsItemEnabled, FlyoutCheckItem};

// --- Panels -------------------------------------------------------------------------

Panel* PanelOf(AIPanelRef handle) {
  Panel* panel = H() ? Find(H()->UI().panels, handle) : nullptr;
  return panel && !panel->destroyed ? panel : nullptr;
}

#define SIM_PANEL(var, handle)         \
  ::sim::Panel* var = PanelOf(handle); \
  if (!var) return kBadParameterErr

AIErr PanelCreate(SPPluginRef plugin, AIUnicodeStringRef id, AIUnicodeStringRef title, int32_t stateCount,
                  AISize size, AIBoolean resizable, AIPanelFlyoutMenuRef flyoutMenu, AIPanelUserData userData,
                  AIPanelRef* panel) {
  SIM_REQUIRE(id && title && panel, kBadParameterErr);
  *panel = nullptr;
  SIM_REQUIRE(H(), kCantHappenErr);
  FlyoutMenu* flyout = flyoutMenu ? FlyoutOf(flyoutMenu) : nullptr;
  SIM_REQUIRE(!flyoutMenu || flyout, kBadParameterErr);
  auto made = std::make_unique<Panel>();
  made->plugin = plugin;
  made->id = UnitsOf(id);
  made->title = UnitsOf(title);
  made->stateCount = stateCount;
  made->size = size;
  made->resizable = resizable != 0;
  made->flyout = flyout;
  made->userData = userData;
  made->window = H()->NewWindow(Utf16ToUtf8(made->title));
  H()->UI().panels.push_back(std::move(made));
  *panel = reinterpret_cast<AIPanelRef>(H()->UI().panels.back().get());
  return kNoErr;
}

// The panel's window goes with it; anything still pointing at it is a fault.
AIErr PanelDestroy(AIPanelRef handle) {
  SIM_PANEL(panel, handle);
  panel->destroyed = true;
  panel->shown = false;
  H()->Dialogs().DestroyNativeWindow(panel->window);
  return kNoErr;
}

AIErr Show(AIPanelRef handle, AIBoolean show) {
  SIM_PANEL(panel, handle);
  H()->SetPanelShown(*panel, show != 0);
  return kNoErr;
}

AIErr IsShown(AIPanelRef handle, AIBoolean* shown) {
  SIM_REQUIRE(shown, kBadParameterErr);
  SIM_PANEL(panel, handle);
  *shown = panel->shown;
  return kNoErr;
}

AIErr GetUserData(AIPanelRef handle, AIPanelUserData* userData) {
  SIM_REQUIRE(userData, kBadParameterErr);
  SIM_PANEL(panel, handle);
  *userData = panel->userData;
  return kNoErr;
}

AIErr SetUserData(AIPanelRef handle, AIPanelUserData userData) {
  SIM_PANEL(panel, handle);
  panel->userData = userData;
  return kNoErr;
}

AIErr GetSize(AIPanelRef handle, AISize* size) {
  SIM_REQUIRE(size, kBadParameterErr);
  SIM_PANEL(panel, handle);
  *size = panel->size;
  return kNoErr;
}

AIErr SetSizes(AIPanelRef handle, AISize minimum, AISize preferredUnconstrained, AISize preferredConstrained) {
  SIM_PANEL(panel, handle);
  panel->minimumSize = minimum;
  panel->preferredUnconstrained = preferredUnconstrained;
  panel->preferredConstrained = preferredConstrained;
  return kNoErr;
}

AIErr GetPlatformWindow(AIPanelRef handle, AIWindowRef* window) {
  SIM_REQUIRE(window, kBadParameterErr);
  SIM_PANEL(panel, handle);
  *window = panel->window;
  return kNoErr;
}

AIErr SetFlyoutMenuPreVisibilityProc(AIPanelRef handle, AIPanelFlyoutMenuPreVisProc proc) {
  SIM_PANEL(panel, handle);
  panel->flyoutPreVisibility = proc;
  return kNoErr;
}

AIErr SetFlyoutMenuProc(AIPanelRef handle, AIPanelFlyoutMenuProc proc) {
  SIM_PANEL(panel, handle);
  panel->flyoutChosen = proc;
  return kNoErr;
}

AIErr SetSizeChangedProc(AIPanelRef handle, AIPanelSizeChangedProc proc) {
  SIM_PANEL(panel, handle);
  panel->sizeChanged = proc;
  return kNoErr;
}

const AIPanelSuite panelSuite = {PanelCreate,  PanelDestroy,      Show,
                                 IsShown,      GetUserData,       SetUserData,
                                 GetSize,      SetSizes,          GetPlatformWindow,
                                 SetFlyoutMenuPreVisibilityProc, SetFlyoutMenuProc, SetSizeChangedProc};

}  // namespace

const AIMenuSuite* MenuSuite() { return &menuSuite; }
const AIPanelSuite* PanelSuite() { return &panelSuite; }
const AIPanelFlyoutMenuSuite* PanelFlyoutMenuSuite() { return &flyoutSuite; }

}  // namespace sim
