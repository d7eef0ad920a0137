#include "GuardedText.h"

#include <windows.h>

#include <cstring>

CGuardedText::CGuardedText(const std::wstring& _strText)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t cbText = (_strText.size() + 1) * sizeof(wchar_t);
    const size_t cbData = (cbText + info.dwPageSize - 1) / info.dwPageSize * info.dwPageSize;
    m_pPages = VirtualAlloc(nullptr, cbData + info.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (m_pPages == nullptr)
        return;
    auto* pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(m_pPages) + cbData - cbText);
    memcpy(pszText, _strText.c_str(), cbText);
    DWORD dwOld = 0;
    VirtualProtect(m_pPages, cbData, PAGE_READONLY, &dwOld);
    VirtualProtect(static_cast<BYTE*>(m_pPages) + cbData, info.dwPageSize, PAGE_NOACCESS, &dwOld);
    m_pszText = pszText;
}

CGuardedText::~CGuardedText()
{
    if (m_pPages != nullptr)
        VirtualFree(m_pPages, 0, MEM_RELEASE);
}
