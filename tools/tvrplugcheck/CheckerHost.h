// The checker's stand-in for the host's main window: a hidden top-level window of this
// process with the host's user data, so that the plug-in finds it as it finds the host's.
// It receives what the plug-in posts or sends and checks it as the host's window would
// take it: record blocks and their text, trace lines, scheme records, function addresses,
// and whether the messages that carry a pointer were sent rather than posted.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CCheckerHost
{
public:
    using FnCallFunction = std::function<void(void (*)())>;

    // _fnCall runs a function a 1156 names (inside the plug-in's code) as the host would.
    CCheckerHost(HMODULE _hPlugin, FnCallFunction _fnCall);
    ~CCheckerHost();
    CCheckerHost(const CCheckerHost&) = delete;
    CCheckerHost& operator=(const CCheckerHost&) = delete;

    HWND Window() const { return m_hWnd; }
    // Handles every message waiting for this thread; a posted 1145 or 1157 is noted and dropped.
    void Pump();

    size_t RecordCount() const { return m_cRecords; }
    size_t MessageCount() const { return m_cMessages; }
    const std::vector<std::string>& RecordProblems() const { return m_vecRecordProblems; }
    const std::vector<std::string>& MessageProblems() const { return m_vecMessageProblems; }

private:
    static LRESULT CALLBACK WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    void OnBusBlock(UINT _uType, LPARAM _lBlock);
    void OnTraceLine(WPARAM _wLevel, LPARAM _lText);
    void OnScheme(LPARAM _lRecord);
    void OnCallFunction(LPARAM _lFunction);
    void NoteRecord(const std::string& _strProblem);
    void NoteMessage(const std::string& _strProblem);

    HMODULE m_hPlugin;
    FnCallFunction m_fnCall;
    HWND m_hWnd = nullptr;
    size_t m_cRecords = 0;
    size_t m_cMessages = 0;
    std::vector<std::string> m_vecRecordProblems;
    std::vector<std::string> m_vecMessageProblems;
};

// What is wrong with a record text of a bus message of type _uType; empty when it is
// well-formed: header, the Type line with that type, field lines, the Sender line, the
// closing tag, nothing after it.
std::string RecordFormProblem(UINT _uType, const wchar_t* _pszRecord);
