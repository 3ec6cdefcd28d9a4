// The material rows. Fractions are written as the byte values they were
// picked as, so each stands for the float nearest to it.
#include "render/MaterialTable.h"

// The colours most rows share, undefined again below the table.
#define LV_AMBIENT                                                                                                     \
    {                                                                                                                  \
        0.3f, 0.3f, 0.3f, 1.0f                                                                                         \
    }
#define LV_WHITE                                                                                                       \
    {                                                                                                                  \
        1.0f, 1.0f, 1.0f, 1.0f                                                                                         \
    }
#define LV_BLACK                                                                                                       \
    {                                                                                                                  \
        0.0f, 0.0f, 0.0f, 1.0f                                                                                         \
    }

const Material MaterialTable[kMaterialCount] = {
    {LV_WHITE, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {LV_WHITE, LV_AMBIENT, {0.5f, 0.5f, 0.5f, 1.0f}, LV_BLACK, 50.0f},
    {LV_WHITE, LV_AMBIENT, LV_BLACK, LV_BLACK, 1.0f},
    {{13.0f / 255.0f, 236.0f / 255.0f, 23.0f / 255.0f, 0.5f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{1.0f, 0.0f, 0.0f, 0.5f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{245.0f / 255.0f, 1.0f, 0.0f, 0.5f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{1.0f, 0.3f, 0.15f, 0.5f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{0.0f, 0.0f, 1.0f, 0.0f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{30.0f, 15.0f, 5.0f, 0.25f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{5.0f, 5.0f, 7.0f, 0.25f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{245.0f / 255.0f, 1.0f, 0.0f, 1.0f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{12.74f, 10.92f, 6.89f, 1.0f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{0.0f, 0.0f, 1.0f, 0.5f}, LV_AMBIENT, LV_WHITE, LV_BLACK, 500.0f},
    {{0.0f, 0.0f, 0.0f, 0.75f}, LV_AMBIENT, {0.5f, 0.5f, 0.5f, 1.0f}, LV_BLACK, 500.0f},
};

#undef LV_AMBIENT
#undef LV_WHITE
#undef LV_BLACK

const Material* FindMaterial(int materialId)
{
    return materialId >= 0 && materialId < kMaterialCount ? &MaterialTable[materialId] : nullptr;
}
