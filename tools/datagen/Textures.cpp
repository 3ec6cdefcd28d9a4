#include "Textures.h"

#include "FileUtil.h"

namespace gen {
namespace {

TextureDef Mat(const char* name, const char* kind)
{
    return {name, [kind] { return std::vector<Image>{MaterialTexture(kind)}; }};
}
TextureDef Ui(const char* name, const char* kind)
{
    return {name, [kind] { return std::vector<Image>{InterfaceTexture(kind)}; }};
}
TextureDef Fx(const char* name, const char* kind, int frame = 0)
{
    return {name, [kind, frame] { return std::vector<Image>{EffectTexture(kind, frame)}; }};
}

std::string Extension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? "" : name.substr(dot + 1);
}

} // namespace

const std::vector<TextureDef>& TextureTable()
{
    static const std::vector<TextureDef> table = {
        {"male.bmp", [] { return std::vector<Image>{CharacterAtlas()}; }},
        Ui("vossmere.png", "emblem"),
        Mat("greenmoss.png", "moss"),
        Mat("boulder1.png", "boulder"),
        Mat("tableblock.png", "planks"),
        Mat("column1.png", "column"),
        Mat("2x4block.png", "lumber"),
        Mat("tetrahedron.png", "crystal"),
        Mat("minecart.png", "rustplate"),
        Mat("tire.png", "tire"),
        Fx("transblack.png", "transblack"), // 10
        Ui("titlesmall.png", "titlesmall"),
        Mat("brickwall.png", "brickwall"),
        Mat("cobblestone1.png", "cobble"),
        Mat("hotlava.png", "lava"),
        Ui("quorvamark.png", "title"), // 15
        Ui("newgame.png", "newgame"),
        Ui("quit.png", "quit"),
        Ui("letterboxbar.png", "bar"),
        Ui("mousepointer.png", "pointer"),
        Ui("replay_controls.png", "replay_controls"), // 20
        Ui("replay_base.png", "replay_base"),
        Ui("replay_play.png", "icon_play"),
        Ui("replay_pause.png", "icon_pause"),
        Ui("replay_forward.png", "icon_forward"),
        Ui("replay_backward.png", "icon_backward"),
        Ui("replay_camera.png", "icon_camera"),
        Ui("replay_slowmo.png", "icon_slowmo"),
        Ui("replay_close.png", "icon_close"),
        Mat("kaw2.jpg", "landscape"),
        Ui("try_again.png", "try_again"), // 30
        Ui("yes.png", "yes"),
        Ui("no.png", "no"),
        Mat("HUDOrient.bmp", "compass"),
        Mat("ground_dirt.png", "ground_dirt"),
        Fx("Particles\\Torch\\Flame_Blur.png", "flame_blur"), // 35
        Fx("Particles\\Torch\\flame_0.png", "flame", 0),
        Fx("Particles\\Torch\\flame_1.png", "flame", 1),
        Fx("Particles\\Torch\\flame_2.png", "flame", 2),
        Fx("Particles\\Torch\\flame_3.png", "flame", 3),
        Fx("Particles\\Torch\\flame_4.png", "flame", 4), // 40
        Ui("Exit.png", "exit"),
        Mat("rock.png", "rock"),
        Mat("dirt.png", "dirt"),
        Mat("wood2.png", "wood"),
        Fx("Particles\\Torch\\smoke_puff.png", "smoke"), // 45
        Fx("bush.png", "bush"),
        Fx("stage3_skybox.png", "sky_volcano"),
        Ui("mousepointer_hover.png", "pointer_hover"),
        Ui("tarnwic.png", "studio"),
        Fx("Particles\\Dust\\dust_blur_cloud.png", "dust_cloud"), // 50
        Fx("Particles\\Dust\\dust_flake.png", "dust_flake"),
        Fx("Particles\\Grass\\grass_blade.png", "grass_blade"),
        Fx("Particles\\Lava\\lava_blob1.png", "lava_blob", 1),
        Fx("Particles\\Lava\\lava_blob2.png", "lava_blob", 2),
        Fx("Particles\\Lava\\lava_blob3.png", "lava_blob", 3),
        Fx("Particles\\Lava\\lava_blob4.png", "lava_blob", 4),
        Fx("Particles\\Lava\\lava_blob5.png", "lava_blob", 5),
        Fx("Particles\\Lava\\lava_blob6.png", "lava_blob", 6),
        Ui("lmbrc.png", "lmbrc"),
        Mat("steel.png", "steel"), // 60
        Mat("marble.png", "marble"),
        Fx("chain.png", "chain"),
        Ui("box.png", "box"),
        Ui("box_checked.png", "box_checked"),
        Ui("invertx.png", "invertx"), // 65
        Ui("inverty.png", "inverty"),
        Ui("options.png", "options"),
        Ui("back.png", "back"),
        Mat("brick_tex.png", "stonebrick"),
        Mat("marble_eye.png", "marble_eye"), // 70
        Mat("gold.png", "gold"),
        Mat("morvathen_mask.png", "mask"),
        Mat("rope.png", "rope"),
        Fx("Particles\\Mr Sparkle\\blur_star.png", "star"),
        Mat("leather.png", "leather"), // 75
        Mat("vest.png", "vest"),
        Mat("jeans.png", "jeans"),
        {"vivuzuzface.png", [] { return std::vector<Image>{FaceTexture(256, 256)}; }},
        Mat("skin.png", "skin"),
        Fx("Particles\\Mist\\mist.png", "mist"), // 80
        {"NoiseVolume.dds", [] { return NoiseVolume(); }},
        Fx("stage2_skybox.png", "sky_day"),
        Ui("credits.png", "credits"),
        Ui("creditsButton.png", "credits_button"),
        Ui("resume.png", "resume"), // 85
    };
    return table;
}

bool WriteTexture(const std::string& root, const TextureDef& def)
{
    std::string rel = def.name;
    for (char& c : rel)
        if (c == '\\') c = '/';
    const std::string path = root + "/" + rel;
    const std::vector<Image> images = def.paint();
    const std::string ext = Extension(def.name);
    if (ext == "png") return WritePng(path, images[0]);
    if (ext == "bmp") return WriteBmp(path, images[0]);
    if (ext == "jpg") return WriteJpg(path, images[0]);
    if (ext == "dds") return WriteDds(path, images);
    return false;
}

} // namespace gen
