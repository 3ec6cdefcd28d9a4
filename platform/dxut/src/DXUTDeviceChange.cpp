// Device creation and every later change (window resize, full-screen toggle):
// the game's modify-settings callback, then the window and the context, then
// device created (first time only) and device reset.
#include "DXUTState.h"
#include "Win32Host.h"

namespace {

const HRESULT kAborted = static_cast<HRESULT>(0x80004004L); // E_ABORT

void FillZeroSize(const DXUTState& state, DXUTDeviceSettings& settings)
{
    if (!settings.pp.Windowed) return;
    if (settings.pp.BackBufferWidth == 0) settings.pp.BackBufferWidth = static_cast<UINT>(state.windowedWidth);
    if (settings.pp.BackBufferHeight == 0) settings.pp.BackBufferHeight = static_cast<UINT>(state.windowedHeight);
}

void DescribeBackBuffer(DXUTState& state)
{
    D3DSURFACE_DESC& desc = state.backBuffer;
    desc = D3DSURFACE_DESC();
    desc.Format = state.settings.pp.BackBufferFormat;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Pool = D3DPOOL_DEFAULT;
    desc.MultiSampleType = state.settings.pp.MultiSampleType;
    desc.MultiSampleQuality = state.settings.pp.MultiSampleQuality;
    desc.Width = state.settings.pp.BackBufferWidth;
    desc.Height = state.settings.pp.BackBufferHeight;
}

HRESULT CreateFirstDevice(DXUTState& state)
{
    DXUTApplyWindowMode(state, state.settings);
    if (!DXUTDeviceCreate(state)) {
        DXUTReportError("Could not create the device");
        return E_FAIL;
    }
    state.deviceCreated = true;
    DescribeBackBuffer(state);
    IDirect3DDevice9* device = DXUTDeviceGet();
    const DXUTCallbacks& c = state.callbacks;
    if (c.deviceCreated) {
        const HRESULT hr = c.deviceCreated(device, &state.backBuffer, c.deviceCreatedContext);
        if (FAILED(hr)) {
            DXUTDeviceDestroy(state);
            state.deviceCreated = false;
            return hr;
        }
    }
    return c.deviceReset ? c.deviceReset(device, &state.backBuffer, c.deviceResetContext) : S_OK;
}

HRESULT ResetDevice(DXUTState& state)
{
    DXUTApplyWindowMode(state, state.settings);
    if (!DXUTDeviceReset(state)) {
        DXUTReportError("Could not reset the device");
        return E_FAIL;
    }
    DescribeBackBuffer(state);
    const DXUTCallbacks& c = state.callbacks;
    return c.deviceReset ? c.deviceReset(DXUTDeviceGet(), &state.backBuffer, c.deviceResetContext) : S_OK;
}

} // namespace

HRESULT DXUTChangeDevice(DXUTState& state, DXUTDeviceSettings settings)
{
    if (state.changingDevice) return E_FAIL; // a callback asked for a change inside a change
    if (!state.windowCreated && FAILED(DXUTCreateWindow())) return E_FAIL;
    state.changingDevice = true;

    // The command line picks the mode of the first device; the game's
    // callback sees it and has the last word.
    if (!state.deviceCreated) {
        if (state.switches.windowed) settings.pp.Windowed = TRUE;
        if (state.switches.fullscreen) settings.pp.Windowed = FALSE;
    }
    FillZeroSize(state, settings);
    // While the game decides, the client area is the one of the mode it is
    // going to (leaving full screen, that is the window's again).
    state.clientWindowed = settings.pp.Windowed != FALSE;
    const DXUTCallbacks& c = state.callbacks;
    if (c.modifySettings) {
        D3DCAPS9 caps;
        DXUTDeviceFillCaps(state, &caps);
        if (!c.modifySettings(&settings, &caps, c.modifySettingsContext)) {
            state.clientWindowed = !state.deviceCreated || state.settings.pp.Windowed != FALSE;
            state.changingDevice = false;
            return kAborted;
        }
    }
    FillZeroSize(state, settings);
    state.clientWindowed = settings.pp.Windowed != FALSE;
    if (settings.pp.BackBufferWidth == 0) settings.pp.BackBufferWidth = 1;
    if (settings.pp.BackBufferHeight == 0) settings.pp.BackBufferHeight = 1;
    settings.pp.hDeviceWindow = &state.windowHandle;
    if (settings.pp.Windowed) {
        // A windowed back buffer is the client area.
        state.windowedWidth = static_cast<int>(settings.pp.BackBufferWidth);
        state.windowedHeight = static_cast<int>(settings.pp.BackBufferHeight);
    }
    state.settings = settings;

    const HRESULT hr = state.deviceCreated ? ResetDevice(state) : CreateFirstDevice(state);
    state.changingDevice = false;
    return hr;
}

HRESULT DXUTCreateDeviceFromSettings(DXUTDeviceSettings* settings, bool preserveInput, bool clipWindowToSingleAdapter)
{
    (void)preserveInput;
    (void)clipWindowToSingleAdapter;
    DXUTState& state = DXUTGetState();
    if (!state.initialised) DXUTInit();
    DXUTDeviceSettings start = settings ? *settings : DXUTDeviceSettings();
    if (!settings) {
        start.DeviceType = D3DDEVTYPE_HAL;
        start.AdapterFormat = D3DFMT_X8R8G8B8;
        start.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        start.pp.BackBufferCount = 1;
        start.pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        start.pp.Windowed = TRUE;
        start.pp.EnableAutoDepthStencil = TRUE;
        start.pp.AutoDepthStencilFormat = D3DFMT_D16;
        start.pp.PresentationInterval = 1;
    }
    return DXUTChangeDevice(state, start);
}

HRESULT DXUTToggleFullScreen()
{
    DXUTState& state = DXUTGetState();
    if (!state.deviceCreated) return E_FAIL;
    DXUTDeviceSettings settings = state.settings;
    settings.pp.Windowed = settings.pp.Windowed ? FALSE : TRUE;
    if (settings.pp.Windowed) {
        settings.pp.BackBufferWidth = static_cast<UINT>(state.windowedWidth);
        settings.pp.BackBufferHeight = static_cast<UINT>(state.windowedHeight);
        settings.pp.FullScreen_RefreshRateInHz = 0;
    }
    return DXUTChangeDevice(state, settings);
}

void DXUTOnClientResized(DXUTState& state, int width, int height)
{
    // Full screen keeps its back buffer; the window only shows it scaled.
    if (!state.deviceCreated || state.changingDevice || !state.settings.pp.Windowed) return;
    if (static_cast<UINT>(width) == state.settings.pp.BackBufferWidth &&
        static_cast<UINT>(height) == state.settings.pp.BackBufferHeight) {
        return;
    }
    state.windowedWidth = width;
    state.windowedHeight = height;
    DXUTDeviceSettings settings = state.settings;
    settings.pp.BackBufferWidth = static_cast<UINT>(width);
    settings.pp.BackBufferHeight = static_cast<UINT>(height);
    DXUTChangeDevice(state, settings);
}
