#include <windows.h>

#include "app/MetronomeApp.h"

// The one application object, alive from static initialisation to exit.
CMetronomeApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return AfxWinMain(instance);
}
