// The scene side both effect files share: every parameter the renderer sets,
// the lighting, and every technique the game's drawables name (objects,
// terrain, particles, the camera-facing sign, the character, the HUD).
//
// The including file defines, before including this one:
//   MATRIX_PALETTE_SIZE_DEFAULT  the skinning palette's size
//   PER_VERTEX_LIGHTING          1: light at the vertices (the reduced
//                                effect), 0: at every pixel
//
// Lighting. The sky light comes from LightDir with LightDiffuse; up to
// nNumLights point lights add their colour. A point light's attenuation is
// its range in world units: its light falls linearly from full at the light
// to nothing at the range, and a range of 0 is no light at all (the frame
// sends fewer than three lights that way). Material colours: emissive, plus
// ambient x LightAmbient, plus diffuse x the lights, all times the texture;
// specular on top. Lit colours are not clamped (they glow through the float
// targets) except where a technique says so.
//
// Camera-facing quads come out a quarter turn from the unit quad's mapping
// (u down the screen, v to the left); their techniques turn the texture
// coordinates back so the texture reads upright.

// ---- per frame
float4x4 mView;
float4x4 mViewProjection;
float4x4 mLastViewProjection;
float3 LightPos[8];
float4 LightCol[8];
float LightAtten[8];
float focalDist = 5.0;
float4 CamPos = {0.0, 0.0, 0.0, 1.0};

// ---- the full effect's light callback (the reduced effect keeps these)
float3 LightDir = {0.0, 0.8, 0.8};
float4 LightDiffuse = {1.0, 1.0, 1.0, 1.0};
float nNumLights = 3.0;
float4 LightAmbient = {0.3, 0.3, 0.3, 0.3};
float OffsetScale = 0.1;
float time01 = 0.0;

// The sky light's share: the stages are lit mostly by their torches and suns.
float SkyLightShare = 0.55;

// ---- per draw
float4x4 mWorld;
float4x4 mLastWorld;
float4x4 mWorldViewProjection;
float4 DiffCol = {1.0, 1.0, 1.0, 1.0};
float4 AmbCol = {0.3, 0.3, 0.3, 1.0};
float4 SpecCol = {0.0, 0.0, 0.0, 1.0};
float4 EmisCol = {0.0, 0.0, 0.0, 1.0};
float Power = 50.0;
float4 TexUVarr = {0.0, 1.0, 0.0, 1.0};
sampler2D MeshTexture : register(s0);

// ---- skinning
int MATRIX_PALETTE_SIZE = MATRIX_PALETTE_SIZE_DEFAULT;
float4x4 amPalette[MATRIX_PALETTE_SIZE_DEFAULT];
int CurNumBones = 0;

