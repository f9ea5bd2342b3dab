// A Plugin that records which of its operations the routing reached.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugin/Plugin.h"

namespace kztest {

// What a recording handler returns unless told otherwise.
inline constexpr AIErr kHandled = FourCC("HNDL");

#define KZ_RECORDED_HANDLERS(X)                                                                          \
  X(GetFilterParameters) X(GoFilter) X(PluginGroupNotify) X(PluginGroupUpdate) X(GetFileFormatParameters) \
  X(GoFileFormat) X(CheckFileFormat) X(FileFormatUpdate) X(FileFormatDoAction) X(EditTool)               \
  X(TrackToolCursor) X(ToolMouseDown) X(ToolMouseDrag) X(ToolMouseUp) X(SelectTool) X(DeselectTool)      \
  X(ReselectTool) X(DecreaseDiameter) X(IncreaseDiameter) X(EditLiveEffectParameters) X(GoLiveEffect)    \
  X(LiveEffectInterpolate) X(LiveEffectGetInputType) X(LiveEffectConvertColorSpace)                      \
  X(LiveEffectScaleParameters) X(LiveEffectAdjustColors) X(LiveEffectHandleMerge) X(GoTimer)             \
  X(GoClipboard) X(CanCopyClipboard) X(CloneClipboard) X(DisposeClipboard) X(WorkspaceWrite)             \
  X(WorkspaceRestore) X(WorkspaceDefault) X(OnDoAction)

class RecordingPlugin : public Plugin {
 public:
  explicit RecordingPlugin(SPPluginRef ref, std::vector<std::string>* destroyed = nullptr)
      : Plugin(ref), destroyed(destroyed) {}
  ~RecordingPlugin() override {
    if (destroyed) destroyed->push_back("destroyed");
  }

  std::vector<std::string> calls;
  std::map<std::string, AIErr> results;  // per operation; kHandled when absent
  bool purgeAnswer = false;
  std::vector<AIErr> reported;
  const char* lastNotifyType = nullptr;
  std::function<void()> duringNotify;  // runs inside OnNotify

  AIErr Record(const char* operation) {
    calls.push_back(operation);
    auto found = results.find(operation);
    return found == results.end() ? kHandled : found->second;
  }

#define KZ_RECORD(Name) \
  AIErr Name(SPMessageData*) override { return Record(#Name); }
  KZ_RECORDED_HANDLERS(KZ_RECORD)
#undef KZ_RECORD

  AIErr OnUnload(SPInterfaceMessage* message) override {
    Record("OnUnload");
    return Plugin::OnUnload(message);
  }
  AIErr OnReload(SPInterfaceMessage*) override { return Record("OnReload"); }
  AIErr OnPropertyAcquire(SPInterfaceMessage*) override { return Record("OnPropertyAcquire"); }
  AIErr OnPropertyRelease(SPInterfaceMessage*) override { return Record("OnPropertyRelease"); }
  AIErr OnAppStarted() override { return Record("OnAppStarted"); }
  AIErr OnNotify(AINotifierMessage* message) override {
    lastNotifyType = message->type;
    if (duringNotify) duringNotify();
    return Record("OnNotify");
  }
  AIErr OnMenuGo(AIMenuMessage*) override { return Record("OnMenuGo"); }
  AIErr OnMenuUpdate(AIMenuMessage*) override { return Record("OnMenuUpdate"); }
  AIErr OnShutdown(SPInterfaceMessage* message) override {
    Record("OnShutdown");
    return Plugin::OnShutdown(message);
  }
  bool Purge() override {
    calls.push_back("Purge");
    return purgeAnswer;
  }
  void BeforeMessage(const char*, const char*, void*) override { calls.push_back("BeforeMessage"); }
  void ReportError(AIErr code, const char* caller, const char* selector, void* message) override {
    reported.push_back(code);
  }

 private:
  std::vector<std::string>* destroyed;
};

}  // namespace kztest
