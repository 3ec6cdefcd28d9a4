// The game's effects as a player sees them: the whole game drawing at
// 640 x 480 on a windowless llvmpipe context, the camera taken to stage 1's
// torches, mist and water spout, a coin's sparkles, the developer key's
// explosion and stage 3's lava. Each effect's share of the picture is found
// by drawing the same frame twice, once with the effect's quads made
// colourless; at the quads' centres it must show, in the effect's own hue,
// and fade towards their corners (a soft sprite, not a square).
// Set LV_PARTICLE_SHOTS to a folder to keep each picture as a PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "d3d9_host.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "objects/Object.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "tests/particles/ParticleCensus.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// A quad's half size per unit of scale, and where its corners are sampled.
constexpr float kHalfQuad = 0.5f;
constexpr float kCornerReach = 0.8f;
constexpr int kLeastCornerPixels = 3;
// Quads drawn alone per effect, and what a quad must add at its centre
// (summed channels) to count as shown.
constexpr size_t kQuadsDrawnAlone = 10;
constexpr double kLeastShown = 12.0;

// What an effect's quads add to the picture, each drawn alone over the
// frame without the effect: per channel at their centres, and the summed
// channels at their corners, averaged over the quads that show.
struct Share
{
    double centre[3] = {0, 0, 0};
    double drawn[3] = {0, 0, 0}; // the centre's colour with the quad alone
    double corner = 0;
    int quads = 0;
    double CentreSum() const { return centre[0] + centre[1] + centre[2]; }
};

// How an effect must look beside being seen:
// - fire added to the picture: red over green over blue;
// - water and mist: at least as much blue as red added;
// - molten rock blended over the lava: drawn red over green over blue;
// - sparkles: bright and warm.
enum class Look { Fire, Water, Molten, Sparkle };

struct Scene
{
    std::string name;
    std::vector<std::string> kinds; // the roots whose quads are measured
    Look look;
    int measureAt; // the frame, after the set-up step before it
    Share share = {};
    bool measured = false;
};

std::vector<uint8_t> Draw()
{
    gRenderer->RenderFrame();
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    EXPECT_TRUE(LvD3D9_ReadBackBuffer(gRenderer->GetDevice(), rgba, &w, &h));
    EXPECT_EQ(w, UINT(kWidth));
    EXPECT_EQ(h, UINT(kHeight));
    return rgba;
}

// Screen pixel of a world point; false behind the eye or off the screen.
bool Project(const Vector3& p, int& x, int& y)
{
    const D3DXMATRIX& m = gRenderer->GetLastViewProjection();
    const float cx = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
    const float cy = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
    const float cw = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
    if (cw <= 0.1f) return false;
    x = int((cx / cw + 1.0f) * 0.5f * kWidth);
    y = int((1.0f - cy / cw) * 0.5f * kHeight);
    return x >= 0 && x < kWidth && y >= 0 && y < kHeight;
}

void Collect(const fParticle* particle, std::vector<const fParticle*>& out)
{
    if (particle->GetQuad()) out.push_back(particle);
    for (const fParticle* child : particle->GetChildren()) Collect(child, out);
}

// A quad on screen: its centre and its four corners' pixels.
struct Footprint
{
    const fParticle* particle;
    int x, y;
    int corners[4][2];
};

// The scene's quads whose centre and corners are on screen, a few pixels
// across at least (smaller ones say nothing about their shape).
std::vector<Footprint> OnScreen(const std::vector<const fParticle*>& particles)
{
    const Vector3 right = gRenderer->GetCamera()->GetSide();
    const Vector3 up = gRenderer->GetCamera()->GetUp();
    std::vector<Footprint> out;
    for (const fParticle* p : particles) {
        Footprint f{p, 0, 0, {}};
        if (!Project(p->position, f.x, f.y)) continue;
        const float reach = kHalfQuad * kCornerReach * p->GetQuad()->world._11;
        bool whole = true;
        int k = 0;
        for (int sx : {-1, 1}) {
            for (int sy : {-1, 1}) {
                whole = whole && Project(p->position + right * (sx * reach) + up * (sy * reach), f.corners[k][0],
                                         f.corners[k][1]);
                ++k;
            }
        }
        if (whole && std::abs(f.corners[0][0] - f.x) >= kLeastCornerPixels) out.push_back(f);
    }
    return out;
}

