// The game's file names resolve through the platform's path helper, the one
// the loaders of meshes, effects, textures and sounds use, so every file is
// found the same way.
#include "core/GameFiles.h"

#include "Win32Path.h"

std::string ResolveGamePath(const std::string& name)
{
    return Win32ResolvePath(name);
}

bool WriteGameFile(const std::string& name, const std::function<bool(std::FILE*)>& write)
{
    const std::string path = ResolveGamePath(name);
    const std::string tempPath = path + ".tmp";
    std::FILE* out = std::fopen(tempPath.c_str(), "w");
    if (!out) {
        return false;
    }
    const bool filled = write(out) && std::ferror(out) == 0;
    const bool closed = std::fclose(out) == 0;
    if (!filled || !closed || std::rename(tempPath.c_str(), path.c_str()) != 0) {
        std::remove(tempPath.c_str());
        return false;
    }
    return true;
}
