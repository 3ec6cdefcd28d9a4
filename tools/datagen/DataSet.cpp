#include "DataSet.h"

#include <cstdio>

#include "Character.h"
#include "FileUtil.h"
#include "Sounds.h"
#include "StaticMeshes.h"
#include "Terrain.h"
#include "Textures.h"
#include "XFile.h"

namespace gen {
namespace {

struct Counter
{
    int written = 0;
    bool failed = false;
    void Add(bool ok) { ok ? ++written : (failed = true, 0); }
    int Result() const { return failed ? -1 : written; }
};

int Meshes(const std::string& root)
{
    Counter c;
    for (const NamedMesh& m : BuildStaticMeshes()) {
        // An .x name may not start with a digit ("1x1size1").
        std::string name = m.file.substr(0, m.file.size() - 2);
        if (!name.empty() && name[0] >= '0' && name[0] <= '9') name = "Mesh_" + name;
        c.Add(WriteTextFile(root + "/Meshes/" + m.file, StaticMeshText(m.mesh, name)));
    }
    return c.Result();
}

int CharacterFile(const std::string& root)
{
    Counter c;
    c.Add(WriteTextFile(root + "/Meshes/male.x", SkinnedModelText(BuildCharacter())));
    return c.Result();
}

int Maps(const std::string& root)
{
    Counter c;
    int count = 0;
    const TerrainSpec* specs = TerrainSpecs(&count);
    for (int i = 0; i < count; ++i) {
        c.Add(
            WriteTextFile(root + "/Maps/" + specs[i].meshFile, StaticMeshText(BuildTerrainMesh(specs[i]), "Terrain")));
        if (!specs[i].hmpFile.empty()) c.Add(WriteTextFile(root + "/Maps/" + specs[i].hmpFile, HmpText(specs[i])));
    }
    return c.Result();
}

int TextureFiles(const std::string& root)
{
    Counter c;
    for (const TextureDef& t : TextureTable()) c.Add(WriteTexture(root + "/Textures", t));
    return c.Result();
}

int Interface(const std::string& root)
{
    Counter c;
    c.Add(WriteDds(root + "/bin/UI/DXUTControls.dds", {DialogSkin()}));
    return c.Result();
}

int SoundFiles(const std::string& root)
{
    const int rate = 44100;
    Counter c;
    c.Add(WriteWav(root + "/sounds/sfx/thud.wav", SynthThud(rate), rate));
    c.Add(WriteWav(root + "/sounds/sfx/ow.wav", SynthOw(rate), rate));
    for (const TrackSpec& t : MusicTracks()) c.Add(WriteMp3(root + "/sounds/bgm/" + t.file, SynthTrack(t, rate), rate));
    return c.Result();
}

} // namespace

bool IsGroup(const std::string& g)
{
    return g == "meshes" || g == "character" || g == "maps" || g == "textures" || g == "ui" || g == "sounds";
}

int WriteGroup(const std::string& root, const std::string& group)
{
    if (group == "meshes") return Meshes(root);
    if (group == "character") return CharacterFile(root);
    if (group == "maps") return Maps(root);
    if (group == "textures") return TextureFiles(root);
    if (group == "ui") return Interface(root);
    if (group == "sounds") return SoundFiles(root);
    fprintf(stderr, "Unknown data group %s\n", group.c_str());
    return -1;
}

} // namespace gen
