// A folder of one test, removed with its content on destruction: a new one under the
// temporary folder, or one at a fixed place (emptied first when left over from a run).
#pragma once
#include <string>

namespace tvr {

class CTempFolder
{
public:
    CTempFolder();
    explicit CTempFolder(const std::wstring& _strPath);
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::wstring& Path() const { return m_strPath; }   // no trailing backslash
    // The folder's own name, the last part of its path.
    std::wstring Name() const { return m_strPath.substr(m_strPath.find_last_of(L'\\') + 1); }
    std::wstring Child(const std::wstring& _strName) const { return m_strPath + L"\\" + _strName; }

private:
    void LeaveAsCurrentDirectory() const;
    std::wstring m_strPath;
};

} // namespace tvr
