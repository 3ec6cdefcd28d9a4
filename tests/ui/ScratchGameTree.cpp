#include "ScratchGameTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const char* const kCopied[] = {"Config", "Textures", "Levels"};
const char* const kLinked[] = {"Maps", "Meshes", "Effects", "Particles", "sounds"};
} // namespace

ScratchGameTree::ScratchGameTree(const std::string& name)
{
    // Tests start in the run tree's bin/.
    const fs::path runTree = fs::current_path().parent_path();
    previous = fs::current_path().string();
    // Two builds may run the same test at once.
    root = (fs::path(testing::TempDir()) / (name + "_" + std::to_string(getpid()))).string();
    fs::remove_all(root);
    fs::create_directories(fs::path(root) / "bin");
    for (const char* folder : kCopied) {
        if (fs::exists(runTree / folder))
            fs::copy(runTree / folder, fs::path(root) / folder, fs::copy_options::recursive);
    }
    for (const char* folder : kLinked) {
        if (fs::exists(runTree / folder)) fs::create_directory_symlink(runTree / folder, fs::path(root) / folder);
    }
    if (fs::exists(runTree / "bin" / "UI"))
        fs::create_directory_symlink(runTree / "bin" / "UI", fs::path(root) / "bin" / "UI");
    fs::current_path(fs::path(root) / "bin");
}

ScratchGameTree::~ScratchGameTree()
{
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void ScratchGameTree::Remove(const std::string& relative) const
{
    fs::remove(Path(relative));
}

std::string ScratchGameTree::Read(const std::string& relative) const
{
    std::ifstream file(Path(relative));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool ScratchGameTree::Exists(const std::string& relative) const
{
    return fs::exists(Path(relative));
}

void ScratchGameTree::OwnCopy(const std::string& folder) const
{
    const fs::path link = Path(folder);
    if (!fs::is_symlink(link)) return;
    const fs::path target = fs::read_symlink(link);
    fs::remove(link);
    fs::copy(target, link, fs::copy_options::recursive);
}
