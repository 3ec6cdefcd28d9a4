// Reading a .x file from disk into a scene, with the game's error reports.
#pragma once

#include "xfile/XScene.h"

#include <string>

// Files larger than this are refused before anything is read.
const size_t kXMaxFileBytes = 256u * 1024u * 1024u;

// Windows-style name (any separators and letter case) to scene. Every failure
// is reported on the error stream and returns false.
bool XLoadSceneFile(const std::string& windowsPath, XSceneData* scene);
// The same for text already in memory; name is used in reports.
bool XLoadSceneText(std::string text, const std::string& name, XSceneData* scene);
