#include "particles/ParticleAttributes.h"

#include <cmath>
#include <sstream>

#include "core/XmlHelpers.h"

namespace {

// Stream extraction of the decimal number an attribute starts with; what
// follows it is ignored, as the float attributes' query ignores it.
template <typename T>
bool ExtractNumber(const char* text, T& value)
{
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    T read = T();
    if (!(stream >> read)) {
        return false;
    }
    value = read;
    return true;
}

bool StartsNegative(const char* text)
{
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r') {
        ++text;
    }
    return *text == '-';
}

} // namespace

void ReadIntAttribute(const tinyxml2::XMLElement* element, const char* name, int& out)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    if (text) {
        ExtractNumber(text, out);
    }
}

void ReadUnsignedAttribute(const tinyxml2::XMLElement* element, const char* name, unsigned int& out)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    if (text && !StartsNegative(text)) {
        ExtractNumber(text, out);
    }
}

void ReadStringAttribute(const tinyxml2::XMLElement* element, const char* name, std::string& out)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    if (text) {
        out = text;
    }
}

void ReadFloatAttribute(const tinyxml2::XMLElement* element, const char* name, float& out)
{
    float value = 0.0f;
    if (XmlQueryFloatAttribute(element, name, &value) == kXmlSuccess && std::isfinite(value)) {
        out = value;
    }
}

Vector3 ReadVectorElement(const tinyxml2::XMLElement* element, const char* childName)
{
    Vector3 v = XmlReadVector3(element, childName);
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v[i])) {
            v[i] = 0.0f;
        }
    }
    return v;
}
