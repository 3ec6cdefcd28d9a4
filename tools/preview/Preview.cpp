// lv_preview <run tree> <output folder>: contact sheets of the generated data for a
// person to look at: every texture as read back from its file, every static mesh,
// the character's walk and idle cycles, and the stage terrains from above.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

#include "Character.h"
#include "Pose.h"
#include "Raster.h"
#include "StaticMeshes.h"
#include "Terrain.h"
#include "Text.h"
#include "Textures.h"

using namespace gen;

namespace {

std::string TexturePath(const std::string& root, std::string name)
{
    for (char& c : name)
        if (c == '\\') c = '/';
    return root + "/Textures/" + name;
}

// Reads png, bmp, jpg through stb_image and the first slice of our own DDS files.
Image LoadImage(const std::string& path)
{
    Image img;
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".dds") == 0) {
        FILE* f = fopen(path.c_str(), "rb");
        if (!f) return img;
        uint32_t header[32];
        if (fread(header, 4, 32, f) == 32 && header[0] == 0x20534444u) {
            img = Image(static_cast<int>(header[4]), static_cast<int>(header[3]));
            std::vector<uint8_t> px(static_cast<size_t>(img.w) * img.h * 4);
            if (fread(px.data(), 1, px.size(), f) == px.size())
                for (size_t i = 0; i < img.px.size(); ++i)
                    img.px[i] = Color(px[4 * i + 2] / 255.0f, px[4 * i + 1] / 255.0f, px[4 * i] / 255.0f,
                                      px[4 * i + 3] / 255.0f);
        }
        fclose(f);
        return img;
    }
    int w, h, n;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data) return img;
    img = Image(w, h);
    for (size_t i = 0; i < img.px.size(); ++i)
        img.px[i] =
            Color(data[4 * i] / 255.0f, data[4 * i + 1] / 255.0f, data[4 * i + 2] / 255.0f, data[4 * i + 3] / 255.0f);
    stbi_image_free(data);
    return img;
}

void Caption(Image& sheet, const std::string& text, int x, int y, int w, int h)
{
    if (!BoldFont()) return;
    TextStyle s;
    s.size = static_cast<float>(h) * 0.75f;
    s.fill = Color(1, 1, 1);
    DrawTextCentred(sheet, *BoldFont(), text, static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + w),
                    static_cast<float>(y + h), s);
}

void Thumb(Image& sheet, const Image& img, int x0, int y0, int size)
{
    const float scale = static_cast<float>(size) / std::max(img.w, img.h);
    const int w = std::max(1, static_cast<int>(img.w * scale)), h = std::max(1, static_cast<int>(img.h * scale));
    const int ox = x0 + (size - w) / 2, oy = y0 + (size - h) / 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool check = ((x / 8) + (y / 8)) % 2; // shows transparency
            sheet.At(ox + x, oy + y) = check ? Color(0.55f, 0.55f, 0.6f) : Color(0.75f, 0.75f, 0.8f);
            const Color& c = img.At(std::min(img.w - 1, static_cast<int>(x / scale)),
                                    std::min(img.h - 1, static_cast<int>(y / scale)));
            sheet.Blend(ox + x, oy + y, Color(c.r, c.g, c.b, 1), c.a);
        }
}

bool TextureSheet(const std::string& root, const std::string& out)
{
    const auto& table = TextureTable();
    const int cols = 10, cell = 150, thumb = 128;
    const int rows = (static_cast<int>(table.size()) + cols - 1) / cols;
    Image sheet(cols * cell, rows * (cell + 10), Color(0.12f, 0.12f, 0.14f, 1));
    int missing = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const int x = static_cast<int>(i % cols) * cell, y = static_cast<int>(i / cols) * (cell + 10);
        const Image img = LoadImage(TexturePath(root, table[i].name));
        if (img.w == 0) {
            ++missing;
            fprintf(stderr, "missing texture %s\n", table[i].name.c_str());
            continue;
        }
        Thumb(sheet, img, x + (cell - thumb) / 2, y + 4, thumb);
        std::string name = table[i].name;
        const size_t slash = name.rfind('\\');
        if (slash != std::string::npos) name = name.substr(slash + 1);
        Caption(sheet, std::to_string(i) + " " + name, x + 2, y + thumb + 8, cell - 4, 20);
    }
    WritePng(out + "/textures_sheet.png", sheet);
    return missing == 0;
}