void SetColour(const fParticle* p, const float* colour)
{
    std::copy(colour, colour + 4, p->GetQuad()->colour);
}

// Keeps the picture as drawn, then draws the frame without the scene's quads
// and with each of a few of them alone.
Share Measure(const Scene& scene)
{
    std::vector<const fParticle*> particles;
    for (const fParticle* root : gPartManager->GetSystems()) {
        if (std::find(scene.kinds.begin(), scene.kinds.end(), KindOf(root)) != scene.kinds.end())
            Collect(root, particles);
    }
    Draw();
    if (const char* folder = std::getenv("LV_PARTICLE_SHOTS")) {
        LvD3D9_SaveBackBufferPNG(gRenderer->GetDevice(), (std::string(folder) + "/" + scene.name + ".png").c_str());
    }
    const std::vector<Footprint> shown = OnScreen(particles);
    std::vector<std::vector<float>> saved;
    const float clear[4] = {0, 0, 0, 0};
    for (const fParticle* p : particles) {
        saved.emplace_back(p->GetQuad()->colour, p->GetQuad()->colour + 4);
        SetColour(p, clear);
    }
    const std::vector<uint8_t> without = Draw();
    Share share;
    const size_t stride = std::max<size_t>(1, shown.size() / kQuadsDrawnAlone);
    for (size_t i = 0; i < shown.size(); i += stride) {
        const Footprint& f = shown[i];
        const size_t index = size_t(std::find(particles.begin(), particles.end(), f.particle) - particles.begin());
        SetColour(f.particle, saved[index].data());
        const std::vector<uint8_t> alone = Draw();
        SetColour(f.particle, clear);
        const auto added = [&](int x, int y, int c) {
            const size_t at = (size_t(y) * kWidth + x) * 4 + c;
            return std::abs(int(alone[at]) - int(without[at]));
        };
        double centre[3], centreSum = 0, corner = 0;
        for (int c = 0; c < 3; ++c) centreSum += centre[c] = added(f.x, f.y, c);
        for (const auto& at : f.corners) {
            for (int c = 0; c < 3; ++c) corner += added(at[0], at[1], c) / 4.0;
        }
        // Hidden behind the ground or something nearer, or faded out.
        if (centreSum < kLeastShown) continue;
        for (int c = 0; c < 3; ++c) {
            share.centre[c] += centre[c];
            share.drawn[c] += alone[(size_t(f.y) * kWidth + f.x) * 4 + c];
        }
        share.corner += corner;
        ++share.quads;
    }
    for (size_t i = 0; i < particles.size(); ++i) SetColour(particles[i], saved[i].data());
    if (share.quads > 0) {
        for (int c = 0; c < 3; ++c) {
            share.centre[c] /= share.quads;
            share.drawn[c] /= share.quads;
        }
        share.corner /= share.quads;
    }
    return share;
}

// Seen: most of the quads drawn alone show, clearly.
void ExpectSeen(const Share& s)
{
    EXPECT_GE(s.quads, 3);
    EXPECT_GT(s.CentreSum(), 30.0);
    // A soft sprite fades out: its corners add well under half its centre.
    EXPECT_LT(s.corner, 0.5 * s.CentreSum());
}

// Seen, and in the effect's own colours.
void ExpectLooks(const Share& s, Look look)
{
    ExpectSeen(s);
    const double* c = look == Look::Molten ? s.drawn : s.centre;
    switch (look) {
    case Look::Fire:
    case Look::Molten:
        EXPECT_GT(c[0], c[1]);
        EXPECT_GT(c[1], c[2]);
        break;
    case Look::Water:
        EXPECT_GE(c[2], c[0]);
        break;
    case Look::Sparkle:
        EXPECT_GE(c[0], c[2]);
        EXPECT_GT(s.CentreSum(), 100.0);
        break;
    }
}

// A World object the camera can follow to look at a spot; the World deletes
// it with the stage.
int AddMarker(const Vector3& at)
{
    Object* marker = new Object();
    marker->position = at;
    gWorld->AddObject(marker);
    return gWorld->GetNumObjects() - 1;
}

void LookAt(int object, float distance)
{
    Camera* camera = gRenderer->GetCamera();
    camera->SetTargetObject(unsigned(object));
    camera->SetDistance(distance);
}

