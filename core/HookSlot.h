// Where a lower layer calls up into a higher one. The lower layer declares a
// small interface whose operations do nothing (or answer "none") by default;
// the layer above derives from it and installs its implementation here at
// start-up. Until then, and in tests and tools that run a layer on its own,
// calls reach the default, so no lower layer ever includes a higher one.
// The installed object is not owned; its installer removes it (Install with
// null) before it goes.
#pragma once

template <typename Hooks>
class HookSlot
{
public:
    static void Install(Hooks* hooks) { Installed() = hooks; }
    static bool IsInstalled() { return Installed() != nullptr; }
    // The installed hooks, or the do-nothing defaults.
    static Hooks& Get()
    {
        Hooks* hooks = Installed();
        return hooks != nullptr ? *hooks : Defaults();
    }

private:
    static Hooks*& Installed()
    {
        static Hooks* installed = nullptr;
        return installed;
    }
    static Hooks& Defaults()
    {
        static Hooks defaults;
        return defaults;
    }
};
