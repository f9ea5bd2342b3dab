#include "formats/KmlStyleTable.h"

void KmlStyleTable::AddStyle(const std::string& id, const KmlStyle& style) {
  if (id.empty()) return;
  entries[id] = Entry{false, style, {}};
}

void KmlStyleTable::AddMap(const std::string& id, const std::string& normalId) {
  if (id.empty()) return;
  entries[id] = Entry{true, {}, normalId};
}

const KmlStyle* KmlStyleTable::Resolve(const std::string& id) const {
  // Every step visits another entry, so more steps than entries is a cycle.
  const std::string* current = &id;
  for (size_t steps = 0; steps <= entries.size(); ++steps) {
    const auto found = entries.find(*current);
    if (found == entries.end()) return nullptr;
    if (!found->second.isMap) return &found->second.style;
    current = &found->second.normalId;
  }
  return nullptr;
}
