#pragma once
// Down the layers and within its own folder: allowed.
#include "app/other.h"
#include "framework/core/base.h"
#include "gif/beside.h"
