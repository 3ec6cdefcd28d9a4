// The character's skeleton and animation as the ragdoll reaches them: the
// bone frames of the hierarchy the renderer loaded, and one animation step
// of the renderer's animated models placed where the character stands, after
// which every frame holds its world matrix.
#pragma once

struct D3DXFRAME;

// The frame of that name in the loaded character hierarchy; null without a
// renderer, without a loaded model, or when no frame bears the name. The
// frames live from the model's load to exit.
D3DXFRAME* FindCharacterBone(const char* name);

// Advances the renderer's animated models by h seconds under the character
// (Renderer::AdvanceModels: World object 0 and its first drawable, through
// the frame hooks; W = import transform x facing x offset x position, the
// facing turned to the character's horizontal motion unless it stands idle).
// Returns whether the frames now hold a pose around the character: false
// without a renderer, a model with an instance, or a character, and while
// model 0 is stopped (knocked out, replayed); the frames are then left as
// they were.
bool AdvanceCharacterAnimation(float h);
