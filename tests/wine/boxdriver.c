/* Plays the user for the end-to-end tests, from inside the same Wine
   prefix as tamrel.exe:

     boxdriver box TITLE BUTTON [TIMEOUT_MS]
         waits for a message box with that title, prints its prompt (CR and
         LF written as \r and \n), its buttons and whether it shows an icon,
         then presses BUTTON (OK, Cancel, Yes or No).
     boxdriver window CLASS appear|vanish [TIMEOUT_MS]
         waits until a visible top-level window of that class exists, or
         until none does; on appearing prints its size, and whether it is
         maximised.
     boxdriver absent CLASS
         fails at once if a visible window of that class exists.
     boxdriver windows CLASS
         prints each visible top-level window of that class, front first:
         its left, top, width, height and title.

   A form (a window of Tamrel's class) is found by its title:

     boxdriver menus FORM
         prints its menu tree (menuhook.c reads it from inside tamrel.exe).
     boxdriver menu FORM CAPTION...
         chooses the command at the end of that caption path.
     boxdriver menukeys FORM CAPTION...
         prints the xdotool key names that reach and choose it from the
         keyboard: F10, arrows, Return.
     boxdriver labels FORM
         prints the text of each visible label (a STATIC control).
     boxdriver label FORM TEXT
         prints where the label with that text is on the screen.
     boxdriver click FORM TEXT
         clicks that label, as automation does: STN_CLICKED to its parent.
     boxdriver controls FORM
         prints each visible control as CLASS|TEXT.
     boxdriver rects FORM [TEXT]
         prints each visible control (the one with that text and those
         inside it) as LEFT TOP WIDTH HEIGHT CLASS|TEXT, on the screen.
     boxdriver press FORM CAPTION
         presses that button (BM_CLICK), waits until Tamrel's windows
         change (at most 3 s), then prints them as "windows" does.
     boxdriver key FORM CODE
         types the character CODE into the form.
     boxdriver close FORM
         asks the form to close, as its close button does.
     boxdriver dialog TITLE BUTTON [ID | ID=TEXT]...
         waits for a dialog with that title; prints the text of each
         control ID, sets (or, in a list, selects) TEXT in the others, in
         order, then presses BUTTON.
     boxdriver open PATH
         waits for the Open dialog, prints its filter, enters PATH in its
         name field and presses Open.

     boxdriver shortcut LINK TARGET ARGUMENTS FOLDER
         writes a shell link LINK to TARGET, as Explorer would.

   Exit status 0 when the wait was met, 1 on time-out or misuse. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include <shlobj.h>

#include "menuhook.h"

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
        printf("window: %ldx%ld%s\n", area.right - area.left, area.bottom - area.top,
               IsZoomed(window) ? " maximised" : "");
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

static HWND Form(const char* title) {
    HWND form = WaitFor("TamrelWindow", title, 20000);
    if (!form) printf("no window titled \"%s\"\n", title);
    return form;
}

/* Sends a request to menuhook.dll inside the form's process; the answer's
   data (or what went wrong) goes to `answer`. The hook is set for that one
   request. */
static int MenuRequest(HWND form, const char* action, int count, char** captions, char* answer, size_t size) {
    char path[MAX_PATH];
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, kMenuHookSize, kMenuHookMemory);
    HANDLE done = CreateEventA(NULL, FALSE, FALSE, kMenuHookDone);
    char* shared = mapping ? (char*)MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kMenuHookSize) : NULL;
    HMODULE hook = NULL;
    HHOOK installed = NULL;
    int i, status = 1;
    char* slash;
    GetModuleFileNameA(NULL, path, sizeof path);
    slash = strrchr(path, '\\');
    if (slash) strcpy(slash + 1, "menuhook.dll");
    hook = LoadLibraryA(path);
    if (shared && done && hook) {
        snprintf(shared, kMenuHookSize, "%s", action);
        for (i = 0; i < count; ++i) {
            strncat(shared, "\n", kMenuHookSize - strlen(shared) - 1);
            strncat(shared, captions[i], kMenuHookSize - strlen(shared) - 1);
        }
        installed = SetWindowsHookExA(WH_GETMESSAGE, (HOOKPROC)(void*)GetProcAddress(hook, "MenuHook"), hook,
                                      GetWindowThreadProcessId(form, NULL));
    }
    if (!installed) {
        snprintf(answer, size, "the menu hook could not be set");
    } else if (!PostMessageA(form, RegisterWindowMessageA(kMenuHookMessage), 0, 0) ||
               WaitForSingleObject(done, 10000) != WAIT_OBJECT_0) {
        snprintf(answer, size, "the menu hook did not answer");
    } else if (strncmp(shared, "ok\n", 3) == 0) {
        snprintf(answer, size, "%s", shared + 3);
        status = 0;
    } else {
        snprintf(answer, size, "%s\n", shared);
    }
    if (installed) UnhookWindowsHookEx(installed);
    if (hook) FreeLibrary(hook);
    if (shared) UnmapViewOfFile(shared);
    if (done) CloseHandle(done);
    if (mapping) CloseHandle(mapping);
    return status;
}

