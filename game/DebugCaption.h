#pragma once

// Writes the per-frame debug caption (stage, mouse look, editor status) to the
// debug channel.
void PrintDebugCaption();
