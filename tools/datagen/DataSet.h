// Writes the generated half of the game's data into a run tree, by group, so the
// build can run the groups side by side and skip the ones that are up to date.
#pragma once

#include <string>

namespace gen {

// Groups: "meshes", "character", "maps", "textures", "ui", "sounds". Returns the number
// of files written, or -1 when any file failed (each failure is reported on stderr).
int WriteGroup(const std::string& runTree, const std::string& group);
bool IsGroup(const std::string& group);

} // namespace gen
