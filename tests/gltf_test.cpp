// The glTF export: read back with tinygltf and compared value for value.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include <sys/wait.h>

#include <tiny_gltf.h>

#include "c4d_symbols.h"
#include "GltfBinary.h"
#include "GltfExport.h"
#include "Trig.h"
#include "ft50_scene.h"
#include "images.h"
#include "support.h"

namespace {

using ft50::Named;
using testsupport::fs::path;
using testsupport::ReadText;
using testsupport::WriteText;

// Images are read back as the bytes the file holds.
bool KeepBytes(tinygltf::Image *image, const int, std::string *, std::string *, int, int, const unsigned char *bytes,
               int size, void *) {
  image->image.assign(bytes, bytes + size);
  return true;
}

class GltfTest : public testsupport::HostTest {
 protected:
  // Exports into the test's folder, or to an absolute path, and reads the
  // file back.
  tinygltf::Model Export(const std::string &name, const tessaro::GltfOptions &options = {},
                         std::vector<std::string> *warnings = nullptr) {
    std::string path = name[0] == '/' ? name : dir_.File(name), why;
    EXPECT_TRUE(tessaro::WriteGltfFile(*Doc(), path, &why, warnings, options)) << why;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(KeepBytes, nullptr);
    std::string err, warn;
    bool ok = name.size() > 4 && name.substr(name.size() - 4) == ".glb"
                  ? loader.LoadBinaryFromFile(&model, &err, &warn, path)
                  : loader.LoadASCIIFromFile(&model, &err, &warn, path);
    EXPECT_TRUE(ok) << err;
    return model;
  }
  // A material whose colour channel names a texture file.
  void Textured(const std::string &material, const std::string &texture) {
    AddUserMaterial(material)->channels[0].data[1002] = tessaro::Value::OfText(texture);
  }
  std::string Folder(const std::string &name) {
    testsupport::fs::create_directories(dir_.File(name));
    return dir_.File(name);
  }
  // The image of the material's colour texture, or null.
  static const tinygltf::Image *ImageOf(const tinygltf::Model &m, const std::string &material) {
    for (const tinygltf::Material &mat : m.materials) {
      if (mat.name != material) continue;
      int t = mat.pbrMetallicRoughness.baseColorTexture.index;
      if (t < 0) return nullptr;
      return &m.images.at(static_cast<size_t>(m.textures.at(static_cast<size_t>(t)).source));
    }
    ADD_FAILURE() << "no material " << material;
    return nullptr;
  }
  static std::string Bytes(const tinygltf::Image *image) {
    return image ? std::string(image->image.begin(), image->image.end()) : "(none)";
  }
  static bool Has(const std::vector<std::string> &warnings, const std::string &part) {
    for (const std::string &w : warnings)
      if (w.find(part) != std::string::npos) return true;
    return false;
  }
  // Khronos' glTF-Validator (tests/gltf, installed by scripts/test.sh).
  static bool ValidatorInstalled() {
    return testsupport::fs::exists(TESSARO_SOURCE_DIR "/tests/gltf/node_modules/gltf-validator");
  }
  // No errors in the validator's report; the report otherwise.
  ::testing::AssertionResult Validates(const std::string &file) {
    std::string report = dir_.File("report.txt");
    std::string cmd = "node " TESSARO_SOURCE_DIR "/tests/gltf/validate.mjs '" + file + "' >" + report + " 2>&1";
    int rc = std::system(cmd.c_str());
    if (WIFEXITED(rc) && WEXITSTATUS(rc) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ReadText(report);
  }
  // One key on the component track of an object.
  void AddKey(tessaro::Object *o, int32_t track, int32_t component, th_time time, float value) {
    auto *t = host_->Elements().Make<tessaro::Track>(th_descid{2, {track, component, 0}});
    o->InsertTrack(*t, nullptr);
    auto *seq = host_->Elements().Make<tessaro::Sequence>(5002);
    seq->end = time;
    t->AppendSequence(*seq);
    auto *key = host_->Elements().Make<tessaro::AnimationKey>(5002);
    key->time = time;
    key->data[0] = value;
    seq->InsertKey(*key);
  }
  static tessaro::GltfOptions Units(double scale) {
    tessaro::GltfOptions o;
    o.unitScale = scale;
    return o;
  }
  template <class T>
  static std::vector<T> Read(const tinygltf::Model &m, int accessor) {
    const tinygltf::Accessor &a = m.accessors.at(static_cast<size_t>(accessor));
    const tinygltf::BufferView &v = m.bufferViews.at(static_cast<size_t>(a.bufferView));
    const unsigned char *p = m.buffers.at(0).data.data() + v.byteOffset + a.byteOffset;
    size_t n = a.count * static_cast<size_t>(tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type)));
    return std::vector<T>(reinterpret_cast<const T *>(p), reinterpret_cast<const T *>(p) + n);
  }
  // Imports a unit cube of six quadrangles, a UV per point, and a phong tag
  // of the angle when one is given.
  void ImportCube(float phong = -1) {
    Ft50Writer f;
    ft50::Object(f, 5100, Named("Cube"), [&](Ft50Writer &b) {
      ft50::Points(b, kCubePoints);
      ft50::Polygons(b, 5654, kCubeQuads);
      std::vector<std::array<float, 2>> uv;
      for (const auto &p : kCubePoints) uv.push_back({p[0] * 0.5f, p[1] * 0.25f + p[2] * 0.5f});
      ft50::Uv(b, uv);
      if (phong >= 0) ft50::Phong(b, phong);
    });
    f.Terminator();
    ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  }
  const std::vector<ft50::V3> kCubePoints = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                             {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  // Clockwise seen from outside, as the host's front faces are.
  const std::vector<std::vector<int64_t>> kCubeQuads = {{0, 3, 2, 1}, {5, 6, 7, 4}, {4, 7, 3, 0},
                                                        {1, 2, 6, 5}, {3, 7, 6, 2}, {4, 0, 1, 5}};
};

// Rotates v by the quaternion (x, y, z, w).
std::array<double, 3> Rotate(const std::vector<double> &q, std::array<double, 3> v) {
  double x = q[0], y = q[1], z = q[2], w = q[3];
  double tx = 2 * (y * v[2] - z * v[1]), ty = 2 * (z * v[0] - x * v[2]), tz = 2 * (x * v[1] - y * v[0]);
  return {v[0] + w * tx + y * tz - z * ty, v[1] + w * ty + z * tx - x * tz, v[2] + w * tz + x * ty - y * tx};
}

// The cube's eight points, in metres, z mirrored; each quadrangle split
// into (a, c, b) and (a, d, c), front faces counter-clockwise. Without a phong tag, or with one whose
// angle is below the cube's 90 degrees, every face is flat: four vertices
// of its own whose normals point out of the cube. Above 90 degrees the
// cube is smooth: a vertex per point, its normal along the diagonal.
TEST_F(GltfTest, AKnownCubeExportsExactly) {
  for (float phong : {-1.0f, 0.5f, 1.7f}) {
    ImportCube(phong);
    for (const char *name : {"cube.gltf", "cube.glb"}) {
      tinygltf::Model m = Export(name);
      ASSERT_EQ(m.meshes.size(), 1u) << name;
      ASSERT_EQ(m.nodes.size(), 1u);
      EXPECT_EQ(m.nodes[0].name, "Cube");
      const tinygltf::Primitive &prim = m.meshes[0].primitives.at(0);
      std::vector<float> pos = Read<float>(m, prim.attributes.at("POSITION"));
      std::vector<float> normal = Read<float>(m, prim.attributes.at("NORMAL"));
      std::vector<float> tex = Read<float>(m, prim.attributes.at("TEXCOORD_0"));
      std::vector<uint32_t> idx = Read<uint32_t>(m, prim.indices);
      const bool smooth = phong > 1.6f;
      ASSERT_EQ(pos.size(), (smooth ? 8u : 24u) * 3) << "phong " << phong;
      ASSERT_EQ(idx.size(), 36u);
      for (size_t t = 0; t < 36; ++t) {
        const auto &q = kCubeQuads[t / 6];
        const size_t split[6] = {0, 2, 1, 0, 3, 2};
        const auto &p = kCubePoints[static_cast<size_t>(q[split[t % 6]])];
        uint32_t v = idx[t];
        EXPECT_FLOAT_EQ(pos[3 * v], p[0] * 0.01f);
        EXPECT_FLOAT_EQ(pos[3 * v + 1], p[1] * 0.01f);
        EXPECT_FLOAT_EQ(pos[3 * v + 2], -p[2] * 0.01f) << "z is mirrored";
        EXPECT_EQ(tex[2 * v], p[0] * 0.5f);
        EXPECT_EQ(tex[2 * v + 1], p[1] * 0.25f + p[2] * 0.5f);
        // Out of the cube: from its centre towards the point (smooth) or
        // along the face's axis (flat).
        double centre[3] = {0.005, 0.005, -0.005}, out[3];
        for (int k = 0; k < 3; ++k) out[k] = pos[3 * v + static_cast<uint32_t>(k)] - centre[k];
        double dot = 0, len = 0;
        for (int k = 0; k < 3; ++k) {
          float n = normal[3 * v + static_cast<uint32_t>(k)];
          dot += n * out[k] / 0.005;
          len += double(n) * n;
          if (!smooth) {
            EXPECT_TRUE(n == 0 || std::fabs(n) == 1) << "flat normals are axes";
          }
        }
        EXPECT_NEAR(len, 1, 1e-6);
        EXPECT_NEAR(dot, smooth ? std::sqrt(3.0) : 1, 1e-5) << "phong " << phong << ", corner " << t;
      }
      const tinygltf::Accessor &a = m.accessors.at(static_cast<size_t>(prim.attributes.at("POSITION")));
      EXPECT_EQ(a.minValues, (std::vector<double>{0, 0, -0.01f}));
      EXPECT_EQ(a.maxValues, (std::vector<double>{0.01f, 0.01f, 0}));
    }
  }
}

// Corners that share a point but not a UV become vertices of their own; a
// triangle gives one triangle; placement and materials arrive in glTF's
// terms.
TEST_F(GltfTest, SplitsPlacementAndMaterials) {
  tessaro::Object *o = AddUserObject("Pair", 5100);
  AddUserPoints(o, 4);
  tessaro::Tag *polys = testsupport::AddTag(*host_, o, 5604);
  polys->entries = 2;
  const int32_t corners[8] = {0, 1, 2, 2, 0, 2, 3, 3};
  polys->payload.assign(reinterpret_cast<const uint8_t *>(corners), reinterpret_cast<const uint8_t *>(corners) + 32);
  tessaro::Tag *uvw = testsupport::AddTag(*host_, o, 5671);
  uvw->entries = 2;
  th_vector uvs[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0}, {0.5f, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0}};
  uvw->payload.assign(reinterpret_cast<const uint8_t *>(uvs), reinterpret_cast<const uint8_t *>(uvs) + 96);
  auto *square = reinterpret_cast<th_vector *>(tessaro::FindTag(*o, 5600)->payload.data());
  square[1] = {1, 0, 0}, square[2] = {1, 1, 0}, square[3] = {0, 1, 0};
  testsupport::AddTag(*host_, o, 5612)->params["1001"] = tessaro::Value::OfLong(0);  // smooth everywhere
  o->pos = {100, 200, 300};
  o->scale = {2, 2, 2};
  tessaro::Material *red = AddUserMaterial("Red");
  red->channels[0].data[1000] = tessaro::Value::OfVector({1, 0.5f, 0});
  red->channels[0].data[1001] = tessaro::Value::OfReal(0.5f);
  red->channels[0].data[1002] = tessaro::Value::OfText("my red.png");
  WriteText(dir_.File("my red.png"), images::Png(images::Pattern(2, 2, 1)));
  red->channels[2].state = 1;
  red->channels[2].data[1001] = tessaro::Value::OfReal(0.25f);
  red->channels[8].state = 1;
  red->params["1016"] = tessaro::Value::OfReal(0.75f);
  AddUserTexture(o, red, 0);
  tessaro::Material *mirror = AddUserMaterial("Mirror");
  mirror->channels[8].state = 1;
  mirror->params["1016"] = tessaro::Value::OfReal(0);
  AddUserMaterial("Matte")->channels[8].state = 0;

