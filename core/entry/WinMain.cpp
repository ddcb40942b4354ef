// Entry point of CVMail.exe: the one application object and the class
// layer's start-up, message loop and exit.
#include "core/QuendalApp.h"

CQuendalApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
