#include "Resource.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "Path.h"

namespace tessaro {

namespace {

struct Token {
  enum Kind { Word, Number, Text, Symbol, End } kind;
  std::string text;
  int line;
};

class Lexer {
 public:
  explicit Lexer(std::string src) : src_(std::move(src)) {}

  Token Next() {
    SkipSpace();
    if (pos_ >= src_.size()) return {Token::End, "", line_};
    char c = src_[pos_];
    if (c == '"') {
      std::string out;
      ++pos_;
      while (pos_ < src_.size() && src_[pos_] != '"') {
        if (src_[pos_] == '\\' && pos_ + 1 < src_.size()) ++pos_;
        if (src_[pos_] == '\n') ++line_;
        out += src_[pos_++];
      }
      if (pos_ >= src_.size()) return {Token::End, "unterminated text", line_};
      ++pos_;
      return {Token::Text, out, line_};
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      size_t start = pos_++;
      while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
      return {Token::Number, src_.substr(start, pos_ - start), line_};
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t start = pos_++;
      while (pos_ < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_')) ++pos_;
      return {Token::Word, src_.substr(start, pos_ - start), line_};
    }
    ++pos_;
    return {Token::Symbol, std::string(1, c), line_};
  }

 private:
  void SkipSpace() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '/') {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }
  std::string src_;
  size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  Parser(std::string src, std::string file) : lex_(std::move(src)), file_(std::move(file)) { Advance(); }

  bool Expect(Token::Kind kind, const char *what, std::string *text = nullptr) {
    if (tok_.kind != kind) return Fail(std::string("expected ") + what);
    if (text) *text = tok_.text;
    Advance();
    return true;
  }
  bool ExpectSymbol(char c) {
    if (tok_.kind != Token::Symbol || tok_.text[0] != c) return Fail(std::string("expected '") + c + "'");
    Advance();
    return true;
  }
  bool ExpectNumber(int32_t *v) {
    std::string t;
    if (!Expect(Token::Number, "a number", &t)) return false;
    try {
      long long n = std::stoll(t);
      if (n < INT32_MIN || n > INT32_MAX) return Fail("number out of range");
      *v = static_cast<int32_t>(n);
    } catch (...) {
      return Fail("expected a number");
    }
    return true;
  }
  bool IsSymbol(char c) const { return tok_.kind == Token::Symbol && tok_.text[0] == c; }
  bool IsWord(const char *w) const { return tok_.kind == Token::Word && tok_.text == w; }
  const Token &Peek() const { return tok_; }
  void Advance() { tok_ = lex_.Next(); }
  bool Fail(const std::string &what) {
    if (error_.empty()) error_ = file_ + ": line " + std::to_string(tok_.line) + ": " + what;
    return false;
  }
  const std::string &Error() const { return error_; }

