#include "physics/collision/PlayerContact.h"

PlayerContactListener* gPlayerContactListener = nullptr;
