// The six category folders beside the benchmark, each holding a number of copies of the
// no-op plug-in, and the six lists loaded from them.
#pragma once

// Puts _iCount copies of NoopPlugin.dll (beside the program) into every category folder,
// removing earlier copies, and loads the six lists again. False when a copy failed.
bool LoadNoopPlugins(int _iCount);
// Modules loaded in all six lists together.
int CountLoadedModules();
