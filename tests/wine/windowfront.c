/* A front end with a window: marks its start in the current folder, then
   runs until its window is closed. With "keep", or front-keep.txt in the
   current folder (started without arguments), it ignores WM_CLOSE, as a
   front end that asks "Really quit?" or has hung does; otherwise it marks
   the close and exits. Each close and each message of the session's end
   is also a line of front-messages.txt, in the order they came. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static int keep;

static void Mark(const char* name) {
    FILE* file = fopen(name, "wb");
    if (file) fclose(file);
}

static void Note(const char* what) {
    FILE* file = fopen("front-messages.txt", "ab");
    if (file) {
        fprintf(file, "%s %lu\r\n", what, (unsigned long)GetTickCount());
        fclose(file);
    }
}

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Note("close");
            if (keep) {
                Mark("front-kept.txt");
                return 0;
            }
            Mark("front-closed.txt");
            DestroyWindow(window);
            return 0;
        case WM_QUERYENDSESSION:
            Note("queryendsession");
            return TRUE;
        case WM_ENDSESSION:
            Note(wParam ? "endsession" : "endsession-cancelled");
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
    WNDCLASSA windowClass;
    HWND window;
    MSG message;
    (void)previous;
    keep = strstr(line, "keep") != NULL || GetFileAttributesA("front-keep.txt") != INVALID_FILE_ATTRIBUTES;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    windowClass.lpszClassName = "WindowFront";
    RegisterClassA(&windowClass);
    window = CreateWindowA("WindowFront", "Window front", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, NULL, NULL, instance,
                           NULL);
    ShowWindow(window, show);
    SetForegroundWindow(window);
    Mark("front-started.txt");
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
