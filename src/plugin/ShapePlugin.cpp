#include "plugin/ShapePlugin.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "host/AIError.h"

ShapePlugin::ShapePlugin(SPPluginRef pluginRef) : Plugin(pluginRef) { SetName(kPluginName); }

ShapePlugin::~ShapePlugin() = default;

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

Plugin* CreatePlugin(SPPluginRef pluginRef) { return new (std::nothrow) ShapePlugin(pluginRef); }

// The object's operation-table pointer is the first word of the object (the
// class has a single, non-virtual line of bases). A freshly built object of
// the same class carries the table as this copy of the library has it.
void RebindPlugin(Plugin* object) {
  static_assert(std::is_polymorphic_v<ShapePlugin>);
  if (!object) return;
  const ShapePlugin fresh(nullptr);
  std::memcpy(static_cast<void*>(object), static_cast<const void*>(&fresh), sizeof(void*));
}
