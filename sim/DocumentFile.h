// The stand-in document as a file between commands: JSON with a format name
// and a version, holding the artboard, the layer tree with every art object,
// path styles, texts, dictionaries, tags, user attributes and the current
// layer. Saving is atomic (a temporary file renamed over the target); loading
// upgrades files of older versions and refuses anything else with an error
// that names the file and the place in it.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "sim/Document.h"
#include "sim/JsonWriter.h"

namespace sim {

class Host;

inline constexpr const char* kDocumentFormatName = "Kartzmap document";
inline constexpr int kDocumentFormatVersion = 2;

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

// The same for any file: write sends the whole content through the sink;
// the file is replaced only once it is whole, with the same links, modes,
// refusals and cancel as a document save.
void WriteFileAtomically(const std::string& path, const std::function<void(JsonWriter::Sink, void*)>& write,
                         const std::function<bool()>& cancelled = {});

// The file a save to path replaces: path with its links followed.
std::string DocumentSaveTarget(const std::string& path);

// Reads the file, opens it as a new document in the host and makes it
// current; its file path is the path given. Nothing is opened on failure.
Document& LoadDocumentFile(Host& host, const std::string& path);

// The same from and to memory (the file name is used in messages only).
std::string DocumentToJson(const Document& document);
void DocumentFromJson(Document& document, const std::string& text, const std::string& fileName);

}  // namespace sim