  tessaro::GltfOptions options;
  options.textureFolders = {dir_.Path()};
  tinygltf::Model m = Export("scene.gltf", options);
  ASSERT_EQ(m.meshes.size(), 1u);
  const tinygltf::Primitive &prim = m.meshes[0].primitives.at(0);
  EXPECT_EQ(Read<float>(m, prim.attributes.at("POSITION")).size(), 5u * 3) << "point 0 has two UVs: five vertices";
  EXPECT_EQ(Read<uint32_t>(m, prim.indices), (std::vector<uint32_t>{0, 1, 2, 3, 4, 1}));
  const tinygltf::Node &n = m.nodes.at(0);
  EXPECT_EQ(n.translation, (std::vector<double>{1, 2, -3})) << "centimetres become metres";
  EXPECT_EQ(n.scale, (std::vector<double>{2, 2, 2}));
  ASSERT_EQ(prim.material, 0);
  ASSERT_EQ(m.materials.size(), 3u);
  const auto &red_ = m.materials[0].pbrMetallicRoughness, &mirror_ = m.materials[1].pbrMetallicRoughness,
             &matte = m.materials[2].pbrMetallicRoughness;
  EXPECT_EQ(red_.baseColorFactor, (std::vector<double>{0.5, 0.5, 0.5, 0.75})) << "the texture, at half brightness";
  EXPECT_EQ(m.materials[0].alphaMode, "BLEND");
  EXPECT_EQ(red_.roughnessFactor, 0.75) << "the highlight's width";
  EXPECT_EQ(mirror_.roughnessFactor, 0.2) << "never a mirror";
  EXPECT_EQ(matte.roughnessFactor, 1) << "no specular channel";
  for (const auto *pbr : {&red_, &mirror_, &matte}) EXPECT_EQ(pbr->metallicFactor, 0);
  ASSERT_EQ(m.images.size(), 1u);
  EXPECT_EQ(m.images[0].uri, "my%20red.png");
  tinygltf::Model metres = Export("metres.gltf", Units(1));
  EXPECT_EQ(metres.nodes.at(0).translation, (std::vector<double>{100, 200, -300}));
  EXPECT_EQ(metres.materials.at(0).pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.5, 0.25, 0, 0.75}))
      << "without its texture file, the colour";
}

