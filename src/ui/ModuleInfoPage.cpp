#include "ui/ModuleInfoPage.h"
