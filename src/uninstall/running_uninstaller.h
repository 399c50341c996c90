// The uninstaller operations on the program's own objects (running package,
// setup record, install log, status controls) are declared with the builder
// in uninstaller.h; this name is kept for the units that include it.
#pragma once

#include "uninstall/uninstaller.h"
