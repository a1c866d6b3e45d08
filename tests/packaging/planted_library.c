/* A library an attacker leaves in a shared working folder under the name of
 * one the programs need (libm.so.6). Its constructor leaves a file behind,
 * so a test sees whether the loader ever took it from the working folder. */
#include <fcntl.h>
#include <unistd.h>

__attribute__((constructor)) static void leaveMark(void)
{
    int fd = open("planted-library-ran", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0)
        close(fd);
}
