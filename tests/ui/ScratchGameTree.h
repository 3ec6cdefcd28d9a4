// A run tree of its own for a whole-game run: a temporary root whose bin/ is
// the working directory while it lives, with copies of the folders a test may
// change (Config, Textures, Levels) and links to the rest of the run tree the
// test was started in. The options file, the error log and anything a test
// writes or removes stay in it; the shipped data is never touched.
#pragma once

#include <string>

class ScratchGameTree
{
public:
    // name: the folder under the test's temporary directory (with the process id).
    explicit ScratchGameTree(const std::string& name);
    ~ScratchGameTree();
    ScratchGameTree(const ScratchGameTree&) = delete;
    ScratchGameTree& operator=(const ScratchGameTree&) = delete;

    const std::string& Root() const { return root; }
    std::string Path(const std::string& relative) const { return root + "/" + relative; }
    void Remove(const std::string& relative) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    // A linked folder (Maps, Meshes, Effects, Particles, sounds) becomes a
    // copy of its own, so a test may break or remove what is in it.
    void OwnCopy(const std::string& folder) const;

private:
    std::string root;
    std::string previous;
};
