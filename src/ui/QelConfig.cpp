// Start and exit handling of the settings window's stored values in section "General".
#include "ui/QelConfig.h"

#include <strsafe.h>
#include <cstdio>
#include <cstdlib>

#include "config/RegIniAccess.h"
#include "config/RunMode.h"

wchar_t g_szHelpLink[512] = L"";

namespace {

const wchar_t SECTION[] = L"General";
const RECT DEFAULT_POSITION = {0, 0, 800, 600};

} // namespace

void CQelConfig::LoadSettingsPosition()
{
    unsigned auEdge[4] = {0, 0, 0, 0};
    swscanf(g_RegIniAccess.ReadString(SECTION, L"Position", 0), L"%u %u %u %u", &auEdge[0], &auEdge[1], &auEdge[2], &auEdge[3]);
    m_rcPosition = {static_cast<LONG>(auEdge[0]), static_cast<LONG>(auEdge[1]),
                    static_cast<LONG>(auEdge[2]), static_cast<LONG>(auEdge[3])};
    m_iUseLoadSortRule = _wtoi(g_RegIniAccess.ReadString(SECTION, L"UseLoadSortRule", 0));
    const HRESULT hrCopy = StringCchCopyW(m_szLoadSortRule, ARRAYSIZE(m_szLoadSortRule),
                                          g_RegIniAccess.ReadString(SECTION, L"PluginLoadSortRule", 0));
    m_bLoadSortRuleCut = hrCopy == STRSAFE_E_INSUFFICIENT_BUFFER;
    ValidatePosition();
}

void CQelConfig::SaveSettingsPosition()
{
    if (IsServiceMode())
        return;
    g_RegIniAccess.WriteFormat(SECTION, L"Position", L"%d %d %d %d",
                               m_rcPosition.left, m_rcPosition.top, m_rcPosition.right, m_rcPosition.bottom);
    g_RegIniAccess.WriteInt(SECTION, L"UseLoadSortRule", m_iUseLoadSortRule);
    // The rule is written back unchanged; a cut one would replace the whole stored rule.
    if (!m_bLoadSortRuleCut)
        g_RegIniAccess.WriteString(SECTION, L"PluginLoadSortRule", m_szLoadSortRule);
}

void CQelConfig::ValidatePosition()
{
    RECT rcDesktop = {};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    const RECT& rc = m_rcPosition;
    if (rc.right <= rc.left || rc.left < rcDesktop.left || rc.top < rcDesktop.top
        || rc.right > rcDesktop.right || rc.bottom > rcDesktop.bottom)
        m_rcPosition = DEFAULT_POSITION;
}
