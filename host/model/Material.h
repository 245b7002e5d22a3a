// Materials, their channels, and a document's count of material names.
#ifndef TESSARO_HOST_MODEL_MATERIAL_H
#define TESSARO_HOST_MODEL_MATERIAL_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Element.h"

namespace tessaro {

struct Channel {
  int32_t state = 0;
  Container data;
};

class Material : public Element {
 public:
  explicit Material(int32_t t);
  // A standard material (type Mmaterial) has channels 0 to 11; others have none.
  std::vector<Channel> channels;
  int updates = 0;  // calls of Update

  // The channel with the ID, or null.
  Channel *ChannelAt(int32_t id);
  void Update() { ++updates; }
};

// What a document knows of its materials' names: how many bear each, the
// first of them in list order, and where the search for a free suffix
// starts. An ordered map: no choice of names can make its lookups slow.
class MaterialNames {
 public:
  // m (in the document's material list) has come to bear its name.
  void Taken(Element *m);
  // m is leaving name (it left the list, or is being renamed).
  void Left(Element *m, const std::string &name);
  // The first of the materials named name, in list order, or null.
  Element *First(const ElementList &materials, const std::string &name);
  // The name itself when no material bears it, else the first free
  // "name.1", "name.2", ... as a host keeps material names unique.
  std::string Unique(const std::string &name);
  size_t Count(const std::string &name) const;

 private:
  struct Entry {
    size_t count = 0;
    // The first of them in list order; null when that is not known, and
    // then found by a walk when asked.
    Element *first = nullptr;
    // "NAME.1" to "NAME.(nextSuffix - 1)" are all taken.
    uint64_t nextSuffix = 1;
  };
  std::map<std::string, Entry> names_;
};

}  // namespace tessaro

#endif
