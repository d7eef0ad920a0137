#include "PluginChecks.h"

#include <memory>

#include "BusTestRecords.h"
#include "CheckerHost.h"
#include "GuardedText.h"
#include "ProcessUse.h"
#include "TelvarinPlugin.h"

namespace {

// Bus calls of the resource check, and what they may leave behind.
const unsigned RESOURCE_CALLS = 10000;
const unsigned RESOURCE_WARMUP = 200;
const unsigned long MAX_HANDLE_GROWTH = 32;
const size_t MAX_PRIVATE_GROWTH = 4u * 1024u * 1024u;
// Messages the plug-in posted are handled after this many calls.
const unsigned PUMP_EVERY = 64;

const wchar_t SETTINGS_CLASS[] = L"TelvarinPlugCheckSettings";

std::string Join(const std::vector<std::string>& _vecItems, size_t _cMax)
{
    std::string strOut;
    for (size_t i = 0; i < _vecItems.size() && i < _cMax; ++i)
        strOut += (strOut.empty() ? "" : "; ") + _vecItems[i];
    if (_vecItems.size() > _cMax)
        strOut += Format(" (and %zu more)", _vecItems.size() - _cMax);
    return strOut;
}

bool HasExport(HMODULE _hModule, const char* _pszName)
{
    return _hModule != nullptr && GetProcAddress(_hModule, _pszName) != nullptr;
}

HWND CreateSettingsWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = SETTINGS_CLASS;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassW(&wc);
    return CreateWindowExW(0, SETTINGS_CLASS, L"Settings", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 800, 600, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

} // namespace

CPluginChecks::CPluginChecks(const SCheckOptions& _options, CCheckReport& _report, CCallWatch& _watch)
    : m_Options(_options), m_Report(_report), m_Watch(_watch)
{
}

std::vector<std::string> CPluginChecks::Names()
{
    return {"load", "pluginid", "afterload", "bus.types", "bus.unknown", "bus.longest", "bus.malformed", "resources",
            "settings", "beforeclose", "sends.records", "sends.messages"};
}

template <typename TCall>
bool CPluginChecks::Call(const char* _pszCheck, const std::string& _strWhat, TCall&& _fnCall)
{
    std::string strFault;
    if (m_Watch.Run(_pszCheck, _fnCall, &strFault))
        return true;
    m_Report.Fail(_pszCheck, _strWhat + ": " + strFault + " escaped the call");
    return false;
}

void CPluginChecks::Run()
{
    if (!Load())
        return;
    CCheckerHost host(m_Plugin.GetHandle(), [this](void (*_pfnFunction)()) {
        Call("sends.messages", "the function of message 1156", _pfnFunction);
    });
    m_pHost = &host;
    CheckPluginId();
    CheckLifecycleCall("afterload", DLL_NAME_PLUGINAFTERLOAD, &CPluginModule::AfterLoad);
    CheckBusRecords("bus.types", TableTypeRecords());
    CheckBusRecords("bus.unknown", UnknownTypeRecords());
    CheckBusRecords("bus.longest", LongestRecords());
    CheckBusRecords("bus.malformed", MalformedRecords());
    CheckResources();
    CheckSettingsPage();
    CheckLifecycleCall("beforeclose", DLL_NAME_PLUGINBEFORECLOSE, &CPluginModule::BeforeClose);
    host.Pump();
    CheckSends();
    m_pHost = nullptr;
}

bool CPluginChecks::Load()
{
    bool bLoaded = false;
    if (!Call("load", "loading the module", [&] { bLoaded = m_Plugin.Load(m_Options.strPlugin.c_str()); }))
        return false;
    if (!bLoaded)
    {
        m_Report.Fail("load", Format("LoadLibrary failed with error %lu", GetLastError()));
        return false;
    }
    // The answers in the order the host asks them, each only when exported.
    const HMODULE hModule = m_Plugin.GetHandle();
    std::string strAnswers;
    std::vector<std::string> vecConcerns;
    const auto answer = [&](const char* _pszExport, int _iValue, const char* _pszConcern) {
        if (!HasExport(hModule, _pszExport))
            return;
        strAnswers += Format("%s%s %d", strAnswers.empty() ? "" : ", ", _pszExport + 4, _iValue);
        if (_pszConcern != nullptr)
            vecConcerns.push_back(_pszConcern);
    };
    answer(DLL_NAME_ISUNICODE, m_Plugin.IsUnicode(), m_Plugin.IsUnicode() ? nullptr : "IsUnicode says no UTF-16 build");
    answer(DLL_NAME_GETPLUGINID, m_Plugin.GetPluginID(), nullptr);
    answer(DLL_NAME_ISBETAVERSION, m_Plugin.IsBeta(), nullptr);
    answer(DLL_NAME_ISSUPPORTEDVERSION, m_Plugin.IsNotSupported() ? 0 : 1,
           m_Plugin.IsNotSupported() ? "IsSupportedVersion refuses this host version" : nullptr);
    if (!HasExport(hModule, DLL_NAME_ISUNICODE))
        vecConcerns.push_back("without DLL_IsUnicode the host's module report names it as not Unicode");
    const std::string strReason = "answers " + (strAnswers.empty() ? std::string("none") : strAnswers);
    if (vecConcerns.empty())
        m_Report.Pass("load", strReason);
    else
        m_Report.Add("load", ECheckResult::Warn, strReason + "; " + Join(vecConcerns, 3) + " (the host keeps it loaded)");
    return true;
}

void CPluginChecks::CheckPluginId()
{
    if (m_Options.vecWith.empty())
    {
        m_Report.Add("pluginid", ECheckResult::Skip, Format("ID %d; no other plug-ins given (--with)", m_Plugin.GetPluginID()));
        return;
    }
    std::vector<std::string> vecClashes;
    for (const std::wstring& strOther : m_Options.vecWith)
    {
        auto pOther = std::make_unique<CPluginModule>();
        bool bLoaded = false;
        if (!Call("pluginid", "loading a --with plug-in", [&] { bLoaded = pOther->Load(strOther.c_str()); }))
            return;
        if (!bLoaded)
            vecClashes.push_back(Format("%ls did not load", strOther.c_str()));
        else if (pOther->GetPluginID() == m_Plugin.GetPluginID())
            vecClashes.push_back(Format("%ls has the same ID", strOther.c_str()));
        pOther.release();   // like the host: a plug-in library stays loaded
    }
    if (vecClashes.empty())
        m_Report.Pass("pluginid", Format("ID %d differs from the %zu plug-ins given", m_Plugin.GetPluginID(), m_Options.vecWith.size()));
    else
        m_Report.Fail("pluginid", Format("ID %d: ", m_Plugin.GetPluginID()) + Join(vecClashes, 3));
}

void CPluginChecks::CheckLifecycleCall(const char* _pszCheck, const char* _pszExport, void (CPluginModule::*_pfnCall)() const)
{
    if (!HasExport(m_Plugin.GetHandle(), _pszExport))
    {
        m_Report.Add(_pszCheck, ECheckResult::Skip, Format("%s not exported", _pszExport));
        return;
    }
    const ULONGLONG ullStart = GetTickCount64();
    if (!Call(_pszCheck, _pszExport, [&] { (m_Plugin.*_pfnCall)(); }))
        return;
    m_Report.Pass(_pszCheck, Format("%s returned after %llu ms (bound %lu ms)", _pszExport,
                                    GetTickCount64() - ullStart, m_Watch.Bound()));
    m_pHost->Pump();
}

void CPluginChecks::CheckBusRecords(const char* _pszCheck, const std::vector<STestRecord>& _vecRecords)
{
    if (!m_Plugin.HasBusProcess())
    {
        m_Report.Add(_pszCheck, ECheckResult::Skip, "DLL_PluginBusProcess not exported");
        return;
    }
    std::vector<std::string> vecRefused;
    for (const STestRecord& record : _vecRecords)
    {
        const CGuardedText text(record.strText);
        int iResult = 1;
        if (!Call(_pszCheck, record.strWhat, [&] { iResult = m_Plugin.BusProcess(record.uType, text.Text()); }))
        {
            m_bBusFaulted = true;
            return;
        }
        if (iResult == 0)
            vecRefused.push_back(Format("%u", record.uType));
        m_pHost->Pump();
    }
    m_Report.Pass(_pszCheck, Format("%zu records, read-only and ending at an unreadable page, no fault", _vecRecords.size()) +
                                 (vecRefused.empty() ? "" : "; returned 0 (stops its list) for types " + Join(vecRefused, 8)));
}

void CPluginChecks::CheckResources()
{
    if (!m_Plugin.HasBusProcess() || m_bBusFaulted)
    {
        m_Report.Add("resources", ECheckResult::Skip,
                     m_bBusFaulted ? "not measured: DLL_PluginBusProcess faulted above" : "DLL_PluginBusProcess not exported");
        return;
    }
    const std::vector<STestRecord> vecRecords = TableTypeRecords();
    std::vector<std::unique_ptr<CGuardedText>> vecTexts;
    for (const STestRecord& record : vecRecords)
        vecTexts.push_back(std::make_unique<CGuardedText>(record.strText));
    SProcessUse before = {};
    const unsigned cTotal = RESOURCE_WARMUP + RESOURCE_CALLS;
    for (unsigned i = 0; i < cTotal; ++i)
    {
        if (i == RESOURCE_WARMUP)
        {
            m_pHost->Pump();
            before = MeasureProcessUse();
        }
        const size_t n = i % vecRecords.size();
        if (!Call("resources", vecRecords[n].strWhat, [&] { m_Plugin.BusProcess(vecRecords[n].uType, vecTexts[n]->Text()); }))
            return;
        if (i % PUMP_EVERY == 0)
            m_pHost->Pump();
    }
    m_pHost->Pump();
    const SProcessUse after = MeasureProcessUse();
    const long lHandles = static_cast<long>(after.ulHandles) - static_cast<long>(before.ulHandles);
    const long long llPrivate = static_cast<long long>(after.cbPrivate) - static_cast<long long>(before.cbPrivate);
    const std::string strReason = Format("after %u bus calls: %+ld handles (bound %lu), %+lld KB private memory (bound %zu KB)",
                                         RESOURCE_CALLS, lHandles, MAX_HANDLE_GROWTH, llPrivate / 1024,
                                         MAX_PRIVATE_GROWTH / 1024);
    if (lHandles > static_cast<long>(MAX_HANDLE_GROWTH) || llPrivate > static_cast<long long>(MAX_PRIVATE_GROWTH))
        m_Report.Fail("resources", strReason);
    else
        m_Report.Pass("resources", strReason);
}

void CPluginChecks::CheckSettingsPage()
{
    if (!HasExport(m_Plugin.GetHandle(), DLL_NAME_SHOWCONFIG))
    {
        m_Report.Add("settings", ECheckResult::Skip, "DLL_ShowConfig not exported");
        return;
    }
    const HWND hWndParent = CreateSettingsWindow();
    std::string strProblem;
    const bool bPassed = ShowAndClosePage(hWndParent, 1, &strProblem) && ShowAndClosePage(hWndParent, 2, &strProblem);
    DestroyWindow(hWndParent);
    m_pHost->Pump();
    if (bPassed)
        m_Report.Pass("settings", "DLL_ShowConfig returned a child of the given window, closed by WM_COMMAND 1 and 2");
    else if (!strProblem.empty())
        m_Report.Fail("settings", strProblem);
}

bool CPluginChecks::ShowAndClosePage(HWND _hWndParent, WPARAM _wCommand, std::string* _pstrProblem)
{
    const auto pfnShowConfig =
        reinterpret_cast<PFN_DLL_ShowConfig>(GetProcAddress(m_Plugin.GetHandle(), DLL_NAME_SHOWCONFIG));
    HWND hWndPage = nullptr;
    if (!Call("settings", "DLL_ShowConfig", [&] { hWndPage = pfnShowConfig(_hWndParent); }))
        return false;
    m_pHost->Pump();
    if (hWndPage == nullptr || !IsWindow(hWndPage))
    {
        *_pstrProblem = "DLL_ShowConfig returned no window";
        return false;
    }
    if ((GetWindowLongPtrW(hWndPage, GWL_STYLE) & WS_CHILD) == 0 || GetAncestor(hWndPage, GA_PARENT) != _hWndParent)
    {
        *_pstrProblem = "DLL_ShowConfig returned a window that is not a child of the given parent; the host does not keep it";
        DestroyWindow(hWndPage);
        return false;
    }
    if (!Call("settings", Format("WM_COMMAND %u to the page", static_cast<unsigned>(_wCommand)),
              [&] { SendMessageW(hWndPage, WM_COMMAND, _wCommand, 0); }))
        return false;
    m_pHost->Pump();
    if (IsWindow(hWndPage))
    {
        *_pstrProblem = Format("the page is still there after WM_COMMAND %u", static_cast<unsigned>(_wCommand));
        DestroyWindow(hWndPage);
        return false;
    }
    return true;
}

void CPluginChecks::CheckSends()
{
    const auto& vecRecords = m_pHost->RecordProblems();
    if (vecRecords.empty())
        m_Report.Pass("sends.records", Format("%zu records posted or sent, each a well-formed record in its own block",
                                              m_pHost->RecordCount()));
    else
        m_Report.Fail("sends.records", Format("%zu of %zu records: ", vecRecords.size(), m_pHost->RecordCount()) +
                                           Join(vecRecords, 2));
    const auto& vecMessages = m_pHost->MessageProblems();
    if (vecMessages.empty())
        m_Report.Pass("sends.messages", Format("%zu messages 1145/1152/1156/1157, each as the host takes it",
                                               m_pHost->MessageCount()));
    else
        m_Report.Fail("sends.messages", Join(vecMessages, 2));
}
