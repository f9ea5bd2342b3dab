#include "sim/DocumentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/DocumentParser.h"
#include "sim/DocumentReader.h"
#include "sim/DocumentWriter.h"
#include "sim/Host.h"

namespace sim {

namespace {

using nlohmann::json;

std::string Join(const std::string& file, const std::string& place, const std::string& problem) {
  std::string text = file;
  if (!place.empty()) text += ": " + place;
  return text + ": " + problem;
}

std::string SystemError(int code) { return std::strerror(code); }

int Version(const json& root, const std::string& file) {
  if (!root.is_object()) throw DocumentFileError(file, "/", "not a Kartzmap document: the file holds no JSON object");
  const auto format = root.find("format");
  if (format == root.end() || !format->is_string() || format->get_ref<const std::string&>() != kDocumentFormatName)
    throw DocumentFileError(file, "/format", std::string("not a Kartzmap document: \"format\" is not \"") +
                                                 kDocumentFormatName + "\"");
  const auto version = root.find("version");
  if (version == root.end() || !version->is_number_integer())
    throw DocumentFileError(file, "/version", "the document's format version is missing or not a whole number");
  const int64_t number = version->get<int64_t>();
  if (number > kDocumentFormatVersion)
    throw DocumentFileError(file, "/version", "written by a newer Kartzmap (format version " + std::to_string(number) +
                                                  "); this one reads up to version " +
                                                  std::to_string(kDocumentFormatVersion));
  if (number < 1) throw DocumentFileError(file, "/version", "there is no format version " + std::to_string(number));
  return static_cast<int>(number);
}

std::string ReadWholeFile(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (!stream) throw DocumentFileError(path, {}, "cannot open: " + SystemError(errno));
  struct stat info {};
  if (::fstat(::fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(stream);
    throw DocumentFileError(path, {}, "is a folder, not a document file");
  }
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[1 << 16];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(stream);
  const int error = errno;
  std::fclose(stream);
  if (failed) throw DocumentFileError(path, {}, "cannot read: " + SystemError(error));
  return bytes;
}

void WriteToFile(void* context, const char* data, size_t size) {
  std::FILE* stream = static_cast<std::FILE*>(context);
  std::fwrite(data, 1, size, stream);
}

// A temporary file beside the target, removed unless it was renamed over it.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : name(target + ".XXXXXX") {
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw DocumentFileError(target, {}, "cannot write beside it: " + SystemError(errno));
    // mkstemp makes the file private; give it the mode a new file would get,
    // or the target's own.
    struct stat info {};
    mode_t mode = 0666;
    if (::stat(target.c_str(), &info) == 0) {
      mode = info.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode &= ~mask;
    }
    ::fchmod(fd, mode);
    stream = ::fdopen(fd, "wb");
    if (!stream) {
      ::close(fd);
      ::unlink(name.c_str());
      throw DocumentFileError(target, {}, "cannot write: " + SystemError(errno));
    }
  }
  ~TemporaryFile() {
    if (stream) std::fclose(stream);
    if (!kept) ::unlink(name.c_str());
  }
  std::FILE* Stream() { return stream; }
  // Closes the file, making sure every byte reached the disk; errno on failure.
  bool Close() {
    bool ok = std::fflush(stream) == 0 && !std::ferror(stream) && ::fsync(::fileno(stream)) == 0;
    const int error = errno;
    ok = std::fclose(stream) == 0 && ok;
    stream = nullptr;
    if (!ok && error) errno = error;
    return ok;
  }
  bool RenameTo(const std::string& target) {
    if (::rename(name.c_str(), target.c_str()) != 0) return false;
    kept = true;
    return true;
  }

 private:
  std::string name;
  std::FILE* stream = nullptr;
  bool kept = false;
};

}  // namespace

DocumentFileError::DocumentFileError(const std::string& file, const std::string& place, const std::string& problem)
    : std::runtime_error(Join(file, place, problem)), file(file), place(place), problem(problem) {}

std::string DocumentToJson(const Document& document) {
  std::string text;
  JsonWriter out(text);
  WriteDocumentJson(out, document, "(memory)");
  return text;
}

namespace {

void ReadTree(Document& document, json& root, const std::string& fileName) {
  const int version = Version(root, fileName);
  if (version < kDocumentFormatVersion) UpgradeDocumentJson(root, version, fileName);
  ReadDocumentJson(document, root, fileName);
}

}  // namespace

void DocumentFromJson(Document& document, const std::string& text, const std::string& fileName) {
  json root = ParseDocumentText(text, fileName);
  ReadTree(document, root, fileName);
}

void SaveDocumentFile(const Document& document, const std::string& path) {
  TemporaryFile temporary(path);
  JsonWriter out(WriteToFile, temporary.Stream());
  WriteDocumentJson(out, document, path);
  if (!temporary.Close()) throw DocumentFileError(path, {}, "cannot write: " + SystemError(errno));
  if (!temporary.RenameTo(path)) throw DocumentFileError(path, {}, "cannot replace the file: " + SystemError(errno));
}

Document& LoadDocumentFile(Host& host, const std::string& path) {
  json root;
  {
    // The text goes as soon as it is parsed.
    const std::string text = ReadWholeFile(path);
    root = ParseDocumentText(text, path);
  }
  Document loaded;
  ReadTree(loaded, root, path);
  root = json();
  Document& opened = host.NewDocument(loaded.bounds, path);
  opened = std::move(loaded);
  opened.filePath = path;
  return opened;
}

}  // namespace sim
