// A small plug-in for the command engine's tests: a panel "KzEngineTest"
// whose flyout items and two menu items each do one thing the engine must
// handle (succeed, fail with an alert, report long progress, ask, open a
// dialog, ask for a file, leave a note, be interrupted by Ctrl-C).
#include <csignal>
#include <cstring>

#include "EngineTestIds.h"
#include "host/AILayerSuite.h"
#include "host/AIMenuSuite.h"
#include "host/AIPanelFlyoutMenuSuite.h"
#include "host/AIPanelSuite.h"
#include "host/AIUserSuite.h"
#include "host/FilePath.h"
#include "host/ModalDialog.h"
#include "host/PluginCallers.h"
#include "host/PluginMessages.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

namespace {

enum Item : uint32_t { kSucceed = 1, kFail, kLong, kAsk, kDialog, kSaveFile, kNote, kInterrupt };

using engine_test_ids::kNameDialog;
using engine_test_ids::kNameEdit;

const DialogControlTemplate kNameControls[] = {
    {kDialogIdStatic, DialogControlKind::Static, "名前", 0, 7, 7, 40, 8},
    {kNameEdit, DialogControlKind::Edit, "", kDialogStyleGroup, 50, 7, 100, 12},
    {kDialogIdOK, DialogControlKind::DefaultPushButton, "OK", kDialogStyleGroup, 50, 30, 50, 14},
    {kDialogIdCancel, DialogControlKind::PushButton, "キャンセル", 0, 105, 30, 50, 14},
};
const DialogTemplate kNameTemplate = {kNameDialog, "レイヤー名", 160, 52, "MS UI Gothic", 9, kNameControls,
                                      sizeof kNameControls / sizeof kNameControls[0]};

class NameDialog : public ModalDialog {
 public:
  std::string name;

