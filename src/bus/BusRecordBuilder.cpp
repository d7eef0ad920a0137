#include "bus/BusRecordBuilder.h"

#include <cwchar>

#include "bus/BusRecord.h"

CBusRecordBuilder::CBusRecordBuilder(UINT _uType, size_t _cchCapacity)
    : m_uType(_uType), m_cchCapacity(_cchCapacity > 0 ? _cchCapacity : 1), m_pszBuffer(new wchar_t[m_cchCapacity])
{
    m_pszBuffer[0] = L'\0';
    BusBlocks().HoldBuffer(reinterpret_cast<LPARAM>(m_pszBuffer.get()));
    Append(L"%s", BUS_RECORD_HEADER);
    Append(BUS_FIELD_TYPE, _uType);
}

CBusRecordBuilder::~CBusRecordBuilder()
{
    BusBlocks().Forget(reinterpret_cast<LPARAM>(m_pszBuffer.get()));
}

void CBusRecordBuilder::AppendV(const wchar_t* _pszFormat, va_list _args)
{
    const size_t cchLeft = m_cchCapacity - m_cchText;
    if (cchLeft <= 1)
        return;
    wchar_t* pszEnd = m_pszBuffer.get() + m_cchText;
    StringCchVPrintfW(pszEnd, cchLeft, _pszFormat, _args);   // cut, and terminated, at the capacity
    m_cchText += wcsnlen(pszEnd, cchLeft);
}

void CBusRecordBuilder::Append(const wchar_t* _pszFormat, ...)
{
    va_list args;
    va_start(args, _pszFormat);
    AppendV(_pszFormat, args);
    va_end(args);
}

void CBusRecordBuilder::AddField(const wchar_t* _pszFormat, ...)
{
    if (_pszFormat == nullptr)
        return;
    va_list args;
    va_start(args, _pszFormat);
    AppendV(_pszFormat, args);
    va_end(args);
}

const wchar_t* CBusRecordBuilder::Finish()
{
    Append(L"%s", BUS_RECORD_FOOTER);
    return m_pszBuffer.get();
}

int CBusRecordBuilder::Deliver(HWND _hWnd, BOOL _bSynchronous)
{
    Finish();
    return PostOwnBusRecord(_hWnd, _bSynchronous, m_uType, m_pszBuffer.get(), m_cchText);
}
