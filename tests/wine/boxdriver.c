/* Plays the user for the end-to-end tests, from inside the same Wine
   prefix as tamrel.exe:

     boxdriver box TITLE BUTTON [TIMEOUT_MS]
         waits for a message box with that title, prints its prompt (CR and
         LF written as \r and \n), its buttons and whether it shows an icon,
         then presses BUTTON (OK, Cancel, Yes or No).
     boxdriver window CLASS appear|vanish [TIMEOUT_MS]
         waits until a visible top-level window of that class exists, or
         until none does; on appearing prints its size.
     boxdriver absent CLASS
         fails at once if a visible window of that class exists.

   Exit status 0 when the wait was met, 1 on time-out or misuse. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

struct Search {
    const char* className;
    const char* title; /* NULL: any */
    HWND found;
};

static BOOL CALLBACK Visit(HWND window, LPARAM data) {
    struct Search* search = (struct Search*)data;
    char name[256];
    char title[512];
    if (!IsWindowVisible(window)) return TRUE;
    if (!GetClassNameA(window, name, sizeof name) || strcmp(name, search->className) != 0) return TRUE;
    if (search->title) {
        GetWindowTextA(window, title, sizeof title);
        if (strcmp(title, search->title) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

static HWND Find(const char* className, const char* title) {
    struct Search search = {className, title, NULL};
    EnumWindows(Visit, (LPARAM)&search);
    return search.found;
}

static HWND WaitFor(const char* className, const char* title, DWORD timeout) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND found = Find(className, title);
        if (found || GetTickCount() - start >= timeout) return found;
        Sleep(50);
    }
}

static void PrintEscaped(const char* text) {
    for (; *text; ++text) {
        if (*text == '\r') fputs("\\r", stdout);
        else if (*text == '\n') fputs("\\n", stdout);
        else putchar(*text);
    }
}

static const struct {
    int id;
    const char* name;
} kButtons[] = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDYES, "Yes"}, {IDNO, "No"},
                {IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};

static int ButtonId(const char* name) {
    size_t i;
    for (i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i) {
        if (strcmp(kButtons[i].name, name) == 0) return kButtons[i].id;
    }
    return 0;
}

static int Box(const char* title, const char* button, DWORD timeout) {
    /* The text and icon controls of a message box, as the system makes it. */
    static const int kTextId = 0xFFFF;
    static const int kIconIds[] = {0x14, 0x440};
    char prompt[4096] = "";
    const char* separator = "";
    size_t i;
    const int id = ButtonId(button);
    HWND box = WaitFor("#32770", title, timeout);
    if (!id) {
        printf("unknown button %s\n", button);
        return 1;
    }
    if (!box) {
        printf("no message box titled \"%s\"\n", title);
        return 1;
    }
    Sleep(200); /* let it finish drawing, for the screenshots too */
    GetDlgItemTextA(box, kTextId, prompt, sizeof prompt);
    printf("title: %s\nprompt: ", title);
    PrintEscaped(prompt);
    fputs("\nbuttons:", stdout);
    for (i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i) {
        HWND item = GetDlgItem(box, kButtons[i].id);
        if (item && IsWindowVisible(item)) {
            printf("%s%s", separator[0] ? "," : " ", kButtons[i].name);
            separator = ",";
        }
    }
    fputs("\nicon: ", stdout);
    {
        int shown = 0;
        for (i = 0; i < sizeof kIconIds / sizeof kIconIds[0]; ++i) {
            HWND icon = GetDlgItem(box, kIconIds[i]);
            if (icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0)) shown = 1;
        }
        puts(shown ? "shown" : "none");
    }
    fflush(stdout);
    {
        HWND item = GetDlgItem(box, id);
        if (!item) {
            printf("the box has no %s button\n", button);
            return 1;
        }
        SendMessageA(item, BM_CLICK, 0, 0);
    }
    {
        const DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < 5000) Sleep(50);
    }
    return 0;
}

static int Window(const char* className, const char* what, DWORD timeout) {
    const DWORD start = GetTickCount();
    if (strcmp(what, "appear") == 0) {
        RECT area;
        HWND window = WaitFor(className, NULL, timeout);
        if (!window) {
            printf("no %s window appeared\n", className);
            return 1;
        }
        GetWindowRect(window, &area);
        printf("window: %ldx%ld\n", area.right - area.left, area.bottom - area.top);
        return 0;
    }
    while (Find(className, NULL)) {
        if (GetTickCount() - start >= timeout) {
            printf("the %s window is still there\n", className);
            return 1;
        }
        Sleep(50);
    }
    return 0;
}

int main(int argc, char** argv) {
    const DWORD timeout = 20000;
    if (argc >= 4 && strcmp(argv[1], "box") == 0) {
        return Box(argv[2], argv[3], argc > 4 ? (DWORD)strtoul(argv[4], NULL, 10) : timeout);
    }
    if (argc >= 4 && strcmp(argv[1], "window") == 0) {
        return Window(argv[2], argv[3], argc > 4 ? (DWORD)strtoul(argv[4], NULL, 10) : timeout);
    }
    if (argc == 3 && strcmp(argv[1], "absent") == 0) {
        if (!Find(argv[2], NULL)) return 0;
        printf("a %s window is there\n", argv[2]);
        return 1;
    }
    fputs("usage: boxdriver box TITLE BUTTON [MS] | window CLASS appear|vanish [MS] | absent CLASS\n", stderr);
    return 1;
}
