#include "sim/DocumentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

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

// The temporary file's stream and the caller's cancel, asked every so many bytes.
struct SaveSink {
  std::FILE* stream = nullptr;
  const std::function<bool()>* cancelled = nullptr;
  size_t sinceAsked = 0;
  bool stop = false;
};

constexpr size_t kBytesBetweenCancelChecks = 1 << 20;

void WriteToFile(void* context, const char* data, size_t size) {
  SaveSink& sink = *static_cast<SaveSink*>(context);
  if (sink.stop) return;
  std::fwrite(data, 1, size, sink.stream);
  sink.sinceAsked += size;
  if (sink.sinceAsked < kBytesBetweenCancelChecks || !sink.cancelled || !*sink.cancelled) return;
  sink.sinceAsked = 0;
  sink.stop = (*sink.cancelled)();
}

// A temporary file beside the target, removed unless it was renamed over it.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) : name(TemporaryName(target)) {
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw DocumentFileError(target, {}, "cannot write beside it: " + SystemError(errno));
    // mkstemp makes the file private; give it the mode a new file would get,
    // or the target's own, and the target's owner where the process may.
    struct stat info {};
    mode_t mode = 0666;
    if (::stat(target.c_str(), &info) == 0) {
      mode = info.st_mode & 07777;
      // Another user's map stays theirs where we may give it; else its group.
      if (::fchown(fd, info.st_uid, info.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode &= ~mask;
    }
    ::fchmod(fd, mode);
    stream = ::fdopen(fd, "wb");
    if (!stream) {
      const int error = errno;
      ::close(fd);
      ::unlink(name.c_str());
      throw DocumentFileError(target, {}, "cannot write: " + SystemError(error));
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
  // The target's name with six random characters, cut so that it still
  // fits a file name.
  static std::string TemporaryName(const std::string& target) {
    constexpr size_t kMaxName = 255, kSuffix = 7;
    const size_t nameStart = target.find_last_of('/') == std::string::npos ? 0 : target.find_last_of('/') + 1;
    size_t end = target.size();
    if (end - nameStart > kMaxName - kSuffix) {
      end = nameStart + kMaxName - kSuffix;
      while (end > nameStart && (static_cast<unsigned char>(target[end]) & 0xC0) == 0x80) --end;
    }
    return target.substr(0, end) + ".XXXXXX";
  }

  std::string name;
  std::FILE* stream = nullptr;
  bool kept = false;
};

// A map the user keeps from being written stays as it is.
void RefuseReadOnly(const std::string& path, const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return;
  // The mode's write bits, not only access(): the superuser may write any file.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(target.c_str(), W_OK) != 0)
    throw DocumentFileError(path, {}, "the file is read-only; it was not changed");
}

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

DocumentSaveCancelled::DocumentSaveCancelled(const std::string& file)
    : DocumentFileError(file, {}, "the save was cancelled; the file was not changed") {}

std::string DocumentSaveTarget(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  // A link to a file not there yet names the file to make.
  std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  return error ? path : target.string();
}

void SaveDocumentFile(const Document& document, const std::string& path, const std::function<bool()>& cancelled) {
  WriteFileAtomically(
      path,
      [&](JsonWriter::Sink sink, void* context) {
        JsonWriter out(sink, context);
        WriteDocumentJson(out, document, path);
      },
      cancelled);
}

void WriteFileAtomically(const std::string& path, const std::function<void(JsonWriter::Sink, void*)>& write,
                         const std::function<bool()>& cancelled) {
  const std::string target = DocumentSaveTarget(path);
  RefuseReadOnly(path, target);
  TemporaryFile temporary(target);
  SaveSink sink{temporary.Stream(), &cancelled};
  write(WriteToFile, &sink);
  if (sink.stop || (cancelled && cancelled())) throw DocumentSaveCancelled(path);
  if (!temporary.Close()) throw DocumentFileError(path, {}, "cannot write: " + SystemError(errno));
  if (cancelled && cancelled()) throw DocumentSaveCancelled(path);
  if (!temporary.RenameTo(target)) throw DocumentFileError(path, {}, "cannot replace the file: " + SystemError(errno));
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
