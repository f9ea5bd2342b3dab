// The text-line readers over any file: the first byte chooses Shift-JIS,
// UTF-8 or UTF-16, the rest is the file, read line by line to its end.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "formats/CKzTextFile.h"
#include "support/HostEnvironment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kztest::HostEnvironment host;
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("kz-text-fuzz-" + std::to_string(::getpid()) + ".txt")).string();
  if (size < 1) return 0;
  const int32_t codes[] = {17, 1, 2};
  const int32_t code = codes[data[0] % 3];
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  CKzTextFile text;
  if (!text.Open(ai::FilePath::FromPlatform(path), code)) return 0;
  ai::UnicodeString line;
  // Every call returns a line or ends; a file of n bytes has at most n + 1 lines.
  size_t lines = 0;
  while (text.ReadLine(line)) {
    if (++lines > size + 1) __builtin_trap();
    line.as_UTF8();
  }
  return 0;
}
