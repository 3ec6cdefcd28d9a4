// The DirectInput object: hands out the system keyboard and mouse.
#include "Device.h"

#include <cstring>

// Identities of our own; only their distinctness matters.
const GUID GUID_SysKeyboard = {0x4c560001, 0x6b31, 0x4e10, {0x9a, 0x01, 0x4b, 0x45, 0x59, 0x42, 0x44, 0x31}};
const GUID GUID_SysMouse = {0x4c560002, 0x6b31, 0x4e10, {0x9a, 0x01, 0x4d, 0x4f, 0x55, 0x53, 0x45, 0x31}};
const GUID IID_IDirectInput8W = {0x4c560010, 0x6b31, 0x4e10, {0x9a, 0x01, 0x44, 0x49, 0x38, 0x57, 0x00, 0x01}};
const GUID IID_IDirectInput8A = {0x4c560011, 0x6b31, 0x4e10, {0x9a, 0x01, 0x44, 0x49, 0x38, 0x41, 0x00, 0x01}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE2)};

namespace dinput {
namespace {

bool SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

class DirectInput final : public IDirectInput8W
{
public:
    ULONG AddRef() override { return ++refs; }

    ULONG Release() override
    {
        const ULONG left = --refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8W* out, LPUNKNOWN outer) override
    {
        if (!out) {
            return DIERR_INVALIDPARAM;
        }
        *out = nullptr;
        if (outer) {
            return DIERR_INVALIDPARAM;
        }
        if (SameGuid(guid, GUID_SysKeyboard)) {
            *out = new Device(DeviceKind::Keyboard);
        } else if (SameGuid(guid, GUID_SysMouse)) {
            *out = new Device(DeviceKind::Mouse);
        } else {
            return DIERR_DEVICENOTREG;
        }
        return DI_OK;
    }

private:
    ~DirectInput() override = default;
    std::atomic<ULONG> refs{1};
};

} // namespace
} // namespace dinput

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer)
{
    if (!out) {
        return DIERR_INVALIDPARAM;
    }
    *out = nullptr;
    if (version != 0x0800) {
        return DIERR_OLDDIRECTINPUTVERSION;
    }
    if (!dinput::SameGuid(iid, IID_IDirectInput8W) && !dinput::SameGuid(iid, IID_IDirectInput8A)) {
        return DIERR_NOINTERFACE;
    }
    if (outer) {
        return DIERR_INVALIDPARAM;
    }
    *out = static_cast<IDirectInput8W*>(new dinput::DirectInput);
    return DI_OK;
}