/* The keys that walk the native menu to the item at these positions. */
static void PrintMenuKeys(const char* positions) {
    int level = 0;
    fputs("F10", stdout);
    for (;;) {
        char* next;
        long position = strtol(positions, &next, 10);
        long i;
        if (next == positions) break;
        positions = next;
        if (level == 1) fputs(" Down", stdout); /* opens the menu at its first item */
        if (level > 1) fputs(" Right", stdout); /* opens the submenu likewise */
        for (i = 0; i < position; ++i) fputs(level == 0 ? " Right" : " Down", stdout);
        ++level;
    }
    puts(" Return");
}

struct Labels {
    const char* text; /* NULL: print them all */
    HWND found;
    const char* className; /* NULL: every class, printed before the text */
    int rects;             /* print where each is, first */
};

static BOOL CALLBACK VisitLabel(HWND control, LPARAM data) {
    struct Labels* labels = (struct Labels*)data;
    char name[64];
    static char text[8192];
    text[0] = '\0';
    if (!IsWindowVisible(control) || !GetClassNameA(control, name, sizeof name) ||
        (labels->className && lstrcmpiA(name, labels->className) != 0)) {
        return TRUE;
    }
    /* A form that no longer answers must not hang the driver. */
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, NULL)) {
        printf("the control %p does not answer\n", (void*)control);
        return TRUE;
    }
    if (!labels->text) {
        if (labels->rects) {
            RECT area;
            GetWindowRect(control, &area);
            printf("%ld %ld %ld %ld ", area.left, area.top, area.right - area.left, area.bottom - area.top);
        }
        if (!labels->className) printf("%s|", name);
        PrintEscaped(text);
        putchar('\n');
        return TRUE;
    }
    if (strcmp(text, labels->text) != 0) return TRUE;
    labels->found = control;
    return FALSE;
}

static HWND Control(HWND form, const char* className, const char* text) {
    struct Labels labels = {text, NULL, className, 0};
    EnumChildWindows(form, VisitLabel, (LPARAM)&labels);
    if (!labels.found) printf("no %s \"%s\"\n", className, text);
    return labels.found;
}

static HWND Label(HWND form, const char* text) { return Control(form, "Static", text); }

struct Listing {
    const char* className;
    char titles[8192]; /* what is printed */
};

static BOOL CALLBACK ListWindow(HWND window, LPARAM data) {
    struct Listing* listing = (struct Listing*)data;
    char name[256], title[512];
    RECT area;
    const size_t used = strlen(listing->titles);
    if (!IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name) ||
        strcmp(name, listing->className) != 0) {
        return TRUE;
    }
    GetWindowTextA(window, title, sizeof title);
    GetWindowRect(window, &area);
    snprintf(listing->titles + used, sizeof listing->titles - used, "%ld %ld %ld %ld %s\n", area.left, area.top,
             area.right - area.left, area.bottom - area.top, title);
    return TRUE;
}

static void ListWindows(const char* className, struct Listing* listing) {
    listing->className = className;
    listing->titles[0] = '\0';
    EnumWindows(ListWindow, (LPARAM)listing);
}

static int Press(HWND form, const char* caption) {
    static struct Listing before, after;
    HWND button = Control(form, "Button", caption);
    DWORD start;
    if (!button) return 1;
    ListWindows("TamrelWindow", &before);
    PostMessageA(button, BM_CLICK, 0, 0);
    start = GetTickCount();
    do {
        Sleep(100);
        ListWindows("TamrelWindow", &after);
    } while (strcmp(before.titles, after.titles) == 0 && GetTickCount() - start < 3000);
    Sleep(200); /* let the window that comes be drawn and take the focus */
    ListWindows("TamrelWindow", &after);
    fputs(after.titles, stdout);
    return 0;
}

