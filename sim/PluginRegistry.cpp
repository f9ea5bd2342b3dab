#include "sim/PluginRegistry.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "sim/StringSuites.h"
#include "sim/SuiteBroker.h"

namespace sim {

namespace {

namespace fs = std::filesystem;

PluginRegistry* current = nullptr;

AIErr NoHost() { return kBadParameterErr; }

AIErr SetPluginName(SPPluginRef plugin, const char* name) {
  return current ? current->SetPluginName(plugin, name) : NoHost();
}
AIErr GetPluginName(SPPluginRef plugin, const char** name) {
  return current ? current->GetPluginName(plugin, name) : NoHost();
}
AIErr GetPluginFilePath(SPPluginRef plugin, AIFilePathRef* path) {
  return current ? current->GetPluginFilePath(plugin, path) : NoHost();
}
AIErr AcquirePlugin(SPPluginRef plugin, SPAccessRef* access) {
  return current ? current->AcquirePlugin(plugin, access) : NoHost();
}
AIErr ReleasePlugin(SPAccessRef access) { return current ? current->ReleasePlugin(access) : NoHost(); }
AIErr AddNotifier(SPPluginRef plugin, const char* name, const char* type, AINotifierHandle* notifier) {
  return current ? current->AddNotifier(plugin, name, type, notifier) : NoHost();
}
AIErr FindFolder(AIFolderType type, AIBoolean createFolder, AIFilePathRef* folder) {
  return current ? current->FindFolder(type, createFolder, folder) : NoHost();
}

const SPAccessSuite accessSuite = {AcquirePlugin, ReleasePlugin};
const SPPluginsSuite pluginsSuite = {SetPluginName, GetPluginName, GetPluginFilePath};
const AINotifierSuite notifierSuite = {AddNotifier};
const AIFoldersSuite foldersSuite = {FindFolder};

AIErr NewFilePath(const fs::path& path, AIFilePathRef* out) {
  return FilePathSuite()->CreateFromPlatformPath(path.string().c_str(), out);
}

}  // namespace

namespace {

// The system's temporary folder; /tmp when $TMPDIR names none (the host's
// folders are only named here, not made, so a bad setting is not fatal).
fs::path TemporaryFolder() {
  std::error_code error;
  fs::path folder = fs::temp_directory_path(error);
  return error ? fs::path("/tmp") : folder;
}

}  // namespace

PluginRegistry::PluginRegistry()
    : folderRoot(TemporaryFolder() / ("kzmap-host-" + std::to_string(::getpid()))), previous(current) {
  current = this;
}

PluginRegistry::~PluginRegistry() { current = previous; }

PluginRegistry* PluginRegistry::Current() { return current; }

void PluginRegistry::RegisterSuites(SuiteBroker& broker) const {
  broker.Register(kSPAccessSuite, kSPAccessSuiteVersion, &accessSuite);
  broker.Register(kSPPluginsSuite, kSPPluginsSuiteVersion, &pluginsSuite);
  broker.Register(kAINotifierSuite, kAINotifierSuiteVersion, &notifierSuite);
  broker.Register(kAIFoldersSuite, kAIFoldersSuiteVersion, &foldersSuite);
}

SPPluginRef PluginRegistry::AddPlugin(const std::string& filePath) {
  plugins.push_back(std::make_unique<SPPluginRefOpaque>(SPPluginRefOpaque{filePath, {}}));
  return plugins.back().get();
}

void PluginRegistry::SetFailure(const std::string& operation, AIErr code) {
  if (code == kNoErr)
    failures.erase(operation);
  else
    failures[operation] = code;
}

AIErr PluginRegistry::Failure(const std::string& operation) const {
  auto found = failures.find(operation);
  return found == failures.end() ? kNoErr : found->second;
}

bool PluginRegistry::Known(SPPluginRef plugin) const {
  return std::any_of(plugins.begin(), plugins.end(), [plugin](const auto& p) { return p.get() == plugin; });
}

int PluginRegistry::AccessLockCount(SPPluginRef plugin) const {
  return static_cast<int>(
      std::count_if(accesses.begin(), accesses.end(), [plugin](const auto& a) { return a->plugin == plugin; }));
}

bool PluginRegistry::IsAccessHandle(SPAccessRef access) const {
  return access &&
         std::any_of(accesses.begin(), accesses.end(), [access](const auto& a) { return a.get() == access; });
}

std::vector<const AINotifierHandleOpaque*> PluginRegistry::Notifiers() const {
  std::vector<const AINotifierHandleOpaque*> all;
  for (const auto& notifier : notifiers) all.push_back(notifier.get());
  return all;
}

std::vector<AINotifierHandle> PluginRegistry::NotifiersFor(const std::string& type) const {
  std::vector<AINotifierHandle> found;
  for (const auto& notifier : notifiers)
    if (notifier->type == type) found.push_back(notifier.get());
  return found;
}

AIErr PluginRegistry::SetPluginName(SPPluginRef plugin, const char* name) {
  if (!Known(plugin) || !name) return kBadParameterErr;
  if (AIErr failure = Failure("SetPluginName")) return failure;
  plugin->name = name;
  return kNoErr;
}

AIErr PluginRegistry::GetPluginName(SPPluginRef plugin, const char** name) {
  if (!Known(plugin) || !name) return kBadParameterErr;
  *name = plugin->name.c_str();
  return kNoErr;
}

AIErr PluginRegistry::GetPluginFilePath(SPPluginRef plugin, AIFilePathRef* path) {
  if (!Known(plugin) || !path) return kBadParameterErr;
  *path = nullptr;
  if (AIErr failure = Failure("GetPluginFilePath")) return failure;
  return NewFilePath(plugin->filePath, path);
}

AIErr PluginRegistry::AcquirePlugin(SPPluginRef plugin, SPAccessRef* access) {
  if (!Known(plugin) || !access) return kBadParameterErr;
  *access = nullptr;
  if (AIErr failure = Failure("AcquirePlugin")) return failure;
  accesses.push_back(std::make_unique<SPAccessRefOpaque>(SPAccessRefOpaque{plugin}));
  *access = accesses.back().get();
  return kNoErr;
}

AIErr PluginRegistry::ReleasePlugin(SPAccessRef access) {
  auto found = std::find_if(accesses.begin(), accesses.end(), [access](const auto& a) { return a.get() == access; });
  if (found == accesses.end()) return kBadParameterErr;
  accesses.erase(found);
  return kNoErr;
}

AIErr PluginRegistry::AddNotifier(SPPluginRef plugin, const char* name, const char* type,
                                  AINotifierHandle* notifier) {
  if (!Known(plugin) || !name || !type || !notifier) return kBadParameterErr;
  *notifier = nullptr;
  if (AIErr failure = Failure("AddNotifier")) return failure;
  notifiers.push_back(std::make_unique<AINotifierHandleOpaque>(AINotifierHandleOpaque{plugin, name, type}));
  *notifier = notifiers.back().get();
  return kNoErr;
}

fs::path PluginRegistry::Folder(AIFolderType type) const {
  switch (type) {
    case kAIApplicationFolderType: {
      std::error_code error;
      const fs::path self = fs::read_symlink("/proc/self/exe", error);
      return error ? fs::current_path() : self.parent_path();
    }
    case kAIPluginsFolderType:
      return plugins.empty() ? folderRoot / "Plug-ins" : fs::path(plugins.back()->filePath).parent_path();
    case kAIPreferencesFolderType:
      return folderRoot / "Preferences";
    case kAIUserSupportFolderType:
      return folderRoot / "Support";
    case kAITemporaryFolderType:
      return folderRoot / "Temp";
  }
  return {};
}

AIErr PluginRegistry::FindFolder(AIFolderType type, AIBoolean createFolder, AIFilePathRef* folder) {
  if (!folder) return kBadParameterErr;
  *folder = nullptr;
  if (AIErr failure = Failure("FindFolder")) return failure;
  const fs::path path = Folder(type);
  if (path.empty()) return kBadParameterErr;
  if (createFolder) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) return kCantHappenErr;
  }
  return NewFilePath(path, folder);
}

}  // namespace sim
