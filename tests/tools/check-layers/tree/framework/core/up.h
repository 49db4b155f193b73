#pragma once
// A low layer that reaches up to the window: refused.
#include "app/window.h"
#include "framework/core/base.h"
