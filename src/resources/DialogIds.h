// Resource ids of the plug-in's dialogs and of the controls the system
// addresses in them.
#pragma once

#include <cstdint>

namespace dialog_ids {

constexpr int32_t kAbout = 107;
constexpr int32_t kImportCoordSettings = 108;
constexpr int32_t kPluginIcon = 109;
constexpr int32_t kOpenFileTemplate = 110;
constexpr int32_t kTextFieldSettings = 111;
constexpr int32_t kFieldDefinition = 112;
constexpr int32_t kAnnotation = 113;
constexpr int32_t kSearch = 114;
constexpr int32_t kExportSettings = 115;
constexpr int32_t kAttributeValue = 116;

// Field definition dialog.
namespace field {
constexpr int32_t kName = 1001;
constexpr int32_t kType = 1002;
constexpr int32_t kTotalDigits = 1003;
constexpr int32_t kDecimals = 1004;
constexpr int32_t kDelete = 1005;
}  // namespace field

// About dialog.
namespace about {
constexpr int32_t kVersion = 1062;
constexpr int32_t kWebSite = 1063;
}  // namespace about

}  // namespace dialog_ids