int FirstObjectOfType(int type)
{
    for (int i = 0; i < gWorld->GetNumObjects(); ++i) {
        if (gWorld->GetObject(i)->GetType() == type) return i;
    }
    return -1;
}

const Vector3 kExplosionSpot(173.0f, -181.0f, 12.0f);
const Vector3 kMistSpot(-115.0f, -34.0f, 100.0f);
const Vector3 kSpoutSpot(-227.0f, -44.0f, 190.0f);
const int kTorchType = 24;
Vector3 gSparkleSpot;
Vector3 gLavaSpot(0.0f, 0.0f, 4.0f);

TEST(ParticlePictures, EveryEffectShowsInItsOwnColoursAsSoftSprites)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480"};
    Win32SetCommandLine(4, const_cast<char**>(argv));

    std::vector<Scene> scenes = {
        {"torches", {"TorchEmitter"}, Look::Fire, 70},
        {"mist", {"MistEmitter"}, Look::Water, 190},
        {"spout", {"WaterSpout"}, Look::Water, 250},
        {"sparkles", {"SparkleEmitter"}, Look::Sparkle, 310},
        {"explosion", {"Explosion"}, Look::Fire, 335},
        {"lava", {"LavaFountain", "LavaDolphin|LavaFountain"}, Look::Molten, 400},
    };
    // Each scene is set up by a step, then measured at its own frame.
    struct Step
    {
        int frame;
        std::function<void()> act;
    };
    const float one = 1.0f;
    const Vector3 still;
    const Vector3 noOffset;
    const std::vector<Step> steps = {
        {1, [] { DXUTHeadlessScheduleKey(2, '1', true), DXUTHeadlessScheduleKey(3, '1', false); }},
        {10, [] { LookAt(FirstObjectOfType(kTorchType), 18.0f); }},
        {71, [] { LookAt(AddMarker(kMistSpot), 60.0f); }},
        {191, [] { LookAt(AddMarker(kSpoutSpot), 35.0f); }},
        {251,
         [&] {
             gSparkleSpot = gWorld->GetObject(FirstObjectOfType(kTorchType))->position + Vector3(0, 0, 8);
             const int marker = AddMarker(gSparkleSpot);
             LookAt(marker, 8.0f);
             EventDispatcher::SendMessage(
                 gPartManager, kMsgAttachSystem,
                 new fAttachSystem("SparkleEmitter", &noOffset, &gWorld->GetObject(marker)->position,
                                   &gWorld->GetObject(marker)->GetOrientation(), nullptr, &one));
         }},
        {311,
         [] {
             LookAt(AddMarker(kExplosionSpot), 45.0f);
             DXUTHeadlessScheduleKey(313, 'N', true), DXUTHeadlessScheduleKey(314, 'N', false);
         }},
        {336, [] { DXUTHeadlessScheduleKey(337, '3', true), DXUTHeadlessScheduleKey(338, '3', false); }},
        {350,
         [&] {
             LookAt(AddMarker(gLavaSpot), 40.0f);
             EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                          new fCreateSystem("LavaFountain", &gLavaSpot, &still, &one));
         }},
    };
    DXUTHeadlessEnable(1.0 / 60.0, scenes.back().measureAt + 1);
    DXUTHeadlessEnableDevice();
    DXUTHeadlessSetFrameHook([&](int frame) {
        if (!gRenderer || !gWorld || !gPartManager) return;
        for (const Step& step : steps) {
            if (step.frame == frame) step.act();
        }
        for (Scene& scene : scenes) {
            if (scene.measureAt == frame) scene.share = Measure(scene), scene.measured = true;
        }
    });
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    DXUTHeadlessSetFrameHook(nullptr);

    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        ASSERT_TRUE(scene.measured);
        const Share& s = scene.share;
        std::printf("%-10s quads %3d  added %6.1f %6.1f %6.1f  drawn %6.1f %6.1f %6.1f  corners %6.1f\n",
                    scene.name.c_str(), s.quads, s.centre[0], s.centre[1], s.centre[2], s.drawn[0], s.drawn[1],
                    s.drawn[2], s.corner);
        ExpectLooks(s, scene.look);
    }
}

} // namespace
