// Notifications the stand-in host sends when its own operations cause them:
// queued while the host is busy, delivered once per type when it is idle, to
// every notifier added for the type.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/AINotifierSuite.h"
#include "host/AIPathStyleSuite.h"
#include "host/AITagSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "support/HostEnvironment.h"

namespace {

using Types = std::vector<std::string>;

const char* const kAllTypes[] = {
    kAIArtSelectionChangedNotifier, kAIDocumentChangedNotifier,    kAIArtPropertiesChangedNotifier,
    kAIDocumentOpenedNotifier,      kAIDocumentClosedNotifier,     kAIUIBrightnessChangedNotifier,
    kAIApplicationShutdownNotifier, kAIApplicationStartedNotifier,
};

// A plug-in that listens to every notification and records what reaches it.
class NotificationTest : public kztest::HostTest {
 protected:
  void SetUp() override {
    plugin = registry().AddPlugin("/plug-ins/Listener.so");
    for (const char* type : kAllTypes) {
      AINotifierHandle notifier = nullptr;
      ASSERT_EQ(registry().AddNotifier(plugin, (std::string("Listener ") + type).c_str(), type, &notifier), kNoErr);
    }
    registry().Connect(plugin, [this](const char* type, AINotifierHandle notifier) {
      EXPECT_EQ(notifier->type, type);
      received.push_back(type);
      if (onDelivery) onDelivery(type);
      return kNoErr;
    });
    sim::Host& h = H();
    h.NewDocument();
    layer = &h.AddLayer("レイヤー 1");
    path = &h.AddPath(*layer->group, {{0, 0}, {10, 0}, {10, 10}}, true);
    group = &h.AddGroup(*layer->group);
    member = &h.AddPath(*group, {{20, 20}, {30, 20}}, false);
    Settle();
  }

  sim::Host& H() { return host.Host(); }
  sim::PluginRegistry& registry() { return H().Plugins(); }
  void Settle() {
    H().Idle();
    received.clear();
  }
  // What one operation makes the host deliver at its next idle time.
  Types After(const std::function<void()>& operation) {
    received.clear();
    operation();
    EXPECT_TRUE(received.empty()) << "delivered while the host was busy";
    H().Idle();
    Types delivered = received;
    received.clear();
    return delivered;
  }
  static AIArtHandle Handle(sim::Art* art) { return sim::Host::Handle(*art); }
  static AILayerHandle Handle(sim::Layer* l) { return sim::Host::Handle(*l); }

