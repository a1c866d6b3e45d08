#include "portio/parport_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace portio {

std::string OpenFailureText(const std::string& device, int error)
{
    std::string text = "cannot open the parallel port " + device + ": " + std::strerror(error) + ". ";
    if (error == EACCES || error == EPERM) {
        std::string group = "lp";
        struct stat st{};
        if (stat(device.c_str(), &st) == 0)
            if (const struct group* g = getgrgid(st.st_gid))
                group = g->gr_name;
        text += "Reading and writing it needs membership of the group '" + group + "' (sudo usermod -aG " + group
                + " $USER, then log in again)";
    } else if (error == ENOENT || error == ENODEV || error == ENXIO) {
        text += "Load the kernel modules parport_pc and ppdev (sudo modprobe ppdev)";
    } else {
        text += "Check the device";
    }
    return text + ", or name another device in ORBILAN_PARPORT.";
}

std::string ClaimFailureText(const std::string& device, int error)
{
    std::string text = "cannot claim the parallel port " + device + ": " + std::strerror(error);
    if (error == ENOTTY)
        text += " (not a ppdev parallel-port device)";
    else
        text += ". Another program or a kernel driver holds it: close the program, or unload the printer driver "
                "(sudo rmmod lp)";
    return text + "; or name another device in ORBILAN_PARPORT.";
}

std::vector<std::string> ParportDevices()
{
    std::vector<int> numbers;
    if (DIR* dir = opendir("/dev")) {
        while (const dirent* entry = readdir(dir)) {
            const char* name = entry->d_name;
            if (std::strncmp(name, "parport", 7) != 0 || name[7] < '0' || name[7] > '9')
                continue;
            char* end = nullptr;
            const long n = std::strtol(name + 7, &end, 10);
            if (*end == '\0' && n >= 0 && n < 1000)
                numbers.push_back(static_cast<int>(n));
        }
        closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> devices;
    for (int n : numbers)
        devices.push_back("/dev/parport" + std::to_string(n));
    return devices;
}

ParportCheck CheckParport(const std::string& device)
{
    ParportCheck check;
    check.device = device;
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        check.problem = OpenFailureText(device, errno);
        return check;
    }
    if (ioctl(fd, PPCLAIM) < 0)
        check.problem = ClaimFailureText(device, errno);
    else
        ioctl(fd, PPRELEASE);
    ::close(fd);
    check.usable = check.problem.empty();
    return check;
}

} // namespace portio
