// scaffold: replaced by the owning subsystem
#include "bus/SharedMem.h"
static LONG s_Words[4];
volatile LONG* g_pSharedMem = s_Words;
CSharedMem::~CSharedMem() {}
void CSharedMem::OpenSharedMem() {}
void CSharedMem::BuildName(wchar_t* p, size_t) { p[0] = 0; }
void SetSharedWord(SharedMemWord w, LONG v) { g_pSharedMem[w] = v; }
LONG GetSharedWord(SharedMemWord w) { return g_pSharedMem[w]; }