glsl {
    struct Lighting
    {
        vec3 diffuse;
        vec3 specular;
    };

    // One point light's share at a surface point, added into lit. The
    // software rasteriser runs every branch of a shader for every pixel, so
    // the light is computed without any: out of range the falloff is zero,
    // and a range of zero is out of range everywhere.
    void AddPointLight(inout Lighting lit, vec3 lightPosition, vec3 colour, float range, vec3 position,
                       vec3 normal, vec3 toEye, bool highlights)
    {
        vec3 toLight = lightPosition - position;
        float squared = max(dot(toLight, toLight), 1e-8);
        float inverseDistance = inversesqrt(squared);
        float falloff = max(1.0 - squared * inverseDistance / max(range, 1e-6), 0.0);
        float facing = max(dot(normal, toLight) * inverseDistance, 0.0);
        lit.diffuse += colour * (facing * falloff);
        if (highlights) {
            float highlight = max(dot(normal, normalize(toLight * inverseDistance + toEye)), 0.0);
            lit.specular += colour * (pow(highlight, max(Power, 1.0)) * falloff * step(1e-6, facing));
        }
    }

    // withSpecular is a constant of each technique, so the highlights are
    // compiled only into the techniques that draw them.
    Lighting Illuminate(vec3 position, vec3 normal, bool withSpecular)
    {
        Lighting lit;
        lit.diffuse = LightDiffuse.rgb * (max(dot(normal, normalize(LightDir)), 0.0) * SkyLightShare);
        lit.specular = vec3(0.0);
        vec3 toEye = withSpecular ? normalize(CamPos.xyz - position) : vec3(0.0);
        // The frame hands over three lights; each is read at a constant index,
        // which the software rasteriser runs far faster than a loop over them.
        // POINT_LIGHTS = 0 leaves them out: for ground no light's range
        // reaches, where each would add exactly colour x 0.
#if !defined(POINT_LIGHTS) || POINT_LIGHTS
        if (nNumLights > 0.5) AddPointLight(lit, LightPos[0], LightCol[0].rgb, LightAtten[0], position, normal, toEye, withSpecular);
        if (nNumLights > 1.5) AddPointLight(lit, LightPos[1], LightCol[1].rgb, LightAtten[1], position, normal, toEye, withSpecular);
        if (nNumLights > 2.5) AddPointLight(lit, LightPos[2], LightCol[2].rgb, LightAtten[2], position, normal, toEye, withSpecular);
#endif
        return lit;
    }

    vec3 Shade(Lighting lit, vec3 base)
    {
        return base * (EmisCol.rgb + AmbCol.rgb * LightAmbient.rgb + DiffCol.rgb * lit.diffuse) +
               SpecCol.rgb * lit.specular;
    }

    // The unit quad's coordinates as a camera-facing quad needs them.
    vec2 FacingQuadUV(vec2 uv) { return vec2(1.0 - uv.y, uv.x); }
}

glsl vertex {
    invariant gl_Position;

    // Every scene technique places its vertices with this, so geometry drawn
    // again by a mask or velocity pass lands on the same depths.
    vec4 SceneClipPosition(mat4 world) { return mViewProjection * (world * vec4(iPosition.xyz, 1.0)); }

    // Normals under scaling that differs per axis need the inverse
    // transpose: the cofactor matrix (three cross products of the columns)
    // with the determinant's sign, since the length is normalised away.
    vec3 WorldNormal(mat4 world, vec3 normal)
    {
        mat3 m = mat3(world);
        mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
        float handedness = dot(m[0], cofactor[0]) < 0.0 ? -1.0 : 1.0;
        return normalize(cofactor * normal) * handedness;
    }
}

// ---- lit surfaces
// Pass macros: SPECULAR (0/1); TEXTURED (0/1); TRANSLUCENT: 0 opaque,
// 1 alpha from the diffuse colour and the texture, 2 from the texture alone;
// CLAMPED (0/1): output held within [0, 1]; POINT_LIGHTS (0/1, 1 when not
// given): whether the point lights are added.

vertex LitVS {
    out vec3 vWorld;
    out vec3 vNormal;
    out vec2 vUV;
#if PER_VERTEX_LIGHTING
    out vec3 vDiffuse;
    out vec3 vSpecular;
#endif
    void main()
    {
        vWorld = (mWorld * vec4(iPosition.xyz, 1.0)).xyz;
        vNormal = WorldNormal(mWorld, iNormal);
        vUV = iTexCoord0.xy;
#if PER_VERTEX_LIGHTING
        Lighting lit = Illuminate(vWorld, vNormal, SPECULAR != 0);
        vDiffuse = lit.diffuse;
        vSpecular = lit.specular;
#endif
        gl_Position = SceneClipPosition(mWorld);
    }
}

