// kzmap render run again and again on a tiny map that holds text: every run
// ends of itself with a whole picture (cairo's caches once ended some runs
// with an assertion at exit, now and then).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::Quote;
using kztest::RunKzmap;
using kztest::ScratchFolder;

constexpr int kRuns = 200;
// Several at once: the abort came more often on a busy machine.
constexpr int kAtOnce = 4;

TEST(RenderRepeatedly, NeverAborts) {
  ScratchFolder folder;
  const std::string map = folder.Path("m.kzmap");
  {
    sim::Host host;
    sim::Document& document = host.NewDocument({0, 60, 80, 0});
    sim::Layer& layer = host.AddLayer("地名");
    for (int i = 0; i < 30; ++i)
      host.AddPointText(*layer.group, {static_cast<float>(2 * i), static_cast<float>(i % 50)}, "駅" + std::to_string(i));
    host.EditStyle(&host.AddPath(*layer.group, {{5, 5}, {70, 50}}, false), [](AIPathStyle& style) { style.strokePaint = true; });
    sim::SaveDocumentFile(document, map);
  }
  std::vector<std::string> failures[kAtOnce];
  std::vector<std::thread> workers;
  for (int worker = 0; worker < kAtOnce; ++worker) {
    workers.emplace_back([&, worker] {
      for (int run = worker; run < kRuns; run += kAtOnce) {
        const std::string picture = folder.Path("p" + std::to_string(worker) + (run % 8 < 4 ? ".svg" : ".pdf"));
        const auto result = RunKzmap("render " + Quote(map) + " " + Quote(picture));
        if (result.status != 0)
          failures[worker].push_back("run " + std::to_string(run) + ": status " + std::to_string(result.status) +
                                     " signal " + std::to_string(result.signal) + ": " + result.err);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  for (const auto& list : failures)
    for (const std::string& failure : list) ADD_FAILURE() << failure;
  for (const char* name : {"p0.svg", "p0.pdf", "p3.svg", "p3.pdf"}) {
    const std::string bytes = ScratchFolder::Read(folder.Path(name));
    EXPECT_TRUE(bytes.find("</svg>") != std::string::npos || bytes.find("%%EOF") != std::string::npos) << name;
  }
}

}  // namespace
