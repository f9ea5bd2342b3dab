// The commands of the attribute panel's flyout menu: the menu's items in
// order, and the one callback through which the host runs the chosen one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "attributes/AttributePanel.h"
#include "host/HostTypes.h"

// Runs one command to its end: 0 when done, STOP when the user cancelled,
// else the failure. Imports and document commands leave the failure alert to
// the flyout handler; exporters report their own failures.
using FlyoutCommandRun = AIErr (*)(SPPluginRef plugin);

// The items of the flyout menu in menu order (separators have no text).
const PanelFlyoutItem* FlyoutMenuItems(size_t* count);

// The host's flyout callback. Nothing raised by a command passes back into
// the host: an exception ends the command as a failure.
void OnFlyoutCommand(AIPanelRef panel, uint32_t itemId);

// Messages of the flyout commands.
namespace flyout_texts {
inline constexpr const char* kNoDocument = "新規ドキュメントを開いた状態で実行してください";
inline constexpr const char* kImportFailed = "読み込みでエラーが発生しました";
inline constexpr const char* kExportFailed = "書き出しでエラーが発生しました";
inline constexpr const char* kMarkersFailed = "座標マーカーレイヤーを作成できませんでした";
inline constexpr const char* kUpgradeFailed = "属性データのアップグレードでエラーが発生しました";
}  // namespace flyout_texts
