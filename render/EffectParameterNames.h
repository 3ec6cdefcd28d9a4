// The effect parameters the renderer sets by name. Every effect file the game
// loads declares each of them (see docs/effect-format.md).
#pragma once

namespace fx {

// Per frame.
constexpr const char* kView = "mView";
constexpr const char* kViewProjection = "mViewProjection";
constexpr const char* kLastViewProjection = "mLastViewProjection";
constexpr const char* kLightAttenuation = "LightAtten"; // float[8]
constexpr const char* kLightPosition = "LightPos";      // float3[8]
constexpr const char* kLightColour = "LightCol";        // float4[8]
constexpr const char* kFocalDistance = "focalDist";
constexpr const char* kCameraPosition = "CamPos";
// The world height of the stage's lava, which the heat mask shimmers around.
constexpr const char* kHeatLevel = "HeatLevel";
// The effect's own: how far from that height surfaces are hot, and the
// technique that marks them.
constexpr const char* kHeatBand = "HeatBand";
constexpr const char* kHeatMaskTechnique = "HeatMask";

// The light callback of the full effect.
constexpr const char* kLightDirection = "LightDir";
constexpr const char* kLightDiffuse = "LightDiffuse";
constexpr const char* kLightCount = "nNumLights";
constexpr const char* kLightAmbient = "LightAmbient";
constexpr const char* kOffsetScale = "OffsetScale";
constexpr const char* kTime = "time01";

// Per draw.
constexpr const char* kWorld = "mWorld";
constexpr const char* kLastWorld = "mLastWorld";
constexpr const char* kDiffuse = "DiffCol";
constexpr const char* kAmbient = "AmbCol";
constexpr const char* kSpecular = "SpecCol";
constexpr const char* kEmissive = "EmisCol";
constexpr const char* kPower = "Power";
constexpr const char* kTexture = "MeshTexture";

// Full-screen passes.
constexpr const char* kSampleOffsets = "g_avSampleOffsets";
constexpr const char* kSampleWeights = "g_avSampleWeights";

} // namespace fx
