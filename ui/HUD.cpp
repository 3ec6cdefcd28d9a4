#include "ui/HUD.h"

#include "ui/HUDElement.h"

HUD::~HUD()
{
    for (HUDElement* element : elements) delete element;
}