// The host turns an object by Ry(-h) Rx(-p) Rz(-b): a heading of 90
// degrees takes its front (+z) to -x, a positive pitch raises the front,
// a positive bank takes +x down towards -y. In glTF, z mirrored, the front
// is -z; the quaternion must turn the mirrored axes alike, for any angles.
TEST_F(GltfTest, RotationsTurnAsTheHostTurnsThem) {
  auto host = [](double h, double p, double b, std::array<double, 3> v) {
    auto rx = [](double a, std::array<double, 3> u) -> std::array<double, 3> {
      return {u[0], std::cos(a) * u[1] - std::sin(a) * u[2], std::sin(a) * u[1] + std::cos(a) * u[2]};
    };
    auto ry = [](double a, std::array<double, 3> u) -> std::array<double, 3> {
      return {std::cos(a) * u[0] + std::sin(a) * u[2], u[1], -std::sin(a) * u[0] + std::cos(a) * u[2]};
    };
    auto rz = [](double a, std::array<double, 3> u) -> std::array<double, 3> {
      return {std::cos(a) * u[0] - std::sin(a) * u[1], std::sin(a) * u[0] + std::cos(a) * u[1], u[2]};
    };
    return ry(-h, rx(-p, rz(-b, v)));
  };
  auto mirrored = [](std::array<double, 3> v) { return std::array<double, 3>{v[0], v[1], -v[2]}; };
  auto gltf = [](double h, double p, double b) {
    double q[4];
    tessaro::GltfRotation({float(h), float(p), float(b)}, q);
    return std::vector<double>(q, q + 4);
  };
  auto near = [](std::array<double, 3> a, std::array<double, 3> b) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[static_cast<size_t>(i)], b[static_cast<size_t>(i)], 1e-6);
  };
  const float quarter = static_cast<float>(M_PI / 2);
  near(host(quarter, 0, 0, {0, 0, 1}), {-1, 0, 0});
  near(host(0, 0.3, 0, {0, 0, 1}), {0, std::sin(0.3), std::cos(0.3)});
  near(host(0, 0, 0.3, {1, 0, 0}), {std::cos(0.3), -std::sin(0.3), 0});
  for (auto hpb : std::vector<std::array<float, 3>>{{quarter, 0, 0}, {0, 0.3f, 0}, {0, 0, 0.3f}, {0.4f, -0.7f, 1.1f},
                                                    {-2.5f, 1.2f, -0.2f}}) {
    std::vector<double> q = gltf(hpb[0], hpb[1], hpb[2]);
    for (std::array<double, 3> axis : {std::array<double, 3>{1, 0, 0}, {0, 1, 0}, {0, 0, 1}})
      near(Rotate(q, mirrored(axis)), mirrored(host(hpb[0], hpb[1], hpb[2], axis)));
  }
}

