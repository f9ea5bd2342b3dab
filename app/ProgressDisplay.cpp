#include "app/ProgressDisplay.h"

#include <algorithm>

namespace kzmap {

namespace {

constexpr int kBarWidth = 30;

// Whole percent done, 0..100, or -1 when the work has no known size.
int PercentOf(const sim::ProgressState& progress) {
  if (progress.maximum <= 0) return -1;
  const double ratio = static_cast<double>(progress.current) / progress.maximum;
  return std::clamp(static_cast<int>(ratio * 100.0), 0, 100);
}

// The text on one line: a line break of the host's text becomes a space.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

// The text without its numbers: texts that count objects ("12 / 3400")
// change with every object, yet say nothing new until their words change.
std::string WordsOf(const std::string& text) {
  std::string words;
  for (char c : text)
    if (c < '0' || c > '9') words += c;
  return words;
}

}  // namespace

void ProgressDisplay::Show(const sim::ProgressState& progress) {
  const std::string text = OneLine(progress.texts.empty() ? std::string() : progress.texts.back());
  const std::string words = WordsOf(text);
  const int percent = PercentOf(progress);
  if (terminal) {
    // Redrawing for every counted object only costs time: the bar follows
    // the words and the whole percent.
    if (words == lastText && percent == lastPercent) return;
    DrawBar(text, percent);
  } else {
    // A log gets a line when the words change and at every tenth.
    const bool newText = words != lastText;
    const bool newTenth = percent >= 0 && (lastPercent < 0 || percent / 10 != lastPercent / 10);
    if (!newText && !newTenth) return;
    if (percent < 0)
      std::fprintf(out, "%s\n", text.empty() ? "working" : text.c_str());
    else
      std::fprintf(out, "%s%s%d%%\n", text.c_str(), text.empty() ? "" : ": ", percent);
  }
  lastText = words;
  lastPercent = percent;
  std::fflush(out);
}

void ProgressDisplay::DrawBar(const std::string& text, int percent) {
  std::string bar(kBarWidth, ' ');
  if (percent >= 0) std::fill_n(bar.begin(), percent * kBarWidth / 100, '#');
  std::fprintf(out, "\r\033[K[%s] ", bar.c_str());
  if (percent >= 0) std::fprintf(out, "%3d%% ", percent);
  std::fprintf(out, "%s", text.c_str());
  drawn = true;
}

void ProgressDisplay::Finish() {
  if (drawn) {
    std::fprintf(out, "\n");
    std::fflush(out);
  }
  drawn = false;
  lastText.clear();
  lastPercent = -1;
}

}  // namespace kzmap
