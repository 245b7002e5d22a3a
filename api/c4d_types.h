// Basic types of the host interface and the binding's access to it.
#ifndef TESSARO_C4D_TYPES_H
#define TESSARO_C4D_TYPES_H

#include <stddef.h>
#include <stdint.h>

#include "host_interface.h"

typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SWORD;
typedef uint16_t UWORD;
typedef int8_t CHAR;
typedef uint8_t UCHAR;
typedef float Real;
typedef double LReal;
typedef int32_t Bool;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// The record handed over by initialise action 1; every operation below goes
// through it.
extern const th_host_interface *t_host;

// True when the record is recent enough and every table holds the operations
// this binding calls. The one place that decides compatibility.
bool th_interface_compatible(const th_host_interface *host) noexcept;

struct Vector {
  Real x = 0, y = 0, z = 0;
  Vector() noexcept = default;
  Vector(Real a, Real b, Real c) noexcept : x(a), y(b), z(c) {}
};

struct Matrix {
  Vector off, v1{1, 0, 0}, v2{0, 1, 0}, v3{0, 0, 1};
};

// A polygon of four point indices; a triangle repeats c as d.
struct CPolygon {
  LONG a = 0, b = 0, c = 0, d = 0;
};

// The UVW coordinates of a polygon's corners.
struct UVWStruct {
  Vector a, b, c, d;
};

static_assert(sizeof(Vector) == sizeof(th_vector), "Vector crosses the boundary as th_vector");
static_assert(sizeof(CPolygon) == sizeof(th_polygon), "CPolygon crosses the boundary as th_polygon");
static_assert(sizeof(UVWStruct) == sizeof(th_uvw), "UVWStruct crosses the boundary as th_uvw");
static_assert(sizeof(Matrix) == sizeof(th_matrix), "Matrix crosses the boundary as th_matrix");

inline const th_vector *CVec(const Vector &v) noexcept { return reinterpret_cast<const th_vector *>(&v); }
inline th_vector *CVec(Vector &v) noexcept { return reinterpret_cast<th_vector *>(&v); }

// ---- memory ---------------------------------------------------------------
inline void *GeAlloc(LONG size) noexcept { return t_host->memory->GeAlloc(size); }
template <class T>
inline void GeFree(T *&block) noexcept {
  void *p = block;
  t_host->memory->GeFree(&p);
  block = nullptr;
}

// Plug-in classes that the host owns are created through the host's
// allocator; deriving from HostAllocated routes new and delete there.
struct HostAllocated {
  static void *operator new(size_t size) noexcept { return GeAlloc(static_cast<LONG>(size)); }
  static void operator delete(void *p) noexcept { GeFree(p); }
};

// ---- String ---------------------------------------------------------------
class String {
 public:
  String() noexcept : s_(t_host->string->Alloc(nullptr)) {}
  String(const char *text) noexcept : s_(t_host->string->Alloc(text)) {}
  String(const String &o) noexcept : s_(t_host->string->Alloc(nullptr)) { t_host->string->CopyTo(o.s_, s_); }
  String &operator=(const String &o) noexcept {
    t_host->string->CopyTo(o.s_, s_);
    return *this;
  }
  ~String() { t_host->string->Free(&s_); }
  Bool Content() const noexcept { return t_host->string->Content(s_); }
  bool operator==(const String &o) const noexcept { return t_host->string->Equal(s_, o.s_) != 0; }
  bool operator!=(const String &o) const noexcept { return !(*this == o); }
  void SetCString(const char *text) noexcept { t_host->string->SetCString(s_, text); }
  LONG GetCString(char *buffer, LONG size) const noexcept { return t_host->string->GetCString(s_, buffer, size); }
  th_string *Get() const noexcept { return s_; }

 private:
  th_string *s_;
};

// ---- time -------------------------------------------------------------------
// The host's time: numerator / denominator, compared as the host does.
class BaseTime {
 public:
  BaseTime() noexcept : t_{0, 1} {}
  BaseTime(LReal numerator, LReal denominator) noexcept : t_{numerator, denominator} {}
  explicit BaseTime(const th_time &t) noexcept : t_(t) {}
  LReal GetNumerator() const noexcept { return t_.numerator; }
  LReal GetDenominator() const noexcept { return t_.denominator; }
  // Equal numerators and denominators are equal; otherwise a is earlier
  // when floor(a.num * b.den) < floor(b.num * a.den).
  bool operator==(const BaseTime &o) const noexcept {
    return t_.numerator == o.t_.numerator && t_.denominator == o.t_.denominator;
  }
  bool operator<(const BaseTime &o) const noexcept;
  bool operator>(const BaseTime &o) const noexcept { return o < *this; }
  bool operator<=(const BaseTime &o) const noexcept { return !(o < *this); }
  bool operator>=(const BaseTime &o) const noexcept { return !(*this < o); }
  const th_time *Get() const noexcept { return &t_; }
  th_time *Get() noexcept { return &t_; }

