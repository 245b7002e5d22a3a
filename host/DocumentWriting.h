// What the document file's writer shares among its files: the output
// stream, the JSON writer over it and the writing of values.
#ifndef TESSARO_HOST_DOCUMENT_WRITING_H
#define TESSARO_HOST_DOCUMENT_WRITING_H

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>

#include <rapidjson/filewritestream.h>
#include <rapidjson/prettywriter.h>

#include "Model.h"

namespace tessaro {
namespace docwrite {

// The fewest digits that read back the same value.
template <class F>
std::string FormatShortest(F v) {
  if (std::isnan(v)) return "\"nan\"";
  if (std::isinf(v)) return v > 0 ? "\"inf\"" : "\"-inf\"";
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, res.ptr);
  // An integral value still has to read back as a real.
  if (s.find_first_of(".eE") == std::string::npos) s += ".0";
  return s;
}

// The document's output: a file stream on which lines deeper than a limit
// are joined, so that a deep hierarchy cannot make the document's size grow
// with the square of its depth. The pretty writer breaks a line by a
// newline followed by its indentation, written through PutN; a newline in
// a text is always escaped.
class IndentedStream {
 public:
  typedef char Ch;
  static constexpr size_t kMaxIndent = 64;
  explicit IndentedStream(rapidjson::FileWriteStream &out) : out_(out) {}
  void Put(char c) {
    if (newline_) out_.Put('\n');
    newline_ = false;
    if (c == '\n') newline_ = true; else out_.Put(c);
  }
  void Indent(char c, size_t n) {
    if (n > kMaxIndent) {
      newline_ = false;  // the line goes on
      return;
    }
    if (newline_) out_.Put('\n');
    newline_ = false;
    rapidjson::PutN(out_, c, n);
  }
  void Flush() {
    if (newline_) out_.Put('\n');
    newline_ = false;
    out_.Flush();
  }

 private:
  rapidjson::FileWriteStream &out_;
  bool newline_ = false;
};
inline void PutN(IndentedStream &s, char c, size_t n) { s.Indent(c, n); }

// The JSON writer, and how it writes a tag's points, polygons or UVW.
struct Writer : rapidjson::PrettyWriter<IndentedStream> {
  using PrettyWriter::PrettyWriter;
  // Each such array as one base64 text of its 4-byte values in
  // little-endian order, for programs that read the entries as bytes.
  bool base64Arrays = false;
};

void Double(Writer &w, double v);
void Key(Writer &w, const char *k);
// The host's 8-bit text, as UTF-8.
void Str(Writer &w, const std::string &s);

class MaterialRefs;
// The objects of the list and everything below them.
void WriteObjects(Writer &w, const ElementList &list, MaterialRefs &materials);
void WriteMaterial(Writer &w, const Material &m);

// The undo list's steps, each an array of its entries (DocumentUndoWriter.cpp).
void WriteUndoSteps(Writer &w, const Document &doc, MaterialRefs &materials);

}  // namespace docwrite
}  // namespace tessaro

#endif
