// GUI entry point of Telvarin.exe.
#include "host/Entry.h"

int WINAPI wWinMain(HINSTANCE _hInstance, HINSTANCE, PWSTR _pszCmdLine, int)
{
    return HostEntry(_hInstance, _pszCmdLine);
}
