#include "core/XmlHelpers.h"

namespace {
bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
} // namespace

const tinyxml2::XMLElement* XmlFindChildElement(const tinyxml2::XMLElement* element, const char* name)
{
    return element ? element->FirstChildElement(name) : nullptr;
}

tinyxml2::XMLElement* XmlFindChildElement(tinyxml2::XMLElement* element, const char* name)
{
    return element ? element->FirstChildElement(name) : nullptr;
}

int XmlQueryFloatAttribute(const tinyxml2::XMLElement* element, const char* name, float* out)
{
    if (!element || !name) {
        return kXmlNoAttribute;
    }
    float value = 0.0f;
    switch (element->QueryFloatAttribute(name, &value)) {
    case tinyxml2::XML_SUCCESS:
        if (out) {
            *out = value;
        }
        return kXmlSuccess;
    case tinyxml2::XML_NO_ATTRIBUTE:
        return kXmlNoAttribute;
    default:
        return kXmlWrongType;
    }
}

Vector3 XmlReadVector3(const tinyxml2::XMLElement* element, const char* name)
{
    Vector3 v;
    const tinyxml2::XMLElement* child = XmlFindChildElement(element, name);
    if (child) {
        XmlQueryFloatAttribute(child, "x", &v.x);
        XmlQueryFloatAttribute(child, "y", &v.y);
        XmlQueryFloatAttribute(child, "z", &v.z);
    }
    return v;
}

std::string XmlElementText(const tinyxml2::XMLElement* element)
{
    std::string text;
    const char* raw = element ? element->GetText() : nullptr;
    if (!raw) {
        return text;
    }
    bool pendingSpace = false;
    for (const char* c = raw; *c; ++c) {
        if (IsXmlSpace(*c)) {
            pendingSpace = !text.empty();
            continue;
        }
        if (pendingSpace) {
            text.push_back(' ');
            pendingSpace = false;
        }
        text.push_back(*c);
    }
    return text;
}
