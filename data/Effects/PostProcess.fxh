// Post-processing techniques of the draw-list files, shared by both effect
// files so every chain finds its techniques whichever effect is active.
//
// The including effect declares, before including this file:
//   sampler2D MeshTexture : register(s0);   the source of every full-screen pass
//   float4x4 mWorld, mLastWorld, mViewProjection, mLastViewProjection;
//   float time01;
// and, in a "glsl vertex" block, vec4 SceneClipPosition(mat4 world): the clip
// position of iPosition under `world`, the one function every scene technique
// places its vertices with, so geometry drawn again here lands on the same
// depths (declare "invariant gl_Position;" in that block too).
//
// Sampler registers are fixed so the files' sampler records reach the right
// textures: s0 the pass source, s8 the closing scene, s9 the second image of a
// pass (bloom, heat mask), s10 the noise, s11 the heat mask or velocity map
// beside the bloom in a close. Scene techniques sample s0 only, so the
// clamping the files set on s8 to s11 never reaches them.
//
// Every full-screen pass switches blending off itself: the device keeps alpha
// blending on between passes.

float2 g_avSampleOffsets[16];
float4 g_avSampleWeights[16];

sampler2D SceneTex : register(s8);
sampler2D BloomTex : register(s9);
sampler2D HeatTex : register(s9);
sampler2D NoiseTex : register(s10);
// The heat mask or the velocity map where a closing pass reads it beside the
// bloom.
sampler2D HeatMaskTex : register(s11);
sampler2D VelocityMapTex : register(s11);

// Scene values above this bloom.
float BrightThreshold = 1.0;
// Tone mapping: colours up to the knee stay as they are, brighter ones are
// compressed towards white.
float ToneKnee = 0.8;
float BloomScale = 0.8;
// Heat shimmer: surfaces within HeatBand of HeatLevel (world height of the
// lava, which the renderer sets every frame from the level's lava plane; far
// below any ground without one) shimmer, displaced by up to HeatStrength of
// the screen.
float HeatLevel = 0.0;
float HeatBand = 1.5;
float HeatStrength = 0.012;
float HeatNoiseScale = 3.0;
// Motion blur: the longest smear, in screen widths.
float MaxBlur = 0.05;
// The menus' backdrop is the blurred scene, dimmed.
float BlurDim = 0.7;

glsl fragment {
    vec4 SumSamples(sampler2D image, vec2 at, int count)
    {
        vec4 sum = vec4(0.0);
        for (int i = 0; i < count; ++i) sum += g_avSampleWeights[i] * texture(image, at + g_avSampleOffsets[i]);
        return sum;
    }

    vec4 AverageSamples(sampler2D image, vec2 at, int count)
    {
        vec4 sum = vec4(0.0);
        for (int i = 0; i < count; ++i) sum += texture(image, at + g_avSampleOffsets[i]);
        return sum / float(count);
    }

    // The down-scaled images carry a one-texel border: the screen maps onto
    // their inside.
    vec4 SampleInside(sampler2D image, vec2 at)
    {
        vec2 size = vec2(textureSize(image, 0));
        return texture(image, (1.0 + at * (size - 2.0)) / size);
    }

    // Where the scene shimmers: the noise, drifting with time, pushes each
    // point by up to HeatStrength of the screen as far as the mask is hot.
    vec2 HeatShimmer(sampler2D mask, vec2 at)
    {
        vec2 wobble = texture(NoiseTex, at * HeatNoiseScale + vec2(time01, time01 * 0.5)).rg - 0.5;
        return at + wobble * (texture(mask, at).r * HeatStrength);
    }

    // The image averaged along the point's screen motion (its velocity map
    // texel), the motion held to MaxBlur.
    vec3 Smear(sampler2D image, sampler2D velocity, vec2 at)
    {
        vec2 v = texture(velocity, at).rg;
        float length2 = dot(v, v);
        if (length2 > MaxBlur * MaxBlur) v *= MaxBlur / sqrt(length2);
        vec4 sum = vec4(0.0);
        for (int i = 0; i < 8; ++i) sum += texture(image, at - v * (float(i) / 7.0 - 0.5));
        return sum.rgb / 8.0;
    }

    vec3 ToneMap(vec3 c)
    {
        vec3 over = max(c - ToneKnee, 0.0);
        vec3 room = vec3(1.0 - ToneKnee);
        return min(c, vec3(ToneKnee)) + room * (1.0 - exp(-over / room));
    }
}

// ---- full-screen passes (source in MeshTexture)

technique DownScale4x4 {
    pass P0 { AlphaBlendEnable = false; CullMode = None; fragment { void main() { oColor = AverageSamples(MeshTexture, uv, 16); } } }
}

