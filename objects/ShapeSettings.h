// The shapes' sampling keys in "Physics.cfg". The shapes are built deep inside
// the world's factories, so they read through one reader that the world hands
// over when it opens the file; without one every key keeps its default.
#pragma once

class ConfigFile;

void SetShapeConfig(ConfigFile* config);
ConfigFile* GetShapeConfig();

// The key's int value: the fallback when the key is missing or its word is no
// whole number (reported), a number outside [minimum, maximum] brought to the
// nearer bound (reported).
int ReadShapeKey(const char* key, int fallback, int minimum, int maximum);

// Limits shared by every shape. Grid sizes follow the grid's own limits.
const int kMaxEdgeSamples = 64;
const int kMinFaceSamples = 1;
const int kMaxFaceSamples = 32;

int ReadMeshSizeKey(const char* key, int fallback);
