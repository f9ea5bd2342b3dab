#include "plugin/Plugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <new>

#include "host/AINotifierSuite.h"
#include "host/AppContextScope.h"
#include "host/PluginCallers.h"
#include "host/SPAccessSuite.h"
#include "host/SPPluginsSuite.h"
#include "host/SuitePointers.h"
#include "plugin/ErrorReport.h"
#include "plugin/SuiteSet.h"

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

SPMessageData* Header(void* message) { return static_cast<SPMessageData*>(message); }
SPInterfaceMessage* Interface(void* message) { return static_cast<SPInterfaceMessage*>(message); }

// The rows of the routing table whose handler takes the message and returns
// its result as it is.
struct Route {
  const char* caller;
  const char* selector;
  AIErr (Plugin::*handler)(SPMessageData*);
};

const Route handlerRoutes[] = {
    {kCallerAIFilter, kSelectorAIGetFilterParameters, &Plugin::GetFilterParameters},
    {kCallerAIFilter, kSelectorAIGoFilter, &Plugin::GoFilter},
    {kCallerAIPluginGroup, kSelectorAINotifyEdits, &Plugin::PluginGroupNotify},
    {kCallerAIPluginGroup, kSelectorAIUpdateArt, &Plugin::PluginGroupUpdate},
    {kCallerAIFileFormat, kSelectorAIGetFileFormatParameters, &Plugin::GetFileFormatParameters},
    {kCallerAIFileFormat, kSelectorAIGoFileFormat, &Plugin::GoFileFormat},
    {kCallerAIFileFormat, kSelectorAICheckFileFormat, &Plugin::CheckFileFormat},
    {kCallerAIFileFormat, kSelectorAIUpdateFileFormat, &Plugin::FileFormatUpdate},
    {kCallerAIFileFormat, kSelectorAIFileFormatDoAction, &Plugin::FileFormatDoAction},
    {kCallerAITool, kSelectorAIEditToolOptions, &Plugin::EditTool},
    {kCallerAITool, kSelectorAITrackToolCursor, &Plugin::TrackToolCursor},
    {kCallerAITool, kSelectorAIToolMouseDown, &Plugin::ToolMouseDown},
    {kCallerAITool, kSelectorAIToolMouseDrag, &Plugin::ToolMouseDrag},
    {kCallerAITool, kSelectorAIToolMouseUp, &Plugin::ToolMouseUp},
    {kCallerAITool, kSelectorAISelectTool, &Plugin::SelectTool},
    {kCallerAITool, kSelectorAIDeselectTool, &Plugin::DeselectTool},
    {kCallerAITool, kSelectorAIReselectTool, &Plugin::ReselectTool},
    {kCallerAITool, kSelectorAIToolDecreaseDiameter, &Plugin::DecreaseDiameter},
    {kCallerAITool, kSelectorAIToolIncreaseDiameter, &Plugin::IncreaseDiameter},
    {kCallerAILiveEffect, kSelectorAIEditLiveEffectParameters, &Plugin::EditLiveEffectParameters},
    {kCallerAILiveEffect, kSelectorAIGoLiveEffect, &Plugin::GoLiveEffect},
    {kCallerAILiveEffect, kSelectorAILiveEffectInterpolate, &Plugin::LiveEffectInterpolate},
    {kCallerAILiveEffect, kSelectorAILiveEffectInputType, &Plugin::LiveEffectGetInputType},
    {kCallerAILiveEffect, kSelectorAILiveEffectScaleParameters, &Plugin::LiveEffectScaleParameters},
    {kCallerAILiveEffect, kSelectorAILiveEffectConvertColorSpace, &Plugin::LiveEffectConvertColorSpace},
    {kCallerAILiveEffect, kSelectorAILiveEffectAdjustColors, &Plugin::LiveEffectAdjustColors},
    {kCallerAILiveEffect, kSelectorAILiveEffectHandleMerge, &Plugin::LiveEffectHandleMerge},
    {kCallerAITimer, kSelectorAIGoTimer, &Plugin::GoTimer},
    {kCallerAIClipboard, kSelectorAIGoClipboard, &Plugin::GoClipboard},
    {kCallerAIClipboard, kSelectorAICanCopyClipboard, &Plugin::CanCopyClipboard},
    {kCallerAIClipboard, kSelectorAICloneClipboard, &Plugin::CloneClipboard},
    {kCallerAIClipboard, kSelectorAIDisposeClipboard, &Plugin::DisposeClipboard},
    {kAIWorkspaceCaller, kAIWSWriteSelector, &Plugin::WorkspaceWrite},
    {kAIWorkspaceCaller, kAIWSRestoreSelector, &Plugin::WorkspaceRestore},
    {kAIWorkspaceCaller, kAIWSDefaultSelector, &Plugin::WorkspaceDefault},
};

}  // namespace

