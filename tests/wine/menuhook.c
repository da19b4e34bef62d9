/* Loaded by boxdriver into tamrel.exe's process (a message hook), where a
   window's menus can be read: under Wine another process cannot read them.
   On the driver's request message it walks the form's menu bar by caption
   with GetMenuStringA and answers through shared memory:

     tree            every item, two blanks of indent per level, " [grey]"
                     after a disabled one
     choose CAPTION* posts the command of that item to the form, as the
                     system does when it is chosen
     where CAPTION*  the item's position on each level, blank-separated

   A request is an action and captions, one per line; the answer is "ok" or
   "error: ..." on its first line, then the data. */
#include <windows.h>

#include "menuhook.h"

static void Append(char** out, char* end, const char* text) {
    while (*text && *out < end - 1) *(*out)++ = *text++;
    **out = '\0';
}

static void Tree(HMENU menu, int depth, char** out, char* end) {
    const int count = GetMenuItemCount(menu);
    int i, j;
    for (i = 0; i < count; ++i) {
        char caption[256] = "";
        GetMenuStringA(menu, (UINT)i, caption, sizeof caption, MF_BYPOSITION);
        for (j = 0; j < depth; ++j) Append(out, end, "  ");
        Append(out, end, caption);
        if (GetMenuState(menu, (UINT)i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) Append(out, end, " [grey]");
        Append(out, end, "\n");
        if (GetSubMenu(menu, i)) Tree(GetSubMenu(menu, i), depth + 1, out, end);
    }
}

/* Follows the captions (one per line, from `path`); returns the position on
   the last level and the menu that holds it, and adds each level's position
   to `positions`. Errors go to `out`. */
static int Find(HMENU menu, char* path, HMENU* holder, char* positions, char** out, char* end) {
    int position = -1;
    char* caption = path;
    while (caption && *caption) {
        char* next = caption;
        int i, count;
        while (*next && *next != '\n') ++next;
        if (*next) *next++ = '\0';
        if (position >= 0) {
            menu = GetSubMenu(menu, position);
            if (!menu) {
                Append(out, end, "error: no submenu before ");
                Append(out, end, caption);
                return -1;
            }
        }
        count = GetMenuItemCount(menu);
        for (i = 0, position = -1; i < count && position < 0; ++i) {
            char text[256] = "";
            GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
            if (lstrcmpA(text, caption) == 0) position = i;
        }
        if (position < 0) {
            Append(out, end, "error: no menu item ");
            Append(out, end, caption);
            return -1;
        }
        if (GetMenuState(menu, (UINT)position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) {
            Append(out, end, "error: grey: ");
            Append(out, end, caption);
            return -1;
        }
        *holder = menu;
        wsprintfA(positions + lstrlenA(positions), "%d ", position);
        caption = next;
    }
    return position;
}

static void Serve(HWND form, char* shared) {
    static char request[kMenuHookSize];
    char* out = shared;
    char* end = shared + kMenuHookSize;
    char* path;
    HMENU menu = GetMenu(form);
    lstrcpynA(request, shared, sizeof request);
    path = request;
    while (*path && *path != '\n') ++path;
    if (*path) *path++ = '\0';
    *out = '\0';
    if (!menu) {
        Append(&out, end, "error: the window has no menu bar");
    } else if (lstrcmpA(request, "tree") == 0) {
        Append(&out, end, "ok\n");
        Tree(menu, 0, &out, end);
    } else if (lstrcmpA(request, "where") == 0 || lstrcmpA(request, "choose") == 0) {
        /* Menus nest a few levels deep: positions of a few digits each. */
        char positions[256] = "";
        HMENU holder = NULL;
        const int position = Find(menu, path, &holder, positions, &out, end);
        if (position < 0) {
            /* the error is written */
        } else if (lstrcmpA(request, "where") == 0) {
            Append(&out, end, "ok\n");
            Append(&out, end, positions);
        } else if (GetSubMenu(holder, position)) {
            Append(&out, end, "error: a submenu, not a command");
        } else {
            PostMessageA(form, WM_COMMAND, MAKEWPARAM(GetMenuItemID(holder, position), 0), 0);
            Append(&out, end, "ok\n");
        }
    } else {
        Append(&out, end, "error: unknown request");
    }
}

__declspec(dllexport) LRESULT CALLBACK MenuHook(int code, WPARAM removed, LPARAM data) {
    MSG* message = (MSG*)data;
    if (code == HC_ACTION && removed == PM_REMOVE && message->message == RegisterWindowMessageA(kMenuHookMessage)) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kMenuHookMemory);
        HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, kMenuHookDone);
        char* shared = mapping ? (char*)MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kMenuHookSize) : NULL;
        if (shared) {
            Serve(message->hwnd, shared);
            UnmapViewOfFile(shared);
        }
        if (done) {
            SetEvent(done);
            CloseHandle(done);
        }
        if (mapping) CloseHandle(mapping);
        message->message = WM_NULL;
    }
    return CallNextHookEx(NULL, code, removed, data);
}
