// GUI entry point of Telvarin.exe.
#include "host/entry/Entry.h"

int WINAPI wWinMain(HINSTANCE _hInstance, HINSTANCE, PWSTR _pszCmdLine, int)
{
    return HostEntry(_hInstance, _pszCmdLine);
}