// Cameras, lights and tracks carry the numbers the document implies.
TEST_F(GltfTest, CamerasLightsAndTracksCarryTheDocumentsNumbers) {
  tessaro::Object *box = AddUserObject("Box", 5100);
  AddUserPoints(box, 3);
  tessaro::Tag *polys = testsupport::AddTag(*host_, box, 5604);
  polys->entries = 1;
  const int32_t tri[4] = {0, 1, 2, 2};
  polys->payload.assign(reinterpret_cast<const uint8_t *>(tri), reinterpret_cast<const uint8_t *>(tri) + 16);
  auto *points = reinterpret_cast<th_vector *>(tessaro::FindTag(*box, 5600)->payload.data());
  points[0] = {-100, 0, 0}, points[1] = {100, 0, 0}, points[2] = {0, 0, 200};  // centred on (0, 0, 1) m once mirrored
  tessaro::Object *camera = AddUserObject("Camera", 5103);
  camera->camera = true;
  camera->focus = 50, camera->aperture = 36;
  camera->pos = {0, 0, -1000};
  tessaro::Object *spot = AddUserObject("Spot", 5102);
  spot->pos = {0, 300, 500};  // 5 m from the mesh's centre
  spot->params["90002"] = tessaro::Value::OfLong(1);
  spot->params["90001"] = tessaro::Value::OfReal(0.5f);
  spot->params["90011"] = tessaro::Value::OfReal(1.0f);
  spot->params["90000"] = tessaro::Value::OfVector({1, 0.5f, 2});
  tessaro::Object *sun = AddUserObject("Sun", 5102);
  sun->params["90002"] = tessaro::Value::OfLong(4);
  sun->params["90001"] = tessaro::Value::OfReal(2);
  AddKey(camera, 903, 1002, {50, 25}, -500);
  AddKey(camera, 904, 1001, {50, 25}, 0.25f);

  tinygltf::Model m = Export("lit.gltf");
  ASSERT_EQ(m.cameras.size(), 1u);
  const tinygltf::PerspectiveCamera &c = m.cameras[0].perspective;
  EXPECT_DOUBLE_EQ(c.aspectRatio, 4.0 / 3);
  EXPECT_DOUBLE_EQ(c.yfov, 2 * std::atan(36 * 0.75 / 100)) << "the film is the aperture wide, 3/4 of it high";
  EXPECT_DOUBLE_EQ(c.znear, 0.01);
  EXPECT_GE(c.zfar, 1000) << "1 km at least";
  ASSERT_EQ(m.lights.size(), 2u);
  const double full = M_PI * 683;
  EXPECT_EQ(m.lights[0].type, "spot");
  EXPECT_NEAR(m.lights[0].intensity, 0.5 * full * 25, 1e-6) << "half a full light at the mesh 5 m away, in candela";
  EXPECT_DOUBLE_EQ(m.lights[0].spot.outerConeAngle, 0.5) << "half the cone's opening";
  EXPECT_EQ(m.lights[0].color, (std::vector<double>{1, 0.5, 1}));
  EXPECT_EQ(m.lights[1].type, "directional");
  EXPECT_NEAR(m.lights[1].intensity, 2 * full, 1e-6) << "lux";
  ASSERT_EQ(m.animations.size(), 1u);
  ASSERT_EQ(m.animations[0].channels.size(), 2u);
  for (const tinygltf::AnimationChannel &ch : m.animations[0].channels) {
    const tinygltf::AnimationSampler &s = m.animations[0].samplers.at(static_cast<size_t>(ch.sampler));
    EXPECT_EQ(Read<float>(m, s.input), (std::vector<float>{2}));
    std::vector<float> out = Read<float>(m, s.output);
    if (ch.target_path == "translation") {
      EXPECT_EQ(out, (std::vector<float>{0, 0, 5})) << "z = -500 cm, mirrored, in metres";
    } else {
      double q[4];
      tessaro::GltfRotation({0, 0.25f, 0}, q);
      EXPECT_EQ(out, (std::vector<float>{float(q[0]), float(q[1]), float(q[2]), float(q[3])}));
    }
  }
}

// Texture files are looked for beside the imported file, in its tex
// folder, then in the user's folders, in that order; a name from another
// machine is found by its base name, and in any case when nothing matches
// exactly. A GLB carries each as it is.
TEST_F(GltfTest, TexturesAreFoundWhereTheUserKeepsThem) {
  const std::string beside = Folder("scene"), tex = Folder("scene/tex"), extra = Folder("extra");
  Folder("scene/maps");
  struct Case {
    std::string texture, file;
  };
  const std::vector<Case> cases = {
      {"beside.png", beside + "/beside.png"},
      {"intex.png", tex + "/intex.png"},
      {"extra.jpg", extra + "/extra.jpg"},
      {"maps\\sub.png", beside + "/maps/sub.png"},          // a relative path with Windows separators
      {"C:\\maps\\win.png", extra + "/win.png"},            // a Windows path: its base name
      {"/Users/x/Textures/mac.png", tex + "/mac.png"},      // another machine's absolute path
      {"file:///Users/x/my%20wood.png", extra + "/my wood.png"},
      {"MIXED.png", extra + "/Mixed.PNG"},                  // made on a system that ignores case
      {"W\xfcrfel.png", beside + "/W\xc3\xbcrfel.png"},     // the host's 8-bit names are Latin-1
      {"first.png", beside + "/first.png"},                 // also in tex: the first folder wins
  };
  int seed = 0;
  for (const Case &c : cases) {
    images::Picture p = images::Pattern(3, 2, ++seed);
    WriteText(c.file, c.file.substr(c.file.size() - 4) == ".jpg" ? images::Jpeg(p) : images::Png(p));
    Textured("M" + std::to_string(seed), c.texture);
  }
  WriteText(tex + "/first.png", images::Png(images::Pattern(3, 2, 99)));

  tessaro::GltfOptions options;
  options.textureFolders = {beside, tex, extra};
  std::vector<std::string> warnings;
  tinygltf::Model m = Export("found.glb", options, &warnings);
  EXPECT_TRUE(warnings.empty()) << warnings.at(0);
  ASSERT_EQ(m.images.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const tinygltf::Image *image = ImageOf(m, "M" + std::to_string(i + 1));
    ASSERT_NE(image, nullptr) << cases[i].texture;
    EXPECT_EQ(Bytes(image), ReadText(cases[i].file)) << cases[i].texture;
    EXPECT_GE(image->bufferView, 0) << cases[i].texture;
    EXPECT_TRUE(image->uri.empty()) << cases[i].texture;
    EXPECT_EQ(image->mimeType, i == 2 ? "image/jpeg" : "image/png") << cases[i].texture;
  }
}

