// TrayCommandTest.cpp names the shared capture window without its namespace; this header
// goes once that test says tvr::CCaptureWindow.
#pragma once
#include "../../support/CaptureWindow.h"

using tvr::CCaptureWindow;
