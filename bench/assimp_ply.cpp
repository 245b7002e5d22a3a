// The peer: Assimp reading a PLY file with no post-processing.
// Usage: bench_assimp FILE [FACES]; fails when the scene is missing or,
// given FACES, when its meshes hold another number of faces.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_assimp FILE [FACES]\n");
    return 2;
  }
  Assimp::Importer importer;
  const aiScene *scene = importer.ReadFile(argv[1], 0);
  if (!scene) {
    std::fprintf(stderr, "assimp: %s\n", importer.GetErrorString());
    return 1;
  }
  unsigned long faces = 0, vertices = 0;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    faces += scene->mMeshes[i]->mNumFaces;
    vertices += scene->mMeshes[i]->mNumVertices;
  }
  std::printf("%u meshes, %lu faces, %lu vertices\n", scene->mNumMeshes, faces, vertices);
  if (argc > 2 && faces != std::strtoul(argv[2], nullptr, 10)) return 1;
  return 0;
}
