// Entry point of kv310r.exe. The command line is not used.
#include "win/main_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show_command) {
    return kv310r_main(instance, previous, show_command);
}
