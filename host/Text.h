// The host's text is 8-bit, as a file's names are: one byte a character.
// Documents and everything shown to people are UTF-8, so text crosses over
// by a lossless mapping: each byte is the code point of the same number
// (the byte 0xFC is U+00FC "ü"), and back.
#ifndef TESSARO_HOST_TEXT_H
#define TESSARO_HOST_TEXT_H

#include <string>

namespace tessaro {

// The host's text as UTF-8.
std::string ToUtf8(const std::string &text);
// Whether the bytes are UTF-8 throughout.
bool IsUtf8(const std::string &bytes);
// UTF-8 as the host's text. False when a character lies beyond U+00FF,
// which no byte can hold; *at then names it ("U+65E5"). Bytes that do not
// form UTF-8 are taken as they stand (documents written before the mapping
// hold 8-bit names so).
bool FromUtf8(const std::string &utf8, std::string *text, std::string *at);
// The host's text for a terminal: UTF-8, with control characters shown as
// \xNN so that no name can move the cursor or change the colours.
std::string Printable(const std::string &text);
// Only control characters escaped: for text that is UTF-8 already, such as
// a file name.
std::string EscapeControls(const std::string &utf8);

}  // namespace tessaro

#endif