static int Open(const char* path, DWORD timeout) {
    /* The Open dialog's own controls, as the system numbers them. */
    static const int kFilterId = 0x470, kNameCombo = 0x47c, kNameEdit = 0x480;
    char filter[512] = "";
    HWND name;
    HWND dialog = WaitFor("#32770", "Open", timeout);
    if (!dialog) {
        puts("no Open dialog");
        return 1;
    }
    Sleep(300); /* let it fill its lists */
    GetDlgItemTextA(dialog, kFilterId, filter, sizeof filter);
    printf("filter: %s\n", filter);
    fflush(stdout);
    name = GetDlgItem(dialog, kNameCombo);
    if (!name) name = GetDlgItem(dialog, kNameEdit);
    if (!name) {
        puts("the Open dialog has no name field");
        return 1;
    }
    SendMessageA(name, WM_SETTEXT, 0, (LPARAM)path);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    {
        const DWORD start = GetTickCount();
        while (IsWindow(dialog) && GetTickCount() - start < 5000) Sleep(50);
    }
    if (IsWindow(dialog)) {
        puts("the Open dialog did not take the name");
        return 1;
    }
    return 0;
}

/* Reads the controls named by number, then sets those given a text, then
   presses the button. */
static int Dialog(const char* title, const char* button, int count, char** items) {
    int i;
    const int id = ButtonId(button);
    HWND dialog = WaitFor("#32770", title, 20000);
    if (!dialog || !id) {
        printf("no %s dialog, or no button %s\n", title, button);
        return 1;
    }
    Sleep(300); /* let it fill its lists */
    for (i = 0; i < count; ++i) {
        char* end;
        const int item = (int)strtol(items[i], &end, 0);
        HWND control = GetDlgItem(dialog, item);
        char text[512] = "";
        if (!control) {
            printf("the %s dialog has no control %s\n", title, items[i]);
            return 1;
        }
        if (*end == '=') {
            /* A combo box's choice counts once its list has it selected. */
            char name[32] = "";
            LRESULT found = CB_ERR;
            GetClassNameA(control, name, sizeof name);
            if (lstrcmpiA(name, "ComboBox") == 0) found = SendMessageA(control, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)(end + 1));
            if (found != CB_ERR) {
                SendMessageA(control, CB_SETCURSEL, (WPARAM)found, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(item, CBN_SELCHANGE), (LPARAM)control);
            } else {
                SendMessageA(control, WM_SETTEXT, 0, (LPARAM)(end + 1));
            }
        } else {
            SendMessageA(control, WM_GETTEXT, sizeof text, (LPARAM)text);
            printf("%s\n", text);
        }
    }
    fflush(stdout);
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    {
        const DWORD start = GetTickCount();
        while (IsWindow(dialog) && GetTickCount() - start < 5000) Sleep(50);
    }
    if (IsWindow(dialog)) {
        printf("the %s dialog is still open\n", title);
        return 1;
    }
    return 0;
}

static int FormCommand(int argc, char** argv) {
    static char answer[kMenuHookSize];
    const char* command = argv[1];
    HWND form = Form(argv[2]);
    if (!form) return 1;
    if (strcmp(command, "menus") == 0 || strcmp(command, "menu") == 0 || strcmp(command, "menukeys") == 0) {
        const char* action = command[4] == 's' ? "tree" : command[4] == 'k' ? "where" : "choose";
        const int status = MenuRequest(form, action, argc - 3, argv + 3, answer, sizeof answer);
        if (status == 0 && action[0] == 'w') {
            PrintMenuKeys(answer);
        } else {
            fputs(answer, stdout);
        }
        return status;
    }
    if (strcmp(command, "close") == 0) return PostMessageA(form, WM_CLOSE, 0, 0) ? 0 : 1;
    if (strcmp(command, "labels") == 0 || strcmp(command, "controls") == 0 || strcmp(command, "rects") == 0) {
        struct Labels labels = {NULL, NULL, command[0] == 'l' ? "Static" : NULL, command[0] == 'r'};
        HWND within = form;
        if (argc > 3) {
            within = Control(form, NULL, argv[3]);
            if (!within) return 1;
            VisitLabel(within, (LPARAM)&labels);
        }
        EnumChildWindows(within, VisitLabel, (LPARAM)&labels);
        return 0;
    }
    if (argc < 4) return 2;
    if (strcmp(command, "press") == 0) return Press(form, argv[3]);
    if (strcmp(command, "label") == 0 || strcmp(command, "click") == 0) {
        RECT area;
        HWND label = Label(form, argv[3]);
        if (!label) return 1;
        if (strcmp(command, "click") == 0) {
            PostMessageA(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED), (LPARAM)label);
            return 0;
        }
        GetWindowRect(label, &area);
        printf("%ld %ld %ld %ld\n", area.left, area.top, area.right - area.left, area.bottom - area.top);
        return 0;
    }
    if (strcmp(command, "key") == 0) return PostMessageA(form, WM_CHAR, (WPARAM)strtoul(argv[3], NULL, 10), 1) ? 0 : 1;
    return 2;
}

