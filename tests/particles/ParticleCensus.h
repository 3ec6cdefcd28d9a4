// Telling the running game's effects apart: a root particle carries no type
// name, so it is known by what its definition gave it (its lifetime, whether
// it has a quad, and the child types its emitters still make). Whole-game tests count the effects a
// stage holds this way.
#pragma once

#include <map>
#include <string>

class fParticle;

// The name of the definition the root was made from; several names joined by
// '|' when the root cannot tell them apart any more (two bursts of the same
// lifetime, both spent); "?" when no definition fits.
std::string KindOf(const fParticle* root);

// How many roots of each kind the particle manager holds.
std::map<std::string, int> TakeCensus();
