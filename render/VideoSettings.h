// What the renderer needs of "Vid.cfg". The World opens the file at start-up
// (and writes the default one when it is missing); the game reads the three
// keys through ReadVideoSettings and hands the result to the Renderer, which
// so never reaches for the World.
#pragma once

class ConfigFile;

struct VideoSettings
{
    bool fullscreen = false;
    int fullscreenWidth = 640;
    int fullscreenHeight = 480;
};

// The keys found in the reader; a missing key (or a null reader) keeps the
// field's value above.
VideoSettings ReadVideoSettings(ConfigFile* videoConfig);
