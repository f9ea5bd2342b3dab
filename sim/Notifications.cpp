#include "sim/Notifications.h"

#include <algorithm>

#include "host/AINotifierSuite.h"
#include "sim/Host.h"

namespace sim {

void PluginRegistry::Connect(SPPluginRef plugin, NotifyEntry entry) { entries[plugin] = std::move(entry); }

void PluginRegistry::Disconnect(SPPluginRef plugin) { entries.erase(plugin); }

AIErr PluginRegistry::Broadcast(const std::string& type) {
  AIErr first = kNoErr;
  // A delivery may add notifiers; only those there now are sent to.
  for (AINotifierHandle notifier : NotifiersFor(type)) {
    const auto entry = entries.find(notifier->plugin);
    if (entry == entries.end() || !entry->second) continue;
    const AIErr result = entry->second(type.c_str(), notifier);
    deliveries.push_back({type, notifier->name, result});
    if (!first) first = result;
  }
  return first;
}

void PluginRegistry::Post(const std::string& type) {
  if (std::find(pending.begin(), pending.end(), type) != pending.end()) return;
  const bool listened = std::any_of(notifiers.begin(), notifiers.end(),
                                    [&type](const auto& notifier) { return notifier->type == type; });
  if (listened) pending.push_back(type);
}

void PluginRegistry::Idle() {
  if (delivering) return;
  delivering = true;
  while (!pending.empty()) {
    const std::string type = pending.front();
    pending.pop_front();
    Broadcast(type);
  }
  delivering = false;
}

namespace {

void Post(const char* type) {
  if (Host* host = Host::Current()) host->Plugins().Post(type);
}

bool AnySelected(const Art* art) {
  if (art->userAttributes & kArtSelected) return true;
  return std::any_of(art->children.begin(), art->children.end(), AnySelected);
}

}  // namespace

void PostDocumentChanged() { Post(kAIDocumentChangedNotifier); }

void PostSelectionChanged() { Post(kAIArtSelectionChangedNotifier); }

void PostArtPropertiesChanged() {
  Post(kAIArtPropertiesChangedNotifier);
  Post(kAIDocumentChangedNotifier);
}

bool SelectionWouldChange(const Document& document, const Art* art, bool selected) {
  return selected ? !document.FullySelected(art) : AnySelected(art);
}

}  // namespace sim
