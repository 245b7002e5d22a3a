#include "Material.h"

#include "host_types.h"

namespace tessaro {

Material::Material(int32_t t) : Element(ElementKind::Material, t) {
  if (t == Mmaterial) {
    channels.resize(TH_CHANNEL_COUNT);
    // A new standard material shows its colour and specular channels.
    channels[0].state = 1;
    channels[8].state = 1;
  }
}

Channel *Material::ChannelAt(int32_t id) {
  if (id < 0 || static_cast<size_t>(id) >= channels.size()) return nullptr;
  return &channels[static_cast<size_t>(id)];
}

void MaterialNames::Taken(Element *m) {
  Entry &n = names_[m->name];
  // A namesake may stand before or after m: which is first is found when asked.
  n.first = n.count == 0 ? m : nullptr;
  ++n.count;
}

void MaterialNames::Left(Element *m, const std::string &name) {
  auto it = names_.find(name);
  if (it == names_.end()) return;
  Entry &n = it->second;
  if (n.first == m) n.first = nullptr;
  if (n.count > 1) {
    --n.count;
    return;
  }
  names_.erase(it);
  // "BASE.k" is free again: BASE's search for a free suffix must see it.
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size() || name.size() - dot > 20) return;
  std::string digits = name.substr(dot + 1);
  if (digits[0] == '0' || digits.find_first_not_of("0123456789") != std::string::npos) return;
  auto base = names_.find(name.substr(0, dot));
  if (base == names_.end()) return;
  uint64_t k = std::stoull(digits);
  if (k < base->second.nextSuffix) base->second.nextSuffix = k;
}

Element *MaterialNames::First(const ElementList &materials, const std::string &name) {
  auto it = names_.find(name);
  if (it == names_.end()) return nullptr;
  if (!it->second.first) {
    for (Element *e = materials.first; e; e = e->next)
      if (e->name == name) {
        it->second.first = e;
        break;
      }
  }
  return it->second.first;
}

std::string MaterialNames::Unique(const std::string &name) {
  auto it = names_.find(name);
  if (it == names_.end()) return name;
  for (uint64_t i = it->second.nextSuffix;; ++i) {
    std::string candidate = name + "." + std::to_string(i);
    if (!names_.count(candidate)) {
      it->second.nextSuffix = i;
      return candidate;
    }
  }
}

size_t MaterialNames::Count(const std::string &name) const {
  auto it = names_.find(name);
  return it == names_.end() ? 0 : it->second.count;
}

}  // namespace tessaro