Plugin::Plugin(SPPluginRef pluginRef) : pluginRef(pluginRef) {}

Plugin::~Plugin() = default;

void Plugin::SetName(const char* text) {
  std::snprintf(name, sizeof name, "%s", text ? text : "");
}

void Plugin::ReportError(AIErr code, const char* caller, const char* selector, void* message) {
  if (IsSilentError(code)) return;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (code == lastError && errorTimeoutEnabled && now - lastErrorTime < errorTimeout) return;
  lastError = code;
  lastErrorTime = now;
  DefaultErrorReport(code);
}

AIErr Plugin::Lock(bool on) {
  if (on) {
    if (++lockCount == 1 && sSPAccess) sSPAccess->AcquirePlugin(pluginRef, &accessRef);
    return kNoErr;
  }
  if (lockCount == 0) return kNoErr;
  if (--lockCount == 0) {
    if (accessRef && sSPAccess) sSPAccess->ReleasePlugin(accessRef);
    accessRef = nullptr;
  }
  return kNoErr;
}

AIErr Plugin::AcquireSuites() {
  suites.reset(new (std::nothrow) SuiteSet);
  if (!suites) return kOutOfMemoryErr;
  // Forcing the count to 1 makes a failed set release what it did acquire.
  SuiteSet::SetAcquisitionCount(1);
  const AIErr error = suites->Error();
  if (error) suites.reset();
  return error;
}

AIErr Plugin::RegisterAppStartedNotifier() {
  char notifierName[kNameCapacity + 32];
  std::snprintf(notifierName, sizeof notifierName, "%s App Started Notifier", name);
  AINotifierHandle notifier = nullptr;
  return sAINotifier->AddNotifier(pluginRef, notifierName, kAIApplicationStartedNotifier, &notifier);
}

AIErr Plugin::OnStartup(SPInterfaceMessage* message) {
  SetGlobal(this);
  if (AIErr error = AcquireSuites()) return error;
  if (AIErr error = sSPPlugins->SetPluginName(pluginRef, name)) return error;
  if (AIErr error = RegisterAppStartedNotifier()) return error;
  if (AIErr error = AfterStartupSetup()) return error;
  AfterSuitesAcquired();
  return Lock(true);
}

AIErr Plugin::OnAppStarted() { return kNoErr; }

AIErr Plugin::OnShutdown(SPInterfaceMessage* message) {
  suites.reset();
  SetGlobal(nullptr);
  return kNoErr;
}

AIErr Plugin::OnUnload(SPInterfaceMessage* message) {
  BeforeUnload();
  SetGlobal(nullptr);
  suites.reset();
  return kNoErr;
}

AIErr Plugin::OnReload(SPInterfaceMessage* message) {
  SetGlobal(this);
  if (!suites) {
    suites.reset(new (std::nothrow) SuiteSet);
    if (!suites) return kOutOfMemoryErr;
  }
  SuiteSet::SetAcquisitionCount(1);
  if (AIErr error = suites->Error()) {
    suites.reset();
    return error;
  }
  AfterSuitesAcquired();
  return kNoErr;
}

AIErr Plugin::OnPropertyAcquire(SPInterfaceMessage* message) { return kUnhandledMsgErr; }

AIErr Plugin::OnPropertyRelease(SPInterfaceMessage* message) { return kUnhandledMsgErr; }

AIErr Plugin::GetName(char* buffer, size_t length) {
  if (!buffer) return kBadParameterErr;
  // length counts characters; the buffer holds them and the terminator.
  const size_t count = std::min(std::strlen(name), length);
  std::memcpy(buffer, name, count);
  buffer[count] = '\0';
  return kNoErr;
}

bool Plugin::Purge() { return false; }

