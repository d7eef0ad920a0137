// The six category folders beside the benchmark, each holding a number of copies of the
// no-op plug-in, and the six lists loaded from them.
#pragma once

// Puts _iCount copies of NoopPlugin.dll (beside the program) into every category folder,
// removing earlier copies, and loads the six lists again. False when a copy failed. When
// asked: the seconds the six lists took to load them, and the seconds the loader alone took
// to load and free the same files.
bool LoadNoopPlugins(int _iCount, double* _pdLoadSeconds = nullptr, double* _pdRawSeconds = nullptr);
// Modules loaded in all six lists together.
int CountLoadedModules();
