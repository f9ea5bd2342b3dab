#include "plugin/SDKAboutPluginsHelper.h"

#include <cstring>

#include "host/AIMenuSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

namespace {

// The menu suite, held for one call only.
class MenuSuite {
 public:
  MenuSuite() {
    if (!sSPBasic) {
      error = kSPSuiteNotFoundError;
      return;
    }
    const void* acquired = nullptr;
    error = sSPBasic->AcquireSuite(kAIMenuSuite, kAIMenuSuiteVersion, &acquired);
    if (!error) suite = static_cast<const AIMenuSuite*>(acquired);
  }
  ~MenuSuite() {
    if (suite) sSPBasic->ReleaseSuite(kAIMenuSuite, kAIMenuSuiteVersion);
  }
  MenuSuite(const MenuSuite&) = delete;
  MenuSuite& operator=(const MenuSuite&) = delete;

  const AIMenuSuite* suite = nullptr;
  AIErr error = kNoErr;
};

AIErr GroupExists(const AIMenuSuite& menu, const char* groupName, bool& exists) {
  exists = false;
  int32_t count = 0;
  if (AIErr error = menu.CountMenuGroups(&count)) return error;
  for (int32_t i = 0; i < count && !exists; ++i) {
    AIMenuGroup group = nullptr;
    const char* name = nullptr;
    if (AIErr error = menu.GetNthMenuGroup(i, &group)) return error;
    if (AIErr error = menu.GetMenuGroupName(group, &name)) return error;
    exists = name && std::strcmp(name, groupName) == 0;
  }
  return kNoErr;
}

AIErr AddGroup(const AIMenuSuite& menu, SPPluginRef plugin, const char* groupName, const char* groupText) {
  const ai::UnicodeString text(groupText);
  AIMenuItemHandle parent = nullptr;
  if (AIErr error = menu.AddMenuItem(plugin, groupName, kAboutMenuGroup, text.Ref(), 0, &parent)) return error;
  AIMenuGroup group = nullptr;
  return menu.AddMenuGroupAsSubMenu(groupName, 0, parent, &group);
}

}  // namespace

AIErr SDKAboutPluginsHelper::AddAboutPluginsMenuItem(SPPluginRef plugin, const char* groupName, const char* groupText,
                                                     const char* itemName, const char* itemText,
                                                     AIMenuItemHandle* item) {
  *item = nullptr;
  const MenuSuite menu;
  if (menu.error) return menu.error;
  bool exists = false;
  if (AIErr error = GroupExists(*menu.suite, groupName, exists)) return error;
  if (!exists) {
    if (AIErr error = AddGroup(*menu.suite, plugin, groupName, groupText)) return error;
  }
  const ai::UnicodeString text(itemText);
  return menu.suite->AddMenuItem(plugin, itemName, groupName, text.Ref(), 0, item);
}
