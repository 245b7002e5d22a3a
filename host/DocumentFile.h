// The host's document file: one JSON format for reading a user's document
// and for writing the result of an import.
#ifndef TESSARO_HOST_DOCUMENT_FILE_H
#define TESSARO_HOST_DOCUMENT_FILE_H

#include <cstdio>
#include <string>

#include "Model.h"

namespace tessaro {

class Host;

// Writes the document as JSON, streaming: nothing is built in memory first.
// With base64Arrays each tag's points, polygons or UVW are one base64 text
// of their 4-byte values in little-endian order (which the reader reads
// too), far faster for a program to read than lists of numbers.
bool WriteDocument(const Document &doc, std::FILE *out, bool base64Arrays = false);
// Writes the document to path through WriteOutput (Output.h): a failure
// never leaves half a document.
bool WriteDocumentFile(const Document &doc, const std::string &path, std::string *error, bool base64Arrays = false);
// Reads a document file into doc (which must be empty and in the host).
bool ReadDocumentFile(Host &host, const std::string &path, Document *doc, std::string *error);
// Formats a single-precision value with the fewest digits that read back
// the same value, always with a decimal point or an exponent.
std::string FormatReal(float v);

// The object's path of names from the top level ("Table/Top").
std::string PathOf(const Element *e);

// A readable summary: the object tree with types and counts, the materials.
void WriteSummary(const Document &doc, std::FILE *out);

}  // namespace tessaro

#endif
