// The open-file dialog that every import shares: the platform's file-open
// dialog with, when asked, a child part from the plug-in's template 110 in
// which the user picks the text encoding of the files' attributes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "host/UnicodeString.h"

// The most bytes the dialog may hand back: folder and names of one choice.
inline constexpr uint32_t kOpenFilesBufferSize = 66560;

struct OpenFilesRequest {
  ai::UnicodeString title;
  std::string filter;  // description and pattern pairs, each ended by a zero byte
  const char* defaultExtension = nullptr;
  bool allowSeveral = false;
  bool offerUtf16 = false;
  bool showEncoding = false;
  // The preference under which the folder of the last choice is kept: the
  // dialog opens there, and a confirmed choice stores its folder there.
  const char* folderKey = nullptr;
};

// Runs the dialog. On 0, files holds the chosen files in order and
// encodingCode the encoding confirmed last (the one the user picked, or,
// when no choice is shown, the last one picked while the plug-in lives);
// encodingChosen, when given, tells whether the user changed the choice
// from its first entry. STOP when the user cancelled, or after telling the
// user that the choice was too large; another code when the dialog could not
// be shown.
AIErr ShowOpenFilesDialog(SPPluginRef plugin, const OpenFilesRequest& request, int32_t& encodingCode,
                          std::vector<ai::FilePath>& files, bool* encodingChosen = nullptr);
