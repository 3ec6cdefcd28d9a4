// Textures and sounds as written to disk and read back through stb_image and
// libsndfile, the run tree's inventory after a build, and same bytes every run.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include <stb_image.h>

#include "DataSet.h"
#include "Math.h"
#include "Sounds.h"
#include "StaticMeshes.h"
#include "Terrain.h"
#include "Textures.h"
#include "XText.h"

using namespace gen;

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

std::string Slashed(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

class Written : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/lv_tools_XXXXXX";
        root_ = mkdtemp(pattern);
        textures_ = WriteGroup(root_, "textures");
        sounds_ = WriteGroup(root_, "sounds");
        ui_ = WriteGroup(root_, "ui");
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + root_ + "'").c_str()); }
    static std::string root_;
    static int textures_, sounds_, ui_;
};
std::string Written::root_;
int Written::textures_ = 0, Written::sounds_ = 0, Written::ui_ = 0;

// Strength of one frequency over a window (Goertzel).
double Power(const std::vector<float>& x, size_t start, size_t n, double hz, double rate)
{
    const double w = 2 * 3.14159265358979 * hz / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (size_t i = start; i < start + n && i < x.size(); ++i) {
        const double s = x[i] + c * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - c * s1 * s2;
}

std::vector<float> ReadMono(const std::string& path, SF_INFO* info)
{
    *info = SF_INFO{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, info);
    if (!f) return {};
    std::vector<float> all(static_cast<size_t>(info->frames) * info->channels);
    sf_readf_float(f, all.data(), info->frames);
    sf_close(f);
    std::vector<float> mono(static_cast<size_t>(info->frames));
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = all[i * info->channels];
    return mono;
}

} // namespace

TEST(TextureTable, EightySixNamesInIdOrder)
{
    const auto& t = TextureTable();
    ASSERT_EQ(t.size(), 86u);
    EXPECT_EQ(t[0].name, "male.bmp");
    EXPECT_EQ(t[29].name, "kaw2.jpg");
    EXPECT_EQ(t[33].name, "HUDOrient.bmp");
    EXPECT_EQ(t[35].name, "Particles\\Torch\\Flame_Blur.png");
    EXPECT_EQ(t[58].name, "Particles\\Lava\\lava_blob6.png");
    EXPECT_EQ(t[74].name, "Particles\\Mr Sparkle\\blur_star.png");
    EXPECT_EQ(t[81].name, "NoiseVolume.dds");
    EXPECT_EQ(t[85].name, "resume.png");
    std::set<std::string> unique;
    for (const auto& d : t) unique.insert(d.name);
    EXPECT_EQ(unique.size(), 86u);
}

TEST_F(Written, EveryTextureReadsBack)
{
    ASSERT_EQ(textures_, 86);
    for (const TextureDef& d : TextureTable()) {
        const std::string path = root_ + "/Textures/" + Slashed(d.name);
        SCOPED_TRACE(path);
        ASSERT_TRUE(Exists(path));
        if (d.name.size() > 4 && d.name.substr(d.name.size() - 4) == ".dds") continue;
        int w = 0, h = 0, n = 0;
        unsigned char* px = stbi_load(path.c_str(), &w, &h, &n, 4);
        ASSERT_NE(px, nullptr) << stbi_failure_reason();
        EXPECT_GE(w, 8);
        EXPECT_GE(h, 8);
        stbi_image_free(px);
    }
}

TEST_F(Written, ButtonsCarryTheirText)
{
    // Bright text pixels (the white fill) over the dark button face.
    for (const char* name : {"newgame.png", "quit.png", "options.png", "creditsButton.png", "back.png", "resume.png",
                             "yes.png", "no.png", "try_again.png", "invertx.png"}) {
        int w, h, n;
        unsigned char* px = stbi_load((root_ + "/Textures/" + name).c_str(), &w, &h, &n, 4);
        ASSERT_NE(px, nullptr) << name;
        int bright = 0;
        for (int y = h / 4; y < 3 * h / 4; ++y)
            for (int x = w / 8; x < 7 * w / 8; ++x) {
                const unsigned char* p = px + 4 * (y * w + x);
                bright += p[3] > 200 && p[0] > 220 && p[1] > 220 && p[2] > 220;
            }
        EXPECT_GT(bright, w * h / 40) << name;
        stbi_image_free(px);
    }
}

