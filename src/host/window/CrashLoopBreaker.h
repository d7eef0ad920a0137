// Breaking a crash loop: a plug-in named at the end of two runs in a row is not loaded at the
// next start, and the host says so where people and support staff look.
#pragma once

// Before the plug-ins load: takes note of the plug-in the last run ended in (a fault in it,
// or a call into it that hung until the process was ended) and stops it when the run before
// ended in it too (a trace line says so). The new run starts naming none.
void NoteHowTheLastRunEnded();
// After the plug-ins loaded: the stopped plug-ins that were left out go to the status report
// ("StoppedPlugins", "Modules", empty when none) and, in tray mode, to the tray tooltip.
void ReportStoppedPlugins();
