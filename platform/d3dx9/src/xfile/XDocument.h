// A parsed text .x file: a tree of data objects, each with its numbers and
// strings in file order (separators dropped) and its nested objects and
// references in file order. Template declarations are skipped; the standard
// templates' layouts are known to the readers that interpret the tree.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct XNode;

// A nested object, or a reference "{ Name }" to an object defined elsewhere.
struct XChild
{
    const XNode* node = nullptr; // null for a reference
    std::string_view reference;
    int line = 0;
};

struct XNode
{
    std::string_view type;
    std::string_view name; // empty when the object is unnamed
    int line = 0;
    std::vector<double> numbers;
    std::vector<std::string_view> strings;
    std::vector<XChild> children;
};

class XDocument
{
public:
    // Parses the whole text, header included. On failure Error() says what and
    // ErrorLine() where; the document is then empty.
    bool Parse(std::string text);

    const std::vector<const XNode*>& TopLevel() const { return mTopLevel; }
    // The named object a reference points at, or null. Later definitions of a
    // name do not replace the first.
    const XNode* Find(std::string_view name) const;
    // The child itself, or the object its reference names.
    const XNode* Resolve(const XChild& child) const { return child.node ? child.node : Find(child.reference); }

    const std::string& Error() const { return mError; }
    int ErrorLine() const { return mErrorLine; }

private:
    friend class XParser;
    std::string mText; // the tree's views point into this
    std::vector<std::unique_ptr<XNode>> mNodes;
    std::vector<const XNode*> mTopLevel;
    std::unordered_map<std::string_view, const XNode*> mByName;
    std::string mError;
    int mErrorLine = 0;
};