fragment LitPS {
    in vec3 vWorld;
    in vec3 vNormal;
    in vec2 vUV;
#if PER_VERTEX_LIGHTING
    in vec3 vDiffuse;
    in vec3 vSpecular;
#endif
    void main()
    {
#if PER_VERTEX_LIGHTING
        Lighting lit;
        lit.diffuse = vDiffuse;
        lit.specular = vSpecular;
#else
        Lighting lit = Illuminate(vWorld, normalize(vNormal), SPECULAR != 0);
#endif
#if TEXTURED
        vec4 base = texture(MeshTexture, vUV);
#else
        vec4 base = vec4(1.0);
#endif
        vec3 colour = Shade(lit, base.rgb);
#if CLAMPED
        colour = clamp(colour, 0.0, 1.0);
#endif
#if TRANSLUCENT == 1
        oColor = vec4(colour, DiffCol.a * base.a);
#elif TRANSLUCENT == 2
        oColor = vec4(colour, base.a);
#else
        oColor = vec4(colour, 1.0);
#endif
    }
}

technique Phong1Opaque {
    pass P0 {
        AlphaBlendEnable = false;
        vertex = LitVS(SPECULAR = 1);
        fragment = LitPS(SPECULAR = 1, TEXTURED = 1, TRANSLUCENT = 0, CLAMPED = 0);
    }
}

technique PhongNoSpecOpaque {
    pass P0 {
        AlphaBlendEnable = false;
        vertex = LitVS(SPECULAR = 0);
        fragment = LitPS(SPECULAR = 0, TEXTURED = 1, TRANSLUCENT = 0, CLAMPED = 0);
    }
}

// The two above for ground out of every point light's range: the sky light
// alone gives the same colours there at far less cost per pixel.
technique Phong1OpaqueSkyLit {
    pass P0 {
        AlphaBlendEnable = false;
        vertex = LitVS(SPECULAR = 1, POINT_LIGHTS = 0);
        fragment = LitPS(SPECULAR = 1, TEXTURED = 1, TRANSLUCENT = 0, CLAMPED = 0, POINT_LIGHTS = 0);
    }
}

technique PhongNoSpecOpaqueSkyLit {
    pass P0 {
        AlphaBlendEnable = false;
        vertex = LitVS(SPECULAR = 0, POINT_LIGHTS = 0);
        fragment = LitPS(SPECULAR = 0, TEXTURED = 1, TRANSLUCENT = 0, CLAMPED = 0, POINT_LIGHTS = 0);
    }
}

// Chain links: the dull look of the unlit-by-highlights surfaces.
technique MotionTexOpaqueDull {
    pass P0 {
        AlphaBlendEnable = false;
        vertex = LitVS(SPECULAR = 0);
        fragment = LitPS(SPECULAR = 0, TEXTURED = 1, TRANSLUCENT = 0, CLAMPED = 0);
    }
}

// The untextured look of any instance without a texture; the device's
// blending and the list's depth writes stay as they are.
technique FixedFunctionNoTexture {
    pass P0 {
        vertex = LitVS(SPECULAR = 1);
        fragment = LitPS(SPECULAR = 1, TEXTURED = 0, TRANSLUCENT = 1, CLAMPED = 0);
    }
}

// The "Trans" techniques blend and leave depth alone themselves: water, lava
// and the vertical plane sit in the opaque list.
technique PhongNoSpecTrans {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        vertex = LitVS(SPECULAR = 0);
        fragment = LitPS(SPECULAR = 0, TEXTURED = 1, TRANSLUCENT = 1, CLAMPED = 0);
    }
}

technique PhongTransNoSpecNoTex {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        vertex = LitVS(SPECULAR = 0);
        fragment = LitPS(SPECULAR = 0, TEXTURED = 0, TRANSLUCENT = 1, CLAMPED = 0);
    }
}

technique PhongTransNoTex {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        vertex = LitVS(SPECULAR = 1);
        fragment = LitPS(SPECULAR = 1, TEXTURED = 0, TRANSLUCENT = 1, CLAMPED = 0);
    }
}

