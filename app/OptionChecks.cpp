#include "app/OptionChecks.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "app/Translate.h"

namespace kzmap {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<double> Number(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : ", ") + word;
  return text;
}

}  // namespace

std::optional<std::string> EncodingName(const std::string& text) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"sjis", "sjis"},  {"cp932", "sjis"}, {"shift_jis", "sjis"}, {"shift-jis", "sjis"}, {"windows-31j", "sjis"},
      {"utf8", "utf8"},  {"utf-8", "utf8"}, {"utf16", "utf16"},    {"utf-16", "utf16"},
  };
  const std::string lower = Lower(text);
  for (const auto& [name, code] : kNames)
    if (lower == name) return std::string(code);
  return std::nullopt;
}

CLI::Validator EncodingCheck(const std::vector<std::string>& allowed) {
  return CLI::Validator(
      [allowed](std::string& text) {
        const std::optional<std::string> name = EncodingName(text);
        bool taken = false;
        for (const std::string& code : allowed) taken |= name && *name == code;
        if (taken) {
          text = *name;
          return std::string();
        }
        const bool utf16 = std::find(allowed.begin(), allowed.end(), "utf16") != allowed.end();
        return Format(utf16 ? Tr("'%s' is not an encoding this takes: CP932 (also Shift_JIS, sjis), UTF-8 (utf8) "
                                 "or UTF-16 (utf16)")
                            : Tr("'%s' is not an encoding this takes: CP932 (also Shift_JIS, sjis) or UTF-8 (utf8)"),
                      text.c_str());
      },
      "");
}

std::optional<std::string> ScaleDenominator(const std::string& text) {
  std::string number = text;
  if (number.rfind("1:", 0) == 0 || number.rfind("1/", 0) == 0) number = number.substr(2);
  const std::optional<double> value = Number(number);
  if (!value || *value <= 0) return std::nullopt;
  return number;
}

CLI::Validator ScaleCheck() {
  return CLI::Validator(
      [](std::string& text) {
        const std::optional<std::string> denominator = ScaleDenominator(text);
        if (!denominator) return std::string(Tr(kScaleProblem));
        text = *denominator;
        return std::string();
      },
      "");
}

std::optional<Area> ParseArea(const std::string& text, std::string* problem) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    parts.push_back(text.substr(start, comma - start));
  parts.push_back(text.substr(start));
  std::vector<double> values;
  for (const std::string& part : parts) {
    if (const auto value = Number(part)) values.push_back(*value);
  }
  if (parts.size() != 4 || values.size() != 4) {
    if (problem) *problem = Format(Tr("'%s': give four numbers WEST,SOUTH,EAST,NORTH"), text.c_str());
    return std::nullopt;
  }
  // Latitudes in the first and third place with a longitude beyond 90
  // between them: the order of old, which would be read wrongly.
  const bool latitudeFirst = std::fabs(values[0]) <= 90 && std::fabs(values[2]) <= 90 &&
                             (std::fabs(values[1]) > 90 || std::fabs(values[3]) > 90) &&
                             std::fabs(values[1]) <= 180 && std::fabs(values[3]) <= 180;
  if (latitudeFirst) {
    if (problem)
      *problem = Format(Tr("'%s' reads as latitude first; the order is WEST,SOUTH,EAST,NORTH (longitude first, as "
                           "cs2cs --bbox): %s,%s,%s,%s"),
                        text.c_str(), parts[1].c_str(), parts[0].c_str(), parts[3].c_str(), parts[2].c_str());
    return std::nullopt;
  }
  if (!(values[0] < values[2]) || !(values[1] < values[3])) {
    if (problem)
      *problem = Format(Tr("'%s': WEST must be less than EAST and SOUTH less than NORTH (WEST,SOUTH,EAST,NORTH)"),
                        text.c_str());
    return std::nullopt;
  }
  return Area{parts[0], parts[1], parts[2], parts[3]};
}

CLI::Validator AreaCheck() {
  return CLI::Validator(
      [](std::string& text) {
        std::string problem;
        return ParseArea(text, &problem) ? std::string() : problem;
      },
      "");
}

CLI::Validator OneOf(std::vector<std::string> words) {
  return CLI::Validator(
      [words](std::string& text) {
        for (const std::string& word : words)
          if (text == word) return std::string();
        return Format(Tr("'%s' is not one of %s"), text.c_str(), Joined(words).c_str());
      },
      "");
}

CLI::Validator ExistingFileCheck() {
  return CLI::Validator(
      [](std::string& text) {
        std::error_code error;
        if (std::filesystem::is_directory(text, error)) return Format(Tr("%s is a folder, not a file"), text.c_str());
        if (std::filesystem::exists(text, error)) return std::string();
        return Format(Tr("%s: no such file"), text.c_str());
      },
      "");
}

}  // namespace kzmap
