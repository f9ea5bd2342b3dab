#include "sim/DocumentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <algorithm>
#include <filesystem>

#include "sim/DocumentPackReader.h"
#include "sim/DocumentPackWriter.h"
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
  // Later versions are packed, never JSON.
  if (number > kJsonDocumentFormatVersion)
    throw DocumentFileError(file, "/version", "written by a newer Kartzmap (format version " + std::to_string(number) +
                                                  "); this one reads JSON maps up to version " +
                                                  std::to_string(kJsonDocumentFormatVersion));
  if (number < 1) throw DocumentFileError(file, "/version", "there is no format version " + std::to_string(number));
  return static_cast<int>(number);
}

// An open map file, closed when done.
class InputFile {
 public:
  explicit InputFile(const std::string& path) : stream(std::fopen(path.c_str(), "rb")) {
    if (!stream) throw DocumentFileError(path, {}, "cannot open: " + SystemError(errno));
    struct stat info {};
    if (::fstat(::fileno(stream), &info) == 0) {
      if (S_ISDIR(info.st_mode)) throw DocumentFileError(path, {}, "is a folder, not a document file");
      if (info.st_size > 0) size = static_cast<uint64_t>(info.st_size);
    }
  }
  ~InputFile() { std::fclose(stream); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::FILE* Stream() { return stream; }
  uint64_t Size() const { return size; }

 private:
  std::FILE* stream;
  uint64_t size = 0;
};

std::string ReadRest(InputFile& input, const std::string& path) {
  std::string bytes;
  if (input.Size() > 0) bytes.reserve(static_cast<size_t>(input.Size()));
  char buffer[1 << 16];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, input.Stream())) > 0) bytes.append(buffer, got);
  if (std::ferror(input.Stream())) throw DocumentFileError(path, {}, "cannot read: " + SystemError(errno));
  return bytes;
}

std::string Megabytes(uint64_t bytes) { return std::to_string((bytes + 999999) / 1000000) + " MB"; }

// Refuses a document that would not fit in the memory available.
void CheckBudget(const std::string& file, uint64_t needed) {
  const uint64_t available = AvailableMemory();
  if (needed <= available) return;
  throw DocumentFileError(file, {}, "needs about " + Megabytes(needed) + " of memory to open, but only " +
                                        Megabytes(available) + " is available; it was not opened");
}

// A JSON map is parsed whole before it is read: about this many times its size.
constexpr uint64_t kJsonBytesPerFileByte = 4;

bool IsPacked(std::string_view bytes) { return bytes.substr(0, kPackedMagic.size()) == kPackedMagic; }

constexpr size_t kBytesBetweenCancelChecks = 1 << 20;

// The temporary file's stream, where holes are filled in place, and the
// caller's cancel, asked every so many bytes.
class SaveSink : public PackSink {
 public:
  SaveSink(std::FILE* stream, const std::function<bool()>* cancelled) : stream(stream), cancelled(cancelled) {}

  void Write(const char* data, size_t size) override {
    written += size;
    if (stop) return;
    std::fwrite(data, 1, size, stream);
    sinceAsked += size;
    if (sinceAsked < kBytesBetweenCancelChecks || !cancelled || !*cancelled) return;
    sinceAsked = 0;
    stop = (*cancelled)();
  }

  void Hole(size_t size) override {
    if (holeOpen) throw std::logic_error("a hole left while another is open");
    holeAt = written;
    holeSize = size;
    holeOpen = true;
    static constexpr char kZeros[256]{};
    for (size_t left = size; left > 0;) {
      const size_t piece = std::min(left, sizeof kZeros);
      Write(kZeros, piece);
      left -= piece;
    }
  }

  void Fill(uint64_t offset, const char* data, size_t size) override {
    if (!holeOpen || offset != holeAt || size != holeSize) throw std::logic_error("a fill that is not the open hole");
    holeOpen = false;
    if (stop || error) return;
    // The hole's zeros must be in the file before they are written over,
    // or the stream's buffer would put them back later.
    if (std::fflush(stream) != 0) {
      error = errno ? errno : EIO;
      return;
    }
    while (size > 0) {
      const ssize_t done = ::pwrite(::fileno(stream), data, size, static_cast<off_t>(offset));
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        error = done < 0 ? errno : EIO;
        return;
      }
      data += done;
      size -= static_cast<size_t>(done);
      offset += static_cast<uint64_t>(done);
    }
  }

  bool Stopped() const { return stop; }
  bool HoleOpen() const { return holeOpen; }
  // errno of a failed fill, or 0.
  int Error() const { return error; }

 private:
  std::FILE* stream;
  const std::function<bool()>* cancelled;
  uint64_t written = 0;
  size_t sinceAsked = 0;
  bool stop = false;
  uint64_t holeAt = 0;
  size_t holeSize = 0;
  bool holeOpen = false;
  int error = 0;
};

void WriteToFile(void* context, const char* data, size_t size) { static_cast<SaveSink*>(context)->Write(data, size); }

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

