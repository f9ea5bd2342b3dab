// The stand-in host's preference store: typed values under (prefix, key).
// Like the host's own, it can live in a file per user between sessions.
#pragma once

#include <cstdint>
#include <filesystem>
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

  // --- The file ---------------------------------------------------------------
  // The user's preference file: "kartzmap/preferences.json" under
  // $XDG_CONFIG_HOME, else under ~/.config. Empty when neither can be found
  // (no absolute XDG_CONFIG_HOME and no HOME).
  static std::filesystem::path UserFile();

  struct FileReport {
    bool loaded = false;  // the file was read (false also when there was none)
    // Why the file could not be used, empty when it could (or did not exist).
    std::string problem;
    // Where a damaged file was moved, so that it is neither lost nor read again.
    std::filesystem::path setAside;
  };
  // Replaces the values with the file's. A missing file leaves the store
  // empty and is no problem; a damaged one (not JSON, wrong shape, wrong
  // types) is renamed to "<name>.damaged" (or "<name>.damaged-N") and the
  // store stays empty. Never throws.
  FileReport Load(const std::filesystem::path& file);
  // Writes every value to the file, creating its folder; the file is
  // replaced only once the whole text is on disk. The problem, or empty.
  std::string Save(const std::filesystem::path& file) const;

 private:
  std::map<std::pair<std::string, std::string>, Value> values;
};

}  // namespace sim
