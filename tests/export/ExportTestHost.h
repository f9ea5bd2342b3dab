// A headless host with one open document for the export tests: building
// georeferenced documents with attributed art, answering the export dialog
// and the file dialog as the user, scratch folders and outside tools.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "export/ExportSettings.h"
#include "formats/ShapeField.h"
#include "georef/DataFrameParams.h"
#include "sim/DialogPlatform.h"
#include "sim/Host.h"
#include "support/HostEnvironment.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace kztest {

// One feature as ogrinfo reports it: its field lines and its geometry, the
// numbers of the geometry taken apart.
struct Feature {
  std::vector<std::string> fields;  // "NAME=value"
  std::string shape;                // the geometry with every number replaced by #
  std::vector<double> numbers;
};
// The features of `ogrinfo -al` output, in the file's order.
std::vector<Feature> Features(const std::string& info);

class ExportTest : public ::testing::Test {
 protected:
  ExportTest();
  ~ExportTest() override;

  static AIArtHandle H(sim::Art& art) { return sim::Host::Handle(art); }
  static AILayerHandle H(sim::Layer& layer) { return sim::Host::Handle(layer); }

  // A data frame of plane rectangular system 9 on JGD2000 at 1:3600 with its
  // anchor at the artboard origin: one point is 1.27 m, x east and y north.
  void AddPlaneFrame(double originX = 0, double originY = 0, int32_t system = 9, int32_t datum = 2);
  void AddFrame(const DataFrameParams& params);
  // The object's attribute row and its layer's field list get the fields.
  void SetAttributes(sim::Art& art, const std::vector<ShapeField>& fields);
  void SetLayerFields(sim::Layer& layer, const std::vector<ShapeField>& fields);

  // The next export dialog gets these actions and then OK; the file or
  // folder dialog that follows answers `path` (nothing: cancels).
  void AnswerExport(std::vector<sim::DialogAction> actions, std::optional<std::string> path);
  std::vector<std::string> AlertTexts() const;

  std::filesystem::path Scratch(const std::string& name) const { return scratch / name; }

  HostEnvironment environment;
  sim::Host& host;
  sim::DialogPlatform& dialogs;
  sim::Document* document = nullptr;
  SPPluginRef plugin = nullptr;  // this test program, whose module holds the dialogs
  ScratchFolder scratchFolder;
  const std::filesystem::path scratch = scratchFolder.Path();
};

inline ShapeField Field(const char* name, int32_t type, int32_t digits, int32_t decimals = 0, const char* value = "") {
  return ShapeField{name, type, digits, decimals, value};
}

}  // namespace kztest
