#include "ScratchRunTree.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

int sTreeCount = 0;

} // namespace

ScratchRunTree::ScratchRunTree(bool wholeGame) : previous(fs::current_path().string())
{
    // The tests run from the run tree's bin folder: its data sits beside it.
    const fs::path source = fs::current_path().parent_path();
    root =
        (fs::temp_directory_path() / ("lv_world_tree_" + std::to_string(getpid()) + "_" + std::to_string(sTreeCount++)))
            .string();
    fs::remove_all(root);
    fs::create_directories(fs::path(root) / "bin");
    // Copies of what a test may write over, links to what is only read.
    for (const char* folder : {"Config", "Levels"}) {
        if (fs::exists(source / folder))
            fs::copy(source / folder, fs::path(root) / folder, fs::copy_options::recursive);
    }
    for (const char* folder : {"Maps", "Meshes", "Particles"}) {
        if (fs::exists(source / folder)) fs::create_directory_symlink(source / folder, fs::path(root) / folder);
    }
    if (wholeGame) {
        for (const char* folder : {"Effects", "Textures", "sounds", "bin/UI"}) {
            if (fs::exists(source / folder)) fs::create_directory_symlink(source / folder, fs::path(root) / folder);
        }
    }
    fs::current_path(fs::path(root) / "bin");
}

ScratchRunTree::~ScratchRunTree()
{
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(root, ignored);
}

void ScratchRunTree::Write(const std::string& relative, const std::string& text) const
{
    const fs::path path = fs::path(root) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ScratchRunTree::Read(const std::string& relative) const
{
    std::ifstream in(fs::path(root) / relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