technique DownScale2x2 {
    pass P0 { AlphaBlendEnable = false; CullMode = None; fragment { void main() { oColor = AverageSamples(MeshTexture, uv, 4); } } }
}

technique BrightPass {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment {
            void main()
            {
                vec3 over = max(texture(MeshTexture, uv).rgb - BrightThreshold, 0.0);
                oColor = vec4(over / (1.0 + over), 1.0);
            }
        }
    }
}

technique GaussBlur5x5 {
    pass P0 { AlphaBlendEnable = false; CullMode = None; fragment { void main() { oColor = SumSamples(MeshTexture, uv, 13); } } }
}

// Fifteen taps: the sixteenth repeats the first step to the right.
technique Bloom {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment { void main() { oColor = vec4(SumSamples(MeshTexture, uv, 15).rgb, 1.0); } }
    }
}

technique PassThrough {
    pass P0 { AlphaBlendEnable = false; CullMode = None; fragment { void main() { oColor = texture(MeshTexture, uv); } } }
}

technique HeatDistort {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment {
            void main()
            {
                oColor = vec4(texture(MeshTexture, HeatShimmer(HeatTex, uv)).rgb, 1.0);
            }
        }
    }
}

// ---- closing passes onto the back buffer

technique FinalScenePass {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment {
            void main()
            {
                vec3 c = texture(SceneTex, uv).rgb + SampleInside(BloomTex, uv).rgb * BloomScale;
                oColor = vec4(ToneMap(c), 1.0);
            }
        }
    }
}

// The close of the heat chain: the shimmer is read straight from the scene,
// so the image is not copied once more before the bloom's.
technique FinalHeatPass {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment {
            void main()
            {
                vec3 c = texture(SceneTex, HeatShimmer(HeatMaskTex, uv)).rgb + SampleInside(BloomTex, uv).rgb * BloomScale;
                oColor = vec4(ToneMap(c), 1.0);
            }
        }
    }
}

// The close of the motion-blur chain: the scene is smeared as it is read, so
// the image is not copied once more before the bloom's.
technique FinalBlurPass {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment {
            void main()
            {
                vec3 c = Smear(SceneTex, VelocityMapTex, uv) + SampleInside(BloomTex, uv).rgb * BloomScale;
                oColor = vec4(ToneMap(c), 1.0);
            }
        }
    }
}

technique FinalLDR {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment { void main() { oColor = vec4(clamp(texture(SceneTex, uv).rgb, 0.0, 1.0), 1.0); } }
    }
}

technique BlurComposite {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        fragment { void main() { oColor = vec4(clamp(SampleInside(BloomTex, uv).rgb * BlurDim, 0.0, 1.0), 1.0); } }
    }
}

// ---- geometry passes: the scene's geometry again, into a mask

vertex HeatMaskVS {
    out vec3 vWorld;
    void main()
    {
        vWorld = (mWorld * vec4(iPosition.xyz, 1.0)).xyz;
        gl_Position = SceneClipPosition(mWorld);
    }
}

// Heat of the visible surfaces near the lava's level, flickering with the noise.
technique HeatMask {
    pass P0 {
        AlphaBlendEnable = false;
        ZWriteEnable = false;
        ZFunc = LessEqual;
        vertex = HeatMaskVS;
        fragment {
            in vec3 vWorld;
            void main()
            {
                float near = 1.0 - smoothstep(0.0, HeatBand, abs(vWorld.z - HeatLevel));
                float flicker = 0.6 + 0.4 * texture(NoiseTex, vWorld.xy * 0.1 + vec2(time01)).r;
                oColor = vec4(near * flicker, 0.0, 0.0, 1.0);
            }
        }
    }
}

vertex VelocityVS {
    out vec4 vNow;
    out vec4 vThen;
    void main()
    {
        vec4 clip = SceneClipPosition(mWorld);
        gl_Position = clip;
        vNow = clip;
        vThen = mLastViewProjection * (mLastWorld * vec4(iPosition.xyz, 1.0));
    }
}

// Screen motion since the last frame in texture units (v grows downwards).
technique VelocityMap {
    pass P0 {
        AlphaBlendEnable = false;
        ZFunc = LessEqual;
        vertex = VelocityVS;
        fragment {
            in vec4 vNow;
            in vec4 vThen;
            void main()
            {
                vec2 now = vNow.xy / vNow.w;
                vec2 then = vThen.xy / max(vThen.w, 1e-4);
                oColor = vec4((now - then) * vec2(0.5, -0.5), 0.0, 1.0);
            }
        }
    }
}
