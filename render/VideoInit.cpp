// The device side of the renderer: video settings from "Vid.cfg", the
// framework, window and device bring-up, and the states fixed after every
// device reset.
#include <d3dx9math.h>

#include <cstring>
#include <string>

#include "DXUT.h"
#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/MathConstants.h"
#include "render/Renderer.h"
#include "render/VideoSettings.h"

namespace {
const float kNearPlane = 1.0f;
const float kFarPlane = 1000.0f;

// Float render states travel as their bit pattern.
DWORD FloatBits(float value)
{
    DWORD bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// A window or back buffer no device makes: a size outside this range (a
// negative number, a word that is no whole number) would end the game at
// start-up, so the file's reader refuses it, reports it and keeps the default.
const ConfigRange<int> kVideoSizes{1, 16384};
const ConfigRange<bool> kFullscreenValues{false, true};
} // namespace

VideoSettings ReadVideoSettings(ConfigFile* videoConfig)
{
    VideoSettings settings;
    if (videoConfig) {
        // A missing key keeps the default quietly, as the file's reader does.
        videoConfig->GetChecked("Fullscreen", settings.fullscreen, kFullscreenValues);
        videoConfig->GetChecked("FullscreenWidth", settings.fullscreenWidth, kVideoSizes);
        videoConfig->GetChecked("FullscreenHeight", settings.fullscreenHeight, kVideoSizes);
    }
    return settings;
}

bool Renderer::InitDirectX()
{
    if (FAILED(DXUTInit(true, true, true, true))) {
        REPORT_ERROR("Could not initialize DirectX");
        return false;
    }
    const int width = video.fullscreenWidth;
    const int height = video.fullscreenHeight;
    if (FAILED(
            DXUTCreateWindow(L"Quorvalith", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, width, height))) {
        REPORT_ERROR("Could not create a window");
        return false;
    }
    DXUTDeviceSettings settings = {};
    CreateD3DInterface(&settings);
    // Without an interface the settings were never filled: there is no device to make.
    if (!d3d || FAILED(DXUTCreateDeviceFromSettings(&settings, false, true))) {
        REPORT_ERROR("Could not create a D3D device");
        return false;
    }
    instance = DXUTGetHINSTANCE();
    window = DXUTGetHWND();
    return true;
}

void Renderer::CreateD3DInterface(DXUTDeviceSettings* settings)
{
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) {
        REPORT_ERROR("D3D interface Could not be acquired");
        return;
    }
    D3DDISPLAYMODE mode = {};
    if (FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) {
        REPORT_ERROR("Adapter Display Mode could not be acquired");
        d3d->Release();
        d3d = nullptr;
        return;
    }
    settings->AdapterOrdinal = 0;
    settings->DeviceType = D3DDEVTYPE_HAL;
    settings->AdapterFormat = mode.Format;
    settings->BehaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    D3DPRESENT_PARAMETERS& pp = settings->pp;
    pp.BackBufferFormat = mode.Format;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = DXUTGetHWND();
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    if (fullscreen) {
        pp.Windowed = FALSE;
        pp.BackBufferWidth = static_cast<UINT>(video.fullscreenWidth);
        pp.BackBufferHeight = static_cast<UINT>(video.fullscreenHeight);
        pp.FullScreen_RefreshRateInHz = mode.RefreshRate;
    } else {
        pp.Windowed = TRUE;
        pp.BackBufferWidth = 0;
        pp.BackBufferHeight = 0;
        pp.FullScreen_RefreshRateInHz = 0;
    }
}

void Renderer::UpdateFullscreenSize(DXUTDeviceSettings* settings)
{
    if (!settings) return;
    D3DPRESENT_PARAMETERS& pp = settings->pp;
    if (pp.Windowed) {
        RECT client = {};
        GetClientRect(DXUTGetHWND(), &client);
        pp.BackBufferWidth = static_cast<UINT>(client.right);
        pp.BackBufferHeight = static_cast<UINT>(client.bottom);
        fullscreen = false;
    } else {
        pp.BackBufferHeight = static_cast<UINT>(video.fullscreenHeight);
        pp.BackBufferWidth = static_cast<UINT>(video.fullscreenWidth);
        pp.FullScreen_RefreshRateInHz = 0;
        fullscreen = true;
    }
}

void Renderer::SelectShaderLevel()
{
    // Pixel shaders 2.0 and up take the full effect file with the skinning
    // palette macro; older hardware the reduced one.
    if (caps.PixelShaderVersion >= D3DPS_VERSION(2, 0)) {
        effectIndex = 0;
        paletteMacro = true;
    } else {
        effectIndex = 1;
        paletteMacro = false;
    }
}

void Renderer::OnDeviceReset()
{
    drawLists.SetRedraw(true);
    device = DXUTGetD3DDevice();
    if (!device) return;
    device->GetDeviceCaps(&caps);
    SelectShaderLevel();

    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const DWORD one = FloatBits(1.0f), zero = FloatBits(0.0f);
    device->SetRenderState(D3DRS_POINTSIZE, one);
    device->SetRenderState(D3DRS_POINTSIZE_MIN, one);
    device->SetRenderState(D3DRS_POINTSCALE_A, one);
    device->SetRenderState(D3DRS_POINTSCALE_B, zero);
    device->SetRenderState(D3DRS_POINTSCALE_C, zero);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    const RECT client = DXUTGetWindowClientRect();
    aspect = client.bottom != 0 ? static_cast<float>(client.right) / static_cast<float>(client.bottom) : 1.0f;
    device->GetViewport(&viewport);
    halfWidth = static_cast<float>(viewport.Width) * 0.5f;
    halfHeight = static_cast<float>(viewport.Height) * 0.5f;
    camera.SetViewportSize(static_cast<int>(viewport.Width), static_cast<int>(viewport.Height));
    fullscreen = !DXUTGetDeviceSettings().pp.Windowed;

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kPi / 4.0f, aspect, kNearPlane, kFarPlane);
    camera.SetProjection(projection);
}