 protected:
  bool OnOK() override {
    name = GetText(kNameEdit, 64).as_UTF8();
    return true;
  }
};

AIMenuItemHandle disabledItem = nullptr;

void AddLayer(const std::string& title) {
  AILayerHandle layer = nullptr;
  if (sAILayer->InsertLayer(nullptr, kPlaceAboveAll, &layer) != kNoErr) return;
  sAILayer->SetLayerTitle(layer, ai::UnicodeString::FromUTF8(title).Ref());
}

void Alert(AIErr (*alert)(AIUnicodeStringRef), const char* text) { alert(ai::UnicodeString(text).Ref()); }

bool Cancelled() {
  AIBoolean cancelled = false;
  sAIUser->Cancelled(&cancelled);
  return cancelled;
}

// Counts to the end unless the user cancels; true when it got there.
bool Count(int32_t steps, int32_t interruptAt) {
  sAIUser->SetProgressText(ai::UnicodeString("数えています").Ref());
  for (int32_t i = 0; i <= steps; ++i) {
    sAIUser->UpdateProgress(i, steps);
    if (i == interruptAt) std::raise(SIGINT);
    if (Cancelled()) return false;
  }
  return true;
}

void RunItem(uint32_t item) {
  switch (item) {
    case kSucceed:
      if (Count(4, -1)) AddLayer("試験済み");
      break;
    case kFail:
      Alert(sAIUser->ErrorAlert, "試験の失敗です");
      break;
    case kLong:
      if (Count(1000, -1)) AddLayer("数え終わり");
      break;
    case kInterrupt:
      if (Count(1000, 10)) AddLayer("数え終わり");
      break;
    case kAsk: {
      int32_t answer = kAINoAnswer;
      sAIUser->YesNoAlert(ai::UnicodeString("続けますか？").Ref(), &answer);
      if (answer == kAIYesAnswer) AddLayer("はい");
      break;
    }
    case kDialog: {
      NameDialog dialog;
      int32_t result = 0;
      if (dialog.Run(kNameTemplate, nullptr, &result) == kNoErr && result == 0) AddLayer(dialog.name);
      break;
    }
    case kSaveFile: {
      AIFilePathRef chosen = nullptr;
      const ai::UnicodeString title("保存先"), name("out.txt");
      const auto filter = ai::UnicodeString::FromUTF16(std::u16string_view(u"Text\0*.txt\0", 11));
      if (sAIUser->PutFileDialog(title.Ref(), filter.Ref(), name.Ref(), nullptr, &chosen) == kNoErr && chosen)
        AddLayer(ai::FilePath::Adopt(chosen).GetPlatformPath());
      break;
    }
    case kNote:
      Alert(sAIUser->MessageAlert, "お知らせです");
      AddLayer("お知らせ済み");
      break;
  }
}

void OnFlyout(AIPanelRef, uint32_t item) { RunItem(item); }

template <typename Suite>
void Acquire(const HostSuiteInfo& info, const Suite*& slot) {
  const void* suite = nullptr;
  slot = sSPBasic->AcquireSuite(info.name, info.version, &suite) == kNoErr ? static_cast<const Suite*>(suite) : nullptr;
}

template <typename Suite>
void Release(const HostSuiteInfo& info, const Suite*& slot) {
  if (slot) sSPBasic->ReleaseSuite(info.name, info.version);
  slot = nullptr;
}

AIErr Startup(SPPluginRef self) {
#define KZ_ACQUIRE(Id, Name, Version) Acquire(k##Id##SuiteInfo, s##Id);
  KZ_HOST_SUITES(KZ_ACQUIRE)
#undef KZ_ACQUIRE
  AIPanelFlyoutMenuRef flyout = nullptr;
  if (AIErr error = sAIPanelFlyoutMenu->Create(&flyout)) return error;
  const char* texts[] = {"成功", "失敗", "長い処理", "質問", "ダイアログ", "保存先", "お知らせ", "中断"};
  for (uint32_t item = kSucceed; item <= kInterrupt; ++item)
    sAIPanelFlyoutMenu->AppendItem(flyout, item, ai::UnicodeString(texts[item - 1]).Ref());
  AIPanelRef panel = nullptr;
  const ai::UnicodeString id("KzEngineTest"), title("Engine test");
  if (AIErr error = sAIPanel->Create(self, id.Ref(), title.Ref(), 1, AISize{100, 100}, false, flyout, nullptr, &panel))
    return error;
  sAIPanel->SetFlyoutMenuProc(panel, OnFlyout);
  AIMenuItemHandle item = nullptr;
  sAIMenu->AddMenuItem(self, "KzEngineTest Add", kAboutMenuGroup, ai::UnicodeString("追加").Ref(), 0, &item);
  sAIMenu->AddMenuItem(self, "KzEngineTest Fail", kAboutMenuGroup, ai::UnicodeString("失敗").Ref(), 0, &item);
  sAIMenu->AddMenuItem(self, "KzEngineTest Disabled", kAboutMenuGroup, ai::UnicodeString("使えない").Ref(), 0,
                       &disabledItem);
  return kNoErr;
}

AIErr MenuGo(AIMenuItemHandle item) {
  const char* name = nullptr;
  sAIMenu->GetMenuItemName(item, &name);
  if (std::strcmp(name, "KzEngineTest Add") == 0) {
    AddLayer("メニュー");
    return kNoErr;
  }
  return FourCC("FAIL");
}

AIErr MenuUpdate(AIMenuItemHandle item) {
  if (item == disabledItem) sAIMenu->EnableItem(item, false);
  return kNoErr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AIErr PluginMain(const char* caller, const char* selector,
                                                                    void* message) {
  auto* header = static_cast<SPMessageData*>(message);
  sSPBasic = header->basic;
  if (std::strcmp(caller, kSPInterfaceCaller) == 0 && std::strcmp(selector, kSPInterfaceStartupSelector) == 0) {
    header->globals = &disabledItem;  // anything non-null: the plug-in is running
    return Startup(header->self);
  }
  if (std::strcmp(caller, kSPInterfaceCaller) == 0 && std::strcmp(selector, kSPInterfaceShutdownSelector) == 0) {
#define KZ_RELEASE(Id, Name, Version) Release(k##Id##SuiteInfo, s##Id);
    KZ_HOST_SUITES(KZ_RELEASE)
#undef KZ_RELEASE
    header->globals = nullptr;
    return kNoErr;
  }
  auto* menu = static_cast<AIMenuMessage*>(message);
  if (std::strcmp(caller, kCallerAIMenu) == 0 && std::strcmp(selector, kSelectorAIGoMenuItem) == 0)
    return MenuGo(menu->menuItem);
  if (std::strcmp(caller, kCallerAIMenu) == 0 && std::strcmp(selector, kSelectorAIUpdateMenuItem) == 0)
    return MenuUpdate(menu->menuItem);
  return kNoErr;
}
