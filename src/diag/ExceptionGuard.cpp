// The guard is a handler registered in a stack frame around the body, the same place a
// compiler's __try/__except would put it. The system asks frame handlers, innermost first,
// before the process's unhandled-exception filter, so a filter that a plug-in installs
// cannot hide a fault from the guard; a fault that code below the guard handles never
// reaches it. Frame handlers are registered differently per architecture: a record linked
// into the thread's handler chain on 32-bit, an unwind table entry with a handler for a small
// call thunk on 64-bit. Both use only documented system interfaces and intrinsics that MSVC
// and mingw-w64 share, so no compiler-specific exception syntax is needed.
#include "diag/ExceptionGuard.h"

#include <intrin.h>
#include <cstring>

namespace {

const DWORD GUARD_EXCEPTION_CODE = 1;

// Set by the guarded thread before the body; taken (once) by the handler.
LONG (*volatile s_pfnFilter)(EXCEPTION_POINTERS*) = nullptr;

// Search phase only: the first exception that reaches the guard is passed to the filter,
// then the guard's own exception continues to the system. Later exceptions, among them
// the guard's own and any fault while the dump is written, take the system's way.
EXCEPTION_DISPOSITION HandleAtGuard(EXCEPTION_RECORD* _pRecord, CONTEXT* _pContext)
{
    if (_pRecord == nullptr || (_pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0)
        return ExceptionContinueSearch;
    const auto pfnFilter = s_pfnFilter;
    s_pfnFilter = nullptr;
    if (pfnFilter == nullptr)
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {_pRecord, _pContext};
    pfnFilter(&pointers);
    RaiseException(GUARD_EXCEPTION_CODE, 0, 0, nullptr);
    return ExceptionContinueSearch;
}

EXCEPTION_DISPOSITION NTAPI GuardFrameHandler(EXCEPTION_RECORD* _pRecord, PVOID /*_pEstablisherFrame*/,
                                              CONTEXT* _pContext, PVOID /*_pDispatcherContext*/)
{
    return HandleAtGuard(_pRecord, _pContext);
}

#if defined(_M_IX86) || defined(__i386__)

// The thread's handler chain starts at FS:[0]; a record must lie on the thread's stack.
struct GuardRegistration
{
    GuardRegistration* pNext;
    PEXCEPTION_ROUTINE pfnHandler;
};

int CallInGuardFrame(int (*_pfnBody)())
{
    volatile GuardRegistration registration = {reinterpret_cast<GuardRegistration*>(__readfsdword(0)),
                                               GuardFrameHandler};
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(&registration)));
    const int iResult = _pfnBody();
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(registration.pNext)));
    return iResult;
}

#elif defined(_M_X64) || defined(__x86_64__)

// A thunk that calls the body, with an unwind table entry naming the guard's handler. The
// handler's address in an unwind entry is relative to the table's base, so a jump beside
// the thunk leads to it.
const BYTE THUNK_CODE[] = {
    0x48, 0x83, 0xEC, 0x28,   // sub rsp, 28h   (shadow space, 16-byte alignment)
    0xFF, 0xD1,               // call rcx       (the body)
    0x90,                     // nop: the return address must not look like the epilog,
                              //      or the system skips the frame's handler
    0x48, 0x83, 0xC4, 0x28,   // add rsp, 28h
    0xC3,                     // ret
};
const BYTE PROLOG_SIZE = 4;
const BYTE UWOP_ALLOC_SMALL_28H = 0x42;   // operation 2 (small allocation), (28h - 8) / 8 = 4
const DWORD JUMP_OFFSET = 16;
const DWORD UNWIND_OFFSET = 32;
const DWORD FUNCTION_OFFSET = 48;
const SIZE_T CODE_BYTES = 4096;

struct UnwindInfo
{
    BYTE bVersionAndFlags;
    BYTE bPrologSize;
    BYTE bCodeCount;
    BYTE bFrameRegister;
    BYTE abCode[4];            // one code, padded to an even count
    DWORD dwHandler;           // relative to the base
};

class CGuardThunk
{
public:
    CGuardThunk()
    {
        m_pbCode = static_cast<BYTE*>(VirtualAlloc(nullptr, CODE_BYTES, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (m_pbCode == nullptr)
            return;
        memcpy(m_pbCode, THUNK_CODE, sizeof(THUNK_CODE));
        WriteJump(m_pbCode + JUMP_OFFSET, reinterpret_cast<UINT_PTR>(GuardFrameHandler));
        const UnwindInfo unwind = {static_cast<BYTE>(1 | (UNW_FLAG_EHANDLER << 3)), PROLOG_SIZE, 1, 0,
                                   {PROLOG_SIZE, UWOP_ALLOC_SMALL_28H, 0, 0}, JUMP_OFFSET};
        memcpy(m_pbCode + UNWIND_OFFSET, &unwind, sizeof(unwind));
        m_pFunction = reinterpret_cast<RUNTIME_FUNCTION*>(m_pbCode + FUNCTION_OFFSET);
        m_pFunction->BeginAddress = 0;
        m_pFunction->EndAddress = sizeof(THUNK_CODE);
        m_pFunction->UnwindData = UNWIND_OFFSET;
        DWORD dwOld = 0;
        m_bReady = VirtualProtect(m_pbCode, CODE_BYTES, PAGE_EXECUTE_READ, &dwOld) &&
                   FlushInstructionCache(GetCurrentProcess(), m_pbCode, CODE_BYTES) &&
                   RtlAddFunctionTable(m_pFunction, 1, reinterpret_cast<DWORD64>(m_pbCode));
    }
    ~CGuardThunk()
    {
        if (m_bReady)
            RtlDeleteFunctionTable(m_pFunction);
        if (m_pbCode != nullptr)
            VirtualFree(m_pbCode, 0, MEM_RELEASE);
    }
    CGuardThunk(const CGuardThunk&) = delete;
    CGuardThunk& operator=(const CGuardThunk&) = delete;

    // Without the thunk (no memory) the body still runs, unguarded.
    int Call(int (*_pfnBody)()) const
    {
        if (!m_bReady)
            return _pfnBody();
        using ThunkFn = int (*)(int (*)());
        return reinterpret_cast<ThunkFn>(reinterpret_cast<UINT_PTR>(m_pbCode))(_pfnBody);
    }

private:
    // mov rax, imm64; jmp rax
    static void WriteJump(BYTE* _pbAt, UINT_PTR _uTarget)
    {
        _pbAt[0] = 0x48;
        _pbAt[1] = 0xB8;
        memcpy(_pbAt + 2, &_uTarget, sizeof(_uTarget));
        _pbAt[10] = 0xFF;
        _pbAt[11] = 0xE0;
    }

    BYTE* m_pbCode = nullptr;
    RUNTIME_FUNCTION* m_pFunction = nullptr;
    bool m_bReady = false;
};

int CallInGuardFrame(int (*_pfnBody)())
{
    const CGuardThunk thunk;
    return thunk.Call(_pfnBody);
}

#else
#error "The exception guard supports i686 and x86_64."
#endif

} // namespace

int RunGuarded(int (*_pfnBody)(), LONG (*_pfnFilter)(EXCEPTION_POINTERS*))
{
    s_pfnFilter = _pfnFilter;
    const int iResult = CallInGuardFrame(_pfnBody);
    s_pfnFilter = nullptr;
    return iResult;
}