// One file is one image, however many materials and names lead to it; as
// GLB, as .gltf with the file beside it and with it inside, the export
// passes Khronos' validator.
TEST_F(GltfTest, EachFileIsCarriedOnceInEveryForm) {
  const std::string textures = Folder("textures"), out = Folder("out");
  const std::string oak = images::Png(images::Pattern(4, 4, 1));
  WriteText(textures + "/oak.png", oak);
  Textured("A", "oak.png");
  Textured("B", "oak.png");
  Textured("C", "D:\\old\\oak.png");
  tessaro::Object *o = AddUserObject("Board", 5100);
  for (tessaro::Element *mat = Doc()->materials.first; mat; mat = mat->next)
    AddUserTexture(o, static_cast<tessaro::Material *>(mat), 0);
  tessaro::GltfOptions options;
  options.textureFolders = {textures};

  tinygltf::Model glb = Export(out + "/board.glb", options);
  ASSERT_EQ(glb.images.size(), 1u);
  ASSERT_EQ(glb.textures.size(), 1u);
  for (const tinygltf::Material &mat : glb.materials) EXPECT_EQ(mat.pbrMetallicRoughness.baseColorTexture.index, 0);
  EXPECT_EQ(Bytes(&glb.images[0]), oak);
  EXPECT_EQ(glb.images[0].mimeType, "image/png");

  tinygltf::Model gltf = Export(out + "/board.gltf", options);
  ASSERT_EQ(gltf.images.size(), 1u);
  EXPECT_EQ(gltf.images[0].uri, "oak.png");
  EXPECT_EQ(ReadText(out + "/oak.png"), oak) << "copied beside the export";

  options.embedTextures = true;
  tinygltf::Model embedded = Export(out + "/embedded.gltf", options);
  ASSERT_EQ(embedded.images.size(), 1u);
  EXPECT_NE(ReadText(out + "/embedded.gltf").find("\"uri\": \"data:image/png;base64,"), std::string::npos);
  EXPECT_EQ(Bytes(&embedded.images[0]), oak);

  if (!ValidatorInstalled()) GTEST_SKIP() << "glTF-Validator is not installed (scripts/test.sh installs it)";
  for (const char *name : {"board.glb", "board.gltf", "embedded.gltf"}) EXPECT_TRUE(Validates(out + "/" + name));
}

// A .gltf refers to a texture in its own folder where it lies; one from
// elsewhere is copied beside it, never over another file of that name.
TEST_F(GltfTest, AGltfRefersToTexturesBesideIt) {
  const std::string src = Folder("src"), out = Folder("out"), maps = Folder("out/my maps");
  const std::string oak = images::Png(images::Pattern(2, 2, 1)), theirs = images::Png(images::Pattern(2, 2, 2));
  const std::string same = images::Png(images::Pattern(2, 2, 3)), inside = images::Jpeg(images::Pattern(8, 8, 4));
  WriteText(src + "/oak.png", oak);
  WriteText(out + "/oak.png", theirs);  // the user's own file of that name
  WriteText(src + "/same.png", same);
  WriteText(out + "/same.png", same);  // a copy from an earlier export
  WriteText(maps + "/inside.jpg", inside);
  WriteText(src + "/ash tree.png", oak);
  Textured("Oak", "oak.png");
  Textured("Same", "same.png");
  Textured("Inside", "inside.jpg");
  Textured("Ash", "ash tree.png");
  tessaro::GltfOptions options;
  options.textureFolders = {src, maps};

  tinygltf::Model m = Export(out + "/scene.gltf", options);
  EXPECT_EQ(ImageOf(m, "Oak")->uri, "oak-1.png");
  EXPECT_EQ(ReadText(out + "/oak.png"), theirs) << "another file of the name stays as it was";
  EXPECT_EQ(ReadText(out + "/oak-1.png"), oak);
  EXPECT_EQ(ImageOf(m, "Same")->uri, "same.png");
  EXPECT_EQ(ImageOf(m, "Inside")->uri, "my%20maps/inside.jpg") << "referred to where it lies";
  EXPECT_EQ(ImageOf(m, "Ash")->uri, "ash%20tree.png");
  std::set<std::string> files;
  for (const auto &e : testsupport::fs::directory_iterator(out)) files.insert(e.path().filename().string());
  EXPECT_EQ(files, (std::set<std::string>{"scene.gltf", "oak.png", "oak-1.png", "same.png", "ash tree.png", "my maps"}));

  // Exported again, it finds its own copies and makes no more.
  Export(out + "/scene.gltf", options);
  EXPECT_EQ(std::distance(testsupport::fs::directory_iterator(out), testsupport::fs::directory_iterator()), 6);

  // Written through a link, the export lands at the link's target, and so
  // do the copies it refers to.
  const std::string target = Folder("target");
  testsupport::fs::create_symlink(target + "/linked.gltf", dir_.File("link.gltf"));
  m = Export(dir_.File("link.gltf"), options);
  EXPECT_EQ(ImageOf(m, "Oak")->uri, "oak.png");
  EXPECT_EQ(ReadText(target + "/oak.png"), oak);
  EXPECT_FALSE(testsupport::fs::exists(dir_.File("oak.png")));
}

// Whatever a texture name says, the export reads only files inside the
// texture folders, and every URI it writes stays in the export's folder:
// a name leading elsewhere is found by its base name in the folders, or
// left out with a warning that names it.
TEST_F(GltfTest, TextureNamesNeverLeadOutsideTheTextureFolders) {
  const std::string search = Folder("a/b/search"), outside = Folder("abs");
  WriteText(dir_.File("a/x.png"), images::Png(images::Pattern(2, 2, 1)));  // where ../../x.png leads
  WriteText(outside + "/x.png", images::Png(images::Pattern(2, 2, 2)));
  const std::vector<std::string> escaping = {"../../x.png", outside + "/x.png", "file://" + outside + "/x.png",
                                             "https://example.com/x.png", "C:\\tex\\..\\x.png",
                                             "tex/../../../x.png", "\\\\server\\share\\x.png"};
  for (const std::string &name : escaping) Textured("M" + name, name);
  Textured("Again", "../../x.png");  // named once in the warnings all the same
  tessaro::GltfOptions options;
  options.textureFolders = {search};

  std::vector<std::string> warnings;
  tinygltf::Model m = Export(search + "/none.gltf", options, &warnings);
  EXPECT_TRUE(m.images.empty()) << m.images.at(0).uri;
  ASSERT_EQ(warnings.size(), escaping.size()) << "each name left out is named once";
  EXPECT_NE(warnings[0].find("the texture '../../x.png' is left out of the export: no file of that name in '" +
                             search + "'"),
            std::string::npos)
      << warnings[0];

  // With x.png in the folder, every name finds that one.
  const std::string x = images::Png(images::Pattern(2, 2, 3));
  WriteText(search + "/x.png", x);
  Folder("a/b/search/tex");
  WriteText(search + "/tex/wood.png", x + " ");  // a different file, with a subfolder
  WriteText(search + "/a..b.png", images::Png(images::Pattern(1, 1, 4)));
  for (const char *name : {"tex/wood.png", "a..b.png"}) Textured(std::string("M") + name, name);
  for (const char *out : {"found.gltf", "found.glb"}) {
    m = Export(search + "/" + out, options);
    ASSERT_EQ(m.images.size(), 3u) << out;
    for (const tinygltf::Image &image : m.images) {
      EXPECT_EQ(image.uri.find(':'), std::string::npos) << image.uri;
      EXPECT_NE(image.uri[0], '/') << image.uri;
      EXPECT_EQ(image.uri.find(".."), image.uri == "a..b.png" ? 1 : std::string::npos) << image.uri;
    }
  }
  for (const std::string &name : escaping) EXPECT_EQ(Bytes(ImageOf(m, "M" + name)), x) << name;
  m = Export(search + "/found.gltf", options);
  for (const std::string &name : escaping) EXPECT_EQ(ImageOf(m, "M" + name)->uri, "x.png") << name;
  EXPECT_EQ(ImageOf(m, "Mtex/wood.png")->uri, "tex/wood.png");
  EXPECT_EQ(ImageOf(m, "Ma..b.png")->uri, "a..b.png");
}

