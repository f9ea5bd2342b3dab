#include "import/OpenFilesDialog.h"

#include <algorithm>

#include "host/AIContextSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AIUserSuite.h"
#include "host/DialogControls.h"
#include "host/PlatformDialogSuite.h"
#include "host/SuitePointers.h"
#include "import/ImportCoordSettings.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

constexpr uint32_t kBaseFlags = kOpenFileHideReadOnly | kOpenFilePathMustExist | kOpenFileFileMustExist |
                                kOpenFileExplorer | kOpenFileEnableSizing;
constexpr size_t kMaxTitleBytes = 255;
constexpr size_t kMaxFolderBytes = 259;

// The encoding confirmed last; it outlives every import.
int32_t lastEncodingCode = kAIShiftJISCharacterEncoding;

struct EncodingItem {
  const char* text;
  int32_t code;
};
constexpr EncodingItem kEncodings[] = {
    {"シフトJIS", kAIShiftJISCharacterEncoding},
    {"UTF-8", kAIUTF8CharacterEncoding},
    {"UTF-16", kAIUTF16CharacterEncoding},
};

// What the hook works with during one dialog.
struct HookState {
  const PlatformDialogSuite* platform = nullptr;
  bool offerUtf16 = false;
  bool changed = false;
};

int32_t EncodingHook(AIWindowRef window, PlatformDialogEvent* event, void* userData) {
  auto* state = static_cast<HookState*>(userData);
  const DialogControls part(state->platform, window);
  const int32_t combo = dialog_ids::open_file::kEncoding;
  switch (event->kind) {
    case kDialogEventInit: {
      part.ListReset(combo);
      const size_t offered = state->offerUtf16 ? 3 : 2;
      for (size_t i = 0; i < offered; ++i) part.ListAdd(combo, kEncodings[i].text);
      part.ListSelect(combo, 0);
      return 1;
    }
    case kDialogEventCommand:
      if (event->controlId == combo && event->code == kCommandSelChange) state->changed = true;
      return 1;
    case kDialogEventFileOK: {
      const int32_t selected = part.ListSelection(combo);
      if (selected >= 0 && selected < static_cast<int32_t>(std::size(kEncodings))) {
        lastEncodingCode = kEncodings[selected].code;
      }
      return 0;
    }
    default:
      return 0;
  }
}

// The platform's dialog services for one dialog.
class PlatformSuite {
 public:
  PlatformSuite() {
    const void* acquired = nullptr;
    error = sSPBasic->AcquireSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion, &acquired);
    if (error == kNoErr) suite = static_cast<const PlatformDialogSuite*>(acquired);
  }
  ~PlatformSuite() {
    if (suite != nullptr) sSPBasic->ReleaseSuite(kPlatformDialogSuite, kPlatformDialogSuiteVersion);
  }
  PlatformSuite(const PlatformSuite&) = delete;
  PlatformSuite& operator=(const PlatformSuite&) = delete;

  const PlatformDialogSuite* suite = nullptr;
  AIErr error = kNoErr;
};

// The title in the platform's code page, cut to whole characters.
std::string PlatformTitle(const ai::UnicodeString& title) {
  std::u16string units = title.as_UTF16();
  std::string bytes = title.as_Platform();
  while (bytes.size() > kMaxTitleBytes && !units.empty()) {
    units.pop_back();
    bytes = ai::UnicodeString::FromUTF16(units).as_Platform();
  }
  return bytes;
}

// The chosen files from the buffer: one path, or a folder followed by names.
// The texts are in the file system's encoding.
std::vector<ai::FilePath> ChosenFiles(const std::vector<char>& buffer) {
  std::vector<ai::FilePath> files;
  const char* at = buffer.data();
  const char* end = buffer.data() + buffer.size();
  const std::string first(at, std::find(at, end, '\0'));
  const ai::FilePath path = ai::FilePath::FromPlatform(first);
  if (!path.Exists() || path.IsFile()) {
    files.push_back(path);
    return files;
  }
  const std::string folder = first.empty() || first.back() == '/' ? first : first + '/';
  at += first.size() + 1;
  while (at < end && *at != '\0') {
    const std::string name(at, std::find(at, end, '\0'));
    files.push_back(ai::FilePath::FromPlatform(folder + name));
    at += name.size() + 1;
  }
  return files;
}

}  // namespace

AIErr ShowOpenFilesDialog(SPPluginRef plugin, const OpenFilesRequest& request, int32_t& encodingCode,
                          std::vector<ai::FilePath>& files, bool* encodingChosen) {
  PlatformSuite platform;
  if (platform.error != kNoErr) return platform.error;
  HookState state{platform.suite, request.offerUtf16, false};

  PlatformOpenFileName dialog;
  if (AIErr error = sAIContext->GetPlatformAppWindow(&dialog.owner)) return error;
  const std::string title = PlatformTitle(request.title);
  const std::string filter = request.filter + '\0';
  AIFilePathRef remembered = nullptr;
  const bool hasFolder = request.folderKey != nullptr &&
                         sAIPreference->GetFilePathPreference(kPreferencePrefix, request.folderKey, &remembered) == kNoErr;
  const ai::FilePath rememberedFolder = hasFolder ? ai::FilePath::Adopt(remembered) : ai::FilePath();
  std::string folder = rememberedFolder.IsEmpty() ? std::string() : rememberedFolder.GetPlatformPath();
  if (folder.size() > kMaxFolderBytes) folder.clear();  // a cut path would name another folder
  std::vector<char> buffer(kOpenFilesBufferSize, '\0');
  dialog.filter = filter.c_str();
  dialog.filterIndex = 1;
  dialog.file = buffer.data();
  dialog.maxFile = kOpenFilesBufferSize;
  dialog.initialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.title = title.c_str();
  dialog.defExt = request.defaultExtension;
  dialog.flags = kBaseFlags | (request.allowSeveral ? kOpenFileAllowMultiSelect : 0u);
  if (request.showEncoding) {
    dialog.flags |= kOpenFileEnableHook | kOpenFileEnableTemplate;
    dialog.hook = EncodingHook;
    dialog.custData = &state;
    dialog.templateName = dialog_ids::kOpenFileTemplate;
    if (AIErr error = FindPluginDialogTemplate(plugin, dialog.templateName, dialog.instance, dialog.templateData)) {
      return error;
    }
  }

  AIBoolean confirmed = false;
  if (AIErr error = platform.suite->GetOpenFileName(&dialog, &confirmed)) return error;
  if (!confirmed) {
    uint32_t why = 0;
    platform.suite->FileDialogError(&why);
    if (why == 0) return kCanceledErr;
    if (why != kFileDialogErrBufferTooSmall) return kResourceNotFoundErr;
    sAIUser->MessageAlert(ai::UnicodeString("選択したファイルが多すぎます。ファイルを減らして選び直してください").Ref());
    return kCanceledErr;
  }
  files = ChosenFiles(buffer);
  if (request.folderKey != nullptr && !files.empty()) {
    sAIPreference->PutFilePathPreference(kPreferencePrefix, request.folderKey, files.front().GetParent().Ref());
  }
  encodingCode = lastEncodingCode;
  if (encodingChosen != nullptr) *encodingChosen = request.showEncoding && state.changed;
  return kNoErr;
}
