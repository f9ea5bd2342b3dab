// The stand-in document as a file between commands, holding the artboard,
// the layer tree with every art object, path styles, texts, dictionaries,
// tags, user attributes and the current layer. Maps are saved packed (a
// binary form with shared strings and styles and the coordinates as the
// floats they are); versions 1 and 2 were JSON with a format name and a
// version, and still load. Saving is atomic (a temporary file renamed over
// the target); loading refuses anything else with an error that names the
// file and the place in it, and a map too big for the memory available with
// an error that names the sizes.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "sim/Document.h"
#include "sim/DocumentFormat.h"
#include "sim/JsonWriter.h"

namespace sim {

class Host;
class PackSink;

inline constexpr const char* kDocumentFormatName = "Kartzmap document";
inline constexpr int kDocumentFormatVersion = 6;
// The last version written as JSON (DocumentToJson's).
inline constexpr int kJsonDocumentFormatVersion = 2;

class DocumentFileError : public std::runtime_error {
 public:
  // what() reads "FILE: PLACE: PROBLEM", or "FILE: PROBLEM" without a place.
  DocumentFileError(const std::string& file, const std::string& place, const std::string& problem);
  const std::string& File() const { return file; }
  // A JSON pointer ("/layers/0/art/2/segments/5"), "line L, column C" for a
  // syntax error, or empty.
  const std::string& Place() const { return place; }
  const std::string& Problem() const { return problem; }

 private:
  std::string file, place, problem;
};

// The save was stopped by its caller before the file was replaced.
class DocumentSaveCancelled : public DocumentFileError {
 public:
  explicit DocumentSaveCancelled(const std::string& file);
};

// Writes the document (its live layers and art) to path, replacing the file
// only once the whole document is written. A symbolic link is followed: the
// file it points to is replaced and the link stays. A file that may not be
// written (no write permission, or a mode without any write bit) is refused;
// the new file keeps the old one's mode and, where the process may, its
// owner. cancelled is asked now and then until the file is replaced; when
// it says yes, the temporary file is removed and DocumentSaveCancelled thrown.
void SaveDocumentFile(const Document& document, const std::string& path,
                      const std::function<bool()>& cancelled = {});

// Whether the file at path already holds the document as a save would write
// it, byte for byte (so of the current version); compared as it is packed,
// without a second copy of the file in memory.
bool DocumentFileHolds(const Document& document, const std::string& path);

// The same for any file: write sends the whole content through the sink;
// the file is replaced only once it is whole, with the same links, modes,
// refusals and cancel as a document save.
void WriteFileAtomically(const std::string& path, const std::function<void(JsonWriter::Sink, void*)>& write,
                         const std::function<bool()>& cancelled = {});
// The same for a writer that leaves holes and fills them in place (the
// packed map's); a hole left unfilled is a logic_error.
void WritePackedFileAtomically(const std::string& path, const std::function<void(PackSink&)>& write,
                               const std::function<bool()>& cancelled = {});

// The file a save to path replaces: path with its links followed.
std::string DocumentSaveTarget(const std::string& path);

// How a load reads layers' art: long runs left in the file until something
// reaches them (for commands that change a few objects and save; what
// cannot be read then is LazyArt::Failure()), or all of it at once (for
// commands that go over every object, so that a damaged file fails before
// anything is drawn or written).
enum class ArtReading { asReached, whole };

// Reads the file, opens it as a new document in the host and makes it
// current; its file path is the path given. Nothing is opened on failure.
Document& LoadDocumentFile(Host& host, const std::string& path, ArtReading reading = ArtReading::asReached);

// The same, reading only what a summary needs: runs of a layer's art that
// summary does not read are stepped over and their summaries kept in
// Document::unread (a map of an older version is read whole). The document
// is marked summaryOnly: saving it is an error.
Document& LoadDocumentSummary(Host& host, const std::string& path, const SummaryReading& summary);

// The same from and to memory (the file name is used in messages only).
// DocumentToBytes gives the packed file; DocumentFromBytes reads any version.
// runBytes: where runs of art close, pieceBytes: how much the writer holds
// (a file saved uses kArtRunBytes and kPackPieceBytes).
std::string DocumentToBytes(const Document& document, size_t runBytes = kArtRunBytes,
                            size_t pieceBytes = kPackPieceBytes);
void DocumentFromBytes(Document& document, const std::string& bytes, const std::string& fileName);
void DocumentSummaryFromBytes(Document& document, const std::string& bytes, const std::string& fileName,
                              const SummaryReading& summary);
// The JSON form of the last JSON version, readable by eye.
std::string DocumentToJson(const Document& document);
void DocumentFromJson(Document& document, const std::string& text, const std::string& fileName);

// Memory a document with these counts takes once loaded, about.
uint64_t LoadedDocumentBytes(const PackedCounts& counts);
// The same for the map file at path, from its header (a JSON map from its
// size); 0 when there is no file or its header cannot be read, which
// opening it will then say.
uint64_t LoadedDocumentBytes(const std::string& path);
// Memory the machine has available for a new document: MemAvailable of
// /proc/meminfo, or the number of bytes in KZMAP_MEMORY_AVAILABLE when set.
uint64_t AvailableMemory();

}  // namespace sim
