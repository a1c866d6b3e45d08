// Drives libbrindle.so as a program does, for the device tests: each
// argument is one step, and each step prints one line of what brindle
// returned.
//   frames     vnawrite of a status frame, then vnaread
//   device:N   a VNADevice on instance N: Init, Start, Stop, a status frame
//              written and its reply read
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "brindle/brindle.h"

namespace {

unsigned char statusFrame[16] = {0x55};

void printReply(const unsigned char* reply, int count)
{
    for (int i = 0; i < count; ++i)
        std::printf(" %02x", reply[i]);
}

void frames()
{
    const int written = vnawrite(statusFrame, 15);
    std::printf("vnawrite %d%s%s\n", written, written ? "" : " cause ", written ? "" : vnaerror());
    unsigned char reply[256] = {};
    std::int16_t count = -1;
    const int read = vnaread(reply, &count);
    std::printf("vnaread %d count %d", read, count);
    printReply(reply, count);
    std::printf("%s%s\n", read ? "" : " cause ", read ? "" : vnaerror());
}

void device(int instance)
{
    VNADevice d;
    std::printf("state %d instance %d", d.get_State(), d.get_Instance());
    const bool chosen = d.set_Instance(instance);
    const bool init = d.Init();
    const int initBytes = d.get_BytesReturned();
    const bool start = d.Start();
    const bool stop = d.Stop();
    const bool write = d.Write(statusFrame, 15);
    unsigned char reply[256] = {};
    const bool read = d.Read(reply);
    std::printf(" set %d Init %d (%d bytes) Start %d Stop %d Write %d Read %d", chosen, init, initBytes, start, stop,
                write, read);
    printReply(reply, read ? d.get_BytesReturned() : 0);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        if (step == "frames") {
            frames();
        } else if (step.rfind("device:", 0) == 0) {
            device(std::atoi(step.c_str() + 7));
        } else {
            std::fprintf(stderr, "brindle_probe: unknown step '%s'\n", argv[i]);
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
