// The stand-in's open-file dialog against the platform's 8-bit explorer-style
// dialog: the result buffer's layouts, the offsets, the default extension,
// the buffer-too-small and cancel outcomes, the child template from the
// caller's module with its hook, and the record of every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/PlatformDialogSuite.h"
#include "host/PluginModule.h"
#include "sim/DialogPlatform.h"
#include "support/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;
using sim::DialogAction;
using sim::OpenFileAnswer;
using namespace std::string_literals;

constexpr int32_t kChildId = 950, kCombo = 1081;
const DialogControlTemplate kChildControls[] = {
    {kDialogIdStatic, DialogControlKind::Static, "符号化:", 0, 0, 0, 10, 10},
    {kCombo, DialogControlKind::DropDownList, "", kDialogStyleGroup, 0, 0, 10, 10},
};
const DialogTemplate kChild{kChildId, "", 100, 30, "MS Shell Dlg", 8, kChildControls, std::size(kChildControls)};

constexpr uint32_t kExplorerMulti = kOpenFileExplorer | kOpenFileAllowMultiSelect | kOpenFileFileMustExist |
                                    kOpenFilePathMustExist | kOpenFileHideReadOnly;

// What the hook saw.
struct HookLog {
  std::vector<std::string> events;
  int32_t selectionAtOk = -2;
  std::string bufferAtOk;
  int32_t refuse = 0;
  char* buffer = nullptr;
};

int32_t Hook(AIWindowRef window, PlatformDialogEvent* event, void* userData) {
  auto* log = static_cast<HookLog*>(userData);
  const PlatformDialogSuite* suite = sim::DialogPlatform::Suite();
  switch (event->kind) {
    case kDialogEventInit:
      log->events.push_back("init");
      suite->ListAdd(window, kCombo, "\x83\x56\x83\x74\x83\x67JIS", nullptr);  // シフトJIS in CP932
      suite->ListAdd(window, kCombo, "UTF-8", nullptr);
      suite->ListSetSelection(window, kCombo, 0);
      return 1;
    case kDialogEventCommand:
      log->events.push_back("command " + std::to_string(event->controlId) + ":" + std::to_string(event->code));
      return 1;
    case kDialogEventFileOK:
      log->events.push_back("ok");
      suite->ListGetSelection(window, kCombo, &log->selectionAtOk);
      log->bufferAtOk = log->buffer;
      return log->refuse;
    default:
      return 0;
  }
}

class OpenFileDialogTest : public ::testing::Test {
 protected:
  OpenFileDialogTest() {
    fs::create_directories(folder / "sub");
    for (const char* name : {"a.shp", "b.shp", "道路.shp", "sub/c.shp"}) std::ofstream(folder / name) << "x";
  }

  std::string P(const char* name) const { return (folder / name).string(); }

  PlatformOpenFileName Request(uint32_t flags, uint32_t size = 4096) {
    buffer.assign(size, '\x7F');
    buffer[0] = '\0';
    PlatformOpenFileName request;
    request.owner = reinterpret_cast<AIWindowRef>(&owner);
    request.filter = "Shapefiles(*.shp)\0*.shp\0All(*.*)\0*.*\0";
    request.file = buffer.data();
    request.maxFile = size;
    request.initialDir = folder.c_str();
    request.title = "\x83\x56\x83\x46\x81\x5B\x83\x76";  // シェープ in CP932
    request.defExt = "shp";
    request.flags = flags;
    return request;
  }

  PlatformOpenFileName HookedRequest(uint32_t flags = kExplorerMulti) {
    PlatformOpenFileName request = Request(flags | kOpenFileEnableHook | kOpenFileEnableTemplate);
    request.hook = Hook;
    request.custData = &log;
    log.buffer = buffer.data();
    request.instance = ModuleOfAddress(&kChild);
    request.templateName = kChildId;
    request.templateData = &kChild;
    return request;
  }

  bool Run(PlatformOpenFileName& request) {
    AIBoolean confirmed = true;
    EXPECT_EQ(suite->GetOpenFileName(&request, &confirmed), kNoErr);
    return confirmed != 0;
  }
  uint32_t Error() const {
    uint32_t code = 0xFFFF;
    EXPECT_EQ(suite->FileDialogError(&code), kNoErr);
    return code;
  }
  std::string Result(size_t size) const { return std::string(buffer.data(), size); }

  sim::DialogPlatform platform;
  const PlatformDialogSuite* suite = sim::DialogPlatform::Suite();
  kztest::ScratchFolder scratch;
  const fs::path folder = scratch.Path();
  std::vector<char> buffer;
  HookLog log;
  int owner = 0;
};

