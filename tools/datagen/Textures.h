// The game's texture table: every file of the texture name list, in id order, with the
// procedure that paints it. Names keep the table's backslashes; the writer turns them
// into folders.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Image.h"

namespace gen {

struct TextureDef
{
    std::string name;                          // exactly as in the name table
    std::function<std::vector<Image>()> paint; // one image, or the slices of a volume
};

const std::vector<TextureDef>& TextureTable(); // 86 entries, index = texture id

// Writes one texture under root (the Textures folder), by the name's extension.
bool WriteTexture(const std::string& root, const TextureDef& def);

// The framework dialog's skin, bin/UI/DXUTControls.dds.
Image DialogSkin();

// Painters shared between the table files.
Image MaterialTexture(const std::string& kind);
Image InterfaceTexture(const std::string& kind);
Image EffectTexture(const std::string& kind, int frame);
Image CharacterAtlas();
Image FaceTexture(int w, int h);
std::vector<Image> NoiseVolume();

} // namespace gen
