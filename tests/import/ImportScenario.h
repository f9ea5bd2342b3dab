// The Shapefile import as the host runs it: the plug-in library loaded and
// started through PluginMain in the headless host, a document open, the
// panel's flyout item chosen, and the dialogs answered by a scripted user.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "sim/DialogPlatform.h"
#include "sim/PluginLoader.h"
#include "support/PluginHostEnvironment.h"

namespace importtest {

class ImportScenario : public ::testing::Test {
 protected:
  void SetUp() override;
  // Loads this library file instead of the built one (a copy with its own
  // datum grid beside it, say).
  virtual std::string PluginFile() const;

  // The user chooses the files (and, when given, the encoding entry).
  void AnswerFiles(std::vector<std::string> files, const char* encoding = nullptr);
  void AnswerCoords(std::vector<sim::DialogAction> actions);
  // A new map in a plane rectangular system at the scale.
  void AnswerNewPlaneMap(int32_t system, const char* scale = "25000");
  // Chooses the import in the flyout menu; false when the item could not be chosen.
  bool Import();

  std::vector<std::string> AlertTexts();
  // The alerts without the advice that drawn data reaches beyond the artboard:
  // scenarios that check what was read draw small test areas at any scale.
  std::vector<std::string> AlertTextsBesidesArtboardAdvice();
  std::vector<std::string> ErrorTexts();
  std::string CurrentLayerTitle();
  // Nothing unexpected happened in the dialogs.
  void ExpectCleanDialogs() const;

  ScratchFolder folder;
  kztest::PluginHostEnvironment environment;
  sim::Host& host = environment.host;
  sim::PluginLoader& loader = environment.loader;
  sim::DialogPlatform& dialogs = host.Dialogs();
};

}  // namespace importtest
