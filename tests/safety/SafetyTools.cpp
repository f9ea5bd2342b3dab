#include "safety/SafetyTools.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace safety {

namespace fs = std::filesystem;

pid_t StartKzmap(const std::vector<std::string>& arguments, const std::string& outFile, const std::string& errFile,
                 const Limits& limits) {
  std::vector<std::string> words{KZ_TOOL_FILE};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = limits.environment;
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  // The child: nothing but async-signal-safe calls and exec.
  const int in = ::open("/dev/null", O_RDONLY);
  const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || err < 0) ::_exit(127);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  for (std::string& assignment : environment) ::putenv(assignment.data());
  if (limits.fileSizeBytes >= 0) {
    // A write past the limit fails with EFBIG instead of ending the process.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(limits.fileSizeBytes), static_cast<rlim_t>(limits.fileSizeBytes)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ::signal(SIGINT, SIG_DFL);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

ToolRun WaitFor(pid_t pid, const std::string& outFile, const std::string& errFile) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  ToolRun run;
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = ReadFile(outFile);
  run.err = ReadFile(errFile);
  return run;
}

ToolRun Kzmap(const std::vector<std::string>& arguments, const Limits& limits) {
  Folder scratch;
  std::string out = (scratch / "out").string(), err = (scratch / "err").string();
  // A file size limit would cut the messages too: they go through FIFOs
  // that the test reads while the tool runs.
  if (limits.fileSizeBytes < 0) return WaitFor(StartKzmap(arguments, out, err, limits), out, err);
  const std::string outFifo = (scratch / "out.fifo").string(), errFifo = (scratch / "err.fifo").string();
  ::mkfifo(outFifo.c_str(), 0600);
  ::mkfifo(errFifo.c_str(), 0600);
  const pid_t pid = StartKzmap(arguments, outFifo, errFifo, limits);
  std::string texts[2];
  std::thread readers[2];
  const std::string* fifos[] = {&outFifo, &errFifo};
  for (int i = 0; i < 2; ++i) readers[i] = std::thread([&, i] { texts[i] = ReadFile(*fifos[i]); });
  for (std::thread& reader : readers) reader.join();
  ToolRun run = WaitFor(pid, outFifo + ".none", errFifo + ".none");
  run.out = texts[0];
  run.err = texts[1];
  return run;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = ReadFile(entry.path());
  }
  return files;
}

std::vector<std::string> Leftovers(const fs::path& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    bool known = false;
    for (const std::string& pattern : expected) {
      // "*" at the end of a pattern stands for any ending.
      if (!pattern.empty() && pattern.back() == '*' ? name.rfind(pattern.substr(0, pattern.size() - 1), 0) == 0
                                                     : name == pattern)
        known = true;
    }
    if (!known) left.push_back(name);
  }
  return left;
}

Folder::Folder() {
  std::string pattern = (fs::temp_directory_path() / "kzsafety-XXXXXX").string();
  if (::mkdtemp(pattern.data())) root = pattern;
}

Folder::~Folder() {
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root, ignored);
}

namespace {

sim::Value FieldEntry(const char16_t* name, int32_t type, int32_t digits, const std::u16string& value) {
  auto entry = std::make_shared<sim::Array>();
  entry->items = {sim::Value{std::u16string(name)}, sim::Value{type}, sim::Value{digits}, sim::Value{int32_t{0}},
                  sim::Value{value}};
  return sim::Value{entry};
}

sim::DictPtr Row(const std::u16string& name, const std::u16string& value) {
  auto row = std::make_shared<sim::Array>();
  row->items = {FieldEntry(u"名前", 0, 20, name), FieldEntry(u"値", 0, 20, value)};
  auto dictionary = std::make_shared<sim::Dictionary>();
  dictionary->entries["KartzmapField"] = sim::Value{row};
  return dictionary;
}

sim::Layer& GeoreferencedLayer(sim::Host& host) {
  sim::Layer& frame = host.AddLayer("Kartzmap DataFrame");
  host.AddPointText(*frame.group, {0, 0}, "G=JGD|P=XY9|X=100.000000|Y=200.000000|S=3600|R=0.000000");
  sim::Layer& layer = host.AddLayer("地物");
  layer.group->dictionary = Row(u"", u"");
  host.CurrentDocument()->currentLayer = &layer;
  return layer;
}

}  // namespace

std::string WriteSmallMap(const fs::path& path) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 200, 300, 0});
  sim::Layer& layer = GeoreferencedLayer(host);
  const char16_t* names[] = {u"一", u"二", u"三"};
  for (int i = 0; i < 3; ++i) {
    const float x = 20.0f + 60.0f * static_cast<float>(i);
    sim::Art& art = host.AddPath(*layer.group, {{x, 20}, {x + 40, 20}, {x + 40, 60}}, true);
    art.style.fillPaint = true;
    art.style.fill.color = AIColor::Three(0.2f, 0.5f, 0.8f);
    art.dictionary = Row(names[i], u"0");
    if (i == 0) art.userAttributes |= kArtSelected;
  }
  host.AddPointText(*layer.group, {30, 100}, "駅");
  sim::SaveDocumentFile(document, path.string());
  return path.string();
}

std::string WriteLargeMap(const fs::path& path, int points) {
  constexpr int kPointsPerPath = 20000;  // a path holds at most 32000 segments
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 2000, 2000, 0});
  sim::Layer& layer = GeoreferencedLayer(host);
  for (int first = 0; first < points; first += kPointsPerPath) {
    std::vector<AIRealPoint> anchors;
    for (int i = first; i < std::min(points, first + kPointsPerPath); ++i)
      anchors.push_back({static_cast<float>(i % 1000) * 2.0f, static_cast<float>(i / 1000) * 2.0f + 0.5f});
    sim::Art& art = host.AddPath(*layer.group, anchors, false);
    art.dictionary = Row(u"長い線", u"1");
    if (first == 0) art.userAttributes |= kArtSelected;
  }
  sim::SaveDocumentFile(document, path.string());
  return path.string();
}

}  // namespace safety