// Everything write gives the sink, to a temporary file renamed over the
// target once whole.
void WriteThroughTemporary(const std::string& path, const std::function<void(SaveSink&)>& write,
                           const std::function<bool()>& cancelled) {
  const std::string target = DocumentSaveTarget(path);
  RefuseReadOnly(path, target);
  TemporaryFile temporary(target);
  SaveSink sink(temporary.Stream(), &cancelled);
  write(sink);
  if (sink.HoleOpen()) throw std::logic_error("a save left a hole unfilled");
  if (sink.Stopped() || (cancelled && cancelled())) throw DocumentSaveCancelled(path);
  if (sink.Error()) throw DocumentFileError(path, {}, "cannot write: " + SystemError(sink.Error()));
  if (!temporary.Close()) throw DocumentFileError(path, {}, "cannot write: " + SystemError(errno));
  if (cancelled && cancelled()) throw DocumentSaveCancelled(path);
  if (!temporary.RenameTo(target)) throw DocumentFileError(path, {}, "cannot replace the file: " + SystemError(errno));
}

// The packed bytes appended to a string.
class StringSink : public PackSink {
 public:
  explicit StringSink(std::string& out) : out(out) {}
  void Write(const char* data, size_t size) override { out.append(data, size); }
  void Hole(size_t size) override {
    if (holeOpen) throw std::logic_error("a hole left while another is open");
    holeAt = out.size();
    holeSize = size;
    holeOpen = true;
    out.append(size, '\0');
  }
  void Fill(uint64_t offset, const char* data, size_t size) override {
    if (!holeOpen || offset != holeAt || size != holeSize) throw std::logic_error("a fill that is not the open hole");
    holeOpen = false;
    out.replace(static_cast<size_t>(offset), size, data, size);
  }
  bool HoleOpen() const { return holeOpen; }

 private:
  std::string& out;
  uint64_t holeAt = 0;
  size_t holeSize = 0;
  bool holeOpen = false;
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

std::string DocumentToBytes(const Document& document, size_t runBytes, size_t pieceBytes) {
  std::string bytes;
  StringSink sink(bytes);
  WriteDocumentPack(document, sink, "(memory)", runBytes, pieceBytes);
  if (sink.HoleOpen()) throw std::logic_error("the packed bytes were left with a hole");
  return bytes;
}

namespace {

void ReadTree(Document& document, json& root, const std::string& fileName) {
  const int version = Version(root, fileName);
  if (version < kJsonDocumentFormatVersion) UpgradeDocumentJson(root, version, fileName);
  ReadDocumentJson(document, root, fileName);
}

void ReadPacked(Document& document, PackSource& source, const std::string& fileName,
                const SummaryReading* summary = nullptr) {
  ReadDocumentPack(
      document, source, fileName,
      [&fileName](const PackedCounts& counts) { CheckBudget(fileName, LoadedDocumentBytes(counts)); }, summary);
}

}  // namespace

void DocumentFromJson(Document& document, const std::string& text, const std::string& fileName) {
  json root = ParseDocumentText(text, fileName);
  ReadTree(document, root, fileName);
}

void DocumentFromBytes(Document& document, const std::string& bytes, const std::string& fileName) {
  if (!IsPacked(bytes)) return DocumentFromJson(document, bytes, fileName);
  PackSource source(bytes);
  ReadPacked(document, source, fileName);
}

void DocumentSummaryFromBytes(Document& document, const std::string& bytes, const std::string& fileName,
                              const SummaryReading& summary) {
  document.summaryOnly = true;
  if (!IsPacked(bytes)) return DocumentFromJson(document, bytes, fileName);
  PackSource source(bytes);
  ReadPacked(document, source, fileName, &summary);
}

uint64_t LoadedDocumentBytes(const PackedCounts& counts) {
  // An art object also costs its slot in the parent's list and its heap
  // blocks' headers; a value its share of the array or dictionary around it
  // (a row's arrays of five hold their values inside). Text is counted as if
  // none lay inside its value, which leaves a margin.
  // Bodies (segments and values) are in memory only for the newest few
  // thousand objects; the rest wait on disk.
  constexpr uint64_t kPerArt = sizeof(Art) + 32, kPerLayer = sizeof(Layer) + 80, kPerValue = sizeof(Value) + 4;
  const uint64_t bodies =
      counts.segments * sizeof(AIPathSegment) + counts.values * kPerValue + counts.textUnits * sizeof(char16_t);
  return counts.art * kPerArt + counts.layers * kPerLayer +
         static_cast<uint64_t>(static_cast<double>(bodies) * ArtSpill::ResidentShare(counts.art));
}

uint64_t LoadedDocumentBytes(const std::string& path) {
  struct Counted {};  // stops the reader once the header is read
  try {
    InputFile input(path);
    char head[kPackedMagic.size()];
    const size_t got = std::fread(head, 1, sizeof head, input.Stream());
    if (!IsPacked(std::string_view(head, got))) return input.Size() * kJsonBytesPerFileByte;
    std::rewind(input.Stream());
    PackSource source(input.Stream(), input.Size());
    Document scratch;
    uint64_t bytes = 0;
    try {
      ReadDocumentPack(scratch, source, path, [&bytes](const PackedCounts& counts) {
        bytes = LoadedDocumentBytes(counts);
        throw Counted{};
      });
    } catch (const Counted&) {
    }
    return bytes;
  } catch (const std::exception&) {
    return 0;
  }
}

uint64_t AvailableMemory() {
  if (const char* given = std::getenv("KZMAP_MEMORY_AVAILABLE"); given && *given) {
    char* end = nullptr;
    const unsigned long long bytes = std::strtoull(given, &end, 10);
    if (end && *end == '\0') return bytes;
  }
  std::FILE* info = std::fopen("/proc/meminfo", "r");
  if (!info) return UINT64_MAX;
  char line[256];
  uint64_t available = UINT64_MAX;
  while (std::fgets(line, sizeof line, info)) {
    unsigned long long kilobytes = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1) {
      available = static_cast<uint64_t>(kilobytes) * 1024;
      break;
    }
  }
  std::fclose(info);
  return available;
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
  WritePackedFileAtomically(path, [&](PackSink& sink) { WriteDocumentPack(document, sink, path); }, cancelled);
}

