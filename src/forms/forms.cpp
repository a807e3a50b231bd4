#include "forms/window.h"
