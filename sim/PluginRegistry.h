// The stand-in host's record of loaded plug-ins and the four suites through
// which a plug-in registers itself: "SP Access Suite" (the load lock),
// "SP Plug-ins Suite" (name and file), "AI Notifier Suite" and
// "AI Folders Suite". Everything a plug-in did through them is observable.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/AIFoldersSuite.h"
#include "host/AINotifierSuite.h"
#include "host/SPAccessSuite.h"
#include "host/SPPluginsSuite.h"

struct SPPluginRefOpaque {
  std::string filePath;  // the plug-in's library
  std::string name;      // as the plug-in registered it; empty until then
};

struct SPAccessRefOpaque {
  SPPluginRef plugin;
};

struct AINotifierHandleOpaque {
  SPPluginRef plugin;
  std::string name;
  std::string type;
};

namespace sim {

class SuiteBroker;

class PluginRegistry {
 public:
  PluginRegistry();
  ~PluginRegistry();
  PluginRegistry(const PluginRegistry&) = delete;
  PluginRegistry& operator=(const PluginRegistry&) = delete;

  // The registry that the C entry points of the four suites talk to.
  static PluginRegistry* Current();

  // Makes the four suites available through the broker.
  void RegisterSuites(SuiteBroker& broker) const;

  SPPluginRef AddPlugin(const std::string& filePath);

  // Makes an operation ("SetPluginName", "GetPluginFilePath", "AcquirePlugin",
  // "AddNotifier", "FindFolder") fail with the code from now on; 0 restores it.
  void SetFailure(const std::string& operation, AIErr code);
  AIErr Failure(const std::string& operation) const;

  // Observation.
  const std::string& PluginName(SPPluginRef plugin) const { return plugin->name; }
  int AccessLockCount(SPPluginRef plugin) const;
  bool IsAccessHandle(SPAccessRef access) const;
  std::vector<const AINotifierHandleOpaque*> Notifiers() const;
  std::vector<AINotifierHandle> NotifiersFor(const std::string& type) const;

  // Where the preference, user-support and temporary folders live.
  void SetFolderRoot(const std::filesystem::path& root) { folderRoot = root; }
  std::filesystem::path Folder(AIFolderType type) const;

  // --- Notifications ------------------------------------------------------
  // How the host reaches a loaded plug-in with "AI Notifier"/"AI Notify".
  using NotifyEntry = std::function<AIErr(const char* type, AINotifierHandle notifier)>;
  void Connect(SPPluginRef plugin, NotifyEntry entry);
  void Disconnect(SPPluginRef plugin);
  // Sends the notification now to every notifier added for the type, in the
  // order they were added; the first non-zero result, or 0.
  AIErr Broadcast(const std::string& type);
  // A host operation caused the notification. It waits until the host is
  // idle again; a type already waiting is not queued twice, and a type no
  // notifier listens to is not queued at all.
  void Post(const std::string& type);
  // The host is idle: every waiting notification is sent, in the order
  // posted, and so are those that the deliveries cause in turn.
  void Idle();
  size_t PendingNotifications() const { return pending.size(); }
  struct Delivery {
    std::string type;
    std::string notifier;  // the plug-in's name for it
    AIErr result;
  };
  // Every notification sent to a plug-in, in order.
  const std::vector<Delivery>& Deliveries() const { return deliveries; }

  // Suite operations, reached through the C tables.
  AIErr SetPluginName(SPPluginRef plugin, const char* name);
  AIErr GetPluginName(SPPluginRef plugin, const char** name);
  AIErr GetPluginFilePath(SPPluginRef plugin, AIFilePathRef* path);
  AIErr AcquirePlugin(SPPluginRef plugin, SPAccessRef* access);
  AIErr ReleasePlugin(SPAccessRef access);
  AIErr AddNotifier(SPPluginRef plugin, const char* name, const char* type, AINotifierHandle* notifier);
  AIErr FindFolder(AIFolderType type, AIBoolean createFolder, AIFilePathRef* folder);

 private:
  bool Known(SPPluginRef plugin) const;

  std::vector<std::unique_ptr<SPPluginRefOpaque>> plugins;
  std::vector<std::unique_ptr<SPAccessRefOpaque>> accesses;
  std::vector<std::unique_ptr<AINotifierHandleOpaque>> notifiers;
  std::map<std::string, AIErr> failures;
  std::map<SPPluginRef, NotifyEntry> entries;
  std::deque<std::string> pending;
  std::vector<Delivery> deliveries;
  bool delivering = false;
  std::filesystem::path folderRoot;
  PluginRegistry* previous = nullptr;
};

}  // namespace sim
