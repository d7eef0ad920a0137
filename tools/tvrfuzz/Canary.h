// The canary: a helper library that the canary plug-in loads into the host. Its function
// writes a marker file beside it; when that file appears, the host ran code at an address
// it was handed from outside.
#pragma once
#include <windows.h>
#include <string>

#include "HostAddressMap.h"

class CCanary
{
public:
    // Looks for the helper among the host's modules; false when the host has none.
    bool Arm(const CHostAddressMap& _Map);
    bool IsArmed() const { return m_uFunction != 0; }
    UINT_PTR Function() const { return m_uFunction; }
    // True once when the marker file exists; the file is removed again.
    bool TakeMarker();
    void RemoveMarker() const;

private:
    UINT_PTR m_uFunction = 0;
    std::wstring m_strMarker;
};
