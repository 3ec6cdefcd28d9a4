// One stored copy of every technique name. The render lists order instances
// by the address of their technique name and the draw loop switches technique
// only when that address changes, so every name a drawable carries comes from
// here: equal names share one pointer, and the pointer outlives whoever made
// the name (a terrain frees its own string when a stage is cleared).
#pragma once

#include <string>

// The stored copy of name; the same pointer for equal names, valid until exit.
// A null name gives the stored empty name.
const char* InternTechnique(const char* name);
const char* InternTechnique(const std::string& name);
