// The shared styles of a KML file: Style elements by id, and style maps,
// which stand for the style their "normal" pair names.
#pragma once

#include <map>
#include <string>

#include "formats/KmlRecords.h"

class KmlStyleTable {
 public:
  // A later entry with the same id replaces an earlier one, of either kind.
  void AddStyle(const std::string& id, const KmlStyle& style);
  void AddMap(const std::string& id, const std::string& normalId);

  // The style that id stands for, following style maps; null when the id is
  // empty or unknown, or when the maps run in a cycle or to nothing.
  const KmlStyle* Resolve(const std::string& id) const;

  size_t Size() const { return entries.size(); }
  void Clear() { entries.clear(); }

 private:
  struct Entry {
    bool isMap = false;
    KmlStyle style;
    std::string normalId;  // for a map
  };
  std::map<std::string, Entry> entries;
};