int MeshTexture(const std::string& file)
{
    static const std::pair<const char*, int> table[] = {
        {"Tiny.x", 71},        {"cube.x", 1},         {"boulder1.x", 42},
        {"stage_exit.x", 10},  {"column1.x", 5},      {"tetrahedron.x", 7},
        {"minecart.x", 8},     {"tire.x", 9},         {"torso.x", 76},
        {"upperarm.x", 75},    {"upperleg.x", 77},    {"skybox.x", 82},
        {"tiki.x", 44},        {"handTorch.x", 44},   {"bush1.x", 46},
        {"1x1size1.x", 14},    {"big_temple.x", 61},  {"prism.x", 4},
        {"eye_block.x", 70},   {"coin.x", 71},        {"morvathens_mask.x", 72},
        {"spike.x", 60},       {"vivuzuzface.x", 78}, {"caveceiling.x", 42},
        {"skybox_tiled.x", 47}};
    for (const auto& e : table)
        if (file == e.first) return e.second;
    return 1;
}

bool MeshSheet(const std::string& root, const std::string& out)
{
    const auto meshes = BuildStaticMeshes();
    const int cols = 5, cell = 256;
    const int rows = (static_cast<int>(meshes.size()) + cols - 1) / cols;
    Image sheet(cols * cell, rows * (cell + 24), Color(0.1f, 0.1f, 0.12f, 1));
    for (size_t i = 0; i < meshes.size(); ++i) {
        const int x = static_cast<int>(i % cols) * cell, y = static_cast<int>(i / cols) * (cell + 24);
        Viewport vp(&sheet, x, y, cell, cell);
        vp.Clear(Color(0.22f, 0.24f, 0.28f, 1));
        Vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
        for (const Vertex& v : meshes[i].mesh.verts) {
            lo = {std::min(lo.x, v.p.x), std::min(lo.y, v.p.y), std::min(lo.z, v.p.z)};
            hi = {std::max(hi.x, v.p.x), std::max(hi.y, v.p.y), std::max(hi.z, v.p.z)};
        }
        const Vec3 centre = (lo + hi) * 0.5f;
        const float radius = 0.5f * Length(hi - lo);
        const bool inside = !meshes[i].closed && meshes[i].file.find("sky") != std::string::npos;
        const Vec3 dir = Normalize({1.0f, -0.7f, 0.55f});
        const Vec3 eye = inside ? centre - dir * (radius * 0.2f) : centre + dir * (radius * 2.6f);
        vp.LookAt(eye, inside ? centre - dir * radius : centre, {0, 0, 1}, inside ? 100.0f : 45.0f);
        const int tex = MeshTexture(meshes[i].file);
        const Image img = LoadImage(TexturePath(root, TextureTable()[tex].name));
        DrawMesh(vp, meshes[i].mesh, &img);
        Caption(sheet, meshes[i].file, x, y + cell, cell, 22);
    }
    WritePng(out + "/meshes_sheet.png", sheet);
    return true;
}

void DrawCharacter(Viewport& vp, const SkinnedModel& model, const Image& atlas, int set, float ticks)
{
    const auto combined = Combine(model, SampleLocals(model, set, ticks));
    const std::vector<Vec3> pos = SkinPositions(model, combined);
    // Model space to character space (x forward, y left, z up) for the camera.
    std::vector<Vec3> world(pos.size());
    for (size_t i = 0; i < pos.size(); ++i) world[i] = {-pos[i].z * 0.1f, -pos[i].x * 0.1f, pos[i].y * 0.1f};
    Mesh mesh = model.mesh;
    DrawMesh(vp, mesh, &atlas, world);
    // The ragdoll's limb axes: bone origin to first child, in red.
    for (const std::string& name : RagdollBoneNames()) {
        const int f = FrameIndex(model, name);
        const int c = model.frames[f].children[0];
        auto w = [&](int k) {
            const Vec3 p = combined[k].GetTranslation();
            return Vec3(-p.z * 0.1f, -p.x * 0.1f, p.y * 0.1f);
        };
        DrawLine3(vp, w(f), w(c), Color(1, 0.2f, 0.2f));
    }
}

