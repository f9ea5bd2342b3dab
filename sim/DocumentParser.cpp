#include "sim/DocumentParser.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/AIPathSuite.h"
#include "sim/DocumentFile.h"
#include "sim/DocumentFormat.h"

namespace sim {

namespace {

using nlohmann::json;

// The parser's explanation without its exception prefix and what it last read
// (which may be any bytes; the position says where it is).
std::string ParseProblem(const std::string& message) {
  std::string what = message;
  if (const size_t last = what.find("; last read"); last != std::string::npos) what.erase(last);
  const size_t syntax = what.find("syntax error");
  if (syntax != std::string::npos) return what.substr(syntax);
  const size_t bracket = what.find("] ");
  return bracket == std::string::npos ? what : what.substr(bracket + 2);
}

class Builder : public nlohmann::json_sax<json> {
 public:
  Builder(json& root, const std::string& file) : root(root), file(file) {}

  bool null() override {
    if (packing) return NotANumber("null");
    Add(nullptr);
    return true;
  }
  bool boolean(bool value) override {
    if (packing) return Corner(value);
    Add(value);
    return true;
  }
  bool number_integer(number_integer_t value) override {
    if (packing) return Number(static_cast<double>(value));
    Add(value);
    return true;
  }
  bool number_unsigned(number_unsigned_t value) override {
    if (packing) return Number(static_cast<double>(value));
    Add(value);
    return true;
  }
  bool number_float(number_float_t value, const string_t&) override {
    if (packing) return Number(value);
    Add(value);
    return true;
  }
  bool string(string_t& value) override {
    if (packing) {
      if (value == "NaN") return Number(std::numeric_limits<double>::quiet_NaN());
      if (value == "Infinity") return Number(std::numeric_limits<double>::infinity());
      if (value == "-Infinity") return Number(-std::numeric_limits<double>::infinity());
      return NotANumber("string");
    }
    Add(std::move(value));
    return true;
  }
  bool binary(binary_t&) override { return true; }  // JSON text has none

