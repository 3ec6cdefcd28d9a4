// One DirectInput device: the system keyboard or the system mouse.
#pragma once

#include <dinput.h>

#include <atomic>

namespace dinput {

enum class DeviceKind { Keyboard, Mouse };

class Device final : public IDirectInputDevice8W
{
public:
    explicit Device(DeviceKind kind);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;

    // The window lost input focus: a foreground device stops being acquired and
    // its next read reports the loss.
    void OnFocusLost();

private:
    ~Device() override;
    DWORD StateSize() const;
    bool IsExclusiveMouse() const;
    void DropAcquisition();

    std::atomic<ULONG> refs{1};
    DeviceKind kind;
    bool hasFormat = false;
    DWORD cooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired = false;
    bool lost = false;
};

} // namespace dinput
