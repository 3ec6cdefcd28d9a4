// A small independent reader of text .x files for the tests: blocks with a type, an
// optional name, their data words (numbers and strings, separators dropped),
// references and child blocks. It checks the syntax the generator writes without
// sharing any of the generator's code.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace xtext {

struct TextNode
{
    std::string type;
    std::string name;
    std::vector<std::string> data;       // in order
    std::vector<std::string> references; // {Name}
    std::vector<std::unique_ptr<TextNode>> children;

    const TextNode* Child(const std::string& childType, size_t index = 0) const;
    size_t Count(const std::string& childType) const;
    double Number(size_t i) const { return std::stod(data.at(i)); }
};

struct TextDocument
{
    std::string header;
    std::vector<std::unique_ptr<TextNode>> roots;
    bool ok = false;
    std::string error;
};

TextDocument ParseXText(const std::string& text);
std::string ReadWholeFile(const std::string& path);

} // namespace xtext

using namespace xtext;
