#pragma once
// The POSIX names that core's file code uses and the Windows C library lacks. Their meaning on
// Windows is given by the Win32 SystemCalls, which is the only one that sees them.
#include_next <fcntl.h>

#include <sys/types.h>

#define O_NONBLOCK 0x100000
#define O_DIRECTORY 0x200000
#define O_NOFOLLOW 0x400000
#define O_CLOEXEC _O_NOINHERIT

#define F_GETLK 5
#define F_SETLK 6
#define F_SETLKW 7
#define F_RDLCK 0
#define F_WRLCK 1
#define F_UNLCK 2

struct flock {
    short l_type;
    short l_whence;
    off_t l_start;
    off_t l_len;
    pid_t l_pid;
};