 private:
  Lexer lex_;
  std::string file_;
  Token tok_{Token::End, "", 1};
  std::string error_;
};

bool ReadFile(const std::string &path, std::string *out) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *out = ss.str();
  return true;
}

bool ParseGadgets(Parser &p, DialogDef *out, int32_t group, int depth) {
  while (!p.IsSymbol('}')) {
    if (p.Peek().kind == Token::End) return p.Fail("expected '}'");
    GadgetDef g;
    g.depth = depth;
    std::string word;
    if (!p.Expect(Token::Word, "a gadget", &word)) return false;
    if (word == "GROUP") {
      g.kind = GadgetDef::Group;
      if (p.Peek().kind == Token::Text) p.Expect(Token::Text, "a label", &g.label);
      out->gadgets.push_back(g);
      if (!p.ExpectSymbol('{') || !ParseGadgets(p, out, group, depth + 1) || !p.ExpectSymbol('}')) return false;
      continue;
    }
    if (word == "BUTTON") g.kind = GadgetDef::Button;
    else if (word == "REALFIELD") g.kind = GadgetDef::RealField;
    else if (word == "LONGFIELD") g.kind = GadgetDef::LongField;
    else if (word == "LISTVIEW") g.kind = GadgetDef::ListView;
    else if (word == "RADIOGROUP") g.kind = GadgetDef::RadioGroup;
    else if (word == "RADIO" && group != 0) g.kind = GadgetDef::Radio;
    else return p.Fail("unknown gadget " + word);
    if (!p.ExpectNumber(&g.id)) return false;
    if (p.Peek().kind == Token::Text) p.Expect(Token::Text, "a label", &g.label);
    g.group = group;
    for (const GadgetDef &other : out->gadgets)
      if (other.id == g.id && other.kind != GadgetDef::Group) return p.Fail("gadget " + std::to_string(g.id) + " appears twice");
    out->gadgets.push_back(g);
    if (g.kind == GadgetDef::RadioGroup) {
      if (!p.ExpectSymbol('{') || !ParseGadgets(p, out, g.id, depth + 1) || !p.ExpectSymbol('}')) return false;
    } else if (!p.ExpectSymbol(';')) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool LoadPluginResource(const std::string &folder, PluginResource *out, std::string *error) {
  std::string path = folder + "/strings_us/c4d_strings.str", src;
  if (!ReadFile(path, &src)) {
    *error = "cannot read " + path;
    return false;
  }
  Parser p(src, path);
  PluginResource res;
  res.folder = folder;
  if (!p.IsWord("STRINGTABLE")) {
    p.Fail("expected STRINGTABLE");
    *error = p.Error();
    return false;
  }
  p.Advance();
  if (!p.ExpectSymbol('{')) {
    *error = p.Error();
    return false;
  }
  while (!p.IsSymbol('}')) {
    int32_t id;
    std::string text;
    if (!p.ExpectNumber(&id) || !p.Expect(Token::Text, "a text", &text) || !p.ExpectSymbol(';')) {
      *error = p.Error();
      return false;
    }
    res.strings[id] = text;
  }
  *out = std::move(res);
  return true;
}

bool LoadDialogDef(const PluginResource &res, int32_t id, DialogDef *out, std::string *error) {
  std::string path = res.folder + "/dialogs/" + std::to_string(id) + ".res", src;
  if (!ReadFile(path, &src)) {
    *error = "cannot read " + path;
    return false;
  }
  Parser p(src, path);
  DialogDef def;
  bool ok = p.IsWord("DIALOG") || p.Fail("expected DIALOG");
  if (ok) p.Advance();
  ok = ok && p.ExpectNumber(&def.id);
  if (ok && def.id != id) ok = p.Fail("the dialog's ID is not " + std::to_string(id));
  if (ok && p.Peek().kind == Token::Text) p.Expect(Token::Text, "a title", &def.title);
  ok = ok && p.ExpectSymbol('{') && ParseGadgets(p, &def, 0, 0) && p.ExpectSymbol('}');
  if (!ok) {
    *error = p.Error();
    return false;
  }
  *out = std::move(def);
  return true;
}

bool LoadDescription(const PluginResource &res, const std::string &name, std::string *error) {
  std::string path = res.folder + "/description/" + name + ".res", src;
  if (!ReadFile(path, &src)) {
    *error = "cannot read " + path;
    return false;
  }
  Parser p(src, path);
  std::string word;
  bool ok = (p.IsWord("CONTAINER") || p.Fail("expected CONTAINER"));
  if (ok) p.Advance();
  ok = ok && p.Expect(Token::Word, "the description's name", &word);
  if (ok && word != name) ok = p.Fail("the description is named " + word + ", not " + name);
  ok = ok && p.ExpectSymbol('{');
  while (ok && !p.IsSymbol('}')) {
    std::string key, text;
    ok = p.Expect(Token::Word, "an entry", &key) && p.Expect(Token::Text, "a text", &text) && p.ExpectSymbol(';');
  }
  if (!ok) *error = p.Error();
  return ok;
}

}  // namespace tessaro
