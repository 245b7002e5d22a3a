#include "Text.h"

#include <cstdint>
#include <cstdio>

namespace tessaro {

namespace {

// The code point of the UTF-8 sequence at s[i], and its length; length 0
// when the bytes there are not UTF-8.
uint32_t Decode(const std::string &s, size_t i, size_t *length) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t b = byte(i);
  *length = 0;
  size_t n;
  uint32_t cp;
  if (b < 0x80) {
    *length = 1;
    return b;
  } else if (b >= 0xC2 && b <= 0xDF) {
    n = 2, cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3, cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4, cp = b & 0x07u;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (byte(i + k) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  *length = n;
  return cp;
}

bool Control(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

void Escape(std::string &out, uint32_t cp) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(cp));
  out += buf;
}

void Append(std::string &out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string ToUtf8(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) Append(out, static_cast<uint8_t>(c));
  return out;
}

bool IsUtf8(const std::string &bytes) {
  for (size_t i = 0, n = 0; i < bytes.size(); i += n) {
    Decode(bytes, i, &n);
    if (n == 0) return false;
  }
  return true;
}

bool FromUtf8(const std::string &utf8, std::string *text, std::string *at) {
  // Not UTF-8 at all: the bytes as they stand.
  if (!IsUtf8(utf8)) {
    *text = utf8;
    return true;
  }
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0, n = 0; i < utf8.size(); i += n) {
    uint32_t cp = Decode(utf8, i, &n);
    if (cp > 0xFF) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
      *at = buf;
      return false;
    }
    out += static_cast<char>(cp);
  }
  *text = std::move(out);
  return true;
}

std::string Printable(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    uint8_t b = static_cast<uint8_t>(c);
    if (Control(b)) Escape(out, b); else Append(out, b);
  }
  return out;
}

std::string EscapeControls(const std::string &utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0, n = 0; i < utf8.size(); i += n) {
    uint32_t cp = Decode(utf8, i, &n);
    if (n == 0) {
      Escape(out, static_cast<uint8_t>(utf8[i]));
      n = 1;
    } else if (Control(cp)) {
      Escape(out, cp);
    } else {
      out.append(utf8, i, n);
    }
  }
  return out;
}

}  // namespace tessaro
