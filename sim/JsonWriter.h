// A streaming JSON writer for documents that may hold millions of numbers:
// nothing is built in memory beyond an output buffer. Numbers are written in
// their shortest round-trip form (a float as a float, so 0.1f reads "0.1");
// numbers that are not finite are written as the strings "NaN", "Infinity"
// and "-Infinity". Objects put each member on its own line; arrays opened
// as inline keep their items (and anything nested in them) on one line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class JsonWriter {
 public:
  // Output goes to sink, flushed whenever the buffer grows large and at Flush.
  using Sink = void (*)(void* context, const char* data, size_t size);
  JsonWriter(Sink sink, void* context);
  // Output is appended to the string.
  explicit JsonWriter(std::string& out);
  ~JsonWriter();
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  void BeginObject(bool inlineItems = false);
  void EndObject();
  void BeginArray(bool inlineItems = false);
  void EndArray();
  // The name of the next member; text must be valid UTF-8.
  void Key(std::string_view name);

  // Text must be valid UTF-8.
  void String(std::string_view text);
  void Number(double value);
  void Number(float value);
  void Integer(int64_t value);
  void Bool(bool value);
  void Null();

  // Key and value together.
  template <typename T>
  void Member(std::string_view name, T value) {
    Key(name);
    Value(value);
  }

  void Flush();

 private:
  struct Level {
    bool array = false;
    bool inlineItems = false;
    bool empty = true;
  };

  void Value(std::string_view text) { String(text); }
  void Value(const char* text) { String(text); }
  void Value(const std::string& text) { String(text); }
  void Value(double value) { Number(value); }
  void Value(float value) { Number(value); }
  void Value(bool value) { Bool(value); }
  void Value(int value) { Integer(value); }
  void Value(int64_t value) { Integer(value); }

  void BeforeValue();
  void Open(bool array, bool inlineItems);
  void Close(char bracket);
  void Quoted(std::string_view text);
  void NewLine(size_t depth);
  // Whether the current level sits inside an inline array or object.
  bool Inline() const { return inlineLevels > 0; }
  void Put(std::string_view text);
  void Put(char c);
  void NonFinite(double value);

  Sink sink = nullptr;
  void* context = nullptr;
  std::string buffer;
  std::string* target = nullptr;
  std::vector<Level> levels;
  size_t inlineLevels = 0;  // open levels that keep their items on one line
  bool afterKey = false;
};

// True when the bytes are well-formed UTF-8 (no surrogates, no overlong forms).
bool IsValidUtf8(std::string_view bytes);

}  // namespace sim
