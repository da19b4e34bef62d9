/* What boxdriver and the menu hook it loads into tamrel.exe share. */
#define kMenuHookMessage "TamrelDriverMenu"
#define kMenuHookMemory "TamrelDriverMenuRequest"
#define kMenuHookDone "TamrelDriverMenuDone"
#define kMenuHookSize 65536
