// Four kzmap processes on one map at once, for a while: imports and attr
// changes (writers) with exports and renders (readers). Afterwards the map
// loads, every write that reported success is in it, every reader's output
// is whole, and no temporary file is left. KZ_STRESS_SECONDS sets how long
// (10 by default; 30 for a longer soak).
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "safety/SafetyTools.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using kztest::ScratchFolder;

constexpr int kDefaultSeconds = 10;

int StressSeconds() {
  const char* text = std::getenv("KZ_STRESS_SECONDS");
  const int seconds = text ? std::atoi(text) : 0;
  return seconds > 0 ? seconds : kDefaultSeconds;
}

struct Outcome {
  std::string label;  // what the run was for (a layer title, a value, a file)
  int status;
  std::string err;
};

class Worker {
 public:
  Worker(const ScratchFolder& folder, std::string name) : folder(folder), name(std::move(name)) {}
  // Runs the command made for each round until the time is up.
  template <typename MakeRound>
  void Loop(std::chrono::steady_clock::time_point end, MakeRound makeRound) {
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
      std::string label;
      const std::vector<std::string> arguments = makeRound(round, label);
      const std::string out = (folder / (name + ".out")).string(), err = (folder / (name + ".err")).string();
      const auto run = kztest::WaitFor(kztest::StartKzmap(arguments, out, err, limits), out, err);
      outcomes.push_back({label, run.signal ? -run.signal : run.status, run.out + run.err});
    }
  }
  std::vector<Outcome> outcomes;
  kztest::ProcessLimits limits;

 private:
  const ScratchFolder& folder;
  std::string name;
};

size_t Texts(const std::string& json) {
  size_t count = 0;
  for (size_t at = json.find("\"type\": \"text\""); at != std::string::npos; at = json.find("\"type\": \"text\"", at + 1))
    ++count;
  return count;
}

// "N labels placed" of a label run.
size_t LabelsPlaced(const Outcome& outcome) {
  const size_t at = outcome.err.find(" labels placed");
  if (outcome.status != 0 || at == std::string::npos) return 0;
  size_t start = at;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(outcome.err[start - 1]))) --start;
  return std::stoul(outcome.err.substr(start, at - start));
}

bool LockedOut(const Outcome& outcome) {
  return outcome.status == 1 && outcome.err.find("is being changed by another kzmap") != std::string::npos;
}

TEST(FourCommandsOnOneMap, LoseNothingAndLeaveNothing) {
  ScratchFolder folder;
  const std::string map = safety::WriteSmallMap(folder / "m.kzmap");
  const size_t textsBefore = [&map] {
    sim::Host before;  // the map is packed: count in its JSON form
    return Texts(sim::DocumentToJson(sim::LoadDocumentFile(before, map)));
  }();
  fs::create_directory(folder / "in");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(StressSeconds());

  Worker importer(folder, "import"), changer(folder, "attr"), exporter(folder, "export"), renderer(folder, "render");
  for (Worker* worker : {&importer, &changer}) worker->limits.environment = {"KZMAP_LOCK_WAIT_MS=20000"};
  std::thread imports([&] {
    importer.Loop(end, [&](int round, std::string& label) {
      label = "点" + std::to_string(round);
      const fs::path file = folder / "in" / (label + ".csv");
      kztest::WriteFile(file, "緯度,経度,名前\n35.66,139.74,東京\n35.68,139.76,丸の内\n");
      return std::vector<std::string>{"import", map, file.string(), "--to", "jgd2000:xy9"};
    });
  });
  std::thread changes([&] {
    // Values overwrite each other; labels add up, so a lost one shows. A
    // label leaves its texts selected, so the object is searched for again.
    changer.Loop(end, [&](int round, std::string& label) {
      label = "値" + std::to_string(round);
      if (round % 3 == 0) return std::vector<std::string>{"attr", map, "search", "名前", "--text", "一"};
      if (round % 3 == 2) return std::vector<std::string>{"attr", map, "label", "名前"};
      return std::vector<std::string>{"attr", map, "set", "値=" + label};
    });
  });
  std::thread exports([&] {
    exporter.Loop(end, [&](int round, std::string& label) {
      label = "out" + std::to_string(round % 3) + (round % 2 ? ".csv" : ".shp");
      return std::vector<std::string>{"export", map, (folder / label).string(), "--target", "all"};
    });
  });
  std::thread renders([&] {
    renderer.Loop(end, [&](int round, std::string& label) {
      label = round % 2 ? "p.pdf" : "p.png";
      return std::vector<std::string>{"render", map, (folder / label).string()};
    });
  });
  for (std::thread* thread : {&imports, &changes, &exports, &renders}) thread->join();

  // Every run ended of itself: it succeeded, or (a writer) it gave up
  // waiting for the map with a clear message.
  const char* names[] = {"import", "attr", "export", "render"};
  int index = 0;
  for (Worker* worker : {&importer, &changer, &exporter, &renderer}) {
    size_t succeeded = 0;
    for (const Outcome& outcome : worker->outcomes) succeeded += outcome.status == 0;
    std::printf("%s: %zu runs, %zu succeeded\n", names[index++], worker->outcomes.size(), succeeded);
    EXPECT_GT(succeeded, 0u);
    for (const Outcome& outcome : worker->outcomes) {
      const bool writer = worker == &importer || worker == &changer;
      EXPECT_TRUE(outcome.status == 0 || (writer && LockedOut(outcome))) << outcome.label << ": " << outcome.err;
    }
  }

  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, map);
  for (const Outcome& outcome : importer.outcomes) {
    const bool present = host.FindLayer(outcome.label) != nullptr;
    EXPECT_EQ(present, outcome.status == 0) << outcome.label << ": " << outcome.err;
  }
  // The last value that was set is on the objects selected at the time; no
  // later write may have undone it.
  const Outcome* lastSet = nullptr;
  size_t labels = 0;
  for (const Outcome& outcome : changer.outcomes) {
    labels += LabelsPlaced(outcome);
    if (outcome.status == 0 && outcome.err.find("値 set on ") != std::string::npos &&
        outcome.err.find("値 set on 0 objects") == std::string::npos)
      lastSet = &outcome;
  }
  EXPECT_GT(labels, 0u);
  EXPECT_EQ(Texts(sim::DocumentToJson(document)), textsBefore + labels);
  ASSERT_NE(lastSet, nullptr);
  {
    const std::string json = sim::DocumentToJson(document);
    EXPECT_NE(json.find("\"" + lastSet->label + "\""), std::string::npos) << lastSet->label;
  }
  std::vector<std::string> expected{"m.kzmap", "in", "p.png", "p.pdf", "import.out", "import.err", "attr.out",
                                    "attr.err", "export.out", "export.err", "render.out", "render.err"};
  for (int k = 0; k < 3; ++k) {
    for (const char* extension : {".csv", ".shp", ".shx", ".dbf", ".cpg", ".prj"})
      expected.push_back("out" + std::to_string(k) + extension);
  }
  EXPECT_EQ(safety::Leftovers(folder.Path(), expected), std::vector<std::string>{});
  const std::string png = kztest::ReadFile(folder / "p.png");
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  const std::string pdf = kztest::ReadFile(folder / "p.pdf");
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
}

}  // namespace
