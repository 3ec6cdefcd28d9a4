#include "FileUtil.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace gen {

bool MakeDirectories(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            fprintf(stderr, "Could not create folder %s\n", part.c_str());
            return false;
        }
    }
    return true;
}

bool WriteFileAtomic(const std::string& path, const void* data, size_t size)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && !MakeDirectories(path.substr(0, slash))) return false;
    const std::string tmp = path + ".tmp";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "Could not write %s\n", path.c_str());
        return false;
    }
    const bool ok = fwrite(data, 1, size, f) == size;
    if (fclose(f) != 0 || !ok || rename(tmp.c_str(), path.c_str()) != 0) {
        remove(tmp.c_str());
        fprintf(stderr, "Could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    return WriteFileAtomic(path, text.data(), text.size());
}

} // namespace gen
