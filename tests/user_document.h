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
    auto *o = new tessaro::Object(type);
    o->name = name;
    host.TrackElement(o);
    tessaro::ElementList &list = parent ? parent->children : doc->objects;
    tessaro::ListInsert(list, parent, o, list.last);
    tessaro::SetDocument(o, doc);
    return o;
  };
  auto material = [&](const std::string &name) {
    auto *m = new tessaro::Material(5703);
    m->name = name;
    host.TrackElement(m);
    tessaro::ListInsert(doc->materials, nullptr, m, doc->materials.last);
    tessaro::SetDocument(m, doc);
    tessaro::MaterialNameTaken(doc, m);
    return m;
  };
  tessaro::Material *oak = material("Oak");
  material("Pine");
  tessaro::Object *target = object("Target", 5140, nullptr);
  object("Cam", 5103, target)->camera = true;
  object("Light", 5102, target);
  tessaro::Object *mesh = object("Mesh", 5100, target);
  auto *texture = new tessaro::Tag(5616);
  host.TrackElement(texture);
  texture->material = oak;
  texture->materialSerial = oak->serial;
  tessaro::ListInsert(mesh->tags, mesh, texture, nullptr);
  tessaro::SetDocument(texture, doc);
  tessaro::Object *group = object("Group", 5100, target);
  object("Spline", 5101, group);
  object("Other", 5140, nullptr);
  host.SetActiveDocument(doc);
  return doc;
}

}  // namespace testsupport

#endif
