// Includes above its layer, for check_layers.py to refuse.
#include "session/session.h"
#include "views/scrollbox.h"
