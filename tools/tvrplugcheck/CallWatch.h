// Calls into the plug-in: each runs inside the host's exception guard on the checking
// thread, and the main thread watches that it returns within the bound. A fault becomes a
// text naming the exception and where it happened; a call that overruns its bound ends the
// checker with the report so far.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <type_traits>

class CCallWatch
{
public:
    explicit CCallWatch(DWORD _dwBoundMs);
    ~CCallWatch();
    CCallWatch(const CCallWatch&) = delete;
    CCallWatch& operator=(const CCallWatch&) = delete;

    // On the checking thread: runs _fnCall as part of the named check. False, with the fault
    // described in *_pstrFault, when an exception left the call.
    template <typename TCall>
    bool Run(const char* _pszCheck, TCall&& _fnCall, std::string* _pstrFault)
    {
        using TFunction = std::remove_reference_t<TCall>;
        SCall<TFunction> call(&_fnCall, 0, nullptr);
        Begin(_pszCheck);
        const bool bReturned = Guard(&SCall<TFunction>::Body, &call);
        End();
        if (!bReturned)
            *_pstrFault = DescribeFault(call.fault);
        return bReturned;
    }

    // On the main thread: waits for the checking thread's end. False when a call did not
    // return within the bound; *_pstrCheck names its check.
    bool Watch(HANDLE _hThread, std::string* _pstrCheck);
    DWORD Bound() const { return m_dwBoundMs; }

private:
    struct SFault
    {
        DWORD dwCode;
        void* pAddress;
    };
    template <typename TCall>
    struct SCall
    {
        SFault fault;   // first: the filter sees the context as its SFault
        TCall* pfnCall;
        static int Body(void* _pContext)
        {
            (*static_cast<SCall*>(_pContext)->pfnCall)();
            return 0;
        }
        SCall(TCall* _pfnCall, DWORD _dwCode, void* _pAddress) : fault{_dwCode, _pAddress}, pfnCall(_pfnCall) {}
    };

    void Begin(const char* _pszCheck);
    void End();
    // The context starts with its SFault, which the filter fills at the fault.
    static bool Guard(int (*_pfnBody)(void*), void* _pContext);
    static LONG NoteFault(EXCEPTION_POINTERS* _pPointers, void* _pContext);
    static std::string DescribeFault(const SFault& _fault);

    DWORD m_dwBoundMs;
    HANDLE m_hChanged;
    std::atomic<LONG> m_lSequence{0};   // odd while a call runs
    std::atomic<const char*> m_pszCheck{""};
};
