// The behaviour functions particle definitions name in BEHAVIOUR elements.
// Each runs once per update of a particle, after its own animation and parent
// following, with the step time in seconds.
#pragma once

class fParticle;

// Bounces the particle off the first terrain by changing its velocity, with
// a push-out bias for the depth it has sunk.
void GroundCollision(fParticle* particle, const float* dt);
// Keeps an effect on the character emitting only while it walks on
// something; finishes it when the character is knocked out.
void UpdateOnPlayerMove(fParticle* particle, const float* dt);
// Pulls the particle towards the particle that emitted it.
void OrbitParent(fParticle* particle, const float* dt);
// Aim an attached particle's emitters along (against) its parent's z axis,
// faster the faster the parent moves.
void SpoutOppositeDirParent(fParticle* particle, const float* dt);
void SpoutDirParent(fParticle* particle, const float* dt);
