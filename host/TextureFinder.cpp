// Finding a texture file from the host's texture name: the folders, the
// name's spellings and base names, case, and links that lead outside.
#include "Textures.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "Path.h"
#include "Text.h"

namespace fs = std::filesystem;

namespace tessaro {

namespace {

bool RegularFile(const fs::path &p) {
  std::error_code ec;
  return fs::is_regular_file(fs::status(p, ec));
}

std::string Lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool HasDotDot(const std::string &name) {
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of("/\\", start);
    if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

// A name that may be looked up as a path below a folder: no scheme or
// drive (no ":" at all), not absolute, no "..".
bool RelativeName(const std::string &name) {
  return !name.empty() && name.find(':') == std::string::npos && name[0] != '/' && name[0] != '\\' &&
         !HasDotDot(name);
}

// A single file name that stays in its folder when joined to it.
bool PlainFileName(const std::string &base) {
  if (base.empty() || base == "." || base == "..") return false;
#if defined(_WIN32)
  if (base.find(':') != std::string::npos) return false;
#endif
  return base.find_first_of("/\\") == std::string::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(const std::string &s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = HexDigit(s[i + 1])) >= 0 &&
        (lo = HexDigit(s[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The base names a texture name may stand for: after the last separator;
// a drive or scheme without a separator ("C:oak.png") is dropped too, and
// a file URI's escapes are undone.
std::vector<std::string> BaseNames(const std::string &name) {
  std::vector<std::string> out;
  auto add = [&](const std::string &b) {
    if (PlainFileName(b) && std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
  };
  size_t slash = name.find_last_of("/\\");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  add(base);
  size_t colon = base.find_last_of(':');
  if (colon != std::string::npos) add(base.substr(colon + 1));
  if (Lower(name.substr(0, 5)) == "file:") {
    std::string decoded = PercentDecoded(base);
    if (decoded.find('\0') == std::string::npos) add(decoded);
  }
  return out;
}

// The spellings of a host name on disk: its 8-bit text as UTF-8 and,
// when its bytes already are UTF-8 beyond ASCII, those bytes.
std::vector<std::string> Spellings(const std::string &name) {
  std::vector<std::string> out = {ToUtf8(name)};
  std::string text, at;
  if (!FromUtf8(name, &text, &at) || text != name) out.push_back(name);
  return out;
}
}  // namespace

TextureFinder::TextureFinder(std::vector<std::string> folders, const std::vector<std::string> &roots) {
  for (std::string &f : folders)
    if (!f.empty()) folders_.push_back(std::move(f));
  for (const std::string &r : roots.empty() ? folders_ : roots) {
    std::error_code ec;
    fs::path real = fs::canonical(PathFromUtf8(r), ec);
    if (!ec) roots_.push_back(real);
  }
}

bool TextureFinder::Inside(const fs::path &p) {
  std::error_code ec;
  const fs::path real = fs::canonical(p, ec);
  if (ec) return false;
  for (const fs::path &root : roots_) {
    auto r = real.begin();
    bool within = true;
    for (auto f = root.begin(); within && f != root.end(); ++f, ++r) within = r != real.end() && *r == *f;
    if (within) return true;
  }
  if (outside_.empty()) outside_ = Utf8Of(p);
  return false;
}

std::string TextureFinder::Find(const std::string &name) {
  outside_.clear();
  if (name.empty() || name.find('\0') != std::string::npos) return "";
  const std::vector<std::string> spellings = Spellings(name);
  for (const std::string &s : spellings) {
    if (!RelativeName(s)) continue;
    std::string relative = s;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    for (const std::string &folder : folders_) {
      fs::path p = PathFromUtf8(folder) / PathFromUtf8(relative);
      if (RegularFile(p) && Inside(p)) return Utf8Of(p);
    }
  }
  std::vector<std::string> bases;
  for (const std::string &s : spellings)
    for (const std::string &b : BaseNames(s))
      if (std::find(bases.begin(), bases.end(), b) == bases.end()) bases.push_back(b);
  for (const std::string &b : bases)
    for (const std::string &folder : folders_) {
      fs::path p = PathFromUtf8(folder) / PathFromUtf8(b);
      if (RegularFile(p) && Inside(p)) return Utf8Of(p);
    }
  for (const std::string &b : bases) {
    std::string found = FindIgnoringCase(b);
    if (!found.empty()) return found;
  }
  return "";
}

// Files made on another system may differ from their names in case alone.
std::string TextureFinder::FindIgnoringCase(const std::string &base) {
  const std::string key = Lower(base);
  for (size_t i = 0; i < folders_.size(); ++i) {
    auto it = listings_.find(i);
    if (it == listings_.end()) {
      std::map<std::string, std::string> names;
      std::error_code ec;
      for (fs::directory_iterator d(PathFromUtf8(folders_[i]), ec), end; !ec && d != end; d.increment(ec)) {
        std::string n = Utf8Of(d->path().filename());
        names.emplace(Lower(n), n);
      }
      it = listings_.emplace(i, std::move(names)).first;
    }
    auto hit = it->second.find(key);
    if (hit == it->second.end()) continue;
    fs::path p = PathFromUtf8(folders_[i]) / PathFromUtf8(hit->second);
    if (RegularFile(p) && Inside(p)) return Utf8Of(p);
  }
  return "";
}

}  // namespace tessaro
