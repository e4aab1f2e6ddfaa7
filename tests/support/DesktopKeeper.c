/* Asks Wine for the desktop window once and then sleeps until killed; while
   it lives, Wine keeps the desktop process up for every other program. With
   "--once" it returns as soon as the desktop is up, so that a caller can
   wait for it. */
#include <string.h>
#include <windows.h>

int main(int argc, char** argv)
{
    GetDesktopWindow();
    if (argc > 1 && strcmp(argv[1], "--once") == 0)
        return 0;
    Sleep(INFINITE);
    return 0;
}
