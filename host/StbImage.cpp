// stb_image's decoders and stb_image_write's encoders, compiled once for the
// host (Textures.cpp) and its tests: memory in, memory out.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_WRITE_NO_STDIO
#define STBI_MAX_DIMENSIONS 65536
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
