// Plugin: the plug-in object the host talks to. It turns each host message
// (caller, selector, record) into a call of one of its virtual operations;
// every operation has a default, and the system's plug-in class overrides the
// few it needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/HostTypes.h"
#include "host/PluginMessages.h"

class SuiteSet;

class Plugin {
 public:
  explicit Plugin(SPPluginRef pluginRef);
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // The operation table. Its order is fixed: the host-facing handlers follow
  // the routing table of Dispatch.
  virtual ~Plugin();
  virtual void ReportError(AIErr code, const char* caller, const char* selector, void* message);
  virtual AIErr Lock(bool on);
  virtual AIErr OnStartup(SPInterfaceMessage* message);
  virtual AIErr OnAppStarted();
  virtual AIErr OnShutdown(SPInterfaceMessage* message);
  virtual AIErr OnUnload(SPInterfaceMessage* message);
  virtual AIErr OnReload(SPInterfaceMessage* message);
  virtual AIErr OnPropertyAcquire(SPInterfaceMessage* message);
  virtual AIErr OnPropertyRelease(SPInterfaceMessage* message);
  virtual AIErr GetName(char* buffer, size_t length);
  virtual bool Purge();
  virtual AIErr Dispatch(const char* caller, const char* selector, void* message);
  virtual void SetGlobal(Plugin* object);
  virtual AIErr AfterStartupSetup();
  virtual AIErr AfterSuitesAcquired();
  virtual AIErr BeforeUnload();
  virtual void BeforeMessage(const char* caller, const char* selector, void* message);
  virtual AIErr OnNotify(AINotifierMessage* message);
  virtual AIErr OnDoAction(SPMessageData* message);
  virtual AIErr OnMenuGo(AIMenuMessage* message);
  virtual AIErr OnMenuUpdate(AIMenuMessage* message);

  virtual AIErr GetFilterParameters(SPMessageData* message);
  virtual AIErr GoFilter(SPMessageData* message);
  virtual AIErr PluginGroupNotify(SPMessageData* message);
  virtual AIErr PluginGroupUpdate(SPMessageData* message);
  virtual AIErr GetFileFormatParameters(SPMessageData* message);
  virtual AIErr GoFileFormat(SPMessageData* message);
  virtual AIErr CheckFileFormat(SPMessageData* message);
  virtual AIErr FileFormatUpdate(SPMessageData* message);
  virtual AIErr FileFormatDoAction(SPMessageData* message);
  virtual AIErr EditTool(SPMessageData* message);
  virtual AIErr TrackToolCursor(SPMessageData* message);
  virtual AIErr ToolMouseDown(SPMessageData* message);
  virtual AIErr ToolMouseDrag(SPMessageData* message);
  virtual AIErr ToolMouseUp(SPMessageData* message);
  virtual AIErr SelectTool(SPMessageData* message);
  virtual AIErr DeselectTool(SPMessageData* message);
  virtual AIErr ReselectTool(SPMessageData* message);
  virtual AIErr DecreaseDiameter(SPMessageData* message);
  virtual AIErr IncreaseDiameter(SPMessageData* message);
  virtual AIErr EditLiveEffectParameters(SPMessageData* message);
  virtual AIErr GoLiveEffect(SPMessageData* message);
  virtual AIErr LiveEffectInterpolate(SPMessageData* message);
  virtual AIErr LiveEffectGetInputType(SPMessageData* message);
  virtual AIErr LiveEffectConvertColorSpace(SPMessageData* message);
  virtual AIErr LiveEffectScaleParameters(SPMessageData* message);
  virtual AIErr LiveEffectAdjustColors(SPMessageData* message);
  virtual AIErr LiveEffectHandleMerge(SPMessageData* message);
  virtual AIErr GoTimer(SPMessageData* message);
  virtual AIErr GoClipboard(SPMessageData* message);
  virtual AIErr CanCopyClipboard(SPMessageData* message);
  virtual AIErr CloneClipboard(SPMessageData* message);
  virtual AIErr DisposeClipboard(SPMessageData* message);
  virtual AIErr WorkspaceWrite(SPMessageData* message);
  virtual AIErr WorkspaceRestore(SPMessageData* message);
  virtual AIErr WorkspaceDefault(SPMessageData* message);

  // Messages are dispatched only while the suites are held.
  bool HoldsSuites() const { return suites != nullptr; }
  SPPluginRef PluginRef() const { return pluginRef; }
  int32_t LockCount() const { return lockCount; }
  SPAccessRef AccessRef() const { return accessRef; }

 protected:
  static constexpr size_t kNameCapacity = 256;
  void SetName(const char* text);

  SPPluginRef pluginRef = nullptr;
  std::unique_ptr<SuiteSet> suites;
  char name[kNameCapacity] = "Plugin";
  int32_t lockCount = 0;
  SPAccessRef accessRef = nullptr;  // taken when lockCount went from 0 to 1
  AIErr lastError = kNoErr;
  int32_t errorTimeout = 5;  // seconds within which a repeated code is not reported again
  bool errorTimeoutEnabled = true;
  int64_t lastErrorTime = 0;  // seconds since the epoch

 private:
  AIErr AcquireSuites();
  AIErr RegisterAppStartedNotifier();
  AIErr RouteNotify(AINotifierMessage* message);
};

// Builds the system's plug-in object; null when memory is exhausted.
Plugin* CreatePlugin(SPPluginRef pluginRef);

// Points an existing object at the operations of the plug-in class as the
// library is loaded now: after the host unloads and reloads the library the
// object's data survives in the host's global slot but its operation table
// may lie at another address.
void RebindPlugin(Plugin* object);