AIErr Plugin::Dispatch(const char* caller, const char* selector, void* message) {
  BeforeMessage(caller, selector, message);
  if (Same(caller, kSPAccessCaller)) {
    if (Same(selector, kSPAccessUnloadSelector)) return OnUnload(Interface(message));
    if (Same(selector, kSPAccessReloadSelector)) return OnReload(Interface(message));
    return kUnhandledMsgErr;
  }
  if (Same(caller, kSPInterfaceCaller)) {
    if (Same(selector, kSPInterfaceAboutSelector) || Same(selector, kSPInterfaceStartupSelector)) return kNoErr;
    return kUnhandledMsgErr;
  }
  if (Same(caller, kSPCacheCaller)) {
    if (Same(selector, kSPPluginPurgeCachesSelector)) return Purge() ? kSPPluginCachesFlushResponse : kNoErr;
    return kUnhandledMsgErr;
  }
  if (Same(caller, kSPPropertiesCaller)) {
    if (Same(selector, kSPPropertiesAcquireSelector)) return OnPropertyAcquire(Interface(message));
    if (Same(selector, kSPPropertiesReleaseSelector)) return OnPropertyRelease(Interface(message));
    return kUnhandledMsgErr;
  }
  if (Same(caller, kCallerAINotify)) {
    if (Same(selector, kSelectorAINotify)) return RouteNotify(static_cast<AINotifierMessage*>(message));
    return kUnhandledMsgErr;
  }
  if (Same(caller, kActionCaller)) {
    if (Same(selector, kDoActionSelector)) return OnDoAction(Header(message));
    return kUnhandledMsgErr;
  }
  if (Same(caller, kCallerAIMenu)) {
    if (Same(selector, kSelectorAIGoMenuItem)) return OnMenuGo(static_cast<AIMenuMessage*>(message));
    if (Same(selector, kSelectorAIUpdateMenuItem)) return OnMenuUpdate(static_cast<AIMenuMessage*>(message));
    return kUnhandledMsgErr;
  }
  for (const Route& route : handlerRoutes)
    if (Same(caller, route.caller) && Same(selector, route.selector)) return (this->*route.handler)(Header(message));
  return kUnhandledMsgErr;
}

AIErr Plugin::RouteNotify(AINotifierMessage* message) {
  AppContextScope context(pluginRef);
  if (Same(message->type, kAIApplicationStartedNotifier)) {
    const AIErr result = OnAppStarted();
    if (result != kNoErr && result != kUnhandledMsgErr) return result;
  }
  return OnNotify(message);
}

void Plugin::SetGlobal(Plugin* object) {}

AIErr Plugin::AfterStartupSetup() { return kNoErr; }

AIErr Plugin::AfterSuitesAcquired() { return kNoErr; }

AIErr Plugin::BeforeUnload() { return kNoErr; }

void Plugin::BeforeMessage(const char* caller, const char* selector, void* message) {}

AIErr Plugin::OnNotify(AINotifierMessage* message) { return kNoErr; }

AIErr Plugin::OnDoAction(SPMessageData* message) { return kNoErr; }

AIErr Plugin::OnMenuGo(AIMenuMessage* message) { return kUnhandledMsgErr; }

AIErr Plugin::OnMenuUpdate(AIMenuMessage* message) { return kUnhandledMsgErr; }

AIErr Plugin::GetFilterParameters(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GoFilter(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::PluginGroupNotify(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::PluginGroupUpdate(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GetFileFormatParameters(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GoFileFormat(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::CheckFileFormat(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::FileFormatUpdate(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::FileFormatDoAction(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::EditTool(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::TrackToolCursor(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::ToolMouseDown(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::ToolMouseDrag(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::ToolMouseUp(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::SelectTool(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::DeselectTool(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::ReselectTool(SPMessageData* message) { return kNoErr; }
AIErr Plugin::DecreaseDiameter(SPMessageData* message) { return kNoErr; }
AIErr Plugin::IncreaseDiameter(SPMessageData* message) { return kNoErr; }
AIErr Plugin::EditLiveEffectParameters(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GoLiveEffect(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectInterpolate(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectGetInputType(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectConvertColorSpace(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectScaleParameters(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectAdjustColors(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::LiveEffectHandleMerge(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GoTimer(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::GoClipboard(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::CanCopyClipboard(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::CloneClipboard(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::DisposeClipboard(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::WorkspaceWrite(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::WorkspaceRestore(SPMessageData* message) { return kUnhandledMsgErr; }
AIErr Plugin::WorkspaceDefault(SPMessageData* message) { return kUnhandledMsgErr; }
