// The stand-in User, Context, Modal Parent, Preference, User Interface Theme
// and URL suites: everything answers from the host's scripts and is recorded.
#include "sim/HostSuites.h"
#include "sim/SuiteSupport.h"
#include "sim/TextCodec.h"

namespace sim {

namespace {

using namespace support;

// --- User --------------------------------------------------------------------

AIErr Alert(AlertRecord::Kind kind, AIUnicodeStringRef message, int32_t* answer) {
  SIM_REQUIRE(message, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  UserInteraction& user = H()->User();
  AlertRecord record;
  record.kind = kind;
  record.text = Utf16ToUtf8(UnitsOf(message));
  record.modalParent = H()->UI().modalParent;
  if (kind == AlertRecord::Kind::YesNo) {
    record.scripted = !user.yesNoAnswers.empty();
    record.answer = record.scripted ? user.yesNoAnswers.front() : kAINoAnswer;
    if (record.scripted) user.yesNoAnswers.pop_front();
    *answer = record.answer;
  }
  user.alerts.push_back(std::move(record));
  return kNoErr;
}

AIErr MessageAlert(AIUnicodeStringRef message) { return Alert(AlertRecord::Kind::Message, message, nullptr); }
AIErr ErrorAlert(AIUnicodeStringRef message) { return Alert(AlertRecord::Kind::Error, message, nullptr); }
AIErr YesNoAlert(AIUnicodeStringRef message, int32_t* answer) {
  SIM_REQUIRE(answer, kBadParameterErr);
  return Alert(AlertRecord::Kind::YesNo, message, answer);
}

AIErr SetProgressText(AIUnicodeStringRef text) {
  SIM_REQUIRE(text, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  UserInteraction& user = H()->User();
  user.progress.texts.push_back(Utf16ToUtf8(UnitsOf(text)));
  if (user.progressShown) user.progressShown(user.progress);
  return kNoErr;
}

AIErr UpdateProgress(int32_t current, int32_t maximum) {
  SIM_REQUIRE(H(), kCantHappenErr);
  UserInteraction& user = H()->User();
  ProgressState& progress = user.progress;
  progress.current = current;
  progress.maximum = maximum;
  ++progress.updates;
  if (progress.cancelAt && current >= *progress.cancelAt) progress.cancelled = true;
  if (user.progressShown) user.progressShown(progress);
  return kNoErr;
}

AIErr Cancelled(AIBoolean* cancelled) {
  SIM_REQUIRE(cancelled, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  UserInteraction& user = H()->User();
  if (!user.progress.cancelled && user.cancelRequested && user.cancelRequested()) user.progress.cancelled = true;
  *cancelled = user.progress.cancelled;
  return kNoErr;
}

AIErr FileDialog(FileDialogRecord record, AIFilePathRef* chosen) {
  SIM_REQUIRE(chosen, kBadParameterErr);
  *chosen = nullptr;
  SIM_REQUIRE(H(), kCantHappenErr);
  UserInteraction& user = H()->User();
  record.scripted = !user.fileDialogAnswers.empty();
  if (record.scripted) {
    record.chosen = user.fileDialogAnswers.front();
    user.fileDialogAnswers.pop_front();
  }
  const bool cancelled = !record.chosen;
  if (!cancelled) *chosen = NewPath(*record.chosen);
  user.fileDialogs.push_back(std::move(record));
  return cancelled ? kCanceledErr : kNoErr;
}

AIErr PutFileDialog(AIUnicodeStringRef title, AIUnicodeStringRef filter, AIUnicodeStringRef defaultName,
                    AIFilePathRef initial, AIFilePathRef* chosen) {
  FileDialogRecord record;
  record.kind = FileDialogRecord::Kind::SaveFile;
  record.title = Utf16ToUtf8(UnitsOf(title));
  record.filter = UnitsOf(filter);
  record.defaultName = Utf16ToUtf8(UnitsOf(defaultName));
  record.initial = PathOf(initial);
  return FileDialog(std::move(record), chosen);
}

AIErr GetDirectoryDialog(AIUnicodeStringRef title, AIFilePathRef initial, AIFilePathRef* chosen) {
  FileDialogRecord record;
  record.kind = FileDialogRecord::Kind::Folder;
  record.title = Utf16ToUtf8(UnitsOf(title));
  record.initial = PathOf(initial);
  return FileDialog(std::move(record), chosen);
}

const AIUserSuite userSuite = {MessageAlert, ErrorAlert,    YesNoAlert,         SetProgressText,
                               UpdateProgress, Cancelled,   PutFileDialog,      GetDirectoryDialog};

// --- Context and modal parent ------------------------------------------------

AIErr PushAppContext(SPPluginRef plugin, AIAppContextHandle* context) {
  SIM_REQUIRE(context, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  Interface& ui = H()->UI();
  ui.contextStack.push_back(plugin);
  ++ui.contextEntries;
  // The handle is the depth reached, so pops out of order are caught.
  *context = reinterpret_cast<AIAppContextHandle>(static_cast<uintptr_t>(ui.contextStack.size()));
  return kNoErr;
}

AIErr PopAppContext(AIAppContextHandle context) {
  SIM_REQUIRE(H(), kCantHappenErr);
  Interface& ui = H()->UI();
  SIM_REQUIRE(!ui.contextStack.empty(), kBadParameterErr);
  SIM_REQUIRE(reinterpret_cast<uintptr_t>(context) == ui.contextStack.size(), kBadParameterErr);
  ui.contextStack.pop_back();
  return kNoErr;
}

AIErr GetPlatformAppWindow(AIWindowRef* window) {
  SIM_REQUIRE(window, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *window = H()->MainWindow();
  return kNoErr;
}

const AIContextSuite contextSuite = {PushAppContext, PopAppContext, GetPlatformAppWindow};

AIErr SetModalParent(AIWindowRef window, AIWindowRef* previous) {
  SIM_REQUIRE(previous, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  *previous = H()->UI().modalParent;
  H()->UI().modalParent = window;
  return kNoErr;
}

AIErr RestoreModalParent(AIWindowRef previous) {
  SIM_REQUIRE(H(), kCantHappenErr);
  H()->UI().modalParent = previous;
  return kNoErr;
}

const AIModalParentSuite modalParentSuite = {SetModalParent, RestoreModalParent};

// --- Preferences --------------------------------------------------------------

template <typename Stored, typename Out>
AIErr GetPreference(const char* prefix, const char* key, Out* value) {
  SIM_REQUIRE(prefix && key && value, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  const auto stored = H()->Preferences().Get<Stored>(prefix, key);
  SIM_REQUIRE(stored, kNoSuchKeyErr);
  *value = static_cast<Out>(*stored);
  return kNoErr;
}

AIErr PutPreference(const char* prefix, const char* key, PreferenceStore::Value value) {
  SIM_REQUIRE(prefix && key, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  H()->Preferences().Put(prefix, key, std::move(value));
  return kNoErr;
}

AIErr GetBooleanPreference(const char* prefix, const char* key, AIBoolean* value) {
  return GetPreference<bool>(prefix, key, value);
}
AIErr PutBooleanPreference(const char* prefix, const char* key, AIBoolean value) {
  return PutPreference(prefix, key, value != 0);
}
AIErr GetIntegerPreference(const char* prefix, const char* key, int32_t* value) {
  return GetPreference<int32_t>(prefix, key, value);
}
AIErr PutIntegerPreference(const char* prefix, const char* key, int32_t value) {
  return PutPreference(prefix, key, value);
}
AIErr GetRealPreference(const char* prefix, const char* key, double* value) {
  return GetPreference<double>(prefix, key, value);
}
AIErr PutRealPreference(const char* prefix, const char* key, double value) { return PutPreference(prefix, key, value); }

AIErr GetFilePathPreference(const char* prefix, const char* key, AIFilePathRef* value) {
  SIM_REQUIRE(prefix && key && value, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  const auto stored = H()->Preferences().Get<PreferenceStore::FilePathValue>(prefix, key);
  SIM_REQUIRE(stored, kNoSuchKeyErr);
  *value = NewPath(stored->path);
  return kNoErr;
}

AIErr PutFilePathPreference(const char* prefix, const char* key, AIFilePathRef value) {
  SIM_REQUIRE(value, kBadParameterErr);
  return PutPreference(prefix, key, PreferenceStore::FilePathValue{PathOf(value)});
}

AIErr RemovePreference(const char* prefix, const char* key) {
  SIM_REQUIRE(prefix && key, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  return H()->Preferences().Remove(prefix, key) ? kNoErr : kNoSuchKeyErr;
}

const AIPreferenceSuite preferenceSuite = {
    GetBooleanPreference, PutBooleanPreference,  GetIntegerPreference, PutIntegerPreference, GetRealPreference,
    PutRealPreference,    GetFilePathPreference, PutFilePathPreference, RemovePreference,
};

// --- Theme and URL --------------------------------------------------------------

AIErr GetUIThemeColor(int32_t uiArea, int32_t colorKind, AIUIThemeColor* color) {
  SIM_REQUIRE(color, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  const auto& colors = H()->UI().themeColors;
  const auto found = colors.find({uiArea, colorKind});
  SIM_REQUIRE(found != colors.end(), kBadParameterErr);
  *color = found->second;
  return kNoErr;
}

const AIUserInterfaceThemeSuite themeSuite = {GetUIThemeColor};

AIErr OpenURL(const char* url) {
  SIM_REQUIRE(url, kBadParameterErr);
  SIM_REQUIRE(H(), kCantHappenErr);
  H()->User().openedUrls.emplace_back(url);
  return kNoErr;
}

const AIURLSuite urlSuite = {OpenURL};

}  // namespace

const AIUserSuite* UserSuite() { return &userSuite; }
const AIContextSuite* ContextSuite() { return &contextSuite; }
const AIModalParentSuite* ModalParentSuite() { return &modalParentSuite; }
const AIPreferenceSuite* PreferenceSuite() { return &preferenceSuite; }
const AIUserInterfaceThemeSuite* UserInterfaceThemeSuite() { return &themeSuite; }
const AIURLSuite* URLSuite() { return &urlSuite; }

}  // namespace sim