// What is not PNG or JPEG becomes PNG (by the file's bytes, not its name);
// a file that cannot be read, is too large or is missing is left out with a
// warning naming it.
// Links in the texture folders are followed only where they stay inside
// the roots: a file linked to from elsewhere, or a tex folder that is a
// link out of the imported file's folder, is left out with a warning;
// naming the outside folder as a root of its own finds it.
TEST_F(GltfTest, LinksDoNotLeadOutOfTheTextureFolders) {
  const std::string src = Folder("src"), secret = Folder("secret"), out = Folder("out");
  WriteText(secret + "/key.png", images::Png(images::Pattern(2, 2, 3)));
  WriteText(secret + "/other.png", images::Png(images::Pattern(2, 2, 4)));
  WriteText(src + "/own.png", images::Png(images::Pattern(2, 2, 5)));
  testsupport::fs::create_symlink(secret + "/key.png", src + "/linked.png");
  testsupport::fs::create_symlink(src + "/own.png", src + "/alias.png");
  testsupport::fs::create_directory_symlink(secret, src + "/tex");
  Textured("Linked", "linked.png");
  Textured("Other", "other.png");
  Textured("Alias", "alias.png");
  tessaro::GltfOptions options;
  options.textureFolders = {src, src + "/tex"};
  options.textureRoots = {src};
  std::vector<std::string> warnings;
  tinygltf::Model m = Export(out + "/s.glb", options, &warnings);
  EXPECT_EQ(ImageOf(m, "Linked"), nullptr);
  EXPECT_EQ(ImageOf(m, "Other"), nullptr);
  EXPECT_NE(ImageOf(m, "Alias"), nullptr) << "a link that stays inside is followed";
  EXPECT_TRUE(Has(warnings, "linked.png' is a link that leads outside the texture folders"));
  EXPECT_TRUE(Has(warnings, "other.png' is a link that leads outside the texture folders"));
  options.textureRoots.push_back(secret);
  m = Export(out + "/t.glb", options);
  EXPECT_NE(ImageOf(m, "Linked"), nullptr);
  EXPECT_NE(ImageOf(m, "Other"), nullptr);
}

TEST_F(GltfTest, OtherFormatsBecomePngAndUnreadableOnesAreLeftOut) {
  const std::string src = Folder("src"), out = Folder("out");
  const images::Picture brick = images::Pattern(3, 2, 1), tiff = images::Pattern(2, 3, 2);
  WriteText(src + "/brick.png", images::Bmp(brick));  // a BMP, whatever its name says
  WriteText(src + "/wall.tif", images::Tiff(tiff));
  WriteText(src + "/bad.png", "\x89PNG\r\n\x1a\n" + std::string(200, 'x'));
  WriteText(src + "/cut.bmp", images::Bmp(brick).substr(0, 20));
  WriteText(src + "/huge.bmp", images::Bmp(brick, 30000, 30000));
  WriteText(src + "/liar.bmp", images::Bmp(brick, 4096, 4096));
  // A PNG and a JPEG whose headers claim 60000 x 60000 pixels: carried
  // undecoded, they would still make every viewer decode that many.
  std::string liarPng = images::Png(brick), liarJpeg = images::Jpeg(brick);
  for (int k : {16, 20}) liarPng.replace(static_cast<size_t>(k), 4, std::string("\0\0\xea\x60", 4));
  const size_t sof = liarJpeg.find("\xff\xc0");
  ASSERT_NE(sof, std::string::npos);
  liarJpeg.replace(sof + 5, 4, "\xea\x60\xea\x60");
  WriteText(src + "/liar.png", liarPng);
  WriteText(src + "/liar.jpg", liarJpeg);
  WriteText(src + "/empty.png", "");
  WriteText(src + "/notes.png", "not a picture at all");
  testsupport::fs::create_directory(src + "/folder.png");
  Textured("Brick", "brick.png");
  Textured("Wall", "wall.tif");
  const std::vector<std::string> unreadable = {"bad.png",   "cut.bmp",   "huge.bmp",   "liar.bmp",    "liar.png",
                                               "liar.jpg",  "empty.png", "notes.png", "folder.png", "missing.png"};
  for (const std::string &name : unreadable) Textured(name, name);
  tessaro::GltfOptions options;
  options.textureFolders = {src};

  std::vector<std::string> warnings;
  tinygltf::Model m = Export(out + "/converted.glb", options, &warnings);
  const tinygltf::Image *b = ImageOf(m, "Brick");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->mimeType, "image/png");
  EXPECT_EQ(images::Decode(Bytes(b)), brick);
#if defined(TESSARO_HAVE_TIFF)
  const tinygltf::Image *w = ImageOf(m, "Wall");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->mimeType, "image/png");
  EXPECT_EQ(images::Decode(Bytes(w)), tiff);
