// Compiler of the string-list source: a small lexer and a recursive-descent
// parser over it.

#include "rez_source.h"

#include "text/mac_roman.h"

#include <cctype>
#include <charconv>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace zv::rez {
namespace {

enum class TokenKind { End, Word, Number, Text, TypeCode, Punctuation };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // words, punctuation and numbers as written; strings and type codes decoded
  int line = 1;
};

struct SourceError : std::runtime_error {
  SourceError(int where, const std::string &what) : std::runtime_error(what), line(where) {}
  int line;
};

class Lexer {
 public:
  explicit Lexer(std::string_view source) : source_(source) {}

  Token Next() {
    SkipBlanksAndComments();
    Token token;
    token.line = line_;
    if (AtEnd()) return token;
    const char c = source_[at_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      token.kind = TokenKind::Word;
      while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_')) token.text += Take();
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      token.kind = TokenKind::Number;
      token.text += Take();
      while (!AtEnd() && std::isalnum(static_cast<unsigned char>(Peek()))) token.text += Take();
    } else if (c == '"' || c == '\'') {
      token.kind = c == '"' ? TokenKind::Text : TokenKind::TypeCode;
      token.text = Quoted(Take());
    } else if (std::string_view("(){},;").find(c) != std::string_view::npos) {
      token.kind = TokenKind::Punctuation;
      token.text = Take();
    } else {
      throw SourceError(line_, "unexpected character '" + std::string(1, c) + "'");
    }
    return token;
  }

 private:
  bool AtEnd() const { return at_ >= source_.size(); }
  char Peek(std::size_t ahead = 0) const { return at_ + ahead < source_.size() ? source_[at_ + ahead] : '\0'; }
  char Take() {
    const char c = source_[at_++];
    if (c == '\n') ++line_;
    return c;
  }

  void SkipBlanksAndComments() {
    while (!AtEnd()) {
      if (std::isspace(static_cast<unsigned char>(Peek()))) {
        Take();
      } else if (Peek() == '/' && Peek(1) == '/') {
        while (!AtEnd() && Peek() != '\n') Take();
      } else if (Peek() == '/' && Peek(1) == '*') {
        const int opened = line_;
        Take(), Take();
        while (!AtEnd() && !(Peek() == '*' && Peek(1) == '/')) Take();
        if (AtEnd()) throw SourceError(opened, "comment not closed");
        Take(), Take();
      } else {
        return;
      }
    }
  }

  // The bytes of a quoted literal in Mac Roman; the opening quote is taken.
  std::string Quoted(char quote) {
    const int opened = line_;
    std::string bytes;
    for (;;) {
      if (AtEnd() || Peek() == '\n') throw SourceError(opened, std::string("missing closing ") + quote);
      const char c = Take();
      if (c == quote) return bytes;
      if (c == '\\') {
        bytes += Escape();
        continue;
      }
      // One character of the UTF-8 source.
      std::string character(1, c);
      while (!AtEnd() && (static_cast<unsigned char>(Peek()) & 0xC0) == 0x80) character += Take();
      const auto macRoman = text::Utf8ToMacRoman(character);
      if (!macRoman) throw SourceError(line_, "character \"" + character + "\" has no Mac Roman form");
      bytes += *macRoman;
    }
  }

  char Escape() {
    if (AtEnd()) throw SourceError(line_, "escape at the end of the file");
    const char c = Take();
    switch (c) {
      case 'n': return '\n';
      case 'r': return '\r';
      case 't': return '\t';
      case 'a': return '\a';
      case 'b': return '\b';
      case 'f': return '\f';
      case 'v': return '\v';
      case '\\':
      case '"':
      case '\'':
      case '?': return c;
      case 'x': return Digits(16, 2, "\\x needs a hexadecimal digit");
      default:
        if (c >= '0' && c <= '7') {
          --at_;
          return Digits(8, 3, "");
        }
        throw SourceError(line_, std::string("unknown escape \\") + c);
    }
  }

