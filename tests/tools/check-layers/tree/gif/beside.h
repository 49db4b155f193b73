#pragma once
// The codec reaching beside itself into the picture pane: refused.
#include "pictures/pane.h"
