// scaffold: replaced by the owning subsystem
#include "ui/QelConfig.h"
wchar_t g_szHelpLink[512] = L"";
void CQelConfig::LoadSettingsPosition() {}
void CQelConfig::SaveSettingsPosition() {}
void CQelConfig::ValidatePosition() {}
