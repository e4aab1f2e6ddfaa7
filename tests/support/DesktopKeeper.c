/* Asks Wine for the desktop window once and then sleeps until killed; while
   it lives, Wine keeps the desktop process up for every other program. */
#include <windows.h>

int main(void)
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
