// The guard is a handler registered in a stack frame around the body, the same place a
// compiler's __try/__except would put it. The system asks frame handlers, innermost first,
// before the process's unhandled-exception filter, so a filter that a plug-in installs
// cannot hide a fault from the guard; a fault that code below the guard handles never
// reaches it. Frame handlers are registered differently per architecture: a record linked
// into the thread's handler chain on 32-bit, an unwind table entry with a handler for a small
// call thunk on 64-bit. After the filter, the handler unwinds the frames below the guard as
// __except does (RtlUnwind and a jump back into the guard's frame on 32-bit, RtlUnwindEx to
// a landing in the thunk on 64-bit). Both use only documented system and C library
// interfaces and intrinsics that MSVC and mingw-w64 share, so no compiler-specific exception
// syntax is needed.
#include "diag/ExceptionGuard.h"

#include <intrin.h>
#include <csetjmp>
#include <cstring>

namespace {

const DWORD GUARD_EXCEPTION_CODE = 1;

// The state of one guard, in the stack frame of TryGuarded.
struct SGuardFrame
{
    void (*pfnEntry)(SGuardFrame*);   // first: the 64-bit thunk calls through it
    int (*pfnBody)(void*);
    LONG (*pfnFilter)(EXCEPTION_POINTERS*, void*);
    void* pContext;
    int iResult;
    volatile bool bTaken;   // an exception reached this guard
#if defined(_M_IX86) || defined(__i386__)
    jmp_buf resume;   // the guard's frame, for the jump back after the unwind
#endif
};

void RunBody(SGuardFrame* _pFrame)
{
    _pFrame->iResult = _pFrame->pfnBody(_pFrame->pContext);
}

// Unwinds every frame below the guard and resumes in the guard's own frame; never returns.
void UnwindToGuard(SGuardFrame* _pFrame, PVOID _pEstablisherFrame, EXCEPTION_RECORD* _pRecord);

// Search phase only: the first exception that reaches the guard is passed to the filter,
// then the stack unwinds to the guard. A later exception (a fault while the dump is written)
// takes the system's way.
EXCEPTION_DISPOSITION HandleAtGuard(SGuardFrame* _pFrame, PVOID _pEstablisherFrame, EXCEPTION_RECORD* _pRecord,
                                    CONTEXT* _pContext)
{
    if (_pRecord == nullptr || (_pRecord->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0)
        return ExceptionContinueSearch;
    if (_pFrame->bTaken)
        return ExceptionContinueSearch;
    _pFrame->bTaken = true;
    if (_pFrame->pfnFilter != nullptr)
    {
        EXCEPTION_POINTERS pointers = {_pRecord, _pContext};
        _pFrame->pfnFilter(&pointers, _pFrame->pContext);
    }
    UnwindToGuard(_pFrame, _pEstablisherFrame, _pRecord);
    return ExceptionContinueSearch;
}

#if defined(_M_IX86) || defined(__i386__)

// The thread's handler chain starts at FS:[0]; a record must lie on the thread's stack.
struct GuardRegistration
{
    GuardRegistration* pNext;
    PEXCEPTION_ROUTINE pfnHandler;
    SGuardFrame* pFrame;
    LONG lTryLevel;   // where the C library's setjmp reads a compiler frame's try level: -1, none
};

const LONG NO_TRY_LEVEL = -1;

EXCEPTION_DISPOSITION NTAPI GuardFrameHandler(EXCEPTION_RECORD* _pRecord, PVOID _pEstablisherFrame, CONTEXT* _pContext,
                                              PVOID /*_pDispatcherContext*/)
{
    return HandleAtGuard(static_cast<GuardRegistration*>(_pEstablisherFrame)->pFrame, _pEstablisherFrame, _pRecord,
                         _pContext);
}

void UnwindToGuard(SGuardFrame* _pFrame, PVOID _pEstablisherFrame, EXCEPTION_RECORD* /*_pRecord*/)
{
    // Calls the unwind handlers of the records below the guard's and unlinks them, so the
    // guard's record is first in the chain when the jump lands.
    RtlUnwind(_pEstablisherFrame, nullptr, nullptr, nullptr);
    longjmp(_pFrame->resume, 1);
}

void CallInGuardFrame(SGuardFrame* _pFrame)
{
    volatile GuardRegistration registration = {reinterpret_cast<GuardRegistration*>(__readfsdword(0)),
                                               GuardFrameHandler, _pFrame, NO_TRY_LEVEL};
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(&registration)));
    if (setjmp(_pFrame->resume) == 0)
        _pFrame->pfnEntry(_pFrame);
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(registration.pNext)));
}

#elif defined(_M_X64) || defined(__x86_64__)

