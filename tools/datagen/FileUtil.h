// Output helpers: folders are created on demand and every file is written to a
// temporary name and renamed, so an interrupted run never leaves a half file.
#pragma once

#include <cstddef>
#include <string>

namespace gen {

bool MakeDirectories(const std::string& path); // mkdir -p
bool WriteFileAtomic(const std::string& path, const void* data, size_t size);
bool WriteTextFile(const std::string& path, const std::string& text);

} // namespace gen
