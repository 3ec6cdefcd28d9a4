// One screen-space image of the HUD: a textured quad placed in normalised
// screen units, the base of the menu items and the mouse pointer.
//
// Ownership: the element owns its quad. The quad is never queued with the
// renderer's lists (the HUD draws it itself), so the element deletes it.
// Elements are deleted through this base by the page that holds them.
#pragma once

#include "core/Vector3.h"

struct MeshInstance;

class HUDElement
{
public:
    // The name of the effect technique the HUD is drawn with.
    static const char* const kTechnique;

    // position: the quad's centre, x to the right and y downward, each from
    // -1 to 1; size: width and height as fractions of the screen's (the quad
    // spans -1 to 1, so (1, 1) covers the screen).
    HUDElement(int textureId, const Vector3& position, const Vector3& size);
    virtual ~HUDElement();
    HUDElement(const HUDElement&) = delete;
    HUDElement& operator=(const HUDElement&) = delete;

    // Writes the quad's world matrix for this frame.
    virtual void Update() = 0;

    MeshInstance* GetQuad() const { return quad; }
    int GetTexture() const;
    // Menu items and the pointer swap images this way.
    void SetTexture(int textureId);

    Vector3 position;
    Vector3 size;
    // The texture-coordinate range handed to the effect as "TexUVarr".
    float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};

protected:
    // Scaling by the size (each component held within [0, 1], z scale 1),
    // then the translation to the centre with y turned upward.
    void WriteQuadMatrix();

private:
    MeshInstance* quad;
};
