// import --report: what a script reads of a run. Per input file: the
// answers, the load's result, what the document holds, and what the file
// held that the document did not get. The plug-in reports nothing itself,
// so the host finds the last from the file's records and the document.
#ifndef TESSARO_HOST_REPORT_H
#define TESSARO_HOST_REPORT_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Host.h"
#include "Inspect.h"
#include "c4d_symbols.h"

namespace tessaro {

// Counts over a whole document (in a merge or an update, the user's part
// too), and its extent: every point of every object, placed in the
// document, in document units.
struct DocumentFacts {
  std::map<std::string, uint64_t> objectsByType;  // "polygon", "spline", "light", "camera", "null", "type N"
  uint64_t objects = 0, polygons = 0, points = 0, materials = 0, textureTags = 0, tracks = 0, keys = 0;
  // Objects this import made (the others were the user's).
  uint64_t importedObjects = 0;
  bool hasBounds = false;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  int32_t fps = 0;
  double endTime = 0;  // seconds
};

// firstSerial: the first element serial of the import, so that the
// elements it made are told from the user's.
DocumentFacts DescribeDocument(const Document &doc, uint64_t firstSerial);

struct ReportWarning {
  // "skipped-records", "object-left-out", "object-removed", "user-object-removed", "material-unused",
  // "objects-missing", "framing"
  std::string kind;
  std::string text;
};

// What the file held that the document did not get, as far as the file's
// records, the answers and the document tell: handed each object record of
// the file's walk as it goes, then what the walk found.
class LeftOutFinder {
 public:
  explicit LeftOutFinder(const std::vector<ConfirmedAnswer> &answers);
  void Object(const FileFacts::ObjectRecord &o);
  std::vector<ReportWarning> Finish(const FileFacts &file, const DocumentFacts &doc,
                                    const Host::RemovedDuringLoad &removed);

 private:
  void Add(const char *kind, const std::string &text);
  int32_t kind_ = 0;
  bool update_ = false;
  uint64_t kept_ = 0;
  // Per material record: a texture tag names it; one of an object kept does.
  std::vector<bool> named_, namedByKept_;
  std::vector<ReportWarning> warnings_;
  std::map<std::string, size_t> listed_;
};

struct ReportEntry {
  std::string file;
  std::string output;  // what was written; empty for nothing
  int status = 0;      // the run's exit status
  std::string outcome;  // "imported", "truncated", "cancelled", "failed"
  std::string error;    // why it failed
  std::vector<ConfirmedAnswer> answers;
  bool loaded = false;  // the load ran: code and meaning say how it ended
  int32_t code = 0;
  std::string meaning;
  std::optional<DocumentFacts> document;
  // The file's records: how many, of objects and of materials, and its
  // framing problems.
  struct Records {
    uint64_t total = 0, objects = 0, materials = 0;
    int problems = 0;
  };
  std::optional<Records> records;
  std::vector<ReportWarning> warnings;
};

// Writes the report as JSON to path ("-": standard output).
bool WriteReport(const std::vector<ReportEntry> &entries, const std::string &path, std::string *error);

}  // namespace tessaro

#endif
