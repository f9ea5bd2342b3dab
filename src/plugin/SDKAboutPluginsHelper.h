// The About sub-menu shared by the plug-ins of one maker: the first plug-in
// makes the sub-menu in the host's About group, the others add their items
// to it.
#pragma once

#include "host/HostTypes.h"

class SDKAboutPluginsHelper {
 public:
  // Adds an item showing itemText to the sub-menu group groupName, making the
  // group (under an item showing groupText in the host's About menu) when no
  // plug-in has made it yet. Texts are UTF-8. The first host error is returned.
  AIErr AddAboutPluginsMenuItem(SPPluginRef plugin, const char* groupName, const char* groupText,
                                const char* itemName, const char* itemText, AIMenuItemHandle* item);
};
