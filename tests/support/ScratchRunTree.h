// A scratch copy of the run tree for tests and benchmarks that write files
// the game writes (levels, heightmaps, settings), so the shipped data is
// never touched.
#pragma once

#include <string>

// A temporary <root>/bin working directory beside copies of the run tree's
// data folders (Config, Levels, Maps, Particles); the previous working
// directory comes back when it goes. Files written here never touch the
// shipped data. The whole game needs the rest of the run tree too (meshes,
// textures, effects, sounds, the dialog's skin in bin/UI): wholeGame links
// those in, read-only like Maps and Particles.
class ScratchRunTree
{
public:
    explicit ScratchRunTree(bool wholeGame = false);
    ~ScratchRunTree();
    ScratchRunTree(const ScratchRunTree&) = delete;
    ScratchRunTree& operator=(const ScratchRunTree&) = delete;

    const std::string& Root() const { return root; }
    // Replaces <root>/<relative> with text.
    void Write(const std::string& relative, const std::string& text) const;
    std::string Read(const std::string& relative) const;

private:
    std::string root;
    std::string previous;
};
