// The character's draw against its own vertices skinned beforehand, on a
// windowless llvmpipe context at 640 x 480: a row of copies of the walking
// character, drawn once through the game's "SkinnedNoLight" (the palette
// filled and sent per draw, the vertices blended in the vertex shader) and
// once as a static mesh holding the same pose skinned on the CPU, through a
// technique doing the same pixel work. Each frame is timed to glFinish; the
// two alternate frame by frame so drift in the machine's load hits both,
// and the ratio is the median of the pairs'.
// Target: the skinned frame at most 1.3 times the static one.
#include "SkinnedDrawBench.h"

#include <d3dx9.h>

#include "Character.h"
#include "d3d9_egl.h"
#include "d3d9_host.h"
#include "render/AnimInstance.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"
#include "render/MultiAnimation.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;
// Copies side by side across the screen, each about 300 pixels tall.
constexpr int kCopies = 8;
constexpr int kWarmUpFrames = 10;
constexpr int kPairs = 300;
constexpr double kTargetRatio = 1.3;
// The screen's height in model units: the character (about 74 tall) filling
// it, and about as large as the game's camera shows it (130 pixels of 480).
constexpr float kTallView = 84.0f;
constexpr float kGameView = 270.0f;
// A walk pose a quarter of the way into the cycle: limbs well off the bind pose.
constexpr float kPoseTicks = 1250.0f;
constexpr int kBackgroundRed = 30;
// Channels closer than this are the same colour.
constexpr int kSamePixel = 24;

// The static technique beside the shipped ones: the skinned technique's
// varyings and pixel work on vertices placed by the world matrix alone.
const char* const kBenchEffect = R"(
#define MATRIX_PALETTE_SIZE_DEFAULT 35
#define PER_VERTEX_LIGHTING 0
#include "Scene.fxh"

technique StaticNoLight {
    pass P0 {
        AlphaBlendEnable = false;
        CullMode = None;
        vertex {
            out vec3 vWorld;
            out vec3 vNormal;
            out vec2 vUV;
            void main()
            {
                vWorld = (mWorld * vec4(iPosition.xyz, 1.0)).xyz;
                vNormal = normalize(mat3(mWorld) * iNormal);
                vUV = iTexCoord0.xy;
                gl_Position = SceneClipPosition(mWorld);
            }
        }
        fragment {
            in vec3 vWorld;
            in vec3 vNormal;
            in vec2 vUV;
            void main() { oColor = vec4(texture(MeshTexture, vUV).rgb * DiffCol.rgb, 1.0); }
        }
    }
}
)";

using Clock = std::chrono::steady_clock;

// A copy of the container's mesh with every vertex skinned by the posed
// bones: sum of weight x (vertex x offset x bone matrix), normals likewise.
ID3DXMesh* SkinBeforehand(MultiAnimMeshContainer& mc, IDirect3DDevice9* device)
{
    ID3DXMesh* mesh = nullptr;
    ID3DXMesh* source = mc.MeshData.pMesh;
    if (FAILED(source->CloneMeshFVF(D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, device, &mesh)))
        return nullptr;
    const DWORD count = mesh->GetNumVertices(), stride = mesh->GetNumBytesPerVertex();
    BYTE* vertices = nullptr;
    if (FAILED(mesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vertices)))) {
        mesh->Release();
        return nullptr;
    }
    std::vector<D3DXVECTOR3> positions(count), normals(count);
    ID3DXSkinInfo* skin = mc.pSkinInfo;
    for (DWORD b = 0; b < skin->GetNumBones(); ++b) {
        const DWORD influences = skin->GetNumBoneInfluences(b);
        std::vector<DWORD> which(influences);
        std::vector<float> weights(influences);
        skin->GetBoneInfluence(b, which.data(), weights.data());
        D3DXMATRIX bone;
        D3DXMatrixMultiply(&bone, &mc.boneOffsets[b], mc.boneMatrices[b]);
        for (DWORD i = 0; i < influences; ++i) {
            const D3DXVECTOR3* p = reinterpret_cast<const D3DXVECTOR3*>(vertices + which[i] * stride);
            D3DXVECTOR3 moved, turned;
            D3DXVec3TransformCoord(&moved, p, &bone);
            D3DXVec3TransformNormal(&turned, p + 1, &bone);
            positions[which[i]] += moved * weights[i];
            normals[which[i]] += turned * weights[i];
        }
    }
    for (DWORD v = 0; v < count; ++v) {
        D3DXVECTOR3* p = reinterpret_cast<D3DXVECTOR3*>(vertices + v * stride);
        p[0] = positions[v];
        D3DXVec3Normalize(&p[1], &normals[v]);
    }
    mesh->UnlockVertexBuffer();
    return mesh;
}

