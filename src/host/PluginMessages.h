// The records the host passes with every message to PluginMain. Only the
// fields the plug-in reads are declared; the host may carry more behind them.
#pragma once

#include "host/HostTypes.h"
#include "host/SPBasicSuite.h"

// The check word of a well-formed record.
constexpr int32_t kSPValidSPMessageData = FourCC("SPCk");

// Common header of every message.
struct SPMessageData {
  int32_t SPCheck = kSPValidSPMessageData;
  SPPluginRef self = nullptr;          // the host's handle for this plug-in
  void* globals = nullptr;             // the plug-in's global slot, kept by the host between messages
  const SPBasicSuite* basic = nullptr; // the suite broker for this call
};

// "SP Interface", "SP Access", "SP Cache", "SP Properties" and the other
// callers whose records carry nothing the plug-in reads beyond the header.
struct SPInterfaceMessage {
  SPMessageData d;
};

struct AINotifierMessage {
  SPMessageData d;
  AINotifierHandle notifier = nullptr;
  const char* type = nullptr;  // the host notification, e.g. "AI Document Changed Notifier"
  void* notifyData = nullptr;
};

struct AIMenuMessage {
  SPMessageData d;
  AIMenuItemHandle menuItem = nullptr;  // chosen, or to be updated
};
