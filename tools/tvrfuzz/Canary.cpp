#include "Canary.h"

#include "CanaryMarker.h"

bool CCanary::Arm(const CHostAddressMap& _Map)
{
    m_uFunction = 0;
    const HostModule* pHelper = _Map.FindModule(CANARY_HELPER_FILE);
    if (!pHelper)
        return false;
    m_strMarker = pHelper->strPath.substr(0, pHelper->strPath.find_last_of(L'\\') + 1) + CANARY_MARKER_FILE;
    m_uFunction = _Map.RemoteExport(CANARY_HELPER_FILE, CANARY_FUNCTION_NAME);
    return m_uFunction != 0;
}

bool CCanary::TakeMarker()
{
    if (m_strMarker.empty() || GetFileAttributesW(m_strMarker.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    RemoveMarker();
    return true;
}

void CCanary::RemoveMarker() const
{
    if (!m_strMarker.empty())
        DeleteFileW(m_strMarker.c_str());
}