// Copy i's view and projection: viewHeight model units across the screen's
// height, the character's middle on its middle, shifted to its place in the row.
D3DXMATRIX CopyViewProjection(int copy, float viewHeight)
{
    D3DXMATRIX view, projection, shift;
    const D3DXVECTOR3 eye(-200, 38, 0), at(0, 38, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoLH(&projection, viewHeight * kWidth / kHeight, viewHeight, 1, 400);
    D3DXMatrixTranslation(&shift, -1.0f + (copy + 0.5f) * 2.0f / kCopies, 0.0f, 0.0f);
    return view * projection * shift;
}

struct DrawBench
{
    IDirect3DDevice9* device = nullptr;
    ID3DXEffect* effect = nullptr;
    IDirect3DTexture9* texture = nullptr;
    ID3DXMesh* baked = nullptr;
    Model* model = nullptr;
    float viewHeight = kTallView;

    // One frame: cleared, every copy drawn, finished.
    double Frame(bool skinned)
    {
        const Clock::time_point start = Clock::now();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(kBackgroundRed, 34, 40), 1.0f, 0);
        device->BeginScene();
        effect->SetTechnique(skinned ? "SkinnedNoLight" : "StaticNoLight");
        effect->SetTexture("MeshTexture", texture);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        effect->SetMatrix("mWorld", &identity);
        for (int copy = 0; copy < kCopies; ++copy) {
            const D3DXMATRIX viewProjection = CopyViewProjection(copy, viewHeight);
            effect->SetMatrix("mViewProjection", &viewProjection);
            if (skinned) {
                model->GetInstance()->Draw();
                continue;
            }
            UINT passes = 0;
            effect->Begin(&passes, 0);
            for (UINT pass = 0; pass < passes; ++pass) {
                effect->BeginPass(pass);
                baked->DrawSubset(0);
                effect->EndPass();
            }
            effect->End();
        }
        device->EndScene();
        glFinish();
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

    std::vector<uint8_t> Picture(bool skinned)
    {
        Frame(skinned);
        std::vector<uint8_t> rgba;
        UINT w = 0, h = 0;
        LvD3D9_ReadBackBuffer(device, rgba, &w, &h);
        if (const char* folder = std::getenv("LV_PICTURE_DIR"))
            LvD3D9_SaveBackBufferPNG(
                device, (std::string(folder) + (skinned ? "/bench_skinned.png" : "/bench_baked.png")).c_str());
        return rgba;
    }

    // Skinned and static frames in pairs, one after the other, so a change
    // in the machine's load falls on both: the median of each, and the
    // median of the pairs' ratios.
    void Measure(double* skinned, double* baked, double* ratio)
    {
        std::vector<double> a, b, r;
        for (int i = 0; i < kPairs; ++i) {
            a.push_back(Frame(true));
            b.push_back(Frame(false));
            r.push_back(a.back() / b.back());
        }
        *skinned = Median(a);
        *baked = Median(b);
        *ratio = Median(r);
    }

    static double Median(std::vector<double> values)
    {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    }
};

// Both draws at the bench's size: the pictures compared (they must agree, or
// the comparison means nothing), then the times. False when they disagree.
bool MeasureAtSize(DrawBench& bench)
{
    const std::vector<uint8_t> a = bench.Picture(true), b = bench.Picture(false);
    size_t differing = 0, covered = 0;
    for (size_t i = 0; i + 3 < std::min(a.size(), b.size()); i += 4) {
        covered +=
            std::abs(int(a[i]) - kBackgroundRed) > kSamePixel || std::abs(int(b[i]) - kBackgroundRed) > kSamePixel;
        bool differs = false;
        for (int c = 0; c < 3; ++c) differs = differs || std::abs(int(a[i + c]) - int(b[i + c])) > kSamePixel;
        differing += differs;
    }
    double skinned = 0.0, baked = 0.0, ratio = 0.0;
    bench.Measure(&skinned, &baked, &ratio);
    std::printf("  %4.0f units to the screen's height: %zu pixels drawn, %zu differ between the two\n",
                bench.viewHeight, covered, differing);
    std::printf("    through SkinnedNoLight  %8.3f ms/frame\n", skinned);
    std::printf("    skinned beforehand      %8.3f ms/frame  (ratio %.2f, target %.1f: %s)\n", baked, ratio,
                kTargetRatio, ratio <= kTargetRatio ? "met" : "MISSED");
    return covered > 0 && differing * 100 < covered;
}

} // namespace

