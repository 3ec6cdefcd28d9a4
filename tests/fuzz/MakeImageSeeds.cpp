// Writes the image seeds of the image and bitmap corpora with the data
// generator's own writers: a few pixels each, in every format the texture
// loader and the bitmap importer read. Built on request only:
//   cmake --build build --target fuzz_image_seeds && build/tests/fuzz/fuzz_image_seeds tests/fuzz/corpus
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Image.h"

namespace {

gen::Image Pattern(int w, int h)
{
    gen::Image img(w, h);
    img.Shade([](float u, float v, int x, int y) { return gen::Color(u, v, float((x + y) % 2), 0.5f + 0.5f * u); });
    return img;
}

// The bitmap with its rows stored top first: the height field negated.
bool MakeTopDown(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 54) return false;
    int32_t height;
    std::copy(bytes.begin() + 22, bytes.begin() + 26, reinterpret_cast<char*>(&height));
    height = -height;
    std::copy(reinterpret_cast<char*>(&height), reinterpret_cast<char*>(&height) + 4, bytes.begin() + 22);
    std::ofstream out(to, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string image = std::string(argv[1]) + "/image/", bitmap = std::string(argv[1]) + "/bitmap/";
    bool ok = gen::WritePng(image + "tiny.png", Pattern(4, 4)) && gen::WriteJpg(image + "tiny.jpg", Pattern(8, 8)) &&
              gen::WriteBmp(image + "tiny.bmp", Pattern(3, 2)) && gen::WriteDds(image + "tiny.dds", {Pattern(2, 2)}) &&
              gen::WriteDds(image + "volume.dds", {Pattern(2, 2), Pattern(2, 2)});
    ok = ok && gen::WriteBmp(bitmap + "three-by-two.bmp", Pattern(3, 2)) &&
         gen::WriteBmp(bitmap + "four-by-one.bmp", Pattern(4, 1)) &&
         gen::WriteBmp(bitmap + "five-by-three.bmp", Pattern(5, 3)) &&
         MakeTopDown(bitmap + "five-by-three.bmp", bitmap + "five-by-three-top-down.bmp");
    return ok ? 0 : 1;
}