TEST_F(Written, DdsFilesHaveTheLayoutTheLoaderReads)
{
    struct Case
    {
        std::string path;
        uint32_t w, h, depth;
    };
    for (const Case& c : {Case{root_ + "/Textures/NoiseVolume.dds", 32, 32, 32},
                          Case{root_ + "/bin/UI/DXUTControls.dds", 256, 256, 0}}) {
        SCOPED_TRACE(c.path);
        FILE* f = fopen(c.path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        uint32_t hd[32];
        ASSERT_EQ(fread(hd, 4, 32, f), 32u);
        fseek(f, 0, SEEK_END);
        const long size = ftell(f);
        fclose(f);
        EXPECT_EQ(hd[0], 0x20534444u);
        EXPECT_EQ(hd[1], 124u);
        EXPECT_EQ(hd[3], c.h);
        EXPECT_EQ(hd[4], c.w);
        EXPECT_EQ(hd[6], c.depth);
        EXPECT_EQ(hd[22], 32u);
        EXPECT_EQ(hd[26], 0xff000000u);
        EXPECT_EQ((hd[28] & 0x200000u) != 0, c.depth > 1) << "volume flag";
        EXPECT_EQ(size, 128L + 4L * c.w * c.h * std::max(1u, c.depth));
    }
}

TEST_F(Written, SoundEffectsAreShortMonoClips)
{
    ASSERT_EQ(sounds_, 5);
    for (const char* name : {"thud.wav", "ow.wav"}) {
        SF_INFO info;
        const auto x = ReadMono(root_ + "/sounds/sfx/" + name, &info);
        ASSERT_FALSE(x.empty()) << name;
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.samplerate, 44100);
        EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
        EXPECT_GT(info.frames, 44100 / 5);
        EXPECT_LT(info.frames, 44100);
        float peak = 0;
        for (float v : x) peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.2f);
        EXPECT_LE(peak, 1.0f);
    }
}

TEST_F(Written, MusicTracksSortInOrderWithDistinctPitches)
{
    const auto& tracks = MusicTracks();
    ASSERT_GE(tracks.size(), 2u);
    ASSERT_LE(tracks.size(), 3u);
    for (size_t i = 1; i < tracks.size(); ++i) EXPECT_LT(tracks[i - 1].file, tracks[i].file);
    std::vector<double> found;
    for (const TrackSpec& t : tracks) {
        SCOPED_TRACE(t.file);
        SF_INFO info;
        const auto x = ReadMono(root_ + "/sounds/bgm/" + t.file, &info);
        ASSERT_FALSE(x.empty());
        EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
        EXPECT_EQ(info.channels, 2);
        EXPECT_GE(static_cast<double>(info.frames) / info.samplerate, 20.0);
        // The dominant frequency of a one-second window in the middle.
        double best = 0, bestHz = 0;
        for (double hz = 100; hz <= 1000; hz += 5) {
            const double p = Power(x, 10 * 44100, 44100, hz, info.samplerate);
            if (p > best) {
                best = p;
                bestHz = hz;
            }
        }
        EXPECT_NEAR(bestHz, t.rootHz, 5.0);
        found.push_back(bestHz);
    }
    for (size_t i = 1; i < found.size(); ++i) EXPECT_GT(std::fabs(found[i] - found[i - 1]), 50.0);
}

TEST(DataSet, SameBytesEveryRun)
{
    char a[] = "/tmp/lv_tools_a_XXXXXX", b[] = "/tmp/lv_tools_b_XXXXXX";
    const std::string ra = mkdtemp(a), rb = mkdtemp(b);
    for (const char* group : {"meshes", "character", "maps"}) {
        EXPECT_GT(WriteGroup(ra, group), 0);
        EXPECT_GT(WriteGroup(rb, group), 0);
    }
    for (const char* file : {"/Meshes/cube.x", "/Meshes/male.x", "/Maps/stage1.x", "/Maps/stage4.hmp"})
        EXPECT_EQ(ReadWholeFile(ra + file), ReadWholeFile(rb + file)) << file;
    EXPECT_EQ(WriteGroup(ra, "nonsense"), -1);
    std::system(("rm -rf '" + ra + "' '" + rb + "'").c_str());
}

// After a build with the data on, the run tree beside the tests' working folder bin/
// holds every generated file.
TEST(RunTree, EveryGeneratedFileIsInPlace)
{
    if (!Exists("../Meshes/male.x")) GTEST_SKIP() << "data not generated into this run tree";
    for (const NamedMesh& m : BuildStaticMeshes()) EXPECT_TRUE(Exists("../Meshes/" + m.file)) << m.file;
    for (const TextureDef& d : TextureTable()) EXPECT_TRUE(Exists("../Textures/" + Slashed(d.name))) << d.name;
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(Exists("../Maps/" + specs[i].meshFile));
        if (!specs[i].hmpFile.empty()) {
            EXPECT_TRUE(Exists("../Maps/" + specs[i].hmpFile));
        }
    }
    EXPECT_TRUE(Exists("../sounds/sfx/thud.wav"));
    EXPECT_TRUE(Exists("../sounds/sfx/ow.wav"));
    for (const TrackSpec& t : MusicTracks()) EXPECT_TRUE(Exists("../sounds/bgm/" + t.file));
    EXPECT_TRUE(Exists("UI/DXUTControls.dds"));
}
