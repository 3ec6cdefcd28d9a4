// Chains drawn on the Direct3D stand-in: the order of target switches,
// clears, states and bindings in the call log, redraw frames, swaps, surface
// references, the straight scene, the shipped chains at every tier, and
// images that must come out unchanged or blurred.
#include "DrawListTestFiles.h"
#include "TestFrame.h"

#include <cmath>

namespace {

std::string ListStep(const std::string& name, int list, int target, const std::string& before = "",
                     const std::string& after = "")
{
    return "Step DrawList\n N " + name + "\n L " + std::to_string(list) + "\n T " + std::to_string(target) +
           "\n C END\n" + before + " RB END\n" + after + " RA END\n SB END\n SA END\n X END\n";
}

std::string PostStep(const std::string& name, const std::string& technique, int source, int destination,
                     const std::string& filter = "None", const std::string& rect = "Whole",
                     const std::string& targets = "", const std::string& swaps = "")
{
    return "Step FSE\n N " + name + "\n Tech " + technique + "\n S " + std::to_string(source) + "\n D " +
           std::to_string(destination) + "\n F " + filter + "\n R " + rect + "\n C END\n SB END\n SA END\n X END\n" +
           targets + " G END\n" + swaps + " W END\n";
}

std::string Head(const std::string& closing, const std::string& bindings)
{
    return "Name Test\nClose " + closing + "\nScene 0\n" + bindings + "A END\nB 8 1 3\nB END\n";
}

DrawList Load(const std::string& text)
{
    DrawList chain;
    const Reports r = LoadText(text, chain);
    EXPECT_EQ(r.count, 0) << r.text;
    return chain;
}

// Every slot of its own size, so the log says which one a step drew into;
// slots 11 and 12 stay empty.
void MakeNamedTargets(TestFrame& frame)
{
    for (int slot : {0, 1, 8, 9, 10, 13, 14, 15}) frame.MakeTarget(slot, 32 + slot, 16 + slot);
    frame.cropWidth = 32;
    frame.cropHeight = 16;
}

TEST_F(FrameTest, StepsSwitchTargetsClearAndBindInFileOrder)
{
    MakeNamedTargets(frame);
    D3DXMATRIX a, b;
    D3DXMatrixTranslation(&a, 1, 2, 3);
    D3DXMatrixScaling(&b, 2, 2, 2);
    frame.heightmaps = {a, b};
    DrawList chain =
        Load(Head("FinalLDR", "A SceneTex 14\nA BloomTex 12\n") + ListStep("Opaque", 0, 0) +
             ListStep("Glass", 1, 0, " R 14 0\n", " R 14 1\n") +
             "Step GEDL\n N Mask\n Tech HeatMask\n L 0\n T 13\n H 1\n C 1 0 0 0 0 1 0\n C END\n RB END\n RA END\n"
             " SB END\n SA END\n X NoiseTex 81\n X END\n" +
             PostStep("Copy", "PassThrough", 0, 14, "2", "Whole", " G HeatTex 13\n") + ListStep("Skipped", 3, 12) +
             PostStep("Nowhere", "PassThrough", 0, 11) + ListStep("Overlay", 4, 13));
    LvD3D9_EnableCallLog(true);
    chain.Execute(frame);
    const std::vector<std::string> expected = {
        "SetRenderTarget 32x16", // the scene target, cleared
        "Clear",
        "DrawHeightmaps",
        "List 0 z=1 zw=1 blend=5/6",
        "List 1 z=1 zw=0 blend=5/6",
        "SetRenderTarget 45x29", // the mask's target for its step only
        "Clear",
        "SetTechnique HeatMask",
        "Heightmap 0 still",
        "Heightmap 1 still",
        "StepList 0 HeatMask noise=bound",
        "SetRenderTarget 32x16",
        "SetRenderTarget 46x30", // the copy draws into 14 and stays there
        "SetTechnique PassThrough",
        "Quad 46x30 SceneTex=null BloomTex=null HeatTex=bound",
        "SetRenderTarget 45x29", // empty slots 12 and 11 skipped; the overlay visits 13
        "List 4 z=1 zw=1 blend=5/6",
        "SetRenderTarget 46x30",
        "SetTechnique FinalLDR",
        "SetRenderTarget 64x48 backbuffer",
        "Quad 64x48 SceneTex=bound BloomTex=null HeatTex=bound",
    };
    EXPECT_EQ(
        Log({"SetRenderTarget", "Clear", "SetTechnique", "List", "StepList", "Heightmap", "DrawHeightmaps", "Quad"}),
        expected);
    EXPECT_EQ(frame.BoundTo("SceneTex"), nullptr); // the closing bindings are let go
    DWORD z = 0, zWrite = 0;
    frame.device->GetRenderState(D3DRS_ZENABLE, &z);
    frame.device->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
    EXPECT_EQ(z, 1u);
    EXPECT_EQ(zWrite, 1u);
}

TEST_F(FrameTest, FiltersAndRectanglesAreRebuiltOnRedrawFramesOnly)
{
    MakeNamedTargets(frame);
    DrawList chain = Load(Head("FinalLDR", "A SceneTex 8\n") + PostStep("Down", "DownScale2x2", 0, 8, "2", "SrcRect"));
    PostProcessPass& pass = chain.steps[0].postProcessPasses[0];
    const float tu = 1.0f / 40, tv = 1.0f / 24; // slot 8
    float sent[16][2] = {};
    struct Frame
    {
        bool redraw;
        float expectedFirstU;
    };
    for (const Frame f : {Frame{true, -0.5f * tu}, Frame{false, 0.25f}, Frame{true, -0.5f * tu}}) {
        SCOPED_TRACE(f.redraw);
        frame.redraw = f.redraw;
        DrawFrame(chain);
        ASSERT_EQ(frame.effect->GetValue("g_avSampleOffsets", sent, sizeof(sent)), D3D_OK);
        EXPECT_FLOAT_EQ(sent[0][0], f.expectedFirstU);
        EXPECT_FLOAT_EQ(sent[3][1], 0.5f * tv);
        EXPECT_FLOAT_EQ(pass.rect.coords.left, f.redraw ? 1.0f / 32 : 0.5f);
        pass.filter.offsets[0][0] = 0.25f; // what a frame without a redraw must send unchanged
        pass.rect.coords.left = 0.5f;
    }
}

TEST_F(FrameTest, SwapsAlternateSlotsFrameByFrameAndOutliveTheChain)
{
    MakeNamedTargets(frame);
    const std::string text = Head("FinalLDR", "A SceneTex 14\n") +
                             PostStep("Trail", "PassThrough", 0, 14, "None", "Whole", "", " W 14 15\n");
    DrawList chain = Load(text);
    LvD3D9_EnableCallLog(true);
    for (int i = 0; i < 4; ++i) DrawFrame(chain);
    const std::vector<std::string> alternating = {"SetRenderTarget 46x30", "SetRenderTarget 47x31",
                                                  "SetRenderTarget 46x30", "SetRenderTarget 47x31"};
    EXPECT_EQ(Log({"SetRenderTarget 46", "SetRenderTarget 47"}), alternating);
    LvD3D9_ClearCallLog();
    DrawList replacement = Load(text); // a new chain sees the order the old one left
    DrawFrame(chain);
    DrawFrame(replacement);
    EXPECT_EQ(Log({"SetRenderTarget 46", "SetRenderTarget 47"}),
              (std::vector<std::string>{"SetRenderTarget 46x30", "SetRenderTarget 47x31"}));
}

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST_F(FrameTest, EverySurfaceTakenIsGivenBack)
{
    frame.MakeScreenTargets(kWidth, kHeight, true);
    DrawList chain;
    chain.Load(ShippedDrawList("MotionBlur.cfg"));
    DrawList heat;
    heat.Load(ShippedDrawList("HeatandHDR.cfg"));
    auto counts = [&] {
        std::vector<ULONG> n;
        for (int slot = 0; slot < kRenderTargetSlotCount; ++slot) {
            if (frame.targets.Slot(slot)) n.push_back(References(frame.targets.Slot(slot)));
        }
        IDirect3DSurface9* back = nullptr;
        frame.device->GetRenderTarget(0, &back);
        n.push_back(back->Release());
        return n;
    };
    DrawFrame(chain);
    DrawFrame(heat);
    const std::vector<ULONG> settled = counts();
    for (int i = 0; i < 5; ++i) {
        DrawFrame(chain);
        DrawFrame(heat);
    }
    EXPECT_EQ(counts(), settled);
}

TEST_F(FrameTest, EmptyChainsDrawTheSceneStraightOntoTheBackBuffer)
{
    frame.MakeScreenTargets(kWidth, kHeight, false);
    DrawList missing;
    CaptureReports([&] { missing.Load("../Config/NotThere.cfg"); });
    DrawList noScene = Load(Head("FinalLDR", "A SceneTex 0\n") + ListStep("Opaque", 0, 0));
    const std::vector<std::string> straight = {
        "DrawHeightmaps",
        "List 0 z=1 zw=1 blend=5/6",
        "List 2 z=1 zw=1 blend=5/6",
        "List 1 z=1 zw=0 blend=5/6",
        "List 3 z=1 zw=0 blend=2/2",
    };
    for (DrawList* chain : {&missing, &noScene}) {
        if (chain == &noScene) {
            frame.targets.Slot(0)->Release(); // the scene target failed to be made
            frame.targets.Slot(0) = nullptr;
        }
        LvD3D9_ClearCallLog();
        LvD3D9_EnableCallLog(true);
        chain->Execute(frame);
        EXPECT_EQ(Log({"SetRenderTarget", "DrawHeightmaps", "List", "SetTechnique"}), straight);
        DWORD zWrite = 0, src = 0, dst = 0;
        frame.device->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
        frame.device->GetRenderState(D3DRS_SRCBLEND, &src);
        frame.device->GetRenderState(D3DRS_DESTBLEND, &dst);
        EXPECT_EQ(zWrite, 1u);
        EXPECT_EQ(src, DWORD(D3DBLEND_SRCALPHA));
        EXPECT_EQ(dst, DWORD(D3DBLEND_INVSRCALPHA));
    }
}

// A scene of flat squares in every list, with sharp edges for the image tests.
void PaintScene(TestFrame& frame)
{
    frame.scene.assign(4, {});
    for (int y = 0; y < int(FrameTest::kHeight); y += 8) {
        for (int x = (y / 8) % 2 * 8; x < int(FrameTest::kWidth); x += 16) {
            const D3DCOLOR c = D3DCOLOR_ARGB(255, 40 + 3 * x, 200 - 3 * y, (x * y) % 256);
            frame.scene[0].push_back({float(x), float(y), float(x + 8), float(y + 8), c});
        }
    }
    frame.scene[1].push_back({20, 10, 30, 40, D3DCOLOR_ARGB(255, 255, 255, 0)});
    frame.scene[3].push_back({40, 20, 44, 24, D3DCOLOR_ARGB(255, 255, 0, 255)});
}

uint64_t Brightness(const std::vector<uint8_t>& rgba)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
    return sum;
}

