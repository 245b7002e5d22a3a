#include "Base64.h"

namespace tessaro {

namespace {
const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string Base64(const uint8_t *bytes, size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
    for (int k = 18; k >= 0; k -= 6) out += kDigits[(v >> k) & 63];
  }
  if (size_t rest = size - i) {
    uint32_t v = uint32_t(bytes[i]) << 16 | (rest == 2 ? uint32_t(bytes[i + 1]) << 8 : 0);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += rest == 2 ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool FromBase64(const char *text, size_t size, std::string *bytes) {
  bytes->clear();
  if (size % 4) return false;
  bytes->reserve(size / 4 * 3);
  for (size_t i = 0; i < size; i += 4) {
    const bool last = i + 4 == size;
    int d[4];
    for (int k = 0; k < 4; ++k) d[k] = Digit(text[i + k]);
    // Padding only at the end: "xx==" or "xxx=".
    const int pad = last && text[i + 3] == '=' ? (text[i + 2] == '=' ? 2 : 1) : 0;
    if (d[0] < 0 || d[1] < 0 || (pad < 2 && d[2] < 0) || (pad < 1 && d[3] < 0)) return false;
    uint32_t v = uint32_t(d[0]) << 18 | uint32_t(d[1]) << 12 | uint32_t(pad < 2 ? d[2] : 0) << 6 |
                 uint32_t(pad < 1 ? d[3] : 0);
    bytes->push_back(char(v >> 16));
    if (pad < 2) bytes->push_back(char(v >> 8));
    if (pad < 1) bytes->push_back(char(v));
  }
  return true;
}

}  // namespace tessaro
