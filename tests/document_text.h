// A document as its file holds it, for comparing documents in tests and in
// the fuzz target.
#ifndef TESSARO_TESTS_DOCUMENT_TEXT_H
#define TESSARO_TESTS_DOCUMENT_TEXT_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DocumentFile.h"

namespace testsupport {

// The document as written, without its undo list (the last key).
inline std::string DocumentContent(const tessaro::Document &doc) {
  char *text = nullptr;
  size_t size = 0;
  std::FILE *f = open_memstream(&text, &size);
  tessaro::WriteDocument(doc, f);
  std::fclose(f);
  std::string s(text, size);
  std::free(text);
  return s.substr(0, s.find("\n  \"undo\": "));
}

}  // namespace testsupport

#endif