int MeasureSkinnedDraw(const std::string& effectsFolder)
{
    std::ofstream(effectsFolder + "/CharacterBench.fx") << kBenchEffect;
    LvEglContext* context = LvEgl_Create(true);
    if (!context) {
        std::printf("skinned draw: no OpenGL 3.3 context, not measured\n");
        return 0;
    }
    int status = 1;
    DrawBench bench;
    bench.device = LvD3D9_CreateDevice(kWidth, kHeight);
    MultiAnimAllocateHierarchy allocator;
    MultiAnim anim;
    if (bench.device &&
        SUCCEEDED(D3DXCreateEffectFromFileA(bench.device, "../Effects/CharacterBench.fx", nullptr, nullptr,
                                            D3DXFX_NOT_CLONEABLE, nullptr, &bench.effect, nullptr)) &&
        SUCCEEDED(D3DXCreateTextureFromFileA(bench.device, "../Textures/male.bmp", &bench.texture)) &&
        SUCCEEDED(LoadAnimatedModelFile(&anim, &allocator, bench.device, "male.x", bench.effect))) {
        bench.model = new Model();
        // The generated character keeps its skin on the "Body" frame.
        const D3DXFRAME* body = anim.FindFrame("Body");
        MultiAnimMeshContainer* mc =
            body && body->pMeshContainer ? static_cast<MultiAnimMeshContainer*>(body->pMeshContainer) : nullptr;
        if (SUCCEEDED(bench.model->Setup(&anim, 0.0)) && mc) {
            D3DXMATRIX identity;
            D3DXMatrixIdentity(&identity);
            bench.model->GetInstance()->SetWorldTransform(&identity);
            gKeyframeAnimator->SetCurrent(gen::kWalkSet, kPoseTicks);
            bench.model->AdvanceTime(0.0);
            bench.baked = SkinBeforehand(*mc, bench.device);
        }
        if (bench.baked) {
            for (int i = 0; i < kWarmUpFrames; ++i) {
                bench.Frame(true);
                bench.Frame(false);
            }
            std::printf("character drawn %d times side by side at %u x %u (%lu vertices, %u palette entries, %lu "
                        "groups)\n",
                        kCopies, kWidth, kHeight, static_cast<unsigned long>(mc->workingMesh->GetNumVertices()),
                        static_cast<unsigned>(mc->paletteEntries), static_cast<unsigned long>(mc->numAttributeGroups));
            status = 0;
            for (const float height : {kTallView, kGameView}) {
                bench.viewHeight = height;
                if (!MeasureAtSize(bench)) status = 1;
            }
        }
    }
    if (status) std::printf("skinned draw: set-up failed\n");
    delete bench.model;
    anim.Cleanup(&allocator);
    if (bench.baked) bench.baked->Release();
    if (bench.texture) bench.texture->Release();
    if (bench.effect) bench.effect->Release();
    if (bench.device) bench.device->Release();
    LvEgl_Destroy(context);
    return status;
}
