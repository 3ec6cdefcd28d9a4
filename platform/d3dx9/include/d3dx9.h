// D3DX stand-in: one header for the whole helper library, as the game includes it.
#pragma once

#include <d3d9.h>
#include "d3dx9math.h"
#include "d3dx9core.h"
#include "d3dx9mesh.h"
#include "d3dx9anim.h"
#include "d3dx9effect.h"
#include "d3dx9tex.h"
