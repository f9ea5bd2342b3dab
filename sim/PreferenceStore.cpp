#include "sim/PreferenceStore.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

using Json = nlohmann::json;

constexpr const char* kFormatName = "Kartzmap preferences";
constexpr int kFormatVersion = 1;

// A file whose contents are not what we write; the text says where.
struct Damage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

Json ToJson(const PreferenceStore::Value& value) {
  return std::visit(
      [](const auto& v) -> Json {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) return {{"type", "boolean"}, {"value", v}};
        if constexpr (std::is_same_v<T, int32_t>) return {{"type", "integer"}, {"value", v}};
        if constexpr (std::is_same_v<T, double>) return {{"type", "real"}, {"value", v}};
        if constexpr (std::is_same_v<T, PreferenceStore::FilePathValue>) return {{"type", "path"}, {"value", v.path}};
      },
      value);
}

PreferenceStore::Value FromJson(const Json& entry, const std::string& where) {
  if (!entry.is_object() || !entry.contains("type") || !entry.contains("value") || !entry["type"].is_string())
    throw Damage(where + ": not a typed value");
  const std::string type = entry["type"];
  const Json& value = entry["value"];
  if (type == "boolean" && value.is_boolean()) return value.get<bool>();
  if (type == "integer" && value.is_number_integer()) {
    const auto wide = value.get<int64_t>();
    if (wide < INT32_MIN || wide > INT32_MAX) throw Damage(where + ": integer out of range");
    return static_cast<int32_t>(wide);
  }
  if (type == "real" && value.is_number()) return value.get<double>();
  if (type == "path" && value.is_string()) return PreferenceStore::FilePathValue{value.get<std::string>()};
  throw Damage(where + ": a " + type + " value of the wrong kind");
}

std::map<std::pair<std::string, std::string>, PreferenceStore::Value> Parse(const std::string& text) {
  Json document;
  try {
    document = Json::parse(text);
  } catch (const Json::parse_error& error) {
    throw Damage(std::string("not JSON (") + error.what() + ")");
  }
  if (!document.is_object() || document.value("format", Json()) != kFormatName)
    throw Damage("not a Kartzmap preference file");
  if (!document.contains("version") || !document["version"].is_number_integer() ||
      document["version"].get<int64_t>() != kFormatVersion)
    throw Damage("unknown version");
  const Json& prefixes = document.value("preferences", Json());
  if (!prefixes.is_object()) throw Damage("/preferences: not an object");
  std::map<std::pair<std::string, std::string>, PreferenceStore::Value> values;
  for (const auto& [prefix, keys] : prefixes.items()) {
    if (!keys.is_object()) throw Damage("/preferences/" + prefix + ": not an object");
    for (const auto& [key, entry] : keys.items())
      values[{prefix, key}] = FromJson(entry, "/preferences/" + prefix + "/" + key);
  }
  return values;
}

// The first free "<file>.damaged", "<file>.damaged-2", ...
std::filesystem::path SetAsideName(const std::filesystem::path& file) {
  std::filesystem::path candidate = file.string() + ".damaged";
  for (int n = 2; std::filesystem::exists(candidate) && n < 1000; ++n)
    candidate = file.string() + ".damaged-" + std::to_string(n);
  return candidate;
}

bool WriteAll(const std::filesystem::path& path, const std::string& text) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  ok = std::fflush(out) == 0 && ok;
  ok = ::fsync(fileno(out)) == 0 && ok;
  return std::fclose(out) == 0 && ok;
}

}  // namespace

void PreferenceStore::Put(const std::string& prefix, const std::string& key, Value value) {
  values[{prefix, key}] = std::move(value);
}

std::filesystem::path PreferenceStore::UserFile() {
  std::filesystem::path base;
  // Relative values are to be ignored, as other programs do.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config && std::filesystem::path(config).is_absolute()) {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  return base / "kartzmap" / "preferences.json";
}

PreferenceStore::FileReport PreferenceStore::Load(const std::filesystem::path& file) {
  values.clear();
  FileReport report;
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return report;
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in.is_open()) text << in.rdbuf();
  if (!in.is_open() || in.bad()) {
    report.problem = "cannot be read";  // not damaged: leave it where it is
    return report;
  }
  try {
    values = Parse(text.str());
    report.loaded = true;
    return report;
  } catch (const Damage& damage) {
    report.problem = damage.what();
  }
  const std::filesystem::path aside = SetAsideName(file);
  std::filesystem::rename(file, aside, error);
  if (!error) report.setAside = aside;
  return report;
}

std::string PreferenceStore::Save(const std::filesystem::path& file) const {
  Json prefixes = Json::object();
  for (const auto& [name, value] : values) prefixes[name.first][name.second] = ToJson(value);
  const Json document = {{"format", kFormatName}, {"version", kFormatVersion}, {"preferences", prefixes}};
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) return "cannot create the folder " + file.parent_path().string() + ": " + error.message();
  // A crash or a full disk leaves the old file whole: write aside, then rename.
  const std::filesystem::path temporary = file.string() + ".tmp-" + std::to_string(::getpid());
  if (!WriteAll(temporary, document.dump(2) + "\n")) {
    const std::string why = std::strerror(errno);
    std::filesystem::remove(temporary, error);
    return "cannot write " + temporary.string() + ": " + why;
  }
  std::filesystem::rename(temporary, file, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return "cannot replace " + file.string() + ": " + error.message();
  }
  return {};
}

}  // namespace sim
