#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "core/MeshImportTransform.h"
#include "core/Resources.h"

TEST(Resources, DirectoriesJoinDirectly)
{
    EXPECT_EQ(ConfigDirectory + "Physics.cfg", "../Config/Physics.cfg");
    EXPECT_EQ(LevelsDirectory + std::string("stage1.qvl"), "../Levels/stage1.qvl");
    const std::string maps = MapsDirectory;
    EXPECT_EQ(maps, "../Maps/");
    EXPECT_STREQ(MeshesDirectory.c_str(), "../Meshes/");
    EXPECT_STREQ(EffectsDirectory.c_str(), "../Effects/");
    EXPECT_STREQ(TexturesDirectory.c_str(), "../Textures/");
}

TEST(Resources, NameTablesAreCompleteAndDistinct)
{
    EXPECT_STREQ(MeshFileNames[0], "Tiny.x");
    EXPECT_STREQ(MeshFileNames[20], "morvathens_mask.x");
    EXPECT_STREQ(MeshFileNames[24], "skybox_tiled.x");
    EXPECT_STREQ(AnimatedMeshFileNames[0], "male.x");

    EXPECT_STREQ(TextureFileNames[85], "resume.png");
    EXPECT_STREQ(TextureFileNames[72], "morvathen_mask.png");
    EXPECT_STREQ(TextureFileNames[74], "Particles\\Mr Sparkle\\blur_star.png");
    EXPECT_STREQ(TextureFileNames[81], "NoiseVolume.dds");
    EXPECT_EQ(kNoTexture, kTextureFileCount);
    EXPECT_FALSE(IsValidTextureId(kNoTexture));
    EXPECT_FALSE(IsValidTextureId(-1));
    EXPECT_TRUE(IsValidMeshFileId(24));
    EXPECT_FALSE(IsValidMeshFileId(25));

    // Contiguous particle ranges the definition files address by start and end id.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::string(TextureFileNames[36 + i]), "Particles\\Torch\\flame_" + std::to_string(i) + ".png");
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(std::string(TextureFileNames[53 + i]), "Particles\\Lava\\lava_blob" + std::to_string(i + 1) + ".png");
    }

    std::set<std::string> textures(TextureFileNames, TextureFileNames + kTextureFileCount);
    EXPECT_EQ(textures.size(), static_cast<size_t>(kTextureFileCount));
    std::set<std::string> meshes(MeshFileNames, MeshFileNames + kMeshFileCount);
    EXPECT_EQ(meshes.size(), static_cast<size_t>(kMeshFileCount));
}

TEST(Resources, PostProcessPresetsByStageRecord)
{
    EXPECT_STREQ(GetPostProcessConfigFile(3 - 1, 1), "Heat2_0.cfg");
    EXPECT_STREQ(GetPostProcessConfigFile(3 - 1, 0), "HeatandHDR.cfg");
    EXPECT_STREQ(GetPostProcessConfigFile(0, 0), "HDR.cfg");
    EXPECT_STREQ(GetPostProcessConfigFile(4 - 1, 0), "MotionBlur.cfg");
    EXPECT_STREQ(GetPostProcessConfigFile(4 - 1, 2), "2_0.cfg");
    EXPECT_EQ(GetPostProcessConfigFile(4, 0), nullptr);
    EXPECT_EQ(GetPostProcessConfigFile(-1, 0), nullptr);
    EXPECT_EQ(GetPostProcessConfigFile(-2, 1), nullptr);
    EXPECT_EQ(GetPostProcessConfigFile(0, 3), nullptr);
    EXPECT_EQ(GetPostProcessConfigFile(0, -1), nullptr);
}

namespace {
void Transform(float x, float y, float z, float out[3])
{
    for (int j = 0; j < 3; ++j) {
        out[j] = x * MeshImportTransform.m[0][j] + y * MeshImportTransform.m[1][j] + z * MeshImportTransform.m[2][j] +
                 MeshImportTransform.m[3][j];
    }
}
} // namespace

TEST(Resources, MeshImportTransformScalesAndTurns)
{
    float p[3];
    Transform(10, 0, 0, p);
    EXPECT_NEAR(p[0], -1.0f, 1e-6f);
    EXPECT_NEAR(p[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], 0.0f, 1e-6f);
    Transform(0, 10, 0, p);
    EXPECT_NEAR(p[0], 0.0f, 1e-6f);
    EXPECT_NEAR(p[1], 0.0f, 1e-6f);
    EXPECT_NEAR(p[2], 1.0f, 1e-6f);
    Transform(0, 0, 10, p);
    EXPECT_NEAR(p[1], 1.0f, 1e-6f);

    // Float pi and pi/2 leave tiny rounding values where exact zeros would be.
    EXPECT_NE(MeshImportTransform.m[0][1], 0.0f);
    EXPECT_LT(std::fabs(MeshImportTransform.m[0][1]), 1e-7f);
    EXPECT_EQ(MeshImportTransform.m[3][3], 1.0f);
    EXPECT_EQ(MeshImportTransform.m[3][0], 0.0f);
}
