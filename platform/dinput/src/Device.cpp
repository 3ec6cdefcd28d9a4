// The keyboard and mouse devices: acquisition follows the window's focus, and a
// read that cannot deliver input zeroes the caller's buffer so no key stays held.
#include "Device.h"

#include "InputHub.h"

#include <cstring>

namespace dinput {

Device::Device(DeviceKind kind) : kind(kind)
{
    RegisterDevice(this);
    AttachToSdl();
}

Device::~Device()
{
    UnregisterDevice(this);
}

ULONG Device::AddRef()
{
    return ++refs;
}

ULONG Device::Release()
{
    const ULONG left = --refs;
    if (left == 0) {
        Unacquire();
        delete this;
    }
    return left;
}

DWORD Device::StateSize() const
{
    return kind == DeviceKind::Keyboard ? 256u : static_cast<DWORD>(sizeof(DIMOUSESTATE2));
}

bool Device::IsExclusiveMouse() const
{
    return kind == DeviceKind::Mouse && (cooperation & DISCL_EXCLUSIVE) != 0;
}

HRESULT Device::SetDataFormat(LPCDIDATAFORMAT format)
{
    if (acquired) {
        return DIERR_ACQUIRED;
    }
    const DIDATAFORMAT* expected = kind == DeviceKind::Keyboard ? &c_dfDIKeyboard : &c_dfDIMouse2;
    if (format != expected) {
        return DIERR_INVALIDPARAM;
    }
    hasFormat = true;
    return DI_OK;
}

HRESULT Device::SetCooperativeLevel(HWND window, DWORD flags)
{
    if (acquired) {
        return DIERR_ACQUIRED;
    }
    const bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    const bool shared = (flags & DISCL_NONEXCLUSIVE) != 0;
    const bool foreground = (flags & DISCL_FOREGROUND) != 0;
    const bool background = (flags & DISCL_BACKGROUND) != 0;
    if (exclusive == shared || foreground == background) {
        return DIERR_INVALIDPARAM;
    }
    cooperation = flags;
    return DI_OK;
}

HRESULT Device::Acquire()
{
    AttachToSdl();
    if (!hasFormat) {
        return DIERR_INVALIDPARAM;
    }
    if ((cooperation & DISCL_FOREGROUND) && !HasFocus()) {
        return DIERR_OTHERAPPHASPRIO;
    }
    if (acquired) {
        return S_FALSE;
    }
    acquired = true;
    lost = false;
    if (kind == DeviceKind::Mouse) {
        DiscardMouseMotion();
        SetMouseExclusive(this, IsExclusiveMouse());
    }
    return DI_OK;
}

void Device::DropAcquisition()
{
    acquired = false;
    if (kind == DeviceKind::Mouse) {
        SetMouseExclusive(this, false);
    }
}

HRESULT Device::Unacquire()
{
    lost = false;
    if (!acquired) {
        return DI_NOEFFECT;
    }
    DropAcquisition();
    return DI_OK;
}

void Device::OnFocusLost()
{
    if (acquired && (cooperation & DISCL_FOREGROUND)) {
        DropAcquisition();
        lost = true;
    }
}

HRESULT Device::GetDeviceState(DWORD size, LPVOID data)
{
    if (!data || size != StateSize()) {
        return DIERR_INVALIDPARAM;
    }
    AttachToSdl();
    // Focus may have gone before anyone watched for it.
    if (acquired && (cooperation & DISCL_FOREGROUND) && !HasFocus()) {
        OnFocusLost();
    }
    if (!acquired) {
        std::memset(data, 0, size);
        if (lost) {
            lost = false;
            return DIERR_INPUTLOST;
        }
        return DIERR_NOTACQUIRED;
    }
    if (kind == DeviceKind::Keyboard) {
        ReadKeys(static_cast<BYTE*>(data));
    } else {
        TakeMouse(static_cast<DIMOUSESTATE2*>(data));
    }
    return DI_OK;
}

} // namespace dinput
