// The glTF export: read back with tinygltf and compared value for value.
#include <cmath>

#include <tiny_gltf.h>

#include "GltfExport.h"
#include "ft50_scene.h"
#include "support.h"

namespace {

using ft50::Named;

class GltfTest : public testsupport::HostTest {
 protected:
  tinygltf::Model Export(const std::string &name) {
    std::string path = dir_.File(name), why;
    EXPECT_TRUE(tessaro::WriteGltfFile(*Doc(), path, &why)) << why;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    bool ok = name.size() > 4 && name.substr(name.size() - 4) == ".glb"
                  ? loader.LoadBinaryFromFile(&model, &err, &warn, path)
                  : loader.LoadASCIIFromFile(&model, &err, &warn, path);
    EXPECT_TRUE(ok) << err;
    return model;
  }
  template <class T>
  static std::vector<T> Read(const tinygltf::Model &m, int accessor) {
    const tinygltf::Accessor &a = m.accessors.at(static_cast<size_t>(accessor));
    const tinygltf::BufferView &v = m.bufferViews.at(static_cast<size_t>(a.bufferView));
    const unsigned char *p = m.buffers.at(0).data.data() + v.byteOffset + a.byteOffset;
    size_t n = a.count * static_cast<size_t>(tinygltf::GetNumComponentsInType(static_cast<uint32_t>(a.type)));
    return std::vector<T>(reinterpret_cast<const T *>(p), reinterpret_cast<const T *>(p) + n);
  }
};

// A unit cube of six quadrangles with a UV per point: eight vertices (no
// corner differs from its point), z mirrored, each quadrangle split into
// (a, b, c) and (a, c, d).
TEST_F(GltfTest, AKnownCubeExportsExactly) {
  std::vector<ft50::V3> points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  std::vector<std::vector<int64_t>> quads = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7}, {1, 5, 6, 2}, {3, 2, 6, 7}, {4, 5, 1, 0}};
  std::vector<std::array<float, 2>> uv;
  for (const auto &p : points) uv.push_back({p[0] * 0.5f, p[1] * 0.25f + p[2] * 0.5f});
  Ft50Writer f;
  ft50::Object(f, 5100, Named("Cube"), [&](Ft50Writer &b) {
    ft50::Points(b, points);
    ft50::Polygons(b, 5654, quads);
    ft50::Uv(b, uv);
  });
  f.Terminator();
  ASSERT_EQ(Import(f, testsupport::Mode(10005)).code, 0);

  for (const char *name : {"cube.gltf", "cube.glb"}) {
    tinygltf::Model m = Export(name);
    ASSERT_EQ(m.meshes.size(), 1u) << name;
    ASSERT_EQ(m.nodes.size(), 1u);
    EXPECT_EQ(m.nodes[0].name, "Cube");
    const tinygltf::Primitive &prim = m.meshes[0].primitives.at(0);
    std::vector<float> pos = Read<float>(m, prim.attributes.at("POSITION"));
    std::vector<float> tex = Read<float>(m, prim.attributes.at("TEXCOORD_0"));
    std::vector<uint32_t> idx = Read<uint32_t>(m, prim.indices);
    ASSERT_EQ(pos.size(), 24u);
    for (size_t i = 0; i < 8; ++i) {
      EXPECT_EQ(pos[3 * i], points[i][0]);
      EXPECT_EQ(pos[3 * i + 1], points[i][1]);
      EXPECT_EQ(pos[3 * i + 2], -points[i][2]) << "z is mirrored";
      EXPECT_EQ(tex[2 * i], uv[i][0]);
      EXPECT_EQ(tex[2 * i + 1], uv[i][1]);
    }
    std::vector<uint32_t> expect;
    for (const auto &q : quads)
      for (int k : {0, 1, 2, 0, 2, 3}) expect.push_back(static_cast<uint32_t>(q[static_cast<size_t>(k)]));
    EXPECT_EQ(idx, expect);
    const tinygltf::Accessor &a = m.accessors.at(static_cast<size_t>(prim.attributes.at("POSITION")));
    EXPECT_EQ(a.minValues, (std::vector<double>{0, 0, -1}));
    EXPECT_EQ(a.maxValues, (std::vector<double>{1, 1, 0}));
  }
}

