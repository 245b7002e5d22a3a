// The document file's values: numbers, vectors, times, matrices, texts,
// containers and parameters, each failing with its place in the file.
#include <cmath>

#include "DocumentReader.h"
#include "Text.h"

namespace tessaro {

bool DocumentReader::Fail(const std::string &where, const std::string &what) {
  if (error_.empty()) error_ = "cannot read document '" + file_ + "': " + where + ": " + what;
  return false;
}

bool DocumentReader::Keys(const Json &v, const std::string &at, std::initializer_list<const char *> known) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
    bool ok = false;
    const std::string name(it->name.GetString(), it->name.GetStringLength());
    for (const char *k : known) ok = ok || name == k;
    if (!ok) return Fail(at, "unknown key \"" + name + "\"");
  }
  return true;
}

bool DocumentReader::Int(const Json &v, const std::string &at, int32_t *out) {
  if (!v.IsInt()) return Fail(at, "expected an integer");
  *out = v.GetInt();
  return true;
}

bool DocumentReader::RealValue(const Json &v, const std::string &at, float *out) {
  if (v.IsString()) {
    std::string s = v.GetString();
    if (s == "nan") *out = NAN;
    else if (s == "inf") *out = INFINITY;
    else if (s == "-inf") *out = -INFINITY;
    else return Fail(at, "expected a number");
    return true;
  }
  if (!v.IsNumber()) return Fail(at, "expected a number");
  *out = static_cast<float>(v.GetDouble());
  return true;
}

bool DocumentReader::Double(const Json &v, const std::string &at, double *out) {
  float f = 0;
  if (v.IsNumber()) {
    *out = v.GetDouble();
    return true;
  }
  if (!RealValue(v, at, &f)) return false;
  *out = f;
  return true;
}

bool DocumentReader::Vec(const Json &v, const std::string &at, th_vector *out) {
  if (!v.IsArray() || v.Size() != 3) return Fail(at, "expected three numbers");
  return RealValue(v[0], at + "/0", &out->x) && RealValue(v[1], at + "/1", &out->y) &&
         RealValue(v[2], at + "/2", &out->z);
}

bool DocumentReader::TimeValue(const Json &v, const std::string &at, th_time *out) {
  if (!v.IsArray() || v.Size() != 2) return Fail(at, "expected a time [numerator, denominator]");
  return Double(v[0], at + "/0", &out->numerator) && Double(v[1], at + "/1", &out->denominator);
}

bool DocumentReader::MatrixValue(const Json &m, const std::string &at, th_matrix *out) {
  if (!Keys(m, at, {"off", "v1", "v2", "v3"})) return false;
  if (m.HasMember("off") && !Vec(m["off"], at + "/off", &out->off)) return false;
  if (m.HasMember("v1") && !Vec(m["v1"], at + "/v1", &out->v1)) return false;
  if (m.HasMember("v2") && !Vec(m["v2"], at + "/v2", &out->v2)) return false;
  if (m.HasMember("v3") && !Vec(m["v3"], at + "/v3", &out->v3)) return false;
  return true;
}

bool DocumentReader::String(const Json &v, const std::string &at, std::string *out) {
  if (!v.IsString()) return Fail(at, "expected a text");
  return Text(v, at, out);
}

// A JSON text as the host's 8-bit text.
bool DocumentReader::Text(const Json &v, const std::string &at, std::string *out) {
  std::string beyond;
  if (!FromUtf8(std::string(v.GetString(), v.GetStringLength()), out, &beyond))
    return Fail(at, "the text holds " + beyond + ", which the host's 8-bit text cannot hold");
  return true;
}

bool DocumentReader::AnyValue(const Json &v, const std::string &at, Value *out) {
  if (v.IsInt()) {
    *out = Value::OfLong(v.GetInt());
  } else if (v.IsNumber()) {
    *out = Value::OfReal(static_cast<float>(v.GetDouble()));
  } else if (v.IsArray()) {
    th_vector x;
    if (!Vec(v, at, &x)) return false;
    *out = Value::OfVector(x);
  } else if (v.IsObject()) {
    th_time t;
    if (!Keys(v, at, {"time"}) || !v.HasMember("time") || !TimeValue(v["time"], at + "/time", &t))
      return Fail(at, "expected a time {\"time\": [n, d]}");
    *out = Value::OfTime(t);
  } else if (v.IsString()) {
    std::string s;
    float f;
    if (!Text(v, at, &s)) return false;
    if (s == "nan" || s == "inf" || s == "-inf") {
      RealValue(v, at, &f);
      *out = Value::OfReal(f);
    } else {
      *out = Value::OfText(s);
    }
  } else {
    return Fail(at, "expected an integer, a real, a vector or a text");
  }
  return true;
}

bool DocumentReader::ContainerValue(const Json &v, const std::string &at, Container *out) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
    std::string key(it->name.GetString(), it->name.GetStringLength());
    if (!IsContainerKey(key)) return Fail(at, "\"" + key + "\" is not a container ID");
    if (!AnyValue(it->value, at + "/" + key, &(*out)[static_cast<int32_t>(std::stol(key))])) return false;
  }
  return true;
}

bool DocumentReader::Params(const Json &v, const std::string &at, std::map<std::string, Value> *out) {
  if (!v.IsObject()) return Fail(at, "expected an object");
  for (auto it = v.MemberBegin(); it != v.MemberEnd(); ++it) {
    std::string key(it->name.GetString(), it->name.GetStringLength());
    if (key.empty() || key.find_first_not_of("0123456789.-") != std::string::npos)
      return Fail(at, "\"" + key + "\" is not a parameter ID");
    if (!AnyValue(it->value, at + "/" + key, &(*out)[key])) return false;
  }
  return true;
}

const DocumentReader::Json &DocumentReader::Empty() {
  static const Json empty(rapidjson::kArrayType);
  return empty;
}

}  // namespace tessaro
