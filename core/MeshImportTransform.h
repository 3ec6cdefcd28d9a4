// The import transform of the animated model: its files are modelled ten times
// larger and with another up axis. Kept apart from the name tables so only the
// code that draws includes the matrix type.
#pragma once

#include <d3dx9math.h>

// Scaling by 0.1, then a turn about x by pi/2, then about z by pi (row
// vectors: a vertex is scaled first). Built from the float values of pi and
// pi/2, so the near-zero entries are tiny rounding values, not exact zeros.
extern const D3DXMATRIX MeshImportTransform;
