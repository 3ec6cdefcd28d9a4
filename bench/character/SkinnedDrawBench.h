// The character's skinned draw against the same pose drawn as a static mesh.
#pragma once

#include <string>

// Run with the working directory in a run tree's bin folder holding
// "../Meshes/male.x", "../Textures/male.bmp" and the shipped effect files in
// effectsFolder ("../Effects"). Prints the figures; nonzero when the set-up
// fails. Without an OpenGL context it says so and measures nothing.
int MeasureSkinnedDraw(const std::string& effectsFolder);