namespace {

// The packed bytes as they come, against the file's next bytes; the file's
// bytes where a hole is left are kept until it is filled.
class CompareSink : public PackSink {
 public:
  explicit CompareSink(std::FILE* stream) : stream(stream) {}
  void Write(const char* data, size_t size) override {
    if (!same) return;
    buffer.resize(size);
    same = Read(buffer.data(), size) && std::memcmp(buffer.data(), data, size) == 0;
  }
  void Hole(size_t size) override {
    if (!same) return;
    holeAt = offset;
    hole.resize(size);
    holeOpen = true;
    same = Read(hole.data(), size);
  }
  void Fill(uint64_t at, const char* data, size_t size) override {
    if (!same) return;
    same = holeOpen && at == holeAt && size == hole.size() && std::memcmp(hole.data(), data, size) == 0;
    holeOpen = false;
  }
  // Every byte given matched, and every hole was filled.
  bool Same() const { return same && !holeOpen; }
  void Differs() { same = false; }

 private:
  bool Read(char* into, size_t size) {
    offset += size;
    return std::fread(into, 1, size, stream) == size;
  }

  std::FILE* stream;
  bool same = true;
  uint64_t offset = 0, holeAt = 0;
  bool holeOpen = false;
  std::string buffer, hole;
};

}  // namespace

bool DocumentFileHolds(const Document& document, const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (!stream) return false;
  CompareSink compare(stream);
  try {
    WriteDocumentPack(document, compare, path);
  } catch (const DocumentFileError&) {
    compare.Differs();  // the save says what is wrong
  }
  const bool same = compare.Same() && std::fgetc(stream) == EOF && !std::ferror(stream);
  std::fclose(stream);
  return same;
}

void WriteFileAtomically(const std::string& path, const std::function<void(JsonWriter::Sink, void*)>& write,
                         const std::function<bool()>& cancelled) {
  WriteThroughTemporary(path, [&](SaveSink& sink) { write(WriteToFile, &sink); }, cancelled);
}

void WritePackedFileAtomically(const std::string& path, const std::function<void(PackSink&)>& write,
                               const std::function<bool()>& cancelled) {
  WriteThroughTemporary(path, [&](SaveSink& sink) { write(sink); }, cancelled);
}

namespace {

Document& Load(Host& host, const std::string& path, const SummaryReading* summary, ArtReading reading) {
  Document loaded;
  loaded.summaryOnly = summary != nullptr;
  try {
    InputFile input(path);
    char head[kPackedMagic.size()];
    const size_t got = std::fread(head, 1, sizeof head, input.Stream());
    if (IsPacked(std::string_view(head, got))) {
      std::rewind(input.Stream());
      // Long runs of art stay in the file until something reaches them.
      if (!summary && reading == ArtReading::asReached) loaded.lazy.Keep(::fcntl(::fileno(input.Stream()), F_DUPFD_CLOEXEC, 0), path, input.Size());
      PackSource source(input.Stream(), input.Size());
      ReadPacked(loaded, source, path, summary);
      loaded.lazy.Loaded();
    } else {
      CheckBudget(path, input.Size() * kJsonBytesPerFileByte);
      json root;
      {
        // The text goes as soon as it is parsed.
        const std::string text = std::string(head, got) + ReadRest(input, path);
        root = ParseDocumentText(text, path);
      }
      ReadTree(loaded, root, path);
    }
  } catch (const std::bad_alloc&) {
    throw DocumentFileError(path, {}, "not enough memory to open it; it was not opened");
  }
  Document& opened = host.NewDocument(loaded.bounds, path);
  opened = std::move(loaded);
  opened.filePath = path;
  return opened;
}

}  // namespace

Document& LoadDocumentFile(Host& host, const std::string& path, ArtReading reading) {
  return Load(host, path, nullptr, reading);
}

Document& LoadDocumentSummary(Host& host, const std::string& path, const SummaryReading& summary) {
  return Load(host, path, &summary, ArtReading::whole);
}

}  // namespace sim
