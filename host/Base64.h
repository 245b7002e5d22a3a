// Base64 (RFC 4648, with padding): images as data URIs, and a document's
// tag arrays for programs that read them as bytes.
#ifndef TESSARO_HOST_BASE64_H
#define TESSARO_HOST_BASE64_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaro {

std::string Base64(const uint8_t *bytes, size_t size);
inline std::string Base64(const std::string &bytes) {
  return Base64(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}
// False when the text is not padded base64 (no spaces, no line breaks).
bool FromBase64(const char *text, size_t size, std::string *bytes);

}  // namespace tessaro

#endif
