// The container of the running stage, and the keeper of the two configuration
// readers. The stage contents come with the world's factories; for now the
// world owns its readers and the file writers of the video settings and the
// bitmap import.
#pragma once

#include <string>

class ConfigFile;

class World
{
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Point-light flicker and the scene objects; absolute time in seconds.
    void Update(float time);

    void AddHeightmap(const std::string& fileName);
    void ClearHeightmaps();

    // Writes a heightmap file from a 24-bit bitmap; returns its name, or an
    // empty string when nothing could be written.
    std::string ConvertBitmapToHeightmap(const std::string& bitmapName);

    ConfigFile* GetPhysicsConfig() { return physicsConfig; }
    ConfigFile* GetVidConfig() { return vidConfig; }

private:
    ConfigFile* vidConfig = nullptr;
    ConfigFile* physicsConfig = nullptr;
};

// Writes the default "Vid.cfg" at the path and returns a reader opened on it;
// ok tells whether the reader opened.
ConfigFile* WriteDefaultVideoConfig(const std::string& path, bool* ok);

extern World* gWorld;