bool CharacterSheet(const std::string& root, const std::string& out)
{
    const SkinnedModel model = BuildCharacter();
    const Image atlas = LoadImage(root + "/Textures/male.bmp");
    const int cell = 220, cols = 8;
    Image sheet(cols * cell, 3 * (cell + 24), Color(0.1f, 0.1f, 0.12f, 1));
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < cols; ++k) {
            Viewport vp(&sheet, k * cell, row * (cell + 24), cell, cell);
            vp.Clear(Color(0.25f, 0.27f, 0.3f, 1));
            const bool walk = row < 2;
            const float ticks = walk ? kWalkPeriod * k / float(cols) : kIdlePeriod * k / float(cols);
            // Row 0: walking seen from the character's left; row 1: three-quarter front; row 2: idle.
            const Vec3 eye = row == 0 ? Vec3(0, 14, 4.8f) : Vec3(10, 8, 6.5f);
            vp.LookAt(eye, {0, 0, 3.6f}, {0, 0, 1}, 40);
            DrawCharacter(vp, model, atlas, walk ? kWalkSet : kIdleSet, ticks);
            char label[64];
            snprintf(label, sizeof label, "%s t=%d", walk ? "walk" : "idle", static_cast<int>(ticks));
            Caption(sheet, label, k * cell, row * (cell + 24) + cell, cell, 22);
        }
    WritePng(out + "/character_sheet.png", sheet);
    // A close look from the front and from behind, standing.
    Image portrait(800, 600, Color(0.25f, 0.27f, 0.3f, 1));
    for (int k = 0; k < 2; ++k) {
        Viewport vp(&portrait, k * 400, 0, 400, 600);
        vp.Clear(Color(0.25f, 0.27f, 0.3f, 1));
        vp.LookAt(k == 0 ? Vec3(11, 2, 5.5f) : Vec3(-11, -2, 5.5f), {0, 0, 4.6f}, {0, 0, 1}, 42);
        DrawCharacter(vp, model, atlas, kIdleSet, 0);
    }
    WritePng(out + "/character_front.png", portrait);
    return true;
}

bool TerrainSheet(const std::string& out)
{
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    const int cell = 384;
    Image sheet(count * cell, cell + 24, Color(0.1f, 0.1f, 0.12f, 1));
    for (int s = 0; s < count; ++s) {
        const TerrainSpec& spec = specs[s];
        const float x0 = spec.x0 * spec.diff, x1 = (spec.x0 + spec.rows - 1) * spec.diff;
        const float y0 = spec.y0 * spec.diff, y1 = (spec.y0 + spec.columns - 1) * spec.diff;
        for (int py = 0; py < cell; ++py)
            for (int px = 0; px < cell; ++px) {
                const float x = x0 + (x1 - x0) * (px + 0.5f) / cell;
                const float y = y1 - (y1 - y0) * (py + 0.5f) / cell; // north up
                const float h = StageHeight(spec.stage, x, y);
                const float hx = StageHeight(spec.stage, x + 2, y) - h;
                const float light = std::min(1.0f, std::max(0.2f, 0.7f - 0.15f * hx));
                Color c = h < -18 ? Color(0.1f, 0.1f, 0.35f)
                                  : Mix(Rgb(0x3a6a2a), Rgb(0xd8c8a0), std::min(1.0f, std::max(0.0f, (h + 10) / 80)));
                if (spec.stage == 3 && h < 5) c = Rgb(0xc04010);
                sheet.At(s * cell + px, py) = Color(c.r * light, c.g * light, c.b * light);
            }
        Caption(sheet, spec.meshFile, s * cell, cell, cell, 22);
    }
    WritePng(out + "/terrain_sheet.png", sheet);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s <run tree> <output folder>\n", argv[0]);
        return 2;
    }
    bool ok = TextureSheet(argv[1], argv[2]);
    ok &= MeshSheet(argv[1], argv[2]);
    ok &= CharacterSheet(argv[1], argv[2]);
    ok &= TerrainSheet(argv[2]);
    return ok ? 0 : 1;
}
