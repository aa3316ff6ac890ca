#pragma once

// The Windows system calls, for the few files that own a Windows difference:
// windows.h without its min and max macros or the parts of it the game never
// calls. Include it before any other Windows header (shlobj.h and the like).
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