// Sum of squared four-neighbour Laplacians over the inner pixels.
double Roughness(const std::vector<uint8_t>& rgba, UINT w, UINT h)
{
    double sum = 0;
    for (UINT y = 1; y + 1 < h; ++y) {
        for (UINT x = 1; x + 1 < w; ++x) {
            for (int c = 0; c < 3; ++c) {
                auto at = [&](UINT px, UINT py) { return double(rgba[(size_t(py) * w + px) * 4 + size_t(c)]); };
                const double l = 4 * at(x, y) - at(x - 1, y) - at(x + 1, y) - at(x, y - 1) - at(x, y + 1);
                sum += l * l;
            }
        }
    }
    return sum;
}

TEST_F(FrameTest, ACopyingChainShowsTheSceneUnmovedAndTheBlurSmoothsIt)
{
    frame.MakeScreenTargets(kWidth, kHeight, false);
    PaintScene(frame);
    DrawList straight;
    DrawFrame(straight);
    const std::vector<uint8_t> direct = BackBuffer();

    DrawList copy =
        Load(Head("FinalLDR", "A SceneTex 14\n") + ListStep("Opaque", 0, 0) + ListStep("Glass", 1, 0) +
             ListStep("Sparks", 3, 0) + PostStep("One", "PassThrough", 0, 13) + PostStep("Two", "PassThrough", 13, 14));
    DrawFrame(copy);
    const std::vector<uint8_t> copied = BackBuffer();
    ASSERT_EQ(copied.size(), direct.size());
    int differing = 0;
    for (size_t i = 0; i < direct.size(); ++i) differing += std::abs(int(direct[i]) - int(copied[i])) > 1;
    EXPECT_EQ(differing, 0) << "a copy through two targets moved, flipped or blended the scene";

    DrawList blur;
    blur.Load(ShippedDrawList("Blur.cfg"));
    frame.redraw = true;
    DrawFrame(blur);
    const std::vector<uint8_t> blurred = BackBuffer();
    const double sharp = Roughness(direct, kWidth, kHeight), soft = Roughness(blurred, kWidth, kHeight);
    EXPECT_GT(sharp, 0.0);
    EXPECT_LT(soft, 0.5 * sharp) << "sharp " << sharp << " blurred " << soft;
    EXPECT_GT(Brightness(blurred), Brightness(direct) / 4) << "the blurred menu backdrop is black";
}

