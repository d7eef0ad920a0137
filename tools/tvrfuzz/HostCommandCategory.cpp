#include "HostCommandCategory.h"

#include <algorithm>

#include "RecordText.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t DECOY_NAME[] = L"PluginFuzzDecoy.dll";
const wchar_t DECOY_ROOT_NAME[] = L"PluginFuzzDecoyRoot.dll";

// Copies of a plug-in file of the host outside its category folders; removed on destruction.
class CDecoys
{
public:
    explicit CDecoys(CFuzzSession& _Session)
    {
        const std::wstring strSource = AnyPluginFile(_Session);
        wchar_t szTemp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, szTemp);
        m_strTempFolder = std::wstring(szTemp) + L"tvrfuzz-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_strTempFolder.c_str(), nullptr);
        m_strTempDecoy = m_strTempFolder + L"\\" + DECOY_NAME;
        m_strRootDecoy = _Session.Host().Folder() + DECOY_ROOT_NAME;
        if (!strSource.empty())
        {
            CopyFileW(strSource.c_str(), m_strTempDecoy.c_str(), FALSE);
            CopyFileW(strSource.c_str(), m_strRootDecoy.c_str(), FALSE);
        }
    }
    ~CDecoys()
    {
        DeleteFileW(m_strTempDecoy.c_str());
        DeleteFileW(m_strRootDecoy.c_str());
        RemoveDirectoryW(m_strTempFolder.c_str());
    }
    CDecoys(const CDecoys&) = delete;
    CDecoys& operator=(const CDecoys&) = delete;

    const std::wstring& TempDecoy() const { return m_strTempDecoy; }
    const std::wstring& RootDecoy() const { return m_strRootDecoy; }

private:
    static std::wstring AnyPluginFile(CFuzzSession& _Session)
    {
        const std::wstring strFolder = UpperText(_Session.Host().Folder());
        for (const HostModule& module : _Session.Map().Modules())
        {
            const std::wstring strUpper = UpperText(module.strPath);
            if (strUpper.compare(0, strFolder.size() + 6, strFolder + L"PLUGIN") == 0 &&
                FileNameOf(strUpper).compare(0, 6, L"PLUGIN") == 0)
                return module.strPath;
        }
        return std::wstring();
    }

    std::wstring m_strTempFolder;
    std::wstring m_strTempDecoy;
    std::wstring m_strRootDecoy;
};

// The path relative to the search folder (program folder\PluginSearch\) that leads to the target.
std::wstring RelativeFromSearchFolder(const std::wstring& _strProgramFolder, const std::wstring& _strTarget)
{
    const size_t uDepth = std::count(_strProgramFolder.begin(), _strProgramFolder.end(), L'\\');   // drive counts once
    std::wstring strUp;
    for (size_t i = 0; i < uDepth; ++i)
        strUp += L"..\\";
    const size_t uColon = _strTarget.find(L":\\");
    return strUp + (uColon == std::wstring::npos ? _strTarget : _strTarget.substr(uColon + 2));
}

std::vector<std::wstring> OddNames(const CDecoys& _Decoys, const std::wstring& _strProgramFolder)
{
    std::wstring strSlashed = _Decoys.TempDecoy();
    std::replace(strSlashed.begin(), strSlashed.end(), L'\\', L'/');
    wchar_t szSystem[MAX_PATH] = L"";
    GetSystemDirectoryW(szSystem, MAX_PATH);
    const std::wstring strSystem = szSystem;
    return {L"",
            std::wstring(300, L'A') + L".dll",
            std::wstring(600, L'B'),
            std::wstring(5000, L'\\'),
            std::wstring(70000, L'C'),
            L"..\\..\\x",
            L"..\\" + std::wstring(DECOY_ROOT_NAME),
            L"..\\PluginSearch\\..\\" + std::wstring(DECOY_ROOT_NAME),
            L"./../" + std::wstring(DECOY_ROOT_NAME),
            _Decoys.RootDecoy(),
            _Decoys.TempDecoy(),
            strSlashed,
            L"\\\\?\\" + _Decoys.TempDecoy(),
            L"\\\\.\\" + _Decoys.TempDecoy(),
            RelativeFromSearchFolder(_strProgramFolder, _Decoys.TempDecoy()),
            _Decoys.TempDecoy().substr(2),   // without the drive: from the root of the current drive
            L"\\\\localhost\\C$\\windows\\system32\\mapi32.dll",
            strSystem + L"\\mapi32.dll",
            strSystem + L"\\tapi32.dll",
            L"C:mapi32.dll",
            L"..\\Telvarin.exe",
            L"..\\Resource\\EN\\RESOURCE.DLL",
            L"CON", L"NUL", L"AUX", L"PRN", L"COM1", L"LPT1", L"CONIN$", L"CON.dll", L"NUL.DLL",
            L"\\\\.\\pipe\\tvrfuzz", L"\\\\.\\PhysicalDrive0", L"\\\\.\\C:",
            L"Plugin*.dll", L"Plugin?.DLL", L"PluginFuzzDecoy.dll:stream", std::wstring(DECOY_NAME) + L". ",
            L"%TEMP%\\" + std::wstring(DECOY_NAME), L"C:\\", L".", L"..", L"\\", L"/"};
}

const wchar_t* const COMMANDS[] = {L"PLUGINADD", L"PLUGINADD", L"PLUGINADD", L"PLUGINREMOVE", L"pluginadd", L"PLUGINADD ",
                                   L"", L"..\\..\\x", L"PLUGINADDX", L"LOADALL", L"REMOVEALLMODULES"};

} // namespace

void RunHostCommands(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    CDecoys decoys(_Session);
    _Session.Modules().AddRequestedName(DECOY_NAME);
    _Session.Modules().AddRequestedName(DECOY_ROOT_NAME);
    _Session.Modules().AddRequestedName(L"mapi32.dll");
    _Session.Modules().AddRequestedName(L"tapi32.dll");
    const std::vector<std::wstring> vecNames = OddNames(decoys, _Session.Host().Folder());
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        std::wstring strCommand = COMMANDS[_Random.Below(ARRAYSIZE(COMMANDS))];
        if (_Random.Chance(5))
            strCommand = _Random.Text(static_cast<size_t>(_Random.Below(400)));
        const std::wstring& strArg = i < vecNames.size() ? vecNames[i] : _Random.Pick(vecNames);
        _Session.SendText(MakeRecordText(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", strCommand}, {L"Arg", strArg}}),
                          static_cast<WPARAM>(_Random.Below(2)), L"host command");
    }
    // Let the last commands finish before the decoys are removed.
    _Session.Host().Answers();
}
