#include "ProbeConfig.h"

#include <shlwapi.h>

namespace {

const wchar_t SECTION[] = L"Probe";

std::wstring ReadText(const std::wstring& _strIni, const wchar_t* _pszKey, const wchar_t* _pszDefault)
{
    wchar_t szValue[4096];
    GetPrivateProfileStringW(SECTION, _pszKey, _pszDefault, szValue, ARRAYSIZE(szValue), _strIni.c_str());
    return szValue;
}

int ReadInt(const std::wstring& _strIni, const wchar_t* _pszKey, int _iDefault)
{
    return static_cast<int>(GetPrivateProfileIntW(SECTION, _pszKey, _iDefault, _strIni.c_str()));
}

HMODULE OwnModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &hModule);
    return hModule;
}

std::wstring ModulePath(HMODULE _hModule)
{
    wchar_t szPath[MAX_PATH * 2];
    const DWORD cchPath = GetModuleFileNameW(_hModule, szPath, ARRAYSIZE(szPath));
    return (cchPath == 0 || cchPath >= ARRAYSIZE(szPath)) ? std::wstring() : std::wstring(szPath, cchPath);
}

// "K=V|K=V" into pairs.
std::vector<std::pair<std::wstring, std::wstring>> SplitFields(const std::wstring& _strFields)
{
    std::vector<std::pair<std::wstring, std::wstring>> vecFields;
    size_t uStart = 0;
    while (uStart < _strFields.size())
    {
        size_t uEnd = _strFields.find(L'|', uStart);
        if (uEnd == std::wstring::npos)
            uEnd = _strFields.size();
        const std::wstring strField = _strFields.substr(uStart, uEnd - uStart);
        const size_t uEq = strField.find(L'=');
        if (uEq != std::wstring::npos)
            vecFields.emplace_back(strField.substr(0, uEq), strField.substr(uEq + 1));
        uStart = uEnd + 1;
    }
    return vecFields;
}

void ReadReturns(const std::wstring& _strIni, ProbeConfig& _config)
{
    // Every key "Return<type>" of the section.
    wchar_t szKeys[8192];
    const DWORD cchKeys = GetPrivateProfileStringW(SECTION, nullptr, L"", szKeys, ARRAYSIZE(szKeys), _strIni.c_str());
    for (const wchar_t* pszKey = szKeys; pszKey < szKeys + cchKeys && *pszKey; pszKey += wcslen(pszKey) + 1)
    {
        if (StrCmpNIW(pszKey, L"Return", 6) == 0 && pszKey[6] >= L'0' && pszKey[6] <= L'9')
            _config.mapReturns[static_cast<UINT>(_wtoi(pszKey + 6))] = ReadInt(_strIni, pszKey, 1);
    }
}

ProbeConfig LoadConfig()
{
    ProbeConfig config;
    const std::wstring strPath = ModulePath(OwnModule());
    const size_t uSlash = strPath.find_last_of(L"\\/");
    const size_t uDot = strPath.find_last_of(L'.');
    const std::wstring strBase = (uDot != std::wstring::npos && (uSlash == std::wstring::npos || uDot > uSlash))
                                     ? strPath.substr(0, uDot) : strPath;
    const std::wstring strIni = strBase + L".ini";
    config.strModule = strBase.substr(uSlash == std::wstring::npos ? 0 : uSlash + 1);

    const std::wstring strProgram = ModulePath(nullptr);
    const std::wstring strDefaultLog = strProgram.substr(0, strProgram.find_last_of(L"\\/") + 1) + L"ProbeCalls.log";
    config.strLog = ReadText(strIni, L"Log", strDefaultLog.c_str());
    config.strName = ReadText(strIni, L"Name", config.strModule.c_str());
    config.iID = ReadInt(strIni, L"ID", 0);
    config.iIsUnicode = ReadInt(strIni, L"IsUnicode", 1);
    config.iIsBeta = ReadInt(strIni, L"IsBeta", 0);
    config.iIsSupported = ReadInt(strIni, L"IsSupported", 1);
    config.iCanDisable = ReadInt(strIni, L"CanDisable", 0);
    config.iDisableState = ReadInt(strIni, L"DisableState", 0);
    config.iReturnDefault = ReadInt(strIni, L"Return", 1);
    ReadReturns(strIni, config);
    config.strFaultOn = ReadText(strIni, L"FaultOn", L"");
    config.strHangOn = ReadText(strIni, L"HangOn", L"");
    config.dwHangMs = static_cast<DWORD>(ReadInt(strIni, L"HangMs", 0));
    config.strPostOn = ReadText(strIni, L"PostOn", L"");
    config.uPostType = static_cast<UINT>(ReadInt(strIni, L"PostType", 0));
    config.bPostSync = ReadInt(strIni, L"PostSync", 0) != 0;
    config.vecPostFields = SplitFields(ReadText(strIni, L"PostFields", L""));
    config.uPostMemBlock = static_cast<UINT>(ReadInt(strIni, L"PostMemBlock", 0));
    config.uPostBlockChars = static_cast<UINT>(ReadInt(strIni, L"PostBlockChars", 0));
    config.uPostCutAt = static_cast<UINT>(ReadInt(strIni, L"PostCutAt", 0));
    config.iPostTypeLine = ReadInt(strIni, L"PostTypeLine", -1);
    config.bPostFill = ReadInt(strIni, L"PostFill", 0) != 0;
    config.bPostMemBlockMovable = ReadInt(strIni, L"PostMemBlockMovable", 0) != 0;
    config.bPostShaped = config.uPostBlockChars || config.uPostCutAt || config.iPostTypeLine >= 0 ||
                         config.bPostFill || config.bPostMemBlockMovable;
    return config;
}

} // namespace

ProbeConfig& GetProbeConfig()
{
    static ProbeConfig s_config = LoadConfig();
    return s_config;
}