// Corners that share a point but not a UV become vertices of their own; a
// triangle gives one triangle; placement, materials, cameras, lights and
// tracks arrive in glTF's terms.
TEST_F(GltfTest, SplitsPlacementAndTheRestOfTheScene) {
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
  o->pos = {1, 2, 3};
  o->rot = {static_cast<float>(M_PI / 2), 0, 0};
  o->scale = {2, 2, 2};
  tessaro::Material *red = AddUserMaterial("Red");
  red->channels[0].data[1000] = tessaro::Value::OfVector({1, 0.5f, 0});
  red->channels[0].data[1001] = tessaro::Value::OfReal(0.5f);
  red->channels[0].data[1002] = tessaro::Value::OfText("my red.png");
  red->channels[2].state = 1;
  red->channels[2].data[1001] = tessaro::Value::OfReal(0.25f);
  AddUserTexture(o, red, 0);

  tinygltf::Model m = Export("scene.gltf");
  ASSERT_EQ(m.meshes.size(), 1u);
  const tinygltf::Primitive &prim = m.meshes[0].primitives.at(0);
  EXPECT_EQ(Read<float>(m, prim.attributes.at("POSITION")).size(), 5u * 3) << "point 0 has two UVs: five vertices";
  EXPECT_EQ(Read<uint32_t>(m, prim.indices), (std::vector<uint32_t>{0, 1, 2, 4, 2, 3}));
  const tinygltf::Node &n = m.nodes.at(0);
  EXPECT_EQ(n.translation, (std::vector<double>{1, 2, -3}));
  EXPECT_EQ(n.scale, (std::vector<double>{2, 2, 2}));
  ASSERT_EQ(n.rotation.size(), 4u);
  EXPECT_NEAR(n.rotation[1], -std::sqrt(0.5), 1e-7) << "heading 90 degrees turns about -y in glTF";
  EXPECT_NEAR(n.rotation[3], std::sqrt(0.5), 1e-7);
  ASSERT_EQ(prim.material, 0);
  const tinygltf::Material &mat = m.materials.at(0);
  EXPECT_EQ(mat.pbrMetallicRoughness.baseColorFactor, (std::vector<double>{0.5, 0.25, 0, 0.75}));
  EXPECT_EQ(mat.alphaMode, "BLEND");
  ASSERT_EQ(m.images.size(), 1u);
  EXPECT_EQ(m.images[0].uri, "my%20red.png");

  double q[4];
  tessaro::GltfRotation({0, 0, static_cast<float>(M_PI)}, q);
  EXPECT_NEAR(q[2], 1, 1e-7) << "bank keeps its sense under the mirror";
}

TEST_F(GltfTest, TextureNamesNeverLeadOutsideTheExportsFolder) {
  const std::vector<std::string> escaping = {"../../etc/passwd", "/etc/shadow", "file:///tmp/x.png",
                                             "https://example.com/a.png", "C:\\tex\\a.png", "tex/../../b.png",
                                             "tex\\..\\b.png", "\\\\server\\share\\c.png"};
  const std::vector<std::string> kept = {"tex/wood.png", "a..b.png", "..png"};
  tessaro::Object *o = AddUserObject("Board", 5100);
  for (const std::string &name : escaping) {
    tessaro::Material *m = AddUserMaterial("M" + name);
    m->channels[0].data[1002] = tessaro::Value::OfText(name);
    AddUserTexture(o, m, 0);
  }
  for (const std::string &name : kept) {
    tessaro::Material *m = AddUserMaterial("M" + name);
    m->channels[0].data[1002] = tessaro::Value::OfText(name);
    AddUserTexture(o, m, 0);
  }
  std::string why;
  std::vector<std::string> warnings;
  ASSERT_TRUE(tessaro::WriteGltfFile(*Doc(), dir_.File("t.gltf"), &why, &warnings)) << why;
  tinygltf::Model m = Export("t.gltf");
  std::vector<std::string> uris;
  for (const tinygltf::Image &image : m.images) uris.push_back(image.uri);
  EXPECT_EQ(uris, (std::vector<std::string>{"tex/wood.png", "a..b.png", "..png"}));
  EXPECT_EQ(warnings.size(), escaping.size()) << "each name left out is named once";
  EXPECT_NE(warnings.at(0).find("'../../etc/passwd'"), std::string::npos) << warnings.at(0);
}

}  // namespace
