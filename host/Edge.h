// The C edge of the host: every function in the tables handed to plug-ins
// goes through Edge, so that no exception (a failed allocation in a string
// or a map, a bug) crosses into the plug-in. An exception becomes the
// operation's failure value (zero, null, nothing) and a recorded misuse.
#ifndef TESSARO_HOST_EDGE_H
#define TESSARO_HOST_EDGE_H

#include <exception>
#include <type_traits>

namespace tessaro {

// Records that a host function failed with an exception; never throws.
void EdgeFailed(const char *what) noexcept;

template <auto F>
struct Edge;

template <class R, class... A, R (*F)(A...)>
struct Edge<F> {
  static R Call(A... args) noexcept {
    try {
      return F(args...);
    } catch (const std::exception &e) {
      EdgeFailed(e.what());
    } catch (...) {
      EdgeFailed("an unknown exception");
    }
    if constexpr (!std::is_void_v<R>) return R{};
  }
};

}  // namespace tessaro

// The table entry for a host function.
#define TESSARO_EDGE(f) (&::tessaro::Edge<f>::Call)

#endif
