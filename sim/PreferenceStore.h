// The stand-in host's preference store: typed values under (prefix, key).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace sim {

class PreferenceStore {
 public:
  // File paths are kept as platform (UTF-8) path texts.
  struct FilePathValue {
    std::string path;
    bool operator==(const FilePathValue&) const = default;
  };
  using Value = std::variant<bool, int32_t, double, FilePathValue>;

  void Put(const std::string& prefix, const std::string& key, Value value);
  // Nothing when the key is missing or holds another type.
  template <typename T>
  std::optional<T> Get(const std::string& prefix, const std::string& key) const {
    auto found = values.find({prefix, key});
    if (found == values.end()) return std::nullopt;
    if (const T* value = std::get_if<T>(&found->second)) return *value;
    return std::nullopt;
  }
  bool Has(const std::string& prefix, const std::string& key) const { return values.count({prefix, key}) != 0; }
  bool Remove(const std::string& prefix, const std::string& key) { return values.erase({prefix, key}) != 0; }
  void Clear() { values.clear(); }
  const std::map<std::pair<std::string, std::string>, Value>& All() const { return values; }

 private:
  std::map<std::pair<std::string, std::string>, Value> values;
};

}  // namespace sim