TEST_F(OpenFileDialogTest, ResultLayoutsAndOffsets) {
  struct Case {
    const char* what;
    uint32_t flags;
    std::vector<std::string> chosen;
    std::string expected;
    uint16_t nameOffset;
    uint16_t extensionOffset;
  };
  const std::string dir = folder.string();
  const uint16_t afterDir = static_cast<uint16_t>(dir.size() + 1);
  const std::vector<Case> cases = {
      {"several, explorer", kExplorerMulti, {P("a.shp"), P("道路.shp"), P("b.shp")},
       dir + "\0a.shp\0道路.shp\0b.shp\0\0"s, afterDir, 0},
      {"one of a multi-selection", kExplorerMulti, {P("a.shp")}, dir + "/a.shp\0\0"s, afterDir,
       static_cast<uint16_t>(afterDir + 2)},
      {"one, single selection", kOpenFileExplorer, {P("b.shp")}, dir + "/b.shp\0"s, afterDir,
       static_cast<uint16_t>(afterDir + 2)},
      {"typed without extension", kOpenFileExplorer | kOpenFileFileMustExist, {P("a")},
       dir + "/a.shp\0"s, afterDir, static_cast<uint16_t>(afterDir + 2)},
      {"old style separates with blanks", kOpenFileAllowMultiSelect, {P("a.shp"), P("b.shp")},
       dir + " a.shp b.shp\0"s, afterDir, 0},
      {"files of two folders", kExplorerMulti, {P("a.shp"), P("sub/c.shp")},
       dir + "\0a.shp\0sub/c.shp\0\0"s, afterDir, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlatformOpenFileName request = Request(c.flags);
    platform.ExpectOpenFile(OpenFileAnswer::Choose(c.chosen));
    ASSERT_TRUE(Run(request));
    EXPECT_EQ(Error(), 0u);
    EXPECT_EQ(Result(c.expected.size()), c.expected);
    EXPECT_EQ(request.fileOffset, c.nameOffset);
    EXPECT_EQ(request.fileExtension, c.extensionOffset);
    EXPECT_EQ(platform.OpenFileRuns().back().result, c.expected);
  }
}

TEST_F(OpenFileDialogTest, EndsWithoutAChoice) {
  struct Case {
    const char* what;
    uint32_t flags;
    uint32_t size;
    OpenFileAnswer answer;
    uint32_t error;
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"cancel", kExplorerMulti, 4096, OpenFileAnswer::Cancel(), 0, nullptr},
      {"a missing file", kExplorerMulti, 4096, OpenFileAnswer::Choose({P("none.shp")}), 0,
       "the file does not exist"},
      {"a missing folder", kExplorerMulti, 4096, OpenFileAnswer::Choose({P("nowhere/a.shp")}), 0,
       "the folder does not exist"},
      {"several in a single selection", kOpenFileExplorer, 4096, OpenFileAnswer::Choose({P("a.shp"), P("b.shp")}), 0,
       "several files chosen in a dialog that takes one"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlatformOpenFileName request = Request(c.flags, c.size);
    platform.ExpectOpenFile(c.answer);
    EXPECT_FALSE(Run(request));
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(buffer[0], '\0');
    const sim::OpenFileRun& run = platform.OpenFileRuns().back();
    EXPECT_FALSE(run.confirmed);
    EXPECT_TRUE(run.chosen.empty());
    if (c.problem != nullptr) {
      ASSERT_EQ(run.problems.size(), 1u);
      EXPECT_NE(run.problems[0].find(c.problem), std::string::npos) << run.problems[0];
    }
  }
}

TEST_F(OpenFileDialogTest, TooSmallBufferTellsTheSizeNeeded) {
  const std::string dir = folder.string();
  const size_t needed = dir.size() + 1 + 6 + 6 + 1;  // folder, a.shp, b.shp, final zero
  PlatformOpenFileName request = Request(kExplorerMulti, static_cast<uint32_t>(needed - 1));
  platform.ExpectOpenFile(OpenFileAnswer::Choose({P("a.shp"), P("b.shp")}));
  EXPECT_FALSE(Run(request));
  EXPECT_EQ(Error(), kFileDialogErrBufferTooSmall);
  EXPECT_EQ(static_cast<uint8_t>(buffer[0]) | (static_cast<uint8_t>(buffer[1]) << 8), static_cast<int>(needed));

  // Exactly the size needed is enough.
  request = Request(kExplorerMulti, static_cast<uint32_t>(needed));
  platform.ExpectOpenFile(OpenFileAnswer::Choose({P("a.shp"), P("b.shp")}));
  EXPECT_TRUE(Run(request));
  EXPECT_EQ(Error(), 0u);
}

TEST_F(OpenFileDialogTest, EveryRunIsRecorded) {
  PlatformOpenFileName request = Request(kExplorerMulti);
  request.filterIndex = 2;
  EXPECT_FALSE(Run(request));  // nobody expected it
  const sim::OpenFileRun& run = platform.OpenFileRuns().back();
  EXPECT_FALSE(run.scripted);
  EXPECT_EQ(run.title, "シェープ");
  ASSERT_EQ(run.filter.size(), 2u);
  EXPECT_EQ(run.filter[0], std::make_pair(std::string("Shapefiles(*.shp)"), std::string("*.shp")));
  EXPECT_EQ(run.filter[1], std::make_pair(std::string("All(*.*)"), std::string("*.*")));
  EXPECT_EQ(run.filterIndex, 2);
  EXPECT_EQ(run.defExt, "shp");
  EXPECT_EQ(run.initialDir, folder.string());
  EXPECT_EQ(run.flags, kExplorerMulti);
  EXPECT_EQ(run.maxFile, 4096u);
  EXPECT_EQ(run.owner, reinterpret_cast<AIWindowRef>(&owner));
  EXPECT_FALSE(run.hooked);
  EXPECT_FALSE(run.child.has_value());
}

TEST_F(OpenFileDialogTest, HookFillsTheChildAndSeesTheConfirmation) {
  PlatformOpenFileName request = HookedRequest();
  platform.ExpectOpenFile(OpenFileAnswer::Choose({P("a.shp"), P("b.shp")}, {DialogAction::ChooseText(kCombo, "UTF-8")}));
  ASSERT_TRUE(Run(request));
  EXPECT_EQ(log.events, (std::vector<std::string>{"init", "command 1081:1", "ok"}));
  EXPECT_EQ(log.selectionAtOk, 1);
  EXPECT_EQ(log.bufferAtOk, folder.string());  // the choice is in the buffer when the hook hears of it
  const sim::OpenFileRun& run = platform.OpenFileRuns().back();
  EXPECT_TRUE(run.hooked);
  EXPECT_EQ(run.templateId, kChildId);
  ASSERT_TRUE(run.child.has_value());
  const sim::ControlState& opened = run.child->states.front().Control(kCombo);
  EXPECT_EQ(opened.items, (std::vector<std::string>{"シフトJIS", "UTF-8"}));
  EXPECT_EQ(opened.selection, 0);
  EXPECT_EQ(run.child->Last().step, "confirmed");
  EXPECT_EQ(run.child->Last().Control(kCombo).SelectedItem(), "UTF-8");
}

TEST_F(OpenFileDialogTest, HookThatRefusesKeepsTheChoiceFromTheCaller) {
  PlatformOpenFileName request = HookedRequest();
  log.refuse = 1;
  platform.ExpectOpenFile(OpenFileAnswer::Choose({P("a.shp")}));
  EXPECT_FALSE(Run(request));
  EXPECT_EQ(Error(), 0u);
  EXPECT_EQ(platform.OpenFileRuns().back().problems.back(), "the hook refused the choice");
}

TEST_F(OpenFileDialogTest, CancelAfterChoosingInTheChildPart) {
  PlatformOpenFileName request = HookedRequest();
  platform.ExpectOpenFile(OpenFileAnswer::Cancel({DialogAction::Choose(kCombo, 1)}));
  EXPECT_FALSE(Run(request));
  EXPECT_EQ(Error(), 0u);
  EXPECT_EQ(log.events, (std::vector<std::string>{"init", "command 1081:1"}));  // no confirmation
}

TEST_F(OpenFileDialogTest, BadRequestsFailWithThePlatformsCodes) {
  struct Case {
    const char* what;
    void (*spoil)(PlatformOpenFileName&);
    uint32_t error;
  };
  static const DialogTemplate kOther{kChildId + 1, "", 10, 10, "MS Shell Dlg", 8, kChildControls, 2};
  const std::vector<Case> cases = {
      {"record size", [](PlatformOpenFileName& r) { r.structSize = 12; }, kFileDialogErrStructSize},
      {"hook flag without a hook", [](PlatformOpenFileName& r) { r.hook = nullptr; }, kFileDialogErrNoHook},
      {"template of another id", [](PlatformOpenFileName& r) { r.templateData = &kOther; },
       kFileDialogErrFindResource},
      {"template outside the module", [](PlatformOpenFileName& r) { r.instance += 0x1000; },
       kFileDialogErrFindResource},
      {"no module", [](PlatformOpenFileName& r) { r.instance = 0; }, kFileDialogErrFindResource},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlatformOpenFileName request = HookedRequest();
    c.spoil(request);
    platform.ExpectOpenFile(OpenFileAnswer::Choose({P("a.shp")}));
    EXPECT_FALSE(Run(request));
    EXPECT_EQ(Error(), c.error);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(platform.PendingOpenFileAnswers(), 1u);  // the user never saw it
    platform.Reset();
  }
}

}  // namespace
