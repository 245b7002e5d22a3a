// A small user document for imports in merge and update modes: a target
// with a camera, a light, a textured mesh and a group holding a spline,
// and two materials.
#ifndef TESSARO_TESTS_USER_DOCUMENT_H
#define TESSARO_TESTS_USER_DOCUMENT_H

#include <string>

#include "Host.h"

namespace testsupport {

inline tessaro::Document *MakeUserDocument(tessaro::Host &host) {
  tessaro::Document *doc = host.NewDocument("user");
  auto object = [&](const std::string &name, int32_t type, tessaro::Object *parent) {
    auto *o = host.Elements().Make<tessaro::Object>(type);
    o->name = name;
    doc->AppendObject(*o, parent);
    return o;
  };
  auto material = [&](const std::string &name) {
    auto *m = host.Elements().Make<tessaro::Material>(5703);
    m->name = name;
    doc->AppendMaterial(*m);
    return m;
  };
  tessaro::Material *oak = material("Oak");
  material("Pine");
  tessaro::Object *target = object("Target", 5140, nullptr);
  object("Cam", 5103, target)->camera = true;
  object("Light", 5102, target);
  tessaro::Object *mesh = object("Mesh", 5100, target);
  auto *texture = host.Elements().Make<tessaro::Tag>(5616);
  texture->LinkMaterial(oak);
  mesh->AppendTag(*texture);
  tessaro::Object *group = object("Group", 5100, target);
  object("Spline", 5101, group);
  object("Other", 5140, nullptr);
  host.SetActiveDocument(doc);
  return doc;
}

}  // namespace testsupport

#endif
