#include "render/TechniqueNames.h"

#include <unordered_set>

namespace {

// Elements of an unordered set keep their addresses when the set grows, so
// the pointers handed out stay valid. Never emptied: drawables of a stage may
// still name a technique while the next stage loads.
std::unordered_set<std::string>& Names()
{
    static std::unordered_set<std::string> names;
    return names;
}

} // namespace

const char* InternTechnique(const std::string& name)
{
    return Names().insert(name).first->c_str();
}

const char* InternTechnique(const char* name)
{
    return InternTechnique(std::string(name != nullptr ? name : ""));
}
