#include "formats/KmlScanner.h"

#include <cstdint>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kMaxEntityBytes = 10;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || u >= 0x80;
}

void AppendCapped(std::string& target, char c, size_t limit) {
  if (target.size() < limit) target.push_back(c);
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// The character of a numeric reference ("#65", "#x41"); false when it names
// no character.
bool NumericEntity(std::string_view body, uint32_t& code) {
  if (body.size() < 2 || body[0] != '#') return false;
  const bool hex = body[1] == 'x' || body[1] == 'X';
  body.remove_prefix(hex ? 2 : 1);
  if (body.empty()) return false;
  code = 0;
  for (char c : body) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (code > 0x10FFFF) return false;
  }
  return code != 0 && (code < 0xD800 || code > 0xDFFF);
}

// Appends the text an entity body ("amp", "#x41") stands for; false when it
// is not one.
bool DecodeEntity(std::string_view body, std::string& out) {
  if (body == "amp") return out.push_back('&'), true;
  if (body == "lt") return out.push_back('<'), true;
  if (body == "gt") return out.push_back('>'), true;
  if (body == "quot") return out.push_back('"'), true;
  if (body == "apos") return out.push_back('\''), true;
  uint32_t code = 0;
  if (!NumericEntity(body, code)) return false;
  AppendUtf8(out, code);
  return true;
}

// value with its entities decoded; what is not an entity stays as written.
std::string DecodeEntities(const std::string& value) {
  if (value.find('&') == std::string::npos) return value;
  std::string out;
  out.reserve(value.size());
  size_t i = 0;
  while (i < value.size()) {
    const size_t amp = value.find('&', i);
    if (amp == std::string::npos) break;
    out.append(value, i, amp - i);
    const size_t semicolon = value.find(';', amp + 1);
    if (semicolon != std::string::npos && semicolon - amp - 1 <= kMaxEntityBytes &&
        DecodeEntity(std::string_view(value).substr(amp + 1, semicolon - amp - 1), out)) {
      i = semicolon + 1;
    } else {
      out.push_back('&');
      i = amp + 1;
    }
  }
  out.append(value, i, std::string::npos);
  return out;
}

}  // namespace

void KmlScanner::Feed(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    if (state == State::Text) {
      // Plain text is copied in runs up to the next markup character.
      size_t end = i;
      while (end < bytes.size() && bytes[end] != '<' && bytes[end] != '&') ++end;
      text.append(bytes.data() + i, end - i);
      i = end;
      if (i == bytes.size()) break;
    }
    // A character handed back goes to a state nearer to plain text each
    // time, so it is taken within a few rounds.
    for (int round = 0; round < 4 && !Consume(bytes[i]); ++round) {
    }
    ++i;
  }
  FlushText();
}

void KmlScanner::Finish() {
  switch (state) {
    case State::ByteOrderMark:
      text.append(kByteOrderMark, matched);
      break;
    case State::Entity:
      EndEntity(false);
      break;
    case State::TagOpen:
      text.push_back('<');
      break;
    case State::StartName:
    case State::InTag:
    case State::SlashInTag:
    case State::AfterAttributeName:
    case State::BeforeValue:
      if (state == State::AfterAttributeName || state == State::BeforeValue) AddAttribute();
      EmitStart(false);
      break;
    case State::AttributeName:
    case State::QuotedValue:
    case State::UnquotedValue:
      AddAttribute();
      EmitStart(false);
      break;
    case State::EndName:
    case State::EndTail:
      EmitEnd();
      break;
    case State::CData:
      text.append(static_cast<size_t>(run), ']');
      break;
    default:
      break;
  }
  state = State::Text;
  FlushText();
}

void KmlScanner::AppendText(char c) { text.push_back(c); }

void KmlScanner::FlushText() {
  if (text.empty()) return;
  handler.Text(text);
  text.clear();
}

void KmlScanner::EndEntity(bool complete) {
  if (!complete || !DecodeEntity(entity, text)) {
    text.push_back('&');
    text.append(entity);
    if (complete) text.push_back(';');
  }
  entity.clear();
  state = State::Text;
}

bool KmlScanner::Consume(char c) {
  switch (state) {
    case State::ByteOrderMark:
      if (c == kByteOrderMark[matched]) {
        if (++matched == 3) state = State::Text;
        return true;
      }
      text.append(kByteOrderMark, matched);
      state = State::Text;
      return false;
    case State::Text:
      if (c == '<') {
        FlushText();
        state = State::TagOpen;
      } else if (c == '&') {
        state = State::Entity;
      } else {
        AppendText(c);
      }
      return true;
    case State::Entity:
      if (c == ';') {
        EndEntity(true);
        return true;
      }
      if (entity.size() < kMaxEntityBytes && (IsNameStart(c) || (c >= '0' && c <= '9') || c == '#')) {
        entity.push_back(c);
        return true;
      }
      EndEntity(false);
      return false;
    case State::Comment:
    case State::CData:
    case State::Instruction:
    case State::Declaration:
    case State::Bang:
      return ConsumeSkipped(c);
    default:
      return ConsumeTag(c);
  }
}

