#include "High.h"
#include "high/Window.h"
