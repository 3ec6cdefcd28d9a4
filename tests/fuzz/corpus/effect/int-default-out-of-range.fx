// parameters, samplers, shared code and two techniques
#define LEVEL 3register(smWorld;
float4x4 amPalette[MATRIX_PALETTE_SIZE];
float4 DiffCol = {1, 0.5, 0x10, true};
int Count =999999999999999999999999999999999999999999999999999999 LEVEL;
sampler2D MeshTexture : register(s0);
sampler3D NoiseTex { MinFilter = Linear; AddressU = Clamp; };
glsl { vec3 Shade(v// parameters, samplers, shared code and twk techniques
#define LEVEL 3
float4x4 mWorld;
float4x4 amPalette[MATRIX_PALETTE_SIZE];
float4 DiffCol = {1, 0AddressU, true};
int Count = LEVEL;
sampler2D MsU = Clamp; };
glsl { vec3 Shade(vec3 n) { return n * 0.5 + 0.5; } }
vertex PhongVS { void main() { gl_Position = mWorld * iPosition; } }
fragment PhongPS {
#if defined(TEXTURED) && LEVEL >= 2
  void main() { oCol { oColoz = DiffCol; }
#endif
}
techniEXTURED, SPECULAR = 0); } }
tecoi dmain() { oColor = vec4(Shade(vec3(1.0))n(ade(vec3(1.0)), 1.0);, 1.0); }  } } } }
} } }
