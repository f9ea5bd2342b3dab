// The headless host's plug-in loader: opens the plug-in library by path,
// resolves PluginMain, keeps the plug-in's global slot between messages and
// sends it the host's messages. The host is idle before and after each
// message it sends from outside the plug-in: notifications that host
// operations caused are delivered then.
#pragma once

#include <string>
#include <vector>

#include "host/PluginMessages.h"

namespace sim {

class PluginRegistry;
class SuiteBroker;

using PluginEntry = AIErr (*)(const char* caller, const char* selector, void* message);

struct MessageLogEntry {
  std::string caller;
  std::string selector;
  AIErr result;
};

class PluginLoader {
 public:
  PluginLoader(SuiteBroker& broker, PluginRegistry& registry);
  // Shuts a running plug-in down and closes the library.
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // Opens the library and resolves PluginMain; false with LoadError() set
  // when either fails.
  bool Load(const std::string& libraryPath);
  const std::string& LoadError() const { return loadError; }
  bool Loaded() const { return entry != nullptr; }

  AIErr Startup();
  AIErr Shutdown();
  AIErr Unload();
  AIErr Reload();
  AIErr About();
  // "AI Notifier"/"AI Notify" with the notification type and notifier handle.
  AIErr Notify(const char* type, AINotifierHandle notifier = nullptr);
  // Sends the notification to every notifier registered for the type, as
  // the host broadcasts it; the first non-zero result, or 0.
  AIErr Broadcast(const char* type);
  AIErr MenuGo(AIMenuItemHandle item);
  AIErr MenuUpdate(AIMenuItemHandle item);
  // Any caller and selector, with a record that carries only the header.
  AIErr Send(const char* caller, const char* selector);
  // Any caller and selector with a record whose header starts it; the header
  // is filled here.
  AIErr Send(const char* caller, const char* selector, SPMessageData& header);

  // The plug-in's global slot as the host keeps it.
  void* Global() const { return global; }
  SPPluginRef Ref() const { return ref; }
  const std::string& Path() const { return path; }
  const std::vector<MessageLogEntry>& Log() const { return log; }

 private:
  SuiteBroker& broker;
  PluginRegistry& registry;
  std::string path;
  std::string loadError;
  void* library = nullptr;
  PluginEntry entry = nullptr;
  SPPluginRef ref = nullptr;
  void* global = nullptr;
  std::vector<MessageLogEntry> log;
  int depth = 0;  // messages under way
};

}  // namespace sim
