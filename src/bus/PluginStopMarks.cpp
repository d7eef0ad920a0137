#include "bus/PluginStopMarks.h"

#include <windows.h>

#include "base/ProgramPath.h"
#include "config/RegIniAccess.h"
#include "config/VersionTool.h"

namespace {

const wchar_t MARK_SECTION[] = L"StoppedPlugins";
const wchar_t MARK_PREFIX[] = L"stopped;";
const wchar_t HISTORY_SECTION[] = L"PluginFaults";
const wchar_t LAST_END_KEY[] = L"LastRunEnd";

std::wstring FileVersionOf(const wchar_t* _pszPath)
{
    return CVersionTool(_pszPath).GetFileVersion();
}

// "<key>;<version>": the same plug-in file in the same version.
std::wstring Identity(const wchar_t* _pszPath)
{
    return PluginStopKey(_pszPath) + L";" + FileVersionOf(_pszPath);
}

}   // namespace

std::wstring PluginStopKey(const wchar_t* _pszPath)
{
    const std::wstring strPath = _pszPath ? _pszPath : L"";
    const std::wstring strFolder = GetProgramFolder();
    if (!strFolder.empty() && strPath.size() > strFolder.size() &&
        CompareStringOrdinal(strPath.c_str(), static_cast<int>(strFolder.size()), strFolder.c_str(),
                             static_cast<int>(strFolder.size()), TRUE) == CSTR_EQUAL)
        return strPath.substr(strFolder.size());
    return strPath;
}

bool IsPluginStopped(const wchar_t* _pszPath)
{
    const std::wstring strKey = PluginStopKey(_pszPath);
    const std::wstring strMark = g_RegIniAccess.ReadString(MARK_SECTION, strKey.c_str(), 0);
    if (strMark.compare(0, ARRAYSIZE(MARK_PREFIX) - 1, MARK_PREFIX) != 0)
        return false;
    if (strMark.substr(ARRAYSIZE(MARK_PREFIX) - 1) == FileVersionOf(_pszPath))
        return true;
    ClearPluginStop(_pszPath);
    return false;
}

void StopPlugin(const wchar_t* _pszPath)
{
    const std::wstring strMark = MARK_PREFIX + FileVersionOf(_pszPath);
    g_RegIniAccess.WriteString(MARK_SECTION, PluginStopKey(_pszPath).c_str(), strMark.c_str());
}

void ClearPluginStop(const wchar_t* _pszPath)
{
    g_RegIniAccess.WriteString(MARK_SECTION, PluginStopKey(_pszPath).c_str(), L"");
}

bool NoteRunEndPlugin(const wchar_t* _pszPath)
{
    // Plug-ins lie below the program folder: a record naming any other file (the report is a
    // file others may write) names no plug-in, and no file elsewhere is opened for its version.
    const bool bPlugin = _pszPath && _pszPath[0] && PluginStopKey(_pszPath) != _pszPath;
    const std::wstring strNow = bPlugin ? Identity(_pszPath) : L"";
    const std::wstring strBefore = g_RegIniAccess.ReadString(HISTORY_SECTION, LAST_END_KEY, 0);
    const bool bAgain =
        !strNow.empty() && CompareStringOrdinal(strNow.c_str(), -1, strBefore.c_str(), -1, TRUE) == CSTR_EQUAL;
    // A stopped plug-in starts a new count: switched on again, one more fault alone does not stop it.
    g_RegIniAccess.WriteString(HISTORY_SECTION, LAST_END_KEY, bAgain ? L"" : strNow.c_str());
    if (bAgain)
        StopPlugin(_pszPath);
    return bAgain;
}
