// One owner type for every kind of handle the host opens: the handle is closed when its
// owner goes, owners move but never copy.
#pragma once
#include <windows.h>

template <typename Traits>
class CHandle
{
public:
    using Type = typename Traits::Type;

    CHandle() = default;
    explicit CHandle(Type _hHandle) : m_hHandle(_hHandle) {}
    ~CHandle() { Reset(); }
    CHandle(CHandle&& _other) noexcept : m_hHandle(_other.Release()) {}
    CHandle& operator=(CHandle&& _other) noexcept
    {
        if (this != &_other)
            Reset(_other.Release());
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    Type Get() const { return m_hHandle; }
    explicit operator bool() const { return m_hHandle != Traits::Invalid(); }

    // Closes the owned handle and takes the new one.
    void Reset(Type _hHandle = Traits::Invalid())
    {
        if (m_hHandle != Traits::Invalid())
            Traits::Close(m_hHandle);
        m_hHandle = _hHandle;
    }
    // Gives the handle up without closing it.
    Type Release()
    {
        const Type hHandle = m_hHandle;
        m_hHandle = Traits::Invalid();
        return hHandle;
    }
    // For APIs that return a handle through a pointer: the old one is closed first.
    Type* Receive()
    {
        Reset();
        return &m_hHandle;
    }

private:
    Type m_hHandle = Traits::Invalid();
};

// Kernel objects whose failure value is NULL (threads, events, mappings, processes, tokens).
struct KernelHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { CloseHandle(_h); }
};
// Files, whose failure value is INVALID_HANDLE_VALUE.
struct FileHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type _h) { CloseHandle(_h); }
};
struct FindHandleTraits
{
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type _h) { FindClose(_h); }
};
struct RegKeyTraits
{
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { RegCloseKey(_h); }
};
struct ServiceHandleTraits
{
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { CloseServiceHandle(_h); }
};
struct ModuleTraits
{
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { FreeLibrary(_h); }
};
struct GdiObjectTraits
{
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { DeleteObject(_h); }
};
struct IconTraits
{
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { DestroyIcon(_h); }
};
struct MenuTraits
{
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { DestroyMenu(_h); }
};
// A view of a file mapping, unmapped when its owner goes.
struct MappedViewTraits
{
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static void Close(Type _p) { UnmapViewOfFile(_p); }
};
struct HookTraits
{
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { UnhookWindowsHookEx(_h); }
};

using CKernelHandle = CHandle<KernelHandleTraits>;
using CFileHandle = CHandle<FileHandleTraits>;
using CFindHandle = CHandle<FindHandleTraits>;
using CRegKey = CHandle<RegKeyTraits>;
using CScHandle = CHandle<ServiceHandleTraits>;
using CModuleHandle = CHandle<ModuleTraits>;
using CGdiObject = CHandle<GdiObjectTraits>;
using CHookHandle = CHandle<HookTraits>;
using CIconHandle = CHandle<IconTraits>;
using CMenuHandle = CHandle<MenuTraits>;
using CMappedView = CHandle<MappedViewTraits>;

// Opens a registry key; the owner is empty when the key cannot be opened.
inline CRegKey OpenRegKey(HKEY _hRoot, const wchar_t* _pszSubKey, REGSAM _samAccess)
{
    CRegKey key;
    if (RegOpenKeyExW(_hRoot, _pszSubKey, 0, _samAccess, key.Receive()) != ERROR_SUCCESS)
        key.Release();
    return key;
}
