// The triangles a call log shows drawn, by the effect pass they were drawn in.
#pragma once

#include <map>
#include <string>
#include <vector>

inline std::map<std::string, int> TrianglesByPass(const std::vector<std::string>& log)
{
    std::map<std::string, int> triangles;
    std::string pass;
    for (const std::string& entry : log) {
        if (entry.rfind("BeginPass ", 0) == 0) pass = entry.substr(10);
        if (entry.rfind("End ", 0) == 0) pass.clear();
        if (entry.rfind("DrawIndexedPrimitive 4 ", 0) == 0) triangles[pass] += std::stoi(entry.substr(23));
    }
    return triangles;
}
