// A cabinet file (.cab) written with the system's own Cabinet API (cabinet.dll, FCI), which
// Windows Explorer opens and "expand" unpacks. Paths are handed through FCI as UTF-8 and
// opened as UTF-16 by the callbacks, so any path works.
#pragma once
#include <windows.h>
#include <fci.h>

#include <string>

class CCabinetWriter
{
public:
    CCabinetWriter() = default;
    ~CCabinetWriter();
    CCabinetWriter(const CCabinetWriter&) = delete;
    CCabinetWriter& operator=(const CCabinetWriter&) = delete;

    // Starts the cabinet at the full path; false when FCI refused it.
    bool Create(const std::wstring& _strPath);
    // Adds a file under the name in the cabinet (folders with backslashes), compressed.
    bool Add(const std::wstring& _strSource, const std::wstring& _strName);
    // Writes the cabinet out; false when that failed.
    bool Finish();
    // The system's error text of the last failure.
    std::wstring LastError() const;

    // What the callbacks learn about the file being added.
    struct SAdding
    {
        bool bNameIsUtf8 = false;
    };

private:
    HFCI m_hFci = nullptr;
    SAdding m_Adding;
    ERF m_Error = {};
    CCAB m_Cab = {};
};
