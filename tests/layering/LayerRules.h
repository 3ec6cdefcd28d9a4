// The include rules of cmake/Layers.txt and a checker that reads every
// #include of the game folders against them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

struct LayerRules
{
    std::vector<std::string> folders;                     // lowest first
    std::map<std::string, std::set<std::string>> allowed; // folder -> folders and stand-ins
    std::set<std::string> hostsOnly;                      // stand-in headers no game folder includes
    std::string error;                                    // empty when the text made sense
};

// Parses the text of cmake/Layers.txt. A line naming a folder not listed
// above it is an error (the layers would allow a cycle).
LayerRules ParseLayerRules(const std::string& text, const std::set<std::string>& standIns);

// Header file name -> stand-in, from platform/<stand-in>/include/.
std::map<std::string, std::string> ReadStandInHeaders(const std::string& root);

// Every include of the game folders under root that breaks the rules, one
// line each: "file:line: #include ... (why)".
std::vector<std::string> FindLayerViolations(const std::string& root, const LayerRules& rules,
                                             const std::map<std::string, std::string>& standInHeaders);
