// Naming and writing the game's files. The game names its files the Windows
// way, with backslashes and in any letter case (the resource tables, level,
// heightmap, particle and draw-list files all do). Every file the game opens
// goes through ResolveGamePath first: configuration, level, heightmap, bitmap,
// particle, draw-list and options files alike; every file it writes goes
// through WriteGameFile, so a failed write never replaces a good file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// The name to open on this file system: '\' becomes '/', and a folder or file
// that does not exist as written is matched without regard to letter case, as
// the platform's loaders (meshes, effects, textures, sounds) match theirs. The
// part of a name that matches nothing is kept as written, so a new file lands
// in the folder that does exist.
std::string ResolveGamePath(const std::string& name);

// Writes the file at the resolved name whole or not at all: write fills a
// temporary file beside it, which replaces the file only when write returns
// true and every write reached the disk. Otherwise the temporary is removed
// and any earlier file stays as it was. False on any failure; reporting it is
// the caller's.
bool WriteGameFile(const std::string& name, const std::function<bool(std::FILE*)>& write);