TEST_F(FrameTest, ShippedChainsFindTheirTechniquesAndDrawAtEveryTier)
{
    struct Tier
    {
        bool halfFloat;
        std::vector<const char*> files;
    };
    const Tier tiers[] = {{true, {"HDR.cfg", "HeatandHDR.cfg", "MotionBlur.cfg", "Blur.cfg"}},
                          {false, {"2_0.cfg", "Heat2_0.cfg", "Blur.cfg"}}};
    D3DXMATRIX ground;
    D3DXMatrixIdentity(&ground);
    frame.heightmaps = {ground};
    PaintScene(frame);
    DrawList straight;
    DrawFrame(straight);
    const uint64_t straightBrightness = Brightness(BackBuffer());
    ASSERT_GT(straightBrightness, 0u);
    for (const Tier& tier : tiers) {
        frame.MakeScreenTargets(kWidth, kHeight, tier.halfFloat);
        for (const char* file : tier.files) {
            SCOPED_TRACE(file);
            DrawList chain;
            const Reports r = CaptureReports([&] { chain.Load(ShippedDrawList(file)); });
            EXPECT_EQ(r.count, 0) << r.text;
            std::vector<std::string> techniques = {chain.closingTechnique};
            std::vector<std::string> parameters;
            for (const TextureBinding& b : chain.textureBindings) parameters.push_back(b.parameter);
            for (const DrawListGroup& g : chain.steps) {
                for (const auto& p : g.postProcessPasses) {
                    techniques.push_back(p.technique);
                    for (const auto& b : p.textureBindings) parameters.push_back(b.parameter);
                    for (const auto& b : p.targetBindings) parameters.push_back(b.parameter);
                }
                for (const auto& p : g.geometryPasses) {
                    techniques.push_back(p.technique);
                    for (const auto& b : p.textureBindings) parameters.push_back(b.parameter);
                }
            }
            for (const std::string& t : techniques) EXPECT_EQ(frame.effect->ValidateTechnique(t.c_str()), D3D_OK) << t;
            for (const std::string& p : parameters)
                EXPECT_NE(frame.effect->GetParameterByName(nullptr, p.c_str()), nullptr) << p;

            LvD3D9_ClearCallLog();
            LvD3D9_EnableCallLog(true);
            frame.redraw = true;
            DrawFrame(chain);
            frame.redraw = false;
            DrawFrame(chain);
            LvD3D9_EnableCallLog(false);
            const std::string closingPass = "BeginPass " + chain.closingTechnique + ".P0";
            int closings = 0;
            for (const std::string& entry : LvD3D9_GetCallLog()) closings += entry == closingPass;
            EXPECT_EQ(closings, 2);
            const double ratio = double(Brightness(BackBuffer())) / double(straightBrightness);
            EXPECT_GT(ratio, 0.3) << "the scene did not reach the back buffer";
            EXPECT_LT(ratio, 1.5);
        }
        frame.ReleaseTargets();
    }
}

} // namespace
