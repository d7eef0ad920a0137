// Helpers of the tray tests: the icon's ground colour in the notification area, the menu
// window, input as a user gives it, and a started host.
#pragma once
#include <windows.h>
#include <string>

#include "GuiTest.h"
#include "HostHarness.h"

const DWORD WAIT_MS = 10000;

enum class EGround { Green, Grey, Amber };

// Pixels of the icon's ground colour in the image.
int CountGround(const CScreenImage& _image, EGround _eGround);
// True once the notification area shows an icon on that ground.
bool ShowsGround(EGround _eGround);
using tvr::FindProcessWindow;
// The menu and the icons together, for the picture of both.
RECT MenuShotArea(HWND _hWndMenu);
void MoveMouse(int _x, int _y);
void PressKey(HWND _hWnd, UINT _uKey);

// A started host in a fresh install folder; StartHost after adding plug-ins.
class CTrayHostTest : public GuiTest
{
protected:
    void TearDown() override { m_Host.Kill(); }
    void StartHost();
    void SendStatus(int _iState, const std::wstring& _strText = L"");
    // Right click on the icon as the shell reports it; the menu window, or null.
    HWND OpenMenu();
    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    HWND m_hWnd = nullptr;
    UINT m_uIconId = 0;
};