static int Shortcut(const char* link, const char* target, const char* arguments, const char* folder) {
    IShellLinkA* shell = NULL;
    IPersistFile* file = NULL;
    WCHAR path[MAX_PATH];
    int status = 1;
    if (FAILED(CoInitialize(NULL))) return 1;
    if (SUCCEEDED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA, (void**)&shell)) &&
        SUCCEEDED(shell->lpVtbl->SetPath(shell, target)) && SUCCEEDED(shell->lpVtbl->SetArguments(shell, arguments)) &&
        SUCCEEDED(shell->lpVtbl->SetWorkingDirectory(shell, folder)) &&
        SUCCEEDED(shell->lpVtbl->QueryInterface(shell, &IID_IPersistFile, (void**)&file)) &&
        MultiByteToWideChar(CP_ACP, 0, link, -1, path, MAX_PATH) && SUCCEEDED(file->lpVtbl->Save(file, path, TRUE))) {
        status = 0;
    }
    if (file) file->lpVtbl->Release(file);
    if (shell) shell->lpVtbl->Release(shell);
    CoUninitialize();
    return status;
}

int main(int argc, char** argv) {
    const DWORD timeout = 20000;
    static const char* const kFormCommands[] = {"menus", "menu",  "menukeys", "labels",  "label",
                                               "click", "key",   "close",    "controls", "press", "rects"};
    size_t i;
    for (i = 0; argc >= 3 && i < sizeof kFormCommands / sizeof kFormCommands[0]; ++i) {
        if (strcmp(argv[1], kFormCommands[i]) == 0) {
            const int status = FormCommand(argc, argv);
            if (status != 2) return status;
        }
    }
    if (argc == 6 && strcmp(argv[1], "shortcut") == 0) return Shortcut(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 4 && strcmp(argv[1], "attributes") == 0) {
        return SetFileAttributesA(argv[2], (DWORD)strtoul(argv[3], NULL, 0)) ? 0 : 1;
    }
    if (argc >= 4 && strcmp(argv[1], "dialog") == 0) return Dialog(argv[2], argv[3], argc - 4, argv + 4);
    if (argc >= 3 && strcmp(argv[1], "open") == 0) {
        return Open(argv[2], argc > 3 ? (DWORD)strtoul(argv[3], NULL, 10) : timeout);
    }
    if (argc >= 4 && strcmp(argv[1], "box") == 0) {
        return Box(argv[2], argv[3], argc > 4 ? (DWORD)strtoul(argv[4], NULL, 10) : timeout);
    }
    if (argc >= 4 && strcmp(argv[1], "window") == 0) {
        return Window(argv[2], argv[3], argc > 4 ? (DWORD)strtoul(argv[4], NULL, 10) : timeout);
    }
    if (argc == 3 && strcmp(argv[1], "windows") == 0) {
        static struct Listing listing;
        ListWindows(argv[2], &listing);
        fputs(listing.titles, stdout);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "absent") == 0) {
        if (!Find(argv[2], NULL)) return 0;
        printf("a %s window is there\n", argv[2]);
        return 1;
    }
    fputs("usage: boxdriver box TITLE BUTTON [MS] | window CLASS appear|vanish [MS] | absent CLASS | open PATH\n"
          "       | dialog TITLE BUTTON [ID | ID=TEXT]...\n"
          "       | windows CLASS | menus|labels|controls|close FORM | rects FORM [TEXT] | menu|menukeys FORM CAPTION...\n"
          "       | label|click FORM TEXT | press FORM CAPTION | key FORM CODE\n"
          "       | shortcut LINK TARGET ARGUMENTS FOLDER | attributes PATH VALUE\n",
          stderr);
    return 1;
}
