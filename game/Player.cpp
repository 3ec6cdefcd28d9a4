#include "game/Player.h"

#include "core/SpineTrace.h"

Player* gPlayer = nullptr;

void Player::Update()
{
    SpineTrace::Record("Player::Update");
}

void Player::ResetForNewLevel()
{
    SpineTrace::Record("Player::ResetForNewLevel");
}

void Player::KnockOut()
{
    SpineTrace::Record("Player::KnockOut");
}

void Player::SetBody(Ragdoll*)
{
    SpineTrace::Record("Player::SetBody");
}

void Player::Recover()
{
    SpineTrace::Record("Player::Recover");
}