bool KmlScanner::ConsumeTag(char c) {
  switch (state) {
    case State::TagOpen:
      name.clear();
      attributes.clear();
      if (c == '/') {
        state = State::EndName;
      } else if (c == '?') {
        state = State::Instruction;
        run = 0;
      } else if (c == '!') {
        state = State::Bang;
        bang.clear();
      } else if (IsNameStart(c)) {
        name.push_back(c);
        state = State::StartName;
      } else {
        // A lone "<" is text.
        AppendText('<');
        state = State::Text;
        return false;
      }
      return true;
    case State::StartName:
      if (IsSpace(c)) {
        state = State::InTag;
      } else if (c == '/') {
        state = State::SlashInTag;
      } else if (c == '>') {
        EmitStart(false);
      } else if (c == '<') {
        EmitStart(false);
        return false;
      } else {
        AppendCapped(name, c, kMaxNameBytes);
      }
      return true;
    case State::InTag:
      if (IsSpace(c)) return true;
      if (c == '>') {
        EmitStart(false);
      } else if (c == '/') {
        state = State::SlashInTag;
      } else if (c == '<') {
        EmitStart(false);
        return false;
      } else {
        attributeName.assign(1, c);
        attributeValue.clear();
        state = State::AttributeName;
      }
      return true;
    case State::SlashInTag:
      if (c == '>') {
        EmitStart(true);
        return true;
      }
      state = State::InTag;
      return false;
    case State::EndName:
      if (c == '>') {
        EmitEnd();
      } else if (c == '<') {
        EmitEnd();
        return false;
      } else if (IsSpace(c)) {
        state = State::EndTail;
      } else {
        AppendCapped(name, c, kMaxNameBytes);
      }
      return true;
    case State::EndTail:
      if (c == '>') {
        EmitEnd();
      } else if (c == '<') {
        EmitEnd();
        return false;
      }
      return true;
    default:
      return ConsumeAttribute(c);
  }
}

bool KmlScanner::ConsumeAttribute(char c) {
  switch (state) {
    case State::AttributeName:
      if (c == '=') {
        state = State::BeforeValue;
      } else if (IsSpace(c)) {
        state = State::AfterAttributeName;
      } else if (c == '>' || c == '/' || c == '<') {
        AddAttribute();
        state = State::InTag;
        return false;
      } else {
        AppendCapped(attributeName, c, kMaxNameBytes);
      }
      return true;
    case State::AfterAttributeName:
      if (IsSpace(c)) return true;
      if (c == '=') {
        state = State::BeforeValue;
        return true;
      }
      AddAttribute();
      state = State::InTag;
      return false;
    case State::BeforeValue:
      if (IsSpace(c)) return true;
      if (c == '"' || c == '\'') {
        quote = c;
        state = State::QuotedValue;
        return true;
      }
      if (c == '>' || c == '<' || c == '/') {
        AddAttribute();
        state = State::InTag;
        return false;
      }
      attributeValue.push_back(c);
      state = State::UnquotedValue;
      return true;
    case State::QuotedValue:
      if (c == quote) {
        AddAttribute();
        state = State::InTag;
      } else if (c == '<') {
        RecoverUnclosedQuote();
        return false;
      } else {
        AppendCapped(attributeValue, c, kMaxValueBytes);
      }
      return true;
    case State::UnquotedValue:
      if (IsSpace(c) || c == '>' || c == '<' || c == '/') {
        AddAttribute();
        state = State::InTag;
        return IsSpace(c);
      }
      AppendCapped(attributeValue, c, kMaxValueBytes);
      return true;
    default:
      return true;
  }
}

// "<" cannot stand in an attribute value, so the quote was never closed: the
// tag ended at the first ">" of the value (what follows it is text), or, with
// none, at the "<".
void KmlScanner::RecoverUnclosedQuote() {
  const size_t close = attributeValue.find('>');
  std::string rest;
  if (close != std::string::npos) {
    rest = attributeValue.substr(close + 1);
    attributeValue.resize(close);
  }
  AddAttribute();
  EmitStart(false);
  text.append(DecodeEntities(rest));
}

bool KmlScanner::ConsumeSkipped(char c) {
  switch (state) {
    case State::Bang: {
      bang.push_back(c);
      const std::string_view seen = bang;
      if (seen == "--") {
        state = State::Comment;
        run = 0;
      } else if (seen == "[CDATA[") {
        state = State::CData;
        run = 0;
      } else if (!std::string_view("--").starts_with(seen) && !std::string_view("[CDATA[").starts_with(seen)) {
        // Any other "<!": a declaration, skipped to its end.
        state = State::Declaration;
        bracketDepth = 0;
        for (char b : seen.substr(0, seen.size() - 1)) bracketDepth += b == '[';
        return false;
      }
      return true;
    }
    case State::Comment:
      if (c == '>' && run >= 2) state = State::Text;
      run = c == '-' ? run + 1 : 0;
      return true;
    case State::CData:
      if (c == ']') {
        if (run == 2) AppendText(']');
        else ++run;
        return true;
      }
      if (c == '>' && run == 2) {
        run = 0;
        state = State::Text;
        return true;
      }
      text.append(static_cast<size_t>(run), ']');
      run = 0;
      AppendText(c);
      return true;
    case State::Instruction:
      if (c == '>' && run == 1) state = State::Text;
      run = c == '?' ? 1 : 0;
      return true;
    case State::Declaration:
      if (c == '[') ++bracketDepth;
      else if (c == ']' && bracketDepth > 0) --bracketDepth;
      else if (c == '>' && bracketDepth == 0) state = State::Text;
      return true;
    default:
      return true;
  }
}

void KmlScanner::AddAttribute() {
  if (attributes.size() < kMaxAttributes) {
    attributes.push_back(Attribute{std::move(attributeName), DecodeEntities(attributeValue)});
  }
  attributeName.clear();
  attributeValue.clear();
}

void KmlScanner::EmitStart(bool empty) {
  state = State::Text;
  handler.StartTag(name, attributes, empty);
  name.clear();
  attributes.clear();
}

void KmlScanner::EmitEnd() {
  state = State::Text;
  handler.EndTag(name);
  name.clear();
}
