// Small helpers over the XML parser for the particle-definition reader.
// Documents should be made with collapsed white space
// (tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE)) so element
// text has its runs of white space folded to one space; XmlElementText trims
// either way.
#pragma once

#include <string>

#include <tinyxml2.h>

#include "core/Vector3.h"

// Query results, the parser's own codes.
enum XmlQueryResult : int { kXmlSuccess = 0, kXmlNoAttribute = 1, kXmlWrongType = 2 };

// First child element with that name, or null (also for a null element).
const tinyxml2::XMLElement* XmlFindChildElement(const tinyxml2::XMLElement* element, const char* name);
tinyxml2::XMLElement* XmlFindChildElement(tinyxml2::XMLElement* element, const char* name);

// Reads the attribute as a float into out: 0 success, 1 no such attribute (or
// no element), 2 not a number. out is untouched unless the result is 0.
int XmlQueryFloatAttribute(const tinyxml2::XMLElement* element, const char* name, float* out);

// The child element's "x", "y", "z" attributes. A missing child gives
// (0, 0, 0); a missing or bad attribute leaves its component 0.
Vector3 XmlReadVector3(const tinyxml2::XMLElement* element, const char* name);

// The element's text with leading and trailing white space removed and inner
// runs collapsed to one blank; empty for a null element or no text.
std::string XmlElementText(const tinyxml2::XMLElement* element);
