// KmlScanner: cuts the bytes of a KML file into start tags, end tags and
// text, fed in pieces of any size, in one pass. It is forgiving the way a
// reader of hand-edited files must be: a tag broken off by the next "<", an
// attribute value whose quote never closes, a stray "<" or "&" all end
// somewhere sensible, and nothing waits beyond the end of the input.
// Entities are decoded in text and attribute values; CDATA sections are text
// as written; comments, processing instructions and declarations are skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class KmlScanner {
 public:
  struct Attribute {
    std::string name;
    std::string value;
  };

  class Handler {
   public:
    virtual ~Handler() = default;
    // empty: the tag closed itself ("<a/>").
    virtual void StartTag(std::string_view name, const std::vector<Attribute>& attributes, bool empty) = 0;
    virtual void EndTag(std::string_view name) = 0;
    // A piece of text; one run of text may arrive in several pieces.
    virtual void Text(std::string_view text) = 0;
  };

  // Longest tag or attribute name kept, most attributes kept per tag, and
  // longest attribute value kept; the rest is read and dropped.
  static constexpr size_t kMaxNameBytes = 256;
  static constexpr size_t kMaxAttributes = 32;
  static constexpr size_t kMaxValueBytes = 65536;

  explicit KmlScanner(Handler& handler) : handler(handler) {}

  void Feed(std::string_view bytes);
  // The end of the input: a tag or text still open is handed out as it is.
  void Finish();

 private:
  enum class State {
    ByteOrderMark,
    Text,
    Entity,
    TagOpen,
    StartName,
    InTag,
    SlashInTag,
    AttributeName,
    AfterAttributeName,
    BeforeValue,
    QuotedValue,
    UnquotedValue,
    EndName,
    EndTail,
    Bang,
    Comment,
    CData,
    Instruction,
    Declaration,
  };

  // Handles c in the current state; false when c must be handled again in
  // the state it left behind.
  bool Consume(char c);
  bool ConsumeTag(char c);
  bool ConsumeAttribute(char c);
  bool ConsumeSkipped(char c);
  void AppendText(char c);
  void FlushText();
  void EndEntity(bool complete);
  void AddAttribute();
  void EmitStart(bool empty);
  void EmitEnd();
  void RecoverUnclosedQuote();

  Handler& handler;
  State state = State::ByteOrderMark;
  std::string text;
  std::string entity;
  std::string name;
  std::vector<Attribute> attributes;
  std::string attributeName;
  std::string attributeValue;
  char quote = '"';
  size_t matched = 0;  // bytes of the byte-order mark, or of "--" / "[CDATA[" after "<!"
  std::string bang;
  int run = 0;         // trailing '-' of a comment, ']' of a CDATA section, '?' of an instruction
  int bracketDepth = 0;  // of a declaration
};
