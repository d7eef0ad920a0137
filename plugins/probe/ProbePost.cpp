#include "ProbePost.h"

#include "TelvarinPlugin.h"

LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous)
{
    CBusRecordWriter record;
    for (const auto& field : _fields)
        record.AddText(field.first.c_str(), field.second.c_str());
    if (_bSynchronous)
        return record.Send(_hWnd, _uType);
    return record.Post(_hWnd, _uType) ? 1 : 0;
}