  SPPluginRef plugin = nullptr;
  Types received;
  std::function<void(const std::string&)> onDelivery;
  sim::Layer* layer = nullptr;
  sim::Art* path = nullptr;
  sim::Art* group = nullptr;
  sim::Art* member = nullptr;
};

const std::string kSelection = kAIArtSelectionChangedNotifier;
const std::string kChanged = kAIDocumentChangedNotifier;
const std::string kProperties = kAIArtPropertiesChangedNotifier;

TEST_F(NotificationTest, ArtOperationsNotifyWhatTheyChange) {
  struct Case {
    const char* what;
    std::function<void()> operation;
    Types expected;
  };
  AIPathStyle style;
  style.fillPaint = true;
  const std::vector<Case> cases = {
      {"deselect what is not selected", [&] { sAIArt->SetArtUserAttr(Handle(path), kArtSelected, 0); }, {}},
      {"select a path", [&] { sAIArt->SetArtUserAttr(Handle(path), kArtSelected, kArtSelected); }, {kSelection}},
      {"select it again", [&] { sAIArt->SetArtUserAttr(Handle(path), kArtSelected, kArtSelected); }, {}},
      {"select a group member and the group",
       [&] {
         sAIArt->SetArtUserAttr(Handle(member), kArtSelected, kArtSelected);
         sAIArt->SetArtUserAttr(Handle(group), kArtSelected, kArtSelected);
       },
       {kSelection}},
      {"deselect the group", [&] { sAIArt->SetArtUserAttr(Handle(group), kArtSelected, 0); }, {kSelection}},
      {"lock a path", [&] { sAIArt->SetArtUserAttr(Handle(path), kArtLocked, kArtLocked); }, {kProperties, kChanged}},
      {"lock it again", [&] { sAIArt->SetArtUserAttr(Handle(path), kArtLocked, kArtLocked); }, {}},
      {"paint a path", [&] { sAIPathStyle->SetPathStyle(Handle(member), &style); }, {kProperties, kChanged}},
      {"new art",
       [&] {
         AIArtHandle art = nullptr;
         sAIArt->NewArt(kPathArt, kPlaceInsideOnTop, Handle(group), &art);
       },
       {kChanged}},
      {"a tag", [&] { sAITag->SetTagString(Handle(member), "name", "value"); }, {kChanged}},
      {"dispose selected art",
       [&] {
         sAIArt->SetArtUserAttr(Handle(member), kArtSelected, kArtSelected);
         sAIArt->DisposeArt(Handle(member));
       },
       {kSelection, kChanged}},
      {"a new layer",
       [&] {
         AILayerHandle made = nullptr;
         sAILayer->InsertLayer(nullptr, kPlaceAboveAll, &made);
       },
       {kChanged}},
      {"layer shown as it was", [&] { sAILayer->SetLayerVisible(Handle(layer), true); }, {}},
      {"layer hidden", [&] { sAILayer->SetLayerVisible(Handle(layer), false); }, {kChanged}},
      {"layer title", [&] { sAILayer->SetLayerTitle(Handle(layer), ai::UnicodeString("道路").Ref()); }, {kChanged}},
      {"deselect a layer with selected art",
       [&] {
         H().Select(*path);
         H().Idle();
         received.clear();
         sAILayer->DeselectArtOnLayer(Handle(layer));
       },
       {kSelection}},
      {"deselect it again", [&] { sAILayer->DeselectArtOnLayer(Handle(layer)); }, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(After(c.operation), c.expected) << c.what;
}

TEST_F(NotificationTest, OpeningAndClosingDocumentsNotify) {
  EXPECT_EQ(After([&] { H().NewDocument(); }), (Types{kAIDocumentOpenedNotifier, kChanged, kSelection}));
  EXPECT_EQ(After([&] { H().CloseDocument(); }), (Types{kAIDocumentClosedNotifier, kChanged, kSelection}));
  EXPECT_EQ(After([&] { H().CloseDocument(); }), (Types{kAIDocumentClosedNotifier, kChanged, kSelection}));
  EXPECT_EQ(After([&] { H().CloseDocument(); }), Types{});  // nothing open
}

TEST_F(NotificationTest, ApplicationNotificationsAndBrightnessAreSentAtOnce) {
  H().Select(*path);  // waiting, and delivered first
  EXPECT_EQ(H().ApplicationStarted(), kNoErr);
  EXPECT_EQ(received, (Types{kSelection, kAIApplicationStartedNotifier}));
  received.clear();
  H().SetBrightness(sim::Host::Brightness::Light);
  EXPECT_EQ(received, Types{kAIUIBrightnessChangedNotifier});
  received.clear();
  EXPECT_EQ(H().ApplicationShutdown(), kNoErr);
  EXPECT_EQ(received, Types{kAIApplicationShutdownNotifier});
}

TEST_F(NotificationTest, OnlyNotifiersOfTheTypeReceiveIt) {
  SPPluginRef other = registry().AddPlugin("/plug-ins/Other.so");
  AINotifierHandle notifier = nullptr;
  ASSERT_EQ(registry().AddNotifier(other, "Other Selection", kAIArtSelectionChangedNotifier, &notifier), kNoErr);
  Types otherReceived;
  registry().Connect(other, [&](const char* type, AINotifierHandle) {
    otherReceived.push_back(type);
    return kNoErr;
  });
  After([&] {
    H().Select(*path);
    sAILayer->SetLayerTitle(Handle(layer), ai::UnicodeString("道路").Ref());
  });
  EXPECT_EQ(otherReceived, Types{kSelection});
  // Each delivery is recorded with the notifier's name.
  const auto& deliveries = registry().Deliveries();
  ASSERT_GE(deliveries.size(), 3u);
  std::set<std::string> names;
  for (size_t i = deliveries.size() - 3; i < deliveries.size(); ++i) names.insert(deliveries[i].notifier);
  EXPECT_EQ(names, (std::set<std::string>{"Listener AI Art Selection Changed Notifier", "Other Selection",
                                          "Listener AI Document Changed Notifier"}));
}

TEST_F(NotificationTest, NothingIsQueuedForATypeNoOneListensTo) {
  sim::Host quiet;  // a host of its own, with no notifiers
  quiet.NewDocument();
  sim::Layer& l = quiet.AddLayer("レイヤー 1");
  quiet.Select(quiet.AddPath(*l.group, {{0, 0}, {1, 1}}, false));
  EXPECT_EQ(quiet.Plugins().PendingNotifications(), 0u);
}

TEST_F(NotificationTest, WhatADeliveryCausesIsDeliveredInTheSameIdleTime) {
  // The listener selects art when the document changes, as a panel might.
  onDelivery = [this](const std::string& type) {
    if (type == kChanged) sAIArt->SetArtUserAttr(Handle(path), kArtSelected, kArtSelected);
  };
  EXPECT_EQ(After([&] { sAILayer->SetLayerVisible(Handle(layer), false); }), (Types{kChanged, kSelection}));
  EXPECT_EQ(registry().PendingNotifications(), 0u);
}

TEST_F(NotificationTest, AClosedConnectionReceivesNothing) {
  registry().Disconnect(plugin);
  H().Select(*path);
  H().Idle();
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(registry().PendingNotifications(), 0u);
}

}  // namespace
