/* A stand-in for a front end: marks its start in the current folder, sleeps
   the given milliseconds, marks its end and exits. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static void Mark(const char* name) {
    FILE* file = fopen(name, "wb");
    if (file) {
        fprintf(file, "%lu\r\n", (unsigned long)GetTickCount());
        fclose(file);
    }
}

int main(int argc, char** argv) {
    const DWORD ms = argc > 1 ? (DWORD)strtoul(argv[1], NULL, 10) : 2000;
    Mark("sleeper-started.txt");
    Sleep(ms);
    Mark("sleeper-ended.txt");
    return 0;
}