  bool start_object(std::size_t) override {
    if (packing) {
      if (inSegment) return NotANumber("object");
      // Segments of another form: the reader or the upgrade of old files deals with them.
      if (!segments.empty()) Fail(SegmentPlace(), ExpectedSegmentProblem());
      StopPacking();
    }
    Open(Add(json::value_t::object));
    return true;
  }
  bool key(string_t& name) override {
    objectElement = &(*stack.back())[name];
    keys.back() = name;
    segmentsNext = name == "segments";
    return true;
  }
  bool end_object() override {
    Close();
    return true;
  }
  bool start_array(std::size_t) override {
    if (packing) {
      if (inSegment) return NotANumber("array");
      inSegment = true;
      count = 0;
      corner = true;
      return true;
    }
    if (segmentsNext && !stack.empty() && stack.back()->is_object()) {
      segmentsNext = false;
      packing = true;
      segments.clear();
      return true;
    }
    Open(Add(json::value_t::array));
    return true;
  }
  bool end_array() override {
    if (packing && inSegment) return EndSegment();
    if (packing) {
      json::binary_t packed(std::vector<uint8_t>(segments.size() * sizeof(AIPathSegment)));
      if (!segments.empty()) std::memcpy(packed.data(), segments.data(), packed.size());
      packing = false;
      Add(std::move(packed));
      return true;
    }
    Close();
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override {
    errorPosition = position;
    errorMessage = error.what();
    return false;
  }

  size_t ErrorPosition() const { return errorPosition; }
  const std::string& ErrorMessage() const { return errorMessage; }

 private:
  template <typename Value>
  json* Add(Value&& value) {
    segmentsNext = false;
    if (stack.empty()) {
      root = json(std::forward<Value>(value));
      return &root;
    }
    json* top = stack.back();
    if (top->is_array()) {
      top->emplace_back(std::forward<Value>(value));
      return &top->back();
    }
    *objectElement = json(std::forward<Value>(value));
    return objectElement;
  }

  void Open(json* container) {
    stack.push_back(container);
    keys.emplace_back();
  }
  void Close() {
    stack.pop_back();
    keys.pop_back();
  }

  // The "segments" array turned out not to be one of arrays: build it as it is.
  void StopPacking() {
    packing = false;
    segmentsNext = false;
    Open(Add(json::value_t::array));
  }

  // The JSON pointer of the segments array being packed, or of a place in it.
  std::string SegmentsPointer() const {
    std::string pointer;
    for (size_t i = 1; i < stack.size(); ++i) {
      const json& parent = *stack[i - 1];
      std::string part = parent.is_array() ? std::to_string(parent.size() - 1) : keys[i - 1];
      std::string escaped;
      for (char c : part) escaped += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
      pointer += "/" + escaped;
    }
    return pointer + "/" + keys.back();
  }
  std::string SegmentPlace() const { return SegmentsPointer() + "/" + std::to_string(segments.size()); }
  std::string ValuePlace() const { return SegmentPlace() + "/" + std::to_string(count); }

  [[noreturn]] void Fail(const std::string& place, const std::string& problem) const {
    throw DocumentFileError(file, place, problem);
  }

  bool NotANumber(const char* found) {
    if (!inSegment) Fail(SegmentPlace(), ExpectedSegmentProblem());
    if (count >= 6) Fail(SegmentPlace(), ExpectedSegmentProblem());
    Fail(ValuePlace(), std::string("expected a number, found ") + found);
  }

  bool Number(double value) {
    if (!inSegment || count >= 6) Fail(SegmentPlace(), ExpectedSegmentProblem());
    if (std::isfinite(value) && OutOfFloatRange(value)) Fail(ValuePlace(), "number out of range");
    values[count++] = static_cast<AIReal>(value);
    return true;
  }

  bool Corner(bool value) {
    if (!inSegment || count < 6 || count > 6) {
      if (inSegment && count < 6) Fail(ValuePlace(), "expected a number, found boolean");
      Fail(SegmentPlace(), ExpectedSegmentProblem());
    }
    corner = value;
    ++count;
    return true;
  }

  bool EndSegment() {
    if (count != 2 && count != 6 && count != 7) Fail(SegmentPlace(), ExpectedSegmentProblem());
    if (segments.size() >= static_cast<size_t>(kMaxPathSegments)) Fail(SegmentsPointer(), TooManySegmentsProblem());
    AIPathSegment segment;
    segment.p = {values[0], values[1]};
    if (count == 2) {
      segment.in = segment.out = segment.p;
    } else {
      segment.in = {values[2], values[3]};
      segment.out = {values[4], values[5]};
      segment.corner = corner;
    }
    segments.push_back(segment);
    inSegment = false;
    return true;
  }

  json& root;
  const std::string& file;
  std::vector<json*> stack;
  std::vector<std::string> keys;  // per open container: the key of its member being read
  json* objectElement = nullptr;
  bool segmentsNext = false;

  bool packing = false;
  bool inSegment = false;
  int count = 0;
  AIReal values[6] = {};
  bool corner = true;
  std::vector<AIPathSegment> segments;

  size_t errorPosition = 0;
  std::string errorMessage;
};

}  // namespace

std::string ExpectedSegmentProblem() {
  return "expected a segment: [x, y], [x, y, inX, inY, outX, outY] or the same with a corner flag";
}

std::string TooManySegmentsProblem() {
  return "a path holds at most " + std::to_string(kMaxPathSegments) + " segments";
}

std::vector<AIPathSegment> UnpackSegments(const json::binary_t& packed) {
  std::vector<AIPathSegment> segments(packed.size() / sizeof(AIPathSegment));
  if (!segments.empty()) std::memcpy(segments.data(), packed.data(), segments.size() * sizeof(AIPathSegment));
  return segments;
}

json ParseDocumentText(const std::string& text, const std::string& file) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    throw DocumentFileError(file, {}, "the file is empty, not a Kartzmap document");
  json root;
  Builder builder(root, file);
  if (!json::sax_parse(text, &builder)) {
    // The position is one past the offending character.
    const size_t at = builder.ErrorPosition() > 0 ? builder.ErrorPosition() - 1 : 0;
    throw DocumentFileError(file, LineAndColumn(text, at), "not a Kartzmap document: " + ParseProblem(builder.ErrorMessage()));
  }
  return root;
}

}  // namespace sim
