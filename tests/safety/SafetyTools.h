// Running kzmap as separate processes with real faults: a file size limit
// (the system's "File too large", as a full disk answers), signals, several
// processes at once; and the maps and folders the tests work on.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace safety {

struct Limits {
  long long fileSizeBytes = -1;              // RLIMIT_FSIZE; -1 none
  std::vector<std::string> environment;      // NAME=VALUE added
};

struct ToolRun {
  int status = -1;   // exit status; -1 when ended by a signal
  int signal = 0;    // the signal that ended it
  std::string out, err;
};

// Starts kzmap with the arguments; its output goes to files in folder.
pid_t StartKzmap(const std::vector<std::string>& arguments, const std::string& outFile, const std::string& errFile,
                 const Limits& limits = {});
ToolRun WaitFor(pid_t pid, const std::string& outFile, const std::string& errFile);
ToolRun Kzmap(const std::vector<std::string>& arguments, const Limits& limits = {});

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Every file's bytes in the folder (not descending), by name.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

// Names in the folder that none of the expected names and patterns explain:
// what a write left behind.
std::vector<std::string> Leftovers(const std::filesystem::path& folder, const std::vector<std::string>& expected);

class Folder {
 public:
  Folder();
  ~Folder();
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return root / name; }
  const std::filesystem::path& Path() const { return root; }

 private:
  std::filesystem::path root;
};

// A small georeferenced map (plane system IX): a frame, a layer "地物" with
// the fields 名前 and 値 and three paths, one of them selected, and a text.
std::string WriteSmallMap(const std::filesystem::path& path);
// A map with many points, so that loading and saving it take a while.
std::string WriteLargeMap(const std::filesystem::path& path, int points);

}  // namespace safety
