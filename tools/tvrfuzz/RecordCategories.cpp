#include "RecordCategories.h"

#include <cwchar>

#include "PointerClasses.h"
#include "RecordText.h"
#include "TelvarinPlugin.h"

namespace {

const UINT TRAY_DOUBLE_CLICK = WM_LBUTTONDBLCLK;   // the tray callback's mouse message

std::wstring Decimal(LPARAM _lValue)
{
    return std::to_wstring(static_cast<long long>(_lValue));
}

std::wstring HexPointer(LPARAM _lValue)
{
    wchar_t szText[32];
    std::swprintf(szText, ARRAYSIZE(szText), L"%llX", static_cast<unsigned long long>(_lValue));
    return szText;
}

std::wstring HugeValueRecord(CFuzzRandom& _Random)
{
    static const size_t s_acch[] = {16382, 16383, 16384, 65534, 65535, 65536, 100000};
    const size_t cch = _Random.Chance(3) ? 1000000 : s_acch[_Random.Below(ARRAYSIZE(s_acch))];
    static const wchar_t* const s_apszKeys[] = {L"Text", L"LastErr", L"CMD", L"Arg", L"Instance", L"MemBlock"};
    return MakeRecordText(RandomBusType(_Random), {{s_apszKeys[_Random.Below(ARRAYSIZE(s_apszKeys))], std::wstring(cch, L'7')}});
}

// "MemBlock" naming a live block of the host (or near one) on a type the host forwards and frees.
std::wstring MemBlockRecord(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    const EPointerClass eClass = _Random.Chance(70) ? EPointerClass::HostHeap : RandomPointerClass(_Random);
    return MakeRecordText(_Random.Chance(50) ? QEL_BUSMSG_CALLEVENT : RandomBusType(_Random),
                          {{L"MemBlock", Decimal(PickPointer(eClass, _Session.Map(), _Random))}});
}

std::wstring WindowRecord(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    LPARAM lWindow = static_cast<LPARAM>(_Random.Next());
    switch (_Random.Below(5))
    {
    case 0: lWindow = reinterpret_cast<LPARAM>(_Session.Host().Window()); break;
    case 1: lWindow = reinterpret_cast<LPARAM>(GetDesktopWindow()); break;
    case 2: lWindow = PickPointer(RandomPointerClass(_Random), _Session.Map(), _Random); break;
    case 3: lWindow = -1; break;
    default: break;
    }
    return MakeRecordText(QEL_BUSMSG_SETICON, {{L"Window", Decimal(lWindow)}});
}

// An error status naming an instance, then a double click on the tray icon, which opens the
// settings window at that instance; the settings window is closed again.
void InstanceRecords(CFuzzSession& _Session, CFuzzRandom& _Random)
{
    const LPARAM lInstance = PickPointer(RandomPointerClass(_Random), _Session.Map(), _Random);
    _Session.SendText(MakeRecordText(QEL_BUSMSG_STATUS, {{L"State", std::to_wstring(_Random.Below(6))},
                                                         {L"Text", L"fuzz"},
                                                         {L"Instance", HexPointer(lInstance)}}),
                      1, L"Instance record");
    if (!_Random.Chance(20))
        return;
    _Session.Send(WM_QEL_TRAYNOTIFY, 0, TRAY_DOUBLE_CLICK, L"tray double click after Instance");
    _Session.SendText(MakeRecordText(QEL_BUSMSG_CLOSECONFIG, {}), 1, L"close settings");
}

std::wstring Truncated(const std::wstring& _strRecord, CFuzzRandom& _Random)
{
    return _strRecord.substr(0, static_cast<size_t>(1 + _Random.Below(_strRecord.size())));
}

std::wstring WithoutOneEnd(std::wstring _strRecord, CFuzzRandom& _Random)
{
    size_t uAt = _strRecord.find(L"</value>", static_cast<size_t>(_Random.Below(_strRecord.size())));
    if (uAt == std::wstring::npos)
        uAt = _strRecord.rfind(L"</value>");
    if (uAt != std::wstring::npos)
        _strRecord.erase(uAt, 8);
    return _strRecord;
}

std::wstring WithNuls(std::wstring _strRecord, CFuzzRandom& _Random)
{
    for (uint64_t n = 1 + _Random.Below(4); n > 0; --n)
        _strRecord[static_cast<size_t>(1 + _Random.Below(_strRecord.size() - 1))] = L'\0';
    return _strRecord;
}

std::wstring OddTypeRecord(CFuzzRandom& _Random)
{
    static const wchar_t* const s_apszTypes[] = {L"",      L"-1",         L"abc", L"4294967295", L"99999999999999999999",
                                                 L" 44",   L"+44",        L"0x2C", L"44abc",     L"-2147483648",
                                                 L"\x0660"};
    return MakeRecordText(s_apszTypes[_Random.Below(ARRAYSIZE(s_apszTypes))], RandomFields(_Random));
}

} // namespace

void RunMalformedRecords(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        const WPARAM wSend = static_cast<WPARAM>(_Random.Below(2));
        const std::wstring strBase = MakeRecordText(RandomBusType(_Random), RandomFields(_Random));
        switch (_Random.Below(10))
        {
        case 0: _Session.SendText(Truncated(strBase, _Random), wSend, L"truncated record"); break;
        case 1: _Session.SendText(WithoutOneEnd(strBase, _Random), wSend, L"missing </value>"); break;
        case 2: _Session.SendText(HugeValueRecord(_Random), wSend, L"huge value"); break;
        case 3: _Session.SendText(WithNuls(strBase, _Random), wSend, L"embedded NULs"); break;
        case 4: _Session.SendText(MemBlockRecord(_Session, _Random), wSend, L"MemBlock"); break;
        case 5: _Session.SendText(WindowRecord(_Session, _Random), wSend, L"Window value"); break;
        case 6: InstanceRecords(_Session, _Random); break;
        case 7: _Session.SendText(OddTypeRecord(_Random), wSend, L"odd Type value"); break;
        case 8: _Session.SendText(L"<" + _Random.Text(static_cast<size_t>(_Random.Below(500))), wSend, L"random text"); break;
        default: _Session.SendText(strBase, wSend, L"random fields"); break;
        }
    }
}

void RunBusTypes(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount)
{
    for (unsigned i = 0; i < _uCount && _Session.CanGoOn(); ++i)
    {
        // First every type 0 .. 100 without and with fields, then random ones.
        unsigned long long ullType = i < 202 ? i / 2 : RandomBusType(_Random);
        if (ullType == QEL_BUSMSG_EXIT)
            continue;
        const bool bFields = i < 202 ? (i % 2) == 1 : _Random.Chance(70);
        _Session.SendText(MakeRecordText(ullType, bFields ? RandomFields(_Random) : RecordFields()),
                          static_cast<WPARAM>(_Random.Below(2)), bFields ? L"bus type with fields" : L"bus type alone");
    }
}
