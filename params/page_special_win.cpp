// The "Sonderfunktionen" page. For now it shows only its title; the controls and
// their handling come with the page itself.
#include "app/pages_win.h"

INT_PTR CALLBACK KvDlg_Standalone(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY: // shown (PAGE_SETACTIVE) or hidden (PAGE_KILLACTIVE): no fields to fill yet
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    return FALSE;
}

