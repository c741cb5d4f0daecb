// The program's entry point.
#include <windows.h>

#include "ui/platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    platform::get().debugOutput(u"Vantrel started\n");
    return 0;
}