// A thunk that calls the guard's entry, with an unwind table entry naming the guard's
// handler. It keeps the guard's state pointer in its frame, where the handler finds it from
// the establisher frame, and has a landing for the unwind. The handler's address in an
// unwind entry is relative to the table's base, so a jump beside the thunk leads to it.
const BYTE THUNK_CODE[] = {
    0x48, 0x83, 0xEC, 0x28,         // sub rsp, 28h   (shadow space, 16-byte alignment)
    0x48, 0x89, 0x4C, 0x24, 0x20,   // mov [rsp+20h], rcx   (the guard's state)
    0xFF, 0x11,                     // call [rcx]     (its entry, with the state as argument)
    0x90,                           // nop: the return address must not look like the epilog,
                                    //      or the system skips the frame's handler
    0x48, 0x83, 0xC4, 0x28,         // landing: add rsp, 28h
    0xC3,                           // ret
};
const BYTE PROLOG_SIZE = 4;
const BYTE UWOP_ALLOC_SMALL_28H = 0x42;   // operation 2 (small allocation), (28h - 8) / 8 = 4
const SIZE_T STATE_SLOT_OFFSET = 0x20;    // in the frame, from the establisher frame (rsp after the prolog)
const DWORD LANDING_OFFSET = 12;
const DWORD JUMP_OFFSET = 24;
const DWORD UNWIND_OFFSET = 40;
const DWORD FUNCTION_OFFSET = 64;
const SIZE_T CODE_BYTES = 4096;

struct UnwindInfo
{
    BYTE bVersionAndFlags;
    BYTE bPrologSize;
    BYTE bCodeCount;
    BYTE bFrameRegister;
    BYTE abCode[4];    // one code, padded to an even count
    DWORD dwHandler;   // relative to the base
};

EXCEPTION_DISPOSITION NTAPI GuardFrameHandler(EXCEPTION_RECORD* _pRecord, PVOID _pEstablisherFrame, CONTEXT* _pContext,
                                              PVOID /*_pDispatcherContext*/)
{
    SGuardFrame* pFrame = *reinterpret_cast<SGuardFrame**>(static_cast<BYTE*>(_pEstablisherFrame) + STATE_SLOT_OFFSET);
    return HandleAtGuard(pFrame, _pEstablisherFrame, _pRecord, _pContext);
}

// One thunk for the process, made on first use and shared by every guard of every thread.
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
                                   {PROLOG_SIZE, UWOP_ALLOC_SMALL_28H, 0, 0},       JUMP_OFFSET};
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

    // Without the thunk (no memory) the entry still runs, unguarded.
    void Call(SGuardFrame* _pFrame) const
    {
        if (!m_bReady)
        {
            _pFrame->pfnEntry(_pFrame);
            return;
        }
        using ThunkFn = void (*)(SGuardFrame*);
        reinterpret_cast<ThunkFn>(reinterpret_cast<UINT_PTR>(m_pbCode))(_pFrame);
    }
    void* Landing() const { return m_pbCode + LANDING_OFFSET; }

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

const CGuardThunk& GuardThunk()
{
    static const CGuardThunk s_thunk;
    return s_thunk;
}

void UnwindToGuard(SGuardFrame* /*_pFrame*/, PVOID _pEstablisherFrame, EXCEPTION_RECORD* _pRecord)
{
    // Restores the thunk's frame (non-volatile registers as the unwind finds them) and
    // continues at its landing, which returns from the thunk.
    CONTEXT scratch;
    RtlUnwindEx(_pEstablisherFrame, GuardThunk().Landing(), _pRecord, nullptr, &scratch, nullptr);
}

void CallInGuardFrame(SGuardFrame* _pFrame)
{
    GuardThunk().Call(_pFrame);
}

#else
#error "The exception guard supports i686 and x86_64."
#endif

}   // namespace

bool TryGuarded(int (*_pfnBody)(void*), LONG (*_pfnFilter)(EXCEPTION_POINTERS*, void*), void* _pContext, int* _piResult)
{
    SGuardFrame frame = {};
    frame.pfnEntry = RunBody;
    frame.pfnBody = _pfnBody;
    frame.pfnFilter = _pfnFilter;
    frame.pContext = _pContext;
    CallInGuardFrame(&frame);
    if (frame.bTaken)
        return false;
    if (_piResult != nullptr)
        *_piResult = frame.iResult;
    return true;
}

namespace {

int RaiseGuardException(void*)
{
    RaiseException(GUARD_EXCEPTION_CODE, 0, 0, nullptr);
    return 0;
}

// The filter of the exit's own guard: the process's unhandled-exception filter gets the
// exception, as at the top of the stack, and the process ends with its code.
LONG EndThroughProcessFilter(EXCEPTION_POINTERS* _pExceptionPointers, void*)
{
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnFilter = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(pfnFilter);
    if (pfnFilter != nullptr)
        pfnFilter(_pExceptionPointers);
    TerminateProcess(GetCurrentProcess(), GUARD_EXCEPTION_CODE);
    return EXCEPTION_EXECUTE_HANDLER;
}

}   // namespace

void RaiseGuardExit()
{
    TryGuarded(RaiseGuardException, EndThroughProcessFilter, nullptr, nullptr);
    TerminateProcess(GetCurrentProcess(), GUARD_EXCEPTION_CODE);
}
