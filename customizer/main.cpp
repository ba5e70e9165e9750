// The customizer program's entry: the framework runs the one application object.
#include <windows.h>

#include "customizer/config_app.h"

KestrelConfigApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showCommand) {
    return AfxWinMain(instance, previous, commandLine, showCommand);
}