#endif
  for (const std::string &name : unreadable) {
    EXPECT_EQ(ImageOf(m, name), nullptr) << name;
    EXPECT_TRUE(Has(warnings, "the texture '" + name + "' is left out of the export: ")) << name;
  }
  EXPECT_TRUE(Has(warnings, "huge.bmp' cannot be read: it is 30000 x 30000 pixels, more than")) << warnings[0];
  EXPECT_TRUE(Has(warnings, "liar.bmp' cannot be read: it claims 4096 x 4096 pixels from only 78 bytes")) << warnings[0];
  EXPECT_TRUE(Has(warnings, "liar.png' cannot be read: it is 60000 x 60000 pixels, more than")) << warnings[0];
  EXPECT_TRUE(Has(warnings, "liar.jpg' cannot be read: it is 60000 x 60000 pixels, more than")) << warnings[0];
  EXPECT_TRUE(Has(warnings, "'missing.png' is left out of the export: no file of that name")) << warnings[0];

  // Beside a .gltf the converted image is a PNG of its own name.
  m = Export(out + "/converted.gltf", options);
  EXPECT_EQ(ImageOf(m, "Brick")->uri, "brick.png");
  EXPECT_EQ(images::Decode(ReadText(out + "/brick.png")), brick);
#if defined(TESSARO_HAVE_TIFF)
  EXPECT_EQ(ImageOf(m, "Wall")->uri, "wall.png");
#endif
}

}  // namespace

namespace {

// Not named Gltf*: the validator's check exports the files these tests
// write, so each file here is also checked for a validator-clean export.
class ExportedValuesTest : public GltfTest {};

// Values that are not numbers are left out with a warning that names the
// object once; an 8-bit name arrives as UTF-8; a textured mesh without UVs
// gets its material without the texture; splines become line strips.
TEST_F(ExportedValuesTest, WhatCannotBeExportedIsLeftOutAndSaid) {
  const float nan = NAN, inf = INFINITY;
  Ft50Writer f;
  ft50::Material(f, "Holz", [](Ft50Writer &c) { ft50::Channel(c, 0, {0.6f, 0.4f, 0.2f}, 1, "holz.png"); });
  ft50::Header cube = Named("W\xFCrfel");
  cube.pos = {nan, 0, 0};
  cube.rot = {inf, 0, 0};
  ft50::Object(f, 5100, cube, [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {nan, 0, 0}});
    ft50::Polygons(b, 5653, {{0, 2, 1}, {0, 3, 2}, {0, 4, 1}});
    ft50::Uv(b, {{nan, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}});
    ft50::TextureTag(b, ft50::Uses(1));
  });
  ft50::Object(f, 5100, Named("Plain"), [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    ft50::Polygons(b, 5653, {{0, 2, 1}});
    ft50::TextureTag(b, ft50::Uses(1));
  });
  ft50::Object(f, 5101, Named("Path"), [&](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}}); },
               ft50::SplineBody(0, 3));
  ft50::Object(f, 5101, Named("Broken"), [&](Ft50Writer &b) { ft50::Points(b, {{0, 0, 0}, {inf, 0, 0}}); },
               ft50::SplineBody(0, 2));
  ft50::Light dark;
  dark.r3 = nan;
  dark.u5 = 1;  // a spot, its cone no number either
  dark.r2 = nan;
  ft50::Object(f, 5102, Named("Dark"), nullptr, ft50::LightBody(dark));
  ft50::Object(f, 5103, Named("Blind"), nullptr, ft50::CameraBody(nan, 36, 0, 1));
  // A sheet of two sides, smooth across every edge: each side keeps its
  // own normal rather than one that points along neither.
  ft50::Object(f, 5100, Named("Sheet"), [&](Ft50Writer &b) {
    ft50::Points(b, {{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}});
    ft50::Polygons(b, 5654, {{0, 3, 2, 1}, {0, 1, 2, 3}});
    ft50::Phong(b, 3.2f);
  });
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);

  WriteText(dir_.File("holz.png"), images::Png(images::Pattern(2, 2, 1)));
  tessaro::GltfOptions options;
  options.textureFolders = {dir_.Path()};
  std::vector<std::string> warnings;
  tinygltf::Model m = Export("hostile.glb", options, &warnings);
  std::string said;
  for (const std::string &w : warnings) said += w + "\n";
  for (const char *expected :
       {"the position of 'W\xC3\xBCrfel' is not a number", "the rotation of 'W\xC3\xBCrfel' is not a number",
        "polygons of 'W\xC3\xBCrfel' have points that are not numbers", "UV coordinates of 'W\xC3\xBCrfel' are not numbers",
        "the spline 'Broken' has points that are not numbers", "the brightness of 'Dark'", "the cone of the spot 'Dark'",
        "the focus or aperture of the camera 'Blind'"})
    EXPECT_NE(said.find(expected), std::string::npos) << expected << "\nin:\n" << said;

  ASSERT_EQ(m.nodes.size(), 7u);
  const tinygltf::Primitive &sheet = m.meshes.at(static_cast<size_t>(m.nodes[6].mesh)).primitives.at(0);
  std::vector<float> sheetNormals = Read<float>(m, sheet.attributes.at("NORMAL"));
  std::vector<uint32_t> sheetIndices = Read<uint32_t>(m, sheet.indices);
  ASSERT_EQ(sheetIndices.size(), 12u);
  for (size_t t = 0; t < 12; ++t)  // the first side faces +z in glTF, the second -z
    EXPECT_EQ(sheetNormals.at(3 * sheetIndices[t] + 2), t < 6 ? 1.0f : -1.0f) << t;
  EXPECT_EQ(m.nodes[0].name, "W\xC3\xBCrfel");
  EXPECT_TRUE(m.nodes[0].translation.empty() && m.nodes[0].rotation.empty());
  const tinygltf::Primitive &cubePrim = m.meshes.at(static_cast<size_t>(m.nodes[0].mesh)).primitives.at(0);
  EXPECT_EQ(Read<uint32_t>(m, cubePrim.indices).size(), 6u) << "the polygon through the point that is no number is left out";
  for (float v : Read<float>(m, cubePrim.attributes.at("TEXCOORD_0"))) EXPECT_TRUE(std::isfinite(v));
  EXPECT_GE(m.materials.at(static_cast<size_t>(cubePrim.material)).pbrMetallicRoughness.baseColorTexture.index, 0);
  const tinygltf::Primitive &plain = m.meshes.at(static_cast<size_t>(m.nodes[1].mesh)).primitives.at(0);
  EXPECT_EQ(plain.attributes.count("TEXCOORD_0"), 0u);
  ASSERT_GE(plain.material, 0);
  EXPECT_EQ(m.materials[static_cast<size_t>(plain.material)].name, "Holz");
  for (int i = 0; i < 3; ++i)
    EXPECT_FLOAT_EQ(float(m.materials[static_cast<size_t>(plain.material)].pbrMetallicRoughness.baseColorFactor[size_t(i)]),
                    (std::array<float, 3>{0.6f, 0.4f, 0.2f}[size_t(i)]))
        << "without the texture, the colour it replaced";
  EXPECT_LT(m.materials[static_cast<size_t>(plain.material)].pbrMetallicRoughness.baseColorTexture.index, 0)
      << "no UVs to place the texture with";
  const tinygltf::Primitive &path = m.meshes.at(static_cast<size_t>(m.nodes[2].mesh)).primitives.at(0);
  EXPECT_EQ(path.mode, TINYGLTF_MODE_LINE_STRIP);
  EXPECT_EQ(Read<float>(m, path.attributes.at("POSITION")), (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0}));
  EXPECT_EQ(m.nodes[3].mesh, -1) << "a spline through a point that is no number is left out";
}

