#include "game/Input.h"

#include "core/SpineTrace.h"

Input* gInput = nullptr;

void Input::Update(int frameTimeMicroseconds) { SpineTrace::Record("Input::Update"); }
