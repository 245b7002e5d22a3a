// A plug-in's resource folder: its string table, dialog layouts and
// descriptions, read from the text files beside the library.
//
//   strings_us/c4d_strings.str   STRINGTABLE { 10001 "text"; ... }
//   dialogs/<id>.res             DIALOG <id> "title" { gadgets }
//   description/<name>.res       CONTAINER <name> { NAME "text"; }
//
// Dialog gadgets: BUTTON id "label"; REALFIELD id "label"; LONGFIELD id
// "label"; LISTVIEW id "label"; RADIOGROUP id "label" { RADIO id "label"; ... }
// and GROUP "label" { gadgets } for grouping.
#ifndef TESSARO_HOST_RESOURCE_H
#define TESSARO_HOST_RESOURCE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tessaro {

struct GadgetDef {
  enum Kind { Button, RealField, LongField, ListView, RadioGroup, Radio, Group } kind;
  int32_t id = 0;
  std::string label;
  int32_t group = 0;  // the radio group a radio option belongs to
  int depth = 0;      // nesting, for drawing
};

struct DialogDef {
  int32_t id = 0;
  std::string title;
  std::vector<GadgetDef> gadgets;
};

struct PluginResource {
  std::string folder;
  std::map<int32_t, std::string> strings;
};

bool LoadPluginResource(const std::string &folder, PluginResource *out, std::string *error);
bool LoadDialogDef(const PluginResource &res, int32_t id, DialogDef *out, std::string *error);
bool LoadDescription(const PluginResource &res, const std::string &name, std::string *error);

}  // namespace tessaro

#endif
