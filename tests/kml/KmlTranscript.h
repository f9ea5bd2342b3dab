// A KML sink that writes down what it receives, one line per event, so that
// tests compare the reading of a file with a transcript written by hand.
#pragma once

#include <string>
#include <string_view>

#include "formats/KmlReader.h"

namespace kztest {

class KmlTranscript : public KmlSink {
 public:
  bool BeginContainer(KmlContainerKind kind, const std::string& name) override;
  bool EndContainer() override;
  bool Placemark(const KmlPlacemark& placemark) override;
  void SchemaField(const std::string& name, const std::string& type) override;

  std::string text;
};

// The transcript of bytes fed whole, or in pieces of chunk bytes.
std::string Transcribe(std::string_view bytes, size_t chunk = 0);

}  // namespace kztest
