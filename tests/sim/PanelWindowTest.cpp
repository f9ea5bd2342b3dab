// A panel's native window gets what the host sends a panel window: shown and
// hidden, sized, painted with its static controls' colour messages in the
// theme's colours, and custom drawing for its list views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/AIPanelSuite.h"
#include "host/PlatformDialogSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"
#include "sim/DialogPlatform.h"
#include "support/HostEnvironment.h"

namespace {

constexpr int32_t kLabel = 10;
constexpr int32_t kList = 11;

struct Event {
  int32_t kind, controlId, code, row, column;
  uint32_t text, back;
  bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
  return out << "{kind " << e.kind << ", id " << e.controlId << ", code " << e.code << ", " << e.row << "x"
             << e.column << std::hex << ", text " << e.text << ", back " << e.back << std::dec << "}";
}

// A panel with a label and a list view whose window procedure records what
// it is sent and may colour the label and the list's cells.
class PanelWindowTest : public kztest::HostTest {
 protected:
  void SetUp() override {
    const ai::UnicodeString id("Test"), title("Test Panel");
    ASSERT_EQ(sAIPanel->Create(nullptr, id.Ref(), title.Ref(), 3, AISize{240, 320}, true, nullptr, nullptr, &panel),
              kNoErr);
    ASSERT_EQ(sAIPanel->GetPlatformWindow(panel, &window), kNoErr);
    const PlatformDialogSuite* platform = sim::DialogPlatform::Suite();
    const DialogControlTemplate label{kLabel, DialogControlKind::Static, "選択範囲の属性:", 0, 4, 0, 100, 20};
    const DialogControlTemplate list{kList, DialogControlKind::ListView, "", 0, 0, 25, 230, 180};
    ASSERT_EQ(platform->CreateControl(window, &label), kNoErr);
    ASSERT_EQ(platform->CreateControl(window, &list), kNoErr);
    platform->ViewInsertColumn(window, kList, 0, "フィールド名", 100);
    platform->ViewInsertColumn(window, kList, 1, "属性値", 150);
    int32_t row = 0;
    platform->ViewInsertRow(window, kList, 0, "NAME", &row);
    ASSERT_EQ(platform->SetEventProc(window, Record, this, nullptr, nullptr), kNoErr);
    sizeCallbacks = 0;
    sAIPanel->SetSizeChangedProc(panel, [](AIPanelRef) { ++sizeCallbacks; });
  }

  static int32_t Record(AIWindowRef, PlatformDialogEvent* event, void* userData) {
    auto* self = static_cast<PanelWindowTest*>(userData);
    self->events.push_back({event->kind, event->controlId, event->code, event->row, event->column, event->textColour,
                            event->backColour});
    if (event->kind == kDialogEventControlColour && self->colourLabel) {
      event->textColour = PlatformRGB(255, 255, 255);
      event->backColour = PlatformRGB(96, 96, 96);
      return 1;
    }
    if (event->kind == kDialogEventCustomDraw && self->colourCells) {
      if (event->code == kDrawStagePrePaint) return kDrawNotifyItem;
      if (event->code == kDrawStageItemPrePaint) return kDrawNotifySubItem;
      event->textColour = PlatformRGB(0, 0, 255);
      return kDrawNewColours;
    }
    return 0;
  }

  std::vector<int32_t> Kinds() const {
    std::vector<int32_t> kinds;
    for (const Event& e : events) kinds.push_back(e.kind);
    return kinds;
  }
  sim::Panel& Panel() { return *host.Host().FindPanel("Test"); }
  sim::DialogState State() { return host.Host().Dialogs().Snapshot(window); }

