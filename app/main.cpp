// Process entry: hands control to WinMain, whose result becomes the exit status.
#include "app/win_main.h"

int main() { return WinMain(nullptr, nullptr, nullptr, 0); }
