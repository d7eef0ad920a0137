// The service side reaching up into the main window: refused.
#include "host/window/Main.h"
