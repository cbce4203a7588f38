// Linked into the ThreadSanitizer build's tests only (QUELMAR_TSAN). Qt starts child processes
// with clone() on a stack of its own, which clang 14's ThreadSanitizer cannot follow (it stops
// the test with "CHECK failed: ((!thr->slot)) != (0)"). This clone() runs the child through
// fork(), which the sanitizer does follow, and hands back the pidfd Qt asked for.
#include <cstdarg>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" int clone(int (*childMain)(void *), void * /*stack*/, int flags, void *argument, ...)
{
    va_list more;
    va_start(more, argument);
    int *pidFd = va_arg(more, int *);
    va_end(more);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(childMain(argument));
    if (pid > 0 && (flags & CLONE_PIDFD) && pidFd)
        *pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    return pid;
}