// Ropes and chains: seen from both sides, no glow, alpha from the texture
// alone (a camera-facing rope leaves its diffuse alpha at zero).
technique PhongLDRnSyT {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        CullMode = None;
        vertex = LitVS(SPECULAR = 1);
        fragment = LitPS(SPECULAR = 1, TEXTURED = 1, TRANSLUCENT = 2, CLAMPED = 1);
    }
}

// ---- camera-facing quads

vertex FacingVS {
    out vec2 vUV;
    void main()
    {
        vUV = FacingQuadUV(iTexCoord0.xy);
        gl_Position = SceneClipPosition(mWorld);
    }
}

// The exit sign: the texture as it is, unlit; its diffuse colour is left zero.
technique XFORMTest {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        CullMode = None;
        vertex = FacingVS;
        fragment { in vec2 vUV; void main() { oColor = texture(MeshTexture, vUV); } }
    }
}

// Particles: the texture tinted by the particle's animated colour.
technique ParticleAlpha {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        ZWriteEnable = false;
        CullMode = None;
        vertex = FacingVS;
        fragment { in vec2 vUV; void main() { oColor = texture(MeshTexture, vUV) * DiffCol; } }
    }
}

// Added light: order does not matter, so the list is not sorted.
technique ParticleAdditive {
    pass P0 {
        AlphaBlendEnable = true;
        SrcBlend = One;
        DestBlend = One;
        ZWriteEnable = false;
        CullMode = None;
        vertex = FacingVS;
        fragment {
            in vec2 vUV;
            void main()
            {
                vec4 texel = texture(MeshTexture, vUV);
                oColor = vec4(texel.rgb * DiffCol.rgb * (DiffCol.a * texel.a), 1.0);
            }
        }
    }
}

// ---- the character: matrix-palette skinning, the palette already in world space

vertex SkinnedVS {
    out vec3 vWorld;
    out vec3 vNormal;
    out vec2 vUV;
    void main()
    {
        vec4 position = vec4(iPosition.xyz, 1.0);
        vec3 skinned = vec3(0.0);
        vec3 normal = vec3(0.0);
        float last = 1.0;
        int influences = clamp(CurNumBones, 0, 3);
        for (int i = 0; i < influences; ++i) {
            mat4 bone = amPalette[iBlendIndices[i]];
            skinned += (bone * position).xyz * iBlendWeight[i];
            normal += mat3(bone) * iNormal * iBlendWeight[i];
            last -= iBlendWeight[i];
        }
        mat4 bone = amPalette[iBlendIndices[influences]];
        skinned += (bone * position).xyz * last;
        normal += mat3(bone) * iNormal * last;
        vWorld = skinned;
        vNormal = normalize(normal);
        vUV = iTexCoord0.xy;
        gl_Position = mViewProjection * vec4(skinned, 1.0);
    }
}

technique SkinnedNoLight {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        vertex = SkinnedVS;
        fragment {
            in vec3 vWorld;
            in vec3 vNormal;
            in vec2 vUV;
            void main() { oColor = vec4(texture(MeshTexture, vUV).rgb * DiffCol.rgb, 1.0); }
        }
    }
}

technique SkinnedNoTex {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        vertex = SkinnedVS;
        fragment {
            in vec3 vWorld;
            in vec3 vNormal;
            in vec2 vUV;
            void main() { oColor = vec4(Shade(Illuminate(vWorld, normalize(vNormal), false), vec3(1.0)), 1.0); }
        }
    }
}

// ---- the HUD: pages, menus and the pointer, already in clip space

technique HUDElement {
    pass P0 {
        ZEnable = false;
        CullMode = None;
        vertex {
            out vec2 vUV;
            void main()
            {
                vUV = vec2(mix(TexUVarr.x, TexUVarr.y, iTexCoord0.x), mix(TexUVarr.z, TexUVarr.w, iTexCoord0.y));
                gl_Position = mWorldViewProjection * vec4(iPosition.xyz, 1.0);
            }
        }
        fragment { in vec2 vUV; void main() { oColor = texture(MeshTexture, vUV); } }
    }
}
