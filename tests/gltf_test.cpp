// The glTF export: read back with tinygltf and compared value for value.
#include <cmath>
#include <cstdlib>
#include <set>

#include <sys/wait.h>

#include <tiny_gltf.h>

#include "GltfExport.h"
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
  WriteText(dir_.File("my red.png"), images::Png(images::Pattern(2, 2, 1)));
  red->channels[2].state = 1;
  red->channels[2].data[1001] = tessaro::Value::OfReal(0.25f);
  AddUserTexture(o, red, 0);

  tessaro::GltfOptions options;
  options.textureFolders = {dir_.Path()};
  tinygltf::Model m = Export("scene.gltf", options);
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
TEST_F(GltfTest, OtherFormatsBecomePngAndUnreadableOnesAreLeftOut) {
  const std::string src = Folder("src"), out = Folder("out");
  const images::Picture brick = images::Pattern(3, 2, 1), tiff = images::Pattern(2, 3, 2);
  WriteText(src + "/brick.png", images::Bmp(brick));  // a BMP, whatever its name says
  WriteText(src + "/wall.tif", images::Tiff(tiff));
  WriteText(src + "/bad.png", "\x89PNG\r\n\x1a\n" + std::string(200, 'x'));
  WriteText(src + "/cut.bmp", images::Bmp(brick).substr(0, 20));
  WriteText(src + "/huge.bmp", images::Bmp(brick, 30000, 30000));
  WriteText(src + "/liar.bmp", images::Bmp(brick, 4096, 4096));
  WriteText(src + "/empty.png", "");
  WriteText(src + "/notes.png", "not a picture at all");
  testsupport::fs::create_directory(src + "/folder.png");
  Textured("Brick", "brick.png");
  Textured("Wall", "wall.tif");
  const std::vector<std::string> unreadable = {"bad.png", "cut.bmp",   "huge.bmp",   "liar.bmp",
                                               "empty.png", "notes.png", "folder.png", "missing.png"};
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
