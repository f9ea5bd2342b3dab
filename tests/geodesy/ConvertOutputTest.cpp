// kzmap convert writes its points in large blocks, not one system call per
// line, and still keeps each message about a bad line after the points
// before it when both go to one file. The write calls are counted by the
// kernel (/proc/PID/io, read while the finished process is still a zombie).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "OutputLines.h"
#include "support/ScratchFolder.h"

namespace {

struct Finished {
  int exitCode = -1;
  long writeCalls = -1;
};

// Runs kzmap convert with stdin from `input`, stdout to `output` and stderr
// to `errors` (the same path: both into one file, as 2>&1 does).
Finished RunConvert(const std::string& input, const std::string& output, const std::string& errors) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int in = ::open(input.c_str(), O_RDONLY);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    const int err = errors == output ? out : ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::execl(KZ_TOOL_FILE, KZ_TOOL_FILE, "convert", "--from", "jgd2000:bl", "--to", "jgd2000:xy9", nullptr);
    ::_exit(127);
  }
  Finished finished;
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT) != 0) return finished;
  std::ifstream io("/proc/" + std::to_string(child) + "/io");
  for (std::string key; io >> key;) {
    long value = 0;
    io >> value;
    if (key == "syscw:") finished.writeCalls = value;
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return finished;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ConvertOutput : public testing::Test {
 protected:
  void SetUp() override { folder = kztest::FreshFolder("convert-output"); }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string folder;
};

TEST_F(ConvertOutput, ManyLinesGoOutInFewWrites) {
  constexpr int kLines = 20000;
  std::string input;
  for (int i = 0; i < kLines; ++i) input += std::to_string(139.5 + i * 1e-5) + " " + std::to_string(35.5 + i * 1e-5) + "\n";
  std::ofstream(folder + "/in.txt") << input;
  const Finished run = RunConvert(folder + "/in.txt", folder + "/out.txt", folder + "/err.txt");
  ASSERT_EQ(run.exitCode, 0) << Read(folder + "/err.txt");
  const std::vector<std::string> lines = geodesytest::Lines(Read(folder + "/out.txt"));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kLines));
  ASSERT_GE(run.writeCalls, 1);
  // About 30 bytes a line: some forty blocks, nowhere near one call a line.
  EXPECT_LT(run.writeCalls, kLines / 100) << run.writeCalls << " write calls for " << kLines << " lines";
}

TEST_F(ConvertOutput, MessagesFollowThePointsBeforeThem) {
  std::ofstream(folder + "/in.txt") << "139.7 35.6\n"
                                       "not a point\n"
                                       "139.8 35.7\n"
                                       "139.9 95\n"
                                       "\n"
                                       "139.6 35.5";  // no line end at the end
  const Finished run = RunConvert(folder + "/in.txt", folder + "/all.txt", folder + "/all.txt");
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = geodesytest::Lines(Read(folder + "/all.txt"));
  ASSERT_EQ(lines.size(), 8u) << Read(folder + "/all.txt");
  EXPECT_NE(lines[0].find(' '), std::string::npos);
  EXPECT_EQ(lines[1], "* *");
  EXPECT_EQ(lines[2], "kzmap convert: line 2: not two numbers");
  EXPECT_NE(lines[3], "* *");
  EXPECT_EQ(lines[4], "* *");
  EXPECT_EQ(lines[5], "kzmap convert: line 4: the point cannot be converted");
  EXPECT_EQ(lines[6], "");
  EXPECT_NE(lines[7].find(' '), std::string::npos);
}

// A NUL inside a line leaves that one line unreadable; the line after it
// is still a line of its own.
TEST_F(ConvertOutput, ANulByteSpoilsOnlyItsLine) {
  std::ofstream(folder + "/in.txt", std::ios::binary) << std::string("139.7 35.6\n139.7\0 35.6\n139.8 35.7\n", 34);
  const Finished run = RunConvert(folder + "/in.txt", folder + "/out.txt", folder + "/err.txt");
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = geodesytest::Lines(Read(folder + "/out.txt"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "* *");
  EXPECT_NE(lines[2], "* *");
  EXPECT_EQ(Read(folder + "/err.txt"), "kzmap convert: line 2: not two numbers\n");
}

}  // namespace
