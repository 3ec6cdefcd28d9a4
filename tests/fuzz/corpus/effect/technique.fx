// parameters, samplers, shared code and two techniques
#define LEVEL 3
float4x4 mWorld;
float4x4 amPalette[MATRIX_PALETTE_SIZE];
float4 DiffCol = {1, 0.5, 0x10, true};
int Count = LEVEL;
sampler2D MeshTexture : register(s0);
sampler3D NoiseTex { MinFilter = Linear; AddressU = Clamp; };
glsl { vec3 Shade(vec3 n) { return n * 0.5 + 0.5; } }
vertex PhongVS { void main() { gl_Position = mWorld * iPosition; } }
fragment PhongPS {
#if defined(TEXTURED) && LEVEL >= 2
  void main() { oColor = texture(MeshTexture, vec2(0.0)) * DiffCol; }
#else
  void main() { oColor = DiffCol; }
#endif
}
technique Phong { pass P0 { ZEnable = UseW; CullMode = CCW; SrcBlend = 5; vertex = PhongVS; fragment = PhongPS(TEXTURED, SPECULAR = 0); } }
technique Bright { pass P0 { AlphaBlendEnable = false; fragment { void main() { oColor = vec4(Shade(vec3(1.0)), 1.0); } } } }
