#include "app/DocumentFileStub.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "sim/Host.h"
#include "sim/TextCodec.h"

namespace sim {

void SaveDocumentFile(const Document& document, const std::string& path) {
  nlohmann::json layers = nlohmann::json::array();
  for (const Layer* layer : document.layers) layers.push_back(Utf16ToUtf8(layer->title));
  std::ofstream out(path, std::ios::binary);
  out << nlohmann::json{{"layers", layers}}.dump();
  if (!out) throw DocumentFileError(path, "", "cannot write");
}

Document& LoadDocumentFile(Host& host, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DocumentFileError(path, "", "cannot open");
  nlohmann::json json;
  try {
    json = nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& error) {
    throw DocumentFileError(path, "", error.what());
  }
  Document& document = host.NewDocument({0, 842, 595, 0}, path);
  for (const auto& title : json.value("layers", nlohmann::json::array())) host.AddLayer(title.get<std::string>());
  return document;
}

}  // namespace sim
