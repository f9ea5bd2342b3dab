#include "app/MapOutput.h"

#include <sys/stat.h>

#include <filesystem>

namespace kzmap {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  std::error_code error;
  const std::filesystem::path left = std::filesystem::weakly_canonical(a, error);
  if (error) return false;
  const std::filesystem::path right = std::filesystem::weakly_canonical(b, error);
  return !error && left == right;
}

std::string OutputThatIsMap(const std::string& map, const std::vector<std::string>& outputs) {
  for (const std::string& output : outputs)
    if (SameFile(map, output)) return output;
  return {};
}

std::vector<std::string> ShapefileSet(const std::string& out) {
  std::vector<std::string> files;
  // A spatial index of an earlier set goes with it as well.
  for (const char* extension : {".shp", ".shx", ".dbf", ".cpg", ".prj", ".qix", ".sbn", ".sbx"})
    files.push_back(std::filesystem::path(out).replace_extension(extension).string());
  return files;
}

}  // namespace kzmap