// Texture names that would lead elsewhere, in a file: no image, one warning
// each, and (through the validator's check of every file written here) an
// export without errors.
TEST_F(ExportedValuesTest, HostileTextureNamesLeaveNoImage) {
  const std::vector<std::string> names = {"../../etc/passwd", "/etc/shadow", "file:///etc/hosts",
                                          "https://example.com/a.png", "C:\\maps\\a.png", "\\\\server\\share\\a.png",
                                          "%2e%2e/a.png", "tex/../../a.png"};
  Ft50Writer f;
  for (const std::string &name : names)
    ft50::Material(f, "M", [&](Ft50Writer &c) { ft50::Channel(c, 0, {1, 1, 1}, 1, name); });
  for (size_t i = 0; i < names.size(); ++i)
    ft50::Object(f, 5100, Named("Q"), [&](Ft50Writer &b) {
      ft50::Quad(b);
      ft50::TextureTag(b, ft50::Uses(static_cast<int32_t>(i + 1)));
    });
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(MODE_NEW)).code, 0);
  tessaro::GltfOptions options;
  options.textureFolders = {dir_.Path()};
  std::vector<std::string> warnings;
  tinygltf::Model m = Export("hostile-names.gltf", options, &warnings);
  EXPECT_TRUE(m.images.empty());
  EXPECT_EQ(warnings.size(), names.size());
}

// A hierarchy as deep as a file makes it exports without recursion.
TEST_F(ExportedValuesTest, ADeepHierarchyExports) {
  tessaro::Object *parent = nullptr;
  for (int i = 0; i < 100000; ++i) parent = AddUserObject("N", 5140, parent);
  tinygltf::Model m = Export("deep.glb");
  ASSERT_EQ(m.nodes.size(), 100000u);
  EXPECT_EQ(m.nodes[99998].children, (std::vector<int>{99999}));
}

}  // namespace

namespace {

// The export's own sine, cosine and arc tangent (the same bits on every
// build) stay within a few units in the last place of the C library's.
TEST(TrigTest, AgreesWithTheCLibrary) {
  auto close = [](double ours, double theirs, double x) {
    EXPECT_NEAR(ours, theirs, 4 * std::numeric_limits<double>::epsilon() * std::max(1.0, std::fabs(theirs))) << x;
  };
  for (double x = -1000; x <= 1000; x += 0.0137) {
    close(tessaro::trig::Sin(x), std::sin(x), x);
    close(tessaro::trig::Cos(x), std::cos(x), x);
    close(tessaro::trig::Atan(x / 10), std::atan(x / 10), x);
  }
  for (double x : {0.0, -0.0, M_PI / 4, M_PI / 2, M_PI, 1e-300, 1e6}) {
    close(tessaro::trig::Sin(x), std::sin(x), x);
    close(tessaro::trig::Cos(x), std::cos(x), x);
  }
  EXPECT_TRUE(std::isnan(tessaro::trig::Sin(INFINITY)));
  EXPECT_EQ(tessaro::trig::Atan(INFINITY), M_PI / 2);
}

}  // namespace

namespace {

// Told apart by the name's last extension, in any case, even when the name
// is nothing else.
TEST(GltfPathTest, ExtensionsDecide) {
  for (const char *path : {"a.glb", "dir/X.GLB", "a.b.gltf", ".glb", "dir/.gltf"}) EXPECT_TRUE(tessaro::IsGltfPath(path)) << path;
  for (const char *path : {"glb", "a.glb.json", "dir.glb/a", "a.glb/"}) EXPECT_FALSE(tessaro::IsGltfPath(path)) << path;
}

}  // namespace

// The buffer's pieces lie at 4-byte boundaries with zeros between; a piece
// written later must give exactly the length it was added with, or the
// buffer is neither joined nor written, rather than shifting what follows.
TEST(GltfBinaryTest, PiecesKeepTheirPlacesAndLaterOnesTheirLength) {
  auto later = [](std::string bytes) {
    return [bytes](const tessaro::gltf::Put &put) { return put(bytes.data(), bytes.size()); };
  };
  tessaro::gltf::BinaryPieces pieces;
  EXPECT_EQ(pieces.Add(std::string("abc")), 0u);
  EXPECT_EQ(pieces.AddLater(2, later("de")), 4u);
  EXPECT_EQ(pieces.Add(std::vector<uint16_t>{0x4847}), 8u);
  EXPECT_EQ(pieces.Size(), 10u);
  std::vector<unsigned char> joined;
  ASSERT_TRUE(pieces.Joined(&joined));
  EXPECT_EQ(std::string(joined.begin(), joined.end()), std::string("abc\0de\0\0GH", 10));
  std::FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(pieces.Write(f, 12));
  EXPECT_EQ(std::ftell(f), 12L) << "padded with zeros";
  std::fclose(f);

  for (const char *wrong : {"d", "def"}) {
    tessaro::gltf::BinaryPieces bad;
    bad.AddLater(2, later(wrong));
    bad.Add(std::string("x"));
    EXPECT_FALSE(bad.Joined(&joined)) << wrong;
    std::FILE *g = std::tmpfile();
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(bad.Write(g, 8)) << wrong;
    std::fclose(g);
  }
}
