#include "TestRegistry.h"

#include <sddl.h>

namespace tvr {

bool AllowOnlyReading(HKEY _hRoot, const std::wstring& _strSubKey)
{
    PSECURITY_DESCRIPTOR pSecurity = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &pSecurity, nullptr))
        return false;
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExW(_hRoot, _strSubKey.c_str(), 0, WRITE_DAC, &hKey);
    if (lResult == ERROR_SUCCESS)
    {
        lResult = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSecurity);
        RegCloseKey(hKey);
    }
    LocalFree(pSecurity);
    return lResult == ERROR_SUCCESS;
}

} // namespace tvr