 private:
  th_time t_;
};

// ---- data values ------------------------------------------------------------
class DescID {
 public:
  explicit DescID(LONG a) noexcept : d_{1, {a, 0, 0}} {}
  DescID(LONG a, LONG b) noexcept : d_{2, {a, b, 0}} {}
  DescID(LONG a, LONG b, LONG c) noexcept : d_{3, {a, b, c}} {}
  const th_descid *Get() const noexcept { return &d_; }

 private:
  th_descid d_;
};

class GeData {
 public:
  GeData() noexcept : d_{TH_DA_NIL, 0, 0, {0, 0, 0}} {}
  explicit GeData(LONG v) noexcept : d_{TH_DA_LONG, v, 0, {0, 0, 0}} {}
  explicit GeData(Real v) noexcept : d_{TH_DA_REAL, 0, v, {0, 0, 0}} {}
  explicit GeData(const Vector &v) noexcept : d_{TH_DA_VECTOR, 0, 0, {v.x, v.y, v.z}} {}
  LONG GetType() const noexcept { return d_.type; }
  LONG GetLong() const noexcept { return d_.l; }
  Real GetReal() const noexcept { return d_.r; }
  Vector GetVector() const noexcept { return Vector(d_.v.x, d_.v.y, d_.v.z); }
  const th_gedata *Get() const noexcept { return &d_; }
  th_gedata *Get() noexcept { return &d_; }

 private:
  th_gedata d_;
};

class BaseContainer {
 public:
  BaseContainer() noexcept : bc_(t_host->data->ContainerAlloc()), owned_(true) {}
  BaseContainer(const BaseContainer &o) noexcept : BaseContainer() { t_host->data->ContainerCopyTo(o.bc_, bc_); }
  BaseContainer &operator=(const BaseContainer &o) noexcept {
    t_host->data->ContainerCopyTo(o.bc_, bc_);
    return *this;
  }
  ~BaseContainer() {
    if (owned_) t_host->data->ContainerFree(&bc_);
  }
  // A view of a container that the host owns for the length of a call.
  static const BaseContainer View(const th_container *bc) noexcept { return BaseContainer(bc); }

  void SetLong(LONG id, LONG v) noexcept { t_host->data->ContainerSetLong(bc_, id, v); }
  void SetReal(LONG id, Real v) noexcept { t_host->data->ContainerSetReal(bc_, id, v); }
  void SetVector(LONG id, const Vector &v) noexcept { t_host->data->ContainerSetVector(bc_, id, CVec(v)); }
  void SetString(LONG id, const String &v) noexcept { t_host->data->ContainerSetString(bc_, id, v.Get()); }
  LONG GetLong(LONG id, LONG preset = 0) const noexcept { return t_host->data->ContainerGetLong(bc_, id, preset); }
  Real GetReal(LONG id, Real preset = 0) const noexcept { return t_host->data->ContainerGetReal(bc_, id, preset); }
  Bool GetVector(LONG id, Vector *v) const noexcept { return t_host->data->ContainerGetVector(bc_, id, CVec(*v)); }
  String GetString(LONG id) const noexcept {
    String s;
    t_host->data->ContainerGetString(bc_, id, s.Get());
    return s;
  }
  void SetTime(LONG id, const BaseTime &t) noexcept { t_host->data->ContainerSetTime(bc_, id, t.Get()); }
  BaseTime GetTime(LONG id, const BaseTime &preset = BaseTime()) const noexcept {
    BaseTime t;
    return t_host->data->ContainerGetTime(bc_, id, t.Get()) ? t : preset;
  }
  th_container *Get() const noexcept { return bc_; }

 private:
  explicit BaseContainer(const th_container *bc) noexcept : bc_(const_cast<th_container *>(bc)), owned_(false) {}
  th_container *bc_;
  bool owned_;
};

#endif
