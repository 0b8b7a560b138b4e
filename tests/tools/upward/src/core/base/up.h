// Includes above its layer, for check_layers.py to refuse.
#include "base/bytes.h"
#include "history/journal.h"
#include "window/mainwin.h"
