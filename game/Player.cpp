#include "game/Player.h"

#include "core/SpineTrace.h"

Player* gPlayer = nullptr;

void Player::Update()
{
    SpineTrace::Record("Player::Update");
}
