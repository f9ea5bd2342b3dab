// A headless host with an open document and the dialog stand-in, and the
// system's suite pointers filled from it, for tests that link the attribute
// code directly.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/ShapeField.h"
#include "sim/DialogPlatform.h"
#include "sim/Host.h"
#include "support/HostEnvironment.h"

namespace kztest {

class AttributeHost : public ::testing::Test {
 protected:
  AttributeHost() : host(environment.Host()), dialogs(host.Dialogs()) { document = &host.NewDocument(); }

  static AIArtHandle H(sim::Art& art) { return sim::Host::Handle(art); }
  static AILayerHandle H(sim::Layer& layer) { return sim::Host::Handle(layer); }

  std::vector<std::string> AlertTexts() {
    std::vector<std::string> texts;
    for (const auto& alert : host.User().alerts) texts.push_back(alert.text);
    return texts;
  }

  HostEnvironment environment;
  sim::Host& host;
  sim::DialogPlatform& dialogs;
  sim::Document* document = nullptr;
};

inline ShapeField Field(const char* name, int32_t type, int32_t totalDigits, int32_t decimals,
                        const char* value = "") {
  return ShapeField{name, type, totalDigits, decimals, value};
}

}  // namespace kztest
