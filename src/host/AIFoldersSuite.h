// The host's well-known folders.
#pragma once

#include "host/HostTypes.h"

#define kAIFoldersSuite "AI Folders Suite"
#define kAIFoldersSuiteVersion 4

enum AIFolderType : int32_t {
  kAIApplicationFolderType = 0,
  kAIPluginsFolderType = 1,
  kAIPreferencesFolderType = 2,
  kAIUserSupportFolderType = 3,
  kAITemporaryFolderType = 4,
};

struct AIFoldersSuite {
  // The folder as a new host file path, owned by the caller; createFolder
  // makes it when it does not exist yet.
  AIErr (*FindFolder)(AIFolderType type, AIBoolean createFolder, AIFilePathRef* folder);
};
