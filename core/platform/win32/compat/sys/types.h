#pragma once
#include_next <sys/types.h>

// Windows has no user numbers; getuid() of the Win32 SystemCalls gives 0.
typedef unsigned int uid_t;
