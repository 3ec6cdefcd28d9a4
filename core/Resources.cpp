#include "core/Resources.h"

const char* const MeshFileNames[kMeshFileCount] = {
    "Tiny.x",            // 0
    "cube.x",            // 1
    "boulder1.x",        // 2
    "stage_exit.x",      // 3
    "column1.x",         // 4
    "tetrahedron.x",     // 5
    "minecart.x",        // 6
    "tire.x",            // 7
    "torso.x",           // 8
    "upperarm.x",        // 9
    "upperleg.x",        // 10
    "skybox.x",          // 11
    "tiki.x",            // 12
    "handTorch.x",       // 13
    "bush1.x",           // 14
    "1x1size1.x",        // 15
    "big_temple.x",      // 16
    "prism.x",           // 17
    "eye_block.x",       // 18
    "coin.x",            // 19
    "morvathens_mask.x", // 20
    "spike.x",           // 21
    "vivuzuzface.x",     // 22
    "caveceiling.x",     // 23
    "skybox_tiled.x",    // 24
};

const char* const AnimatedMeshFileNames[kAnimatedMeshFileCount] = {
    "male.x",
};

const char* const TextureFileNames[kTextureFileCount] = {
    "male.bmp",                             // 0
    "vossmere.png",                         // 1
    "greenmoss.png",                        // 2
    "boulder1.png",                         // 3
    "tableblock.png",                       // 4
    "column1.png",                          // 5
    "2x4block.png",                         // 6
    "tetrahedron.png",                      // 7
    "minecart.png",                         // 8
    "tire.png",                             // 9
    "transblack.png",                       // 10
    "titlesmall.png",                       // 11
    "brickwall.png",                        // 12
    "cobblestone1.png",                     // 13
    "hotlava.png",                          // 14
    "quorvamark.png",                       // 15
    "newgame.png",                          // 16
    "quit.png",                             // 17
    "letterboxbar.png",                     // 18
    "mousepointer.png",                     // 19
    "replay_controls.png",                  // 20
    "replay_base.png",                      // 21
    "replay_play.png",                      // 22
    "replay_pause.png",                     // 23
    "replay_forward.png",                   // 24
    "replay_backward.png",                  // 25
    "replay_camera.png",                    // 26
    "replay_slowmo.png",                    // 27
    "replay_close.png",                     // 28
    "kaw2.jpg",                             // 29
    "try_again.png",                        // 30
    "yes.png",                              // 31
    "no.png",                               // 32
    "HUDOrient.bmp",                        // 33
    "ground_dirt.png",                      // 34
    "Particles\\Torch\\Flame_Blur.png",     // 35
    "Particles\\Torch\\flame_0.png",        // 36
    "Particles\\Torch\\flame_1.png",        // 37
    "Particles\\Torch\\flame_2.png",        // 38
    "Particles\\Torch\\flame_3.png",        // 39
    "Particles\\Torch\\flame_4.png",        // 40
    "Exit.png",                             // 41
    "rock.png",                             // 42
    "dirt.png",                             // 43
    "wood2.png",                            // 44
    "Particles\\Torch\\smoke_puff.png",     // 45
    "bush.png",                             // 46
    "stage3_skybox.png",                    // 47
    "mousepointer_hover.png",               // 48
    "tarnwic.png",                          // 49
    "Particles\\Dust\\dust_blur_cloud.png", // 50
    "Particles\\Dust\\dust_flake.png",      // 51
    "Particles\\Grass\\grass_blade.png",    // 52
    "Particles\\Lava\\lava_blob1.png",      // 53
    "Particles\\Lava\\lava_blob2.png",      // 54
    "Particles\\Lava\\lava_blob3.png",      // 55
    "Particles\\Lava\\lava_blob4.png",      // 56
    "Particles\\Lava\\lava_blob5.png",      // 57
    "Particles\\Lava\\lava_blob6.png",      // 58
    "lmbrc.png",                            // 59
    "steel.png",                            // 60
    "marble.png",                           // 61
    "chain.png",                            // 62
    "box.png",                              // 63
    "box_checked.png",                      // 64
    "invertx.png",                          // 65
    "inverty.png",                          // 66
    "options.png",                          // 67
    "back.png",                             // 68
    "brick_tex.png",                        // 69
    "marble_eye.png",                       // 70
    "gold.png",                             // 71
    "morvathen_mask.png",                   // 72
    "rope.png",                             // 73
    "Particles\\Mr Sparkle\\blur_star.png", // 74
    "leather.png",                          // 75
    "vest.png",                             // 76
    "jeans.png",                            // 77
    "vivuzuzface.png",                      // 78
    "skin.png",                             // 79
    "Particles\\Mist\\mist.png",            // 80
    "NoiseVolume.dds",                      // 81
    "stage2_skybox.png",                    // 82
    "credits.png",                          // 83
    "creditsButton.png",                    // 84
    "resume.png",                           // 85
};

const char* const PostProcessConfigFiles[kPostProcessStageCount][kPostProcessColumnCount] = {
    {"HDR.cfg", "2_0.cfg", "2_0.cfg"},            // stage 1
    {"HDR.cfg", "2_0.cfg", "2_0.cfg"},            // stage 2
    {"HeatandHDR.cfg", "Heat2_0.cfg", "2_0.cfg"}, // stage 3
    {"MotionBlur.cfg", "2_0.cfg", "2_0.cfg"},     // stage 4
};

const char* GetPostProcessConfigFile(int stageIndex, int column)
{
    if (stageIndex < 0 || stageIndex >= kPostProcessStageCount || column < 0 || column >= kPostProcessColumnCount) {
        return nullptr;
    }
    return PostProcessConfigFiles[stageIndex][column];
}
