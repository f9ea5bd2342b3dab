// Host notifiers: a plug-in asks to be sent "AI Notifier"/"AI Notify" when a
// host notification of the given type is broadcast.
#pragma once

#include "host/HostTypes.h"

#define kAINotifierSuite "AI Notifier Suite"
#define kAINotifierSuiteVersion 3

#define kAIApplicationStartedNotifier "AI Application Started Notifier"
#define kAIApplicationShutdownNotifier "AI Application Shutdown Notifier"
#define kAIArtSelectionChangedNotifier "AI Art Selection Changed Notifier"
#define kAIDocumentChangedNotifier "AI Document Changed Notifier"
#define kAIUIBrightnessChangedNotifier "AI UI Brightness Changed Notifier"
#define kAIArtPropertiesChangedNotifier "AI Art Properties Changed Notifier"
#define kAIDocumentOpenedNotifier "AI Document Opened Notifier"
#define kAIDocumentClosedNotifier "AI Document Closed Notifier"

struct AINotifierSuite {
  // name is the plug-in's own name for the notifier; type the host notification.
  AIErr (*AddNotifier)(SPPluginRef self, const char* name, const char* type, AINotifierHandle* notifier);
};
