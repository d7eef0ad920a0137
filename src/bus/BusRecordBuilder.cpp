#include "bus/BusRecordBuilder.h"

#include "bus/BusRecord.h"

CBusRecordBuilder::CBusRecordBuilder(UINT _uType, size_t _cchCapacity)
    : m_uType(_uType), m_vecBuffer(_cchCapacity, L'\0')
{
    BusRecordBegin(m_vecBuffer.data(), m_vecBuffer.size());
    BusRecordAppend(m_vecBuffer.data(), m_vecBuffer.size(), BUS_FIELD_TYPE, _uType);
}

void CBusRecordBuilder::AddField(const wchar_t* _pszFormat, ...)
{
    va_list args;
    va_start(args, _pszFormat);
    BusRecordAppendV(m_vecBuffer.data(), m_vecBuffer.size(), _pszFormat, args);
    va_end(args);
}

const wchar_t* CBusRecordBuilder::Finish()
{
    BusRecordEnd(m_vecBuffer.data(), m_vecBuffer.size());
    return m_vecBuffer.data();
}

int CBusRecordBuilder::Deliver(HWND _hWnd, BOOL _bSynchronous)
{
    return PostBusRecord(_hWnd, _bSynchronous, m_uType, Finish());
}