  char Digits(int base, int most, const char *whenNone) {
    int value = 0;
    int count = 0;
    while (count < most && !AtEnd()) {
      const int digit = std::isdigit(static_cast<unsigned char>(Peek())) ? Peek() - '0'
                        : std::isxdigit(static_cast<unsigned char>(Peek())) ? std::tolower(Peek()) - 'a' + 10
                                                                             : base;
      if (digit >= base) break;
      value = value * base + digit;
      Take();
      ++count;
    }
    if (count == 0) throw SourceError(line_, whenNone);
    if (value > 0xFF) throw SourceError(line_, "escape value over 255");
    return static_cast<char>(value);
  }

  std::string_view source_;
  std::size_t at_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view source) : lexer_(source) { Advance(); }

  rsrc::ResourceFile File() {
    rsrc::ResourceFile file;
    std::set<std::pair<ResType, std::int16_t>> seen;
    while (token_.kind != TokenKind::End) {
      const int line = token_.line;
      rsrc::Resource resource = Resource();
      if (!seen.insert({resource.type, resource.id}).second) {
        throw SourceError(line, "resource " + std::to_string(resource.id) + " defined twice");
      }
      file.resources.push_back(std::move(resource));
    }
    return file;
  }

 private:
  void Advance() { token_ = lexer_.Next(); }

  [[noreturn]] void Fail(const std::string &what) const {
    const std::string found = token_.kind == TokenKind::End ? "the end of the file" : "'" + token_.text + "'";
    throw SourceError(token_.line, what + ", found " + found);
  }

  void Expect(const char *punctuation, const char *what) {
    if (token_.kind != TokenKind::Punctuation || token_.text != punctuation) Fail(what);
    Advance();
  }

  bool Accept(const char *punctuation) {
    if (token_.kind != TokenKind::Punctuation || token_.text != punctuation) return false;
    Advance();
    return true;
  }

  // resource 'TYPE' (ID [, "name"]) { "item", ... };
  rsrc::Resource Resource() {
    if (token_.kind != TokenKind::Word || token_.text != "resource") Fail("expected 'resource'");
    Advance();
    if (token_.kind != TokenKind::TypeCode) Fail("expected a resource type such as 'STR#'");
    if (token_.text.size() != 4) Fail("a resource type has four characters");
    rsrc::Resource resource;
    resource.type = ZV_FOURCC(token_.text[0], token_.text[1], token_.text[2], token_.text[3]);
    if (resource.type != rsrc::kStringListType) Fail("only 'STR#' resources are supported");
    Advance();
    Expect("(", "expected '(' before the resource id");
    resource.id = Id();
    if (Accept(",")) {
      resource.name = Text("expected the resource name");
      if (resource.name->empty()) resource.name.reset();
    }
    Expect(")", "expected ')' after the resource id and name");
    Expect("{", "expected '{' before the strings");
    std::vector<std::string> items;
    while (token_.kind == TokenKind::Text) {
      items.push_back(Text("expected a string"));
      if (!Accept(",")) break;
    }
    Expect("}", "expected ',' or '}' after a string");
    Expect(";", "expected ';' after '}'");
    auto data = rsrc::MakeStringList(items);
    if (!data) throw SourceError(token_.line, "too many strings in resource " + std::to_string(resource.id));
    resource.data = std::move(*data);
    return resource;
  }

  std::int16_t Id() {
    if (token_.kind != TokenKind::Number) Fail("expected the resource id");
    int value = 0;
    const char *first = token_.text.data();
    const char *last = first + token_.text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || value < -32768 || value > 32767) {
      Fail("the resource id must be a whole number from -32768 to 32767");
    }
    Advance();
    return static_cast<std::int16_t>(value);
  }

  // One or more adjacent string literals, joined; at most 255 bytes.
  std::string Text(const char *what) {
    if (token_.kind != TokenKind::Text) Fail(what);
    const int line = token_.line;
    std::string text;
    while (token_.kind == TokenKind::Text) {
      text += token_.text;
      Advance();
    }
    if (text.size() > 255) throw SourceError(line, "string longer than 255 bytes");
    return text;
  }

  Lexer lexer_;
  Token token_;
};

}  // namespace

std::optional<rsrc::ResourceFile> CompileRezSource(std::string_view source, const std::string &fileName,
                                                   std::string *error) {
  try {
    return Parser(source).File();
  } catch (const SourceError &failure) {
    if (error != nullptr) *error = fileName + ":" + std::to_string(failure.line) + ": " + failure.what();
    return std::nullopt;
  }
}

}  // namespace zv::rez
