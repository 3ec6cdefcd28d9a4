#include "render/Camera.h"

#include "core/SpineTrace.h"

void Camera::LoadOptions()
{
    SpineTrace::Record("Camera::LoadOptions");
}
