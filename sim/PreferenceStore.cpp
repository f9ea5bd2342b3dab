#include "sim/PreferenceStore.h"

namespace sim {

void PreferenceStore::Put(const std::string& prefix, const std::string& key, Value value) {
  values[{prefix, key}] = std::move(value);
}

}  // namespace sim
