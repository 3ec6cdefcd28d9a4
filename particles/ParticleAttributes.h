// Attribute readers of the particle-definition files. Each stores the value
// and leaves the out-value as it was when the attribute is absent or does not
// read, so a definition keeps its defaults for anything left out or mistyped.
#pragma once

#include <string>

#include <tinyxml2.h>

#include "core/Vector3.h"

// A decimal integer at the start of the text ("1.5" reads 1, "true" nothing).
void ReadIntAttribute(const tinyxml2::XMLElement* element, const char* name, int& out);
// As ReadIntAttribute, but a negative number does not read: it would wrap to
// a count in the billions.
void ReadUnsignedAttribute(const tinyxml2::XMLElement* element, const char* name, unsigned int& out);
void ReadStringAttribute(const tinyxml2::XMLElement* element, const char* name, std::string& out);
// The parser's float reading; infinities and NaN do not read.
void ReadFloatAttribute(const tinyxml2::XMLElement* element, const char* name, float& out);
// The "x", "y", "z" of a child element; a missing child or component, or one
// that is not a finite number, reads 0.
Vector3 ReadVectorElement(const tinyxml2::XMLElement* element, const char* childName);