  AIPanelRef panel = nullptr;
  AIWindowRef window = nullptr;
  std::vector<Event> events;
  bool colourLabel = false;
  bool colourCells = false;
  static inline int sizeCallbacks = 0;
};

// Theme colours of the medium-dark brightness, by hand: text grey 0.9 and
// background grey 0.33, each times 255 and cut to an integer.
constexpr uint32_t kMediumDarkText = 0xE5E5E5;  // 229
constexpr uint32_t kMediumDarkBack = 0x545454;  // 84
// Light brightness: text grey 0, background grey 0.94 (239).
constexpr uint32_t kLightText = 0x000000;
constexpr uint32_t kLightBack = 0xEFEFEF;

TEST_F(PanelWindowTest, ShowingSendsShowThenPaintsWithTheThemeColours) {
  ASSERT_EQ(sAIPanel->Show(panel, true), kNoErr);
  const std::vector<Event> expected = {
      {kDialogEventShow, 0, 1, 0, 0, 0, 0},
      {kDialogEventPaint, 0, 0, 0, 0, kMediumDarkText, kMediumDarkBack},
      {kDialogEventControlColour, kLabel, 0, 0, 0, kMediumDarkText, kMediumDarkBack},
      {kDialogEventCustomDraw, kList, kDrawStagePrePaint, -1, -1, 0, 0xFFFFFF},
  };
  EXPECT_EQ(events, expected);
  // Unhandled, the label keeps the window's colours.
  EXPECT_FALSE(State().Control(kLabel).paintColours.has_value());

  events.clear();
  ASSERT_EQ(sAIPanel->Show(panel, true), kNoErr);  // already shown: nothing happens
  EXPECT_TRUE(events.empty());
  ASSERT_EQ(sAIPanel->Show(panel, false), kNoErr);
  EXPECT_EQ(events, (std::vector<Event>{{kDialogEventShow, 0, 0, 0, 0, 0, 0}}));
  AIBoolean shown = true;
  sAIPanel->IsShown(panel, &shown);
  EXPECT_FALSE(shown);
}

TEST_F(PanelWindowTest, ColourMessagesAndCustomDrawSetWhatIsPainted) {
  colourLabel = colourCells = true;
  host.Host().ShowPanel(Panel(), true);
  const sim::DialogState state = State();
  EXPECT_EQ(state.Control(kLabel).paintColours, (sim::CellColours{0xFFFFFF, 0x606060}));
  const auto cells = state.Control(kList).colours;
  ASSERT_EQ(cells.size(), 1u);
  ASSERT_EQ(cells[0].size(), 2u);
  EXPECT_EQ(cells[0][1], (sim::CellColours{0xFF0000, 0xFFFFFF}));  // blue text: 0x00BBGGRR
}

TEST_F(PanelWindowTest, ResizingSendsTheNewSizeThenTheCallbackAndPaintsOnlyWhenShown) {
  host.Host().ResizePanel(Panel(), AISize{300, 500});
  EXPECT_EQ(events, (std::vector<Event>{{kDialogEventSize, 0, 0, 300, 500, 0, 0}}));
  EXPECT_EQ(sizeCallbacks, 1);
  AISize size;
  sAIPanel->GetSize(panel, &size);
  EXPECT_EQ(size.width, 300);
  EXPECT_EQ(size.height, 500);

  host.Host().ShowPanel(Panel(), true);
  events.clear();
  host.Host().ResizePanel(Panel(), AISize{250, 400});
  EXPECT_EQ(Kinds(), (std::vector<int32_t>{kDialogEventSize, kDialogEventPaint, kDialogEventControlColour,
                                           kDialogEventCustomDraw}));
  EXPECT_EQ(sizeCallbacks, 2);
}

TEST_F(PanelWindowTest, ABrightnessChangeRepaintsShownPanelsInTheNewColours) {
  host.Host().SetBrightness(sim::Host::Brightness::Light);
  EXPECT_TRUE(events.empty());  // hidden: not painted
  host.Host().ShowPanel(Panel(), true);
  events.clear();
  host.Host().SetBrightness(sim::Host::Brightness::MediumDark);
  host.Host().SetBrightness(sim::Host::Brightness::Light);
  ASSERT_EQ(events.size(), 6u);  // each repaint: the window, the label, the list
  EXPECT_EQ(events[3], (Event{kDialogEventPaint, 0, 0, 0, 0, kLightText, kLightBack}));
  EXPECT_EQ(events[4], (Event{kDialogEventControlColour, kLabel, 0, 0, 0, kLightText, kLightBack}));
  EXPECT_EQ(host.Host().CurrentBrightness(), sim::Host::Brightness::Light);
}

TEST_F(PanelWindowTest, ADestroyedPanelTakesItsWindowAlong) {
  ASSERT_EQ(sAIPanel->Destroy(panel), kNoErr);
  EXPECT_TRUE(State().controls.empty());
  EXPECT_EQ(host.Host().FindPanel("Test"), nullptr);
  EXPECT_EQ(sAIPanel->Show(panel, true), kBadParameterErr);
  EXPECT_TRUE(events.empty());
}

TEST_F(PanelWindowTest, MovedControlsReportTheirPlace) {
  sim::DialogPlatform::Suite()->MoveControl(window, kList, 0, 20, 300, 450);
  const sim::DialogState state = State();
  const sim::ControlState& list = state.Control(kList);
  EXPECT_EQ((std::vector<int32_t>{list.x, list.y, list.width, list.height}), (std::vector<int32_t>{0, 20, 300, 450}));
}

}  // namespace
