// Files of version 1 kept each path segment as an object
// {"anchor": [x, y], "in": [x, y], "out": [x, y], "corner": true}; version 2
// packs it into one array ([x, y] for a straight corner), which a
// million-segment document needs to load in reasonable memory.
#include <string>

#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"
#include "sim/DocumentReader.h"

namespace sim {

namespace {

using nlohmann::json;

class Upgrade1 {
 public:
  explicit Upgrade1(const std::string& file) : file(file) {}

  void Document(json& root) {
    json* layers = Find(root, "layers");
    if (layers && layers->is_array()) {
      for (size_t i = 0; i < layers->size(); ++i) Art((*layers)[i], "/layers/" + std::to_string(i), 1);
    }
  }

 private:
  static json* Find(json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
  }

  // Layers, sublayers and art alike: convert the segments and go into the contents.
  void Art(json& art, const std::string& place, size_t depth) {
    if (depth > kMaxDocumentDepth || !art.is_object()) return;  // the reader reports it
    if (json* segments = Find(art, "segments"); segments && segments->is_array()) {
      for (size_t i = 0; i < segments->size(); ++i)
        Segment((*segments)[i], place + "/segments/" + std::to_string(i));
    } else if (segments && segments->is_binary() && !segments->get_binary().empty()) {
      Fail(place + "/segments/0");  // arrays, the later form
    }
    for (const char* list : {"art", "members"}) {
      json* items = Find(art, list);
      if (!items || !items->is_array()) continue;
      for (size_t i = 0; i < items->size(); ++i)
        Art((*items)[i], place + "/" + list + "/" + std::to_string(i), depth + 1);
    }
  }

  static bool IsPoint(const json* point) {
    return point && point->is_array() && point->size() == 2 && (*point)[0].is_number() && (*point)[1].is_number();
  }

  void Segment(json& segment, const std::string& place) {
    json* anchor = Find(segment, "anchor");
    json* in = Find(segment, "in");
    json* out = Find(segment, "out");
    json* corner = Find(segment, "corner");
    if (!IsPoint(anchor) || !IsPoint(in) || !IsPoint(out) || !corner || !corner->is_boolean() || segment.size() != 4)
      Fail(place);
    json packed = json::array({(*anchor)[0], (*anchor)[1], (*in)[0], (*in)[1], (*out)[0], (*out)[1]});
    if (!corner->get<bool>()) packed.push_back(false);
    segment = std::move(packed);
  }

  [[noreturn]] void Fail(const std::string& place) const {
    throw DocumentFileError(file, place, "expected a segment {\"anchor\": [x, y], \"in\": [x, y], \"out\": [x, y], \"corner\": true or false}");
  }

  const std::string& file;
};

}  // namespace

void UpgradeDocumentJson(json& root, int version, const std::string& file) {
  if (version < 2) Upgrade1(file).Document(root);
}

}  // namespace sim
