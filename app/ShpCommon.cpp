#include "app/ShpCommon.h"

#include <CLI/CLI.hpp>

#include "formats/CShapeFileReader.h"
#include "app/OptionChecks.h"
#include "app/Translate.h"
#include "formats/PartFile.h"

namespace kzmap {

std::optional<int32_t> EncodingCodeOf(const std::string& name) {
  const std::optional<std::string> shortName = EncodingName(name);
  if (shortName == "sjis") return 17;
  if (shortName == "utf8") return 1;
  return std::nullopt;
}

CLI::Option* AddEncodingOption(CLI::App& app, const std::string& name, int32_t& code, const std::string& what) {
  return app
      .add_option_function<std::string>(
          name, [&code](const std::string& text) { code = *EncodingCodeOf(text); }, what)
      ->type_name("ENCODING")
      ->check(EncodingCheck({"sjis", "utf8"}));
}

std::string WhyNotOpened(const CShapeFileReader& reader, const std::string& shpPath) {
  using Problem = CShapeFileReader::OpenProblem;
  const size_t dot = shpPath.rfind('.');
  const auto beside = [&](const char* extension) {
    std::string path = shpPath;
    if (dot != std::string::npos) path.replace(dot, 4, extension);
    return path;
  };
  switch (reader.GetOpenProblem()) {
    case Problem::kNoExtension:
      return Tr("the path has no extension");
    case Problem::kMainMissing:
    case Problem::kIndexMissing:
    case Problem::kTableMissing:
      return reader.GetUnopenedPath() + ": " + SystemReason(reader.GetOpenError());
    case Problem::kIndexTruncated:
      return Format(Tr("the index %s is cut short: it holds %u of its %u records (damaged file)"),
                    beside(".shx").c_str(), static_cast<unsigned>(reader.GetRecordCount()),
                    static_cast<unsigned>(reader.GetIndexedRecordCount()));
    case Problem::kIndexHeader:
      return Format(Tr("%s is not a Shapefile index, or its header is damaged"), beside(".shx").c_str());
    case Problem::kTableHeader:
      return Format(Tr("%s is not a dBASE table, or its header is damaged"), beside(".dbf").c_str());
    default:
      return Tr("not a Shapefile, or its headers are damaged");
  }
}

int32_t TableEncoding(const CShapeFileReader& reader, int32_t given) {
  if (given != 0) return given;
  return reader.GetDeclaredEncoding() != 0 ? reader.GetDeclaredEncoding() : 17;
}

}  // namespace kzmap
