// Writes the shipped example files with the project's own FT50 writer.
// Usage: make_examples DIR
#include <cstdio>
#include <string>

#include "ft50_writer.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_examples DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  bool ok = true;

  // The smallest complete file: the header and the end record.
  ok = Ft50Writer().Terminator().Save(dir + "/empty.ft50") && ok;

  // A scene with document and render settings, an object and a material;
  // records the host does not know are skipped whole.
  Ft50Writer scene;
  scene.Begin(2000).I32(25).Zeros(128).End();
  scene.Begin(4000).Zeros(163).Text("").Text("").End();
  scene.Begin(5703).Begin(5704).Text("Red").End().Terminator().End();
  scene.Begin(5020).Begin(5100).End().Begin(5021).Text("Cube").End().Terminator().End();
  scene.Begin(9999).Text("a record of a later version").End();
  scene.Terminator();
  ok = scene.Save(dir + "/scene.ft50") && ok;

  if (!ok) {
    std::fprintf(stderr, "make_examples: cannot write to %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
