// The export's alerts that mean a file was not written. The tool reads them
// back from the host's alert record to give its caller a failing exit status,
// so both sides take the texts from here.
#pragma once

// No data frame and no coordinate markers: nothing is exported.
inline constexpr const char* kNoGeoreferenceAlert = "データフレームか座標マーカーが正しくありません";
// Starts the alert for an output that could not be opened; the file and, when
// known, the system's reason follow, a line each.
inline constexpr const char* kCannotOpenAlert = "出力ファイルを開けません";
