#include "app/ProgressDisplay.h"

#include <algorithm>
#include <cctype>

namespace kzmap {

namespace {

constexpr int kBarWidth = 30;

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
  words.reserve(text.size());
  for (char c : text)
    if (c < '0' || c > '9') words += c;
  return words;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether WordsOf(OneLine(text)) is words, without making either.
bool HasWords(const std::string& text, const std::string& words) {
  size_t at = 0;
  for (char c : text) {
    if (IsDigit(c)) continue;
    if (c == '\n' || c == '\r') c = ' ';
    if (at == words.size() || words[at] != c) return false;
    ++at;
  }
  return at == words.size();
}

// The text with the count of its last "DONE / TOTAL" set to `done`, or to
// TOTAL when `done` is negative.
std::string WithCount(const std::string& text, long done) {
  const size_t slash = text.rfind(" / ");
  if (slash == std::string::npos || slash == 0 || !IsDigit(text[slash - 1])) return text;
  size_t first = slash;
  while (first > 0 && IsDigit(text[first - 1])) --first;
  size_t last = slash + 3;
  while (last < text.size() && IsDigit(text[last])) ++last;
  if (last == slash + 3) return text;
  const std::string total = text.substr(slash + 3, last - slash - 3);
  return text.substr(0, first) + (done < 0 ? total : std::to_string(done)) + text.substr(slash);
}

}  // namespace

void ProgressDisplay::Show(const sim::ProgressState& progress) {
  // Most reports only move the count of the same phase within the same
  // whole percent (or tenth, for a log): they change nothing shown.
  static const std::string kNoText;
  const std::string& raw = progress.texts.empty() ? kNoText : progress.texts.back();
  if (!lastWords.empty() && !staleStart && progress.maximum > 0 && lastPercent >= 0 &&
      progress.current >= lastCurrent && HasWords(raw, lastWords)) {
    const int32_t span = progress.maximum - base;
    const double ratio = span > 0 ? static_cast<double>(progress.current - base) / span : 1.0;
    const int percent = std::clamp(static_cast<int>(ratio * 100.0), 0, 100);
    if (terminal ? percent == lastPercent : percent / 10 == lastPercent / 10) {
      lastCurrent = progress.current;
      if (!terminal) {
        lastText.assign(raw);
        std::replace(lastText.begin(), lastText.end(), '\n', ' ');
        std::replace(lastText.begin(), lastText.end(), '\r', ' ');
      }
      return;
    }
  }
  const std::string text = OneLine(progress.texts.empty() ? std::string() : progress.texts.back());
  const std::string words = WordsOf(text);
  // A new text, or a count that starts again (the next file of a batch
  // whose name differs in its digits only), is a new phase.
  const bool restarted = progress.maximum > 0 && lastPercent >= 0 && progress.current < lastCurrent;
  const bool newPhase =
      words != lastWords || restarted || staleStart || (lastPercent < 0 && lastText.empty() && !drawn);
  if ((words != lastWords && !lastWords.empty()) || restarted) Complete();
  // The plug-in names the next file of a batch before it sets the count
  // back: until the count moves, the value is the last phase's end.
  if (words != lastWords && !lastWords.empty() && progress.maximum > 0 && progress.current >= progress.maximum &&
      lastPercent >= 100) {
    lastWords = words;
    lastText = text;
    lastPercent = -1;
    lastCurrent = progress.current;
    staleStart = true;
    return;
  }
  staleStart = false;
  lastCurrent = progress.current;
  if (newPhase) base = progress.maximum > 0 ? std::clamp(progress.current, 0, progress.maximum) : 0;
  int percent = -1;
  if (progress.maximum > 0) {
    const int32_t span = progress.maximum - base;
    const double ratio = span > 0 ? static_cast<double>(progress.current - base) / span : 1.0;
    percent = std::clamp(static_cast<int>(ratio * 100.0), 0, 100);
  }
  if (terminal) {
    // Redrawing for every counted object only costs time: the bar follows
    // the words and the whole percent.
    if (!newPhase && words == lastWords && percent == lastPercent) return;
  } else {
    // A log gets a line when the words change and at every tenth.
    const bool newTenth = percent >= 0 && (lastPercent < 0 || percent / 10 != lastPercent / 10);
    if (!newPhase && !newTenth) {
      lastText = text;
      return;
    }
  }
  Print(text, percent);
  lastWords = words;
  lastText = text;
  lastPercent = percent;
}

// The phase shown done: 100 % and its full count.
void ProgressDisplay::Complete() {
  if ((lastPercent < 0 && !staleStart) || lastPercent >= 100) return;
  staleStart = false;
  Print(WithCount(lastText, -1), 100);
  lastPercent = 100;
  // On a terminal the finished phase keeps its line.
  if (terminal && drawn) {
    std::fprintf(out, "\n");
    drawn = false;
  }
}

void ProgressDisplay::Print(const std::string& text, int percent) {
  if (terminal) {
    std::string bar(kBarWidth, ' ');
    if (percent >= 0) std::fill_n(bar.begin(), percent * kBarWidth / 100, '#');
    std::fprintf(out, "\r\033[K[%s] ", bar.c_str());
    if (percent >= 0) std::fprintf(out, "%3d%% ", percent);
    std::fprintf(out, "%s", text.c_str());
    drawn = true;
  } else if (percent < 0) {
    std::fprintf(out, "%s\n", text.empty() ? "working" : text.c_str());
  } else {
    std::fprintf(out, "%s%s%d%%\n", text.c_str(), text.empty() ? "" : ": ", percent);
  }
  std::fflush(out);
}

void ProgressDisplay::Finish(bool completed) {
  if (completed) Complete();
  if (drawn) {
    std::fprintf(out, "\n");
    std::fflush(out);
  }
  drawn = false;
  lastWords.clear();
  lastText.clear();
  lastPercent = -1;
  base = 0;
  lastCurrent = 0;
  staleStart = false;
}

}  // namespace kzmap
