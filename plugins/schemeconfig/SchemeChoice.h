// A choice of colour scheme, dialog font and language: what the host uses now, what is kept
// for the next start, and the message that makes the host take it.
#pragma once
#include <windows.h>

// The host's default dialog font.
const wchar_t DEFAULT_FONT[] = L"Segoe UI";

struct SSchemeChoice
{
    UINT uScheme = 0;
    wchar_t szFont[128] = L"Segoe UI";   // the host keeps at most 127 characters
    wchar_t szLanguage[32] = L"";        // and 31 of the language name
};

// The host's look as it last announced it (QEL_BUSMSG_SCHEME); its start values before that.
const SSchemeChoice& CurrentLook();
void TakeAnnouncedLook(const wchar_t* _pszRecord);

// The kept choice; false when none is kept (nothing is then changed at start).
bool LoadKeptChoice(SSchemeChoice* _pChoice);
bool KeepChoice(const SSchemeChoice& _choice);
// Sends message 1157 with the choice to the host's main window (plug-in code on the host's
// main thread, so the host reopens an open settings window on this page).
void SendChoice(const SSchemeChoice& _choice);
