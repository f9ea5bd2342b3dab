// ShapePlugin: Kartzmap's plug-in class.
#pragma once

#include "plugin/Plugin.h"

class ShapePlugin : public Plugin {
 public:
  explicit ShapePlugin(SPPluginRef pluginRef);
  ~ShapePlugin() override;

  // The base routing behind an exception barrier: nothing thrown by the
  // host-interface layer may unwind into the host.
  AIErr Dispatch(const char* caller, const char* selector, void* message) override;

  // The name under which the plug-in registers itself with the host.
  static constexpr const char* kPluginName = "Kartzmap4.5";
};
