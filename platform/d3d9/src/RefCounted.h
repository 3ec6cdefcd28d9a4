// Reference counting shared by the stand-in's objects.
#pragma once

#include <windows.h>

namespace lvd3d {

template <class Interface>
class RefCounted : public Interface
{
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ULONG refs_ = 1;
};

} // namespace lvd3d
