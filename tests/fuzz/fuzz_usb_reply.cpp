// Any stream of USB replies behind the program's transfer calls: a stand-in
// for libbrindle.so serves them (including replies that fail, that claim more
// or fewer bytes than they carry, or that claim a negative count), and the
// link runs one measure, one measure pair or the start-up status exchange on
// them. The link reads no reply twice and none it was not given, and every
// voltage it takes is the mean of the ADC words that really arrived in the
// result frame it stopped at; a result frame without words is a failed
// reading, never an earlier value passed on.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "instrument/instrument.h"
#include "fuzz_check.h"

extern "C" {
using FakeWriteFn = std::int32_t (*)(void* ctx, const std::uint8_t* buffer, std::int16_t length);
using FakeReadFn = std::int32_t (*)(void* ctx, std::uint8_t* buffer, std::int16_t* count);
void fake_usb_connect(FakeWriteFn write, FakeReadFn read, void* ctx);
}

namespace {

using namespace orbilan::instrument;

// One reply as the input describes it: whether the read fails, the count the
// library reports and the bytes it puts into the caller's buffer.
struct Reply {
    bool fails = false;
    std::int16_t claimed = 0;
    std::vector<std::uint8_t> bytes;
};

struct Stream {
    std::vector<Reply> replies;
    std::size_t next = 0;
    bool writesFail = false;
    int writes = 0;
};

std::int32_t onWrite(void* ctx, const std::uint8_t*, std::int16_t length)
{
    auto* s = static_cast<Stream*>(ctx);
    check(length == CommandLength);
    ++s->writes;
    return s->writesFail ? 0 : 1;
}

std::int32_t onRead(void* ctx, std::uint8_t* buffer, std::int16_t* count)
{
    auto* s = static_cast<Stream*>(ctx);
    if (s->next >= s->replies.size())
        return 0;
    const Reply& r = s->replies[s->next++];
    if (r.fails)
        return 0;
    std::memcpy(buffer, r.bytes.data(), r.bytes.size());
    *count = r.claimed;
    return 1;
}

Stream parse(const std::uint8_t* data, std::size_t size)
{
    Stream s;
    std::size_t at = 1;
    s.writesFail = (data[0] & 0x80) != 0;
    while (at + 3 <= size) {
        Reply r;
        r.fails = (data[at] & 0x80) != 0;
        const std::size_t length = data[at] & 0x7F ? static_cast<std::size_t>(data[at] & 0x7F) * 2 : 0;
        r.claimed = static_cast<std::int16_t>(data[at + 1] | (data[at + 2] << 8));
        at += 3;
        const std::size_t n = std::min({length, size - at, static_cast<std::size_t>(ReplyCapacity)});
        r.bytes.assign(data + at, data + at + n);
        at += n;
        s.replies.push_back(std::move(r));
    }
    return s;
}

// What the program's 256-byte reply buffer holds after each reply: bytes an
// earlier reply left stay where the new one did not reach.
struct Mirror {
    std::array<std::uint8_t, 256> buffer{};
    int count = 0;
    void take(const Reply& r)
    {
        std::memcpy(buffer.data(), r.bytes.data(), r.bytes.size());
        count = r.claimed < 0 ? 0 : (r.claimed > ReplyCapacity ? ReplyCapacity : r.claimed);
    }
    bool hasResult() const { return count >= 2 && (buffer[1] & 0x20) != 0; }
    // The mean of the words that arrived, from their integer sum.
    bool volts(double& v) const
    {
        int n = count >= 5 ? buffer[4] : 0;
        n = std::min({n, MaxResultWords, count >= 5 ? (count - 5) / 4 : 0});
        if (n == 0)
            return false;
        std::uint64_t sum = 0;
        for (int j = 0; j < n; ++j) {
            const std::size_t b = 5 + 4 * static_cast<std::size_t>(j);
            sum += (std::uint64_t{buffer[b]} << 24) | (std::uint64_t{buffer[b + 1]} << 16)
                   | (std::uint64_t{buffer[b + 2]} << 8) | buffer[b + 3];
        }
        v = static_cast<double>(sum) / n * 1.25 / 268435456.0 - 2.5;
        return true;
    }
};

// Reads as the link should up to the next result frame; false when a read
// fails first (or the replies run out).
bool nextResult(const Stream& s, std::size_t& at, Mirror& m)
{
    for (;;) {
        if (at >= s.replies.size() || s.replies[at].fails) {
            ++at;
            return false;
        }
        m.take(s.replies[at++]);
        if (m.hasResult())
            return true;
    }
}

bool near(double a, double b) { return std::fabs(a - b) <= 1e-9; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    Stream stream = parse(data, size);
    // A fresh link each time: its reply buffer starts empty, as the mirror's.
    auto link = std::make_unique<Instrument>();
    link->setLibraryDir(ORBILAN_FUZZ_LINK_DIR);
    link->setSleep([](int) {});
    fake_usb_connect(onWrite, onRead, &stream);
    constexpr double Untouched = 1234.5;
    link->AdcVolts = Untouched;
    link->AdcVoltsFirst = Untouched;

    const AdcFrameBytes adc{10, 1, 0};
    const int operation = data[0] % 3;
    LinkStatus status;
    if (operation == 0)
        status = link->UsbMeasure(0x01B9D35E, 0, true, adc);
    else if (operation == 1)
        status = link->UsbMeasurePair(0x01B9D35E, 0, 1, adc);
    else
        status = link->UsbProbe();
    check(status.ok() || status.fault == LinkFault::TransferFailed || status.fault == LinkFault::EmptyResult);
    check(status.fault != LinkFault::None || !stream.writesFail);

    if (stream.writesFail) {
        check(stream.writes == 1);
        check(stream.next == 0);
        check(link->AdcVolts == Untouched && link->AdcVoltsFirst == Untouched);
        return 0;
    }

    // The same replies read by the rules of the exchange.
    Mirror m;
    std::size_t at = 0;
    bool ok = true;
    bool empty = false; // a result without words ends the exchange as a failed reading
    double volts = Untouched, first = Untouched;
    if (operation == 2) {
        for (int i = 0; i < 3 && ok; ++i) {
            if (at >= stream.replies.size() || stream.replies[at].fails) {
                ++at;
                ok = false;
            } else {
                m.take(stream.replies[at++]);
            }
        }
    } else if (operation == 0) {
        ok = nextResult(stream, at, m);
        empty = ok && !m.volts(volts);
    } else {
        ok = nextResult(stream, at, m);
        double v = 0;
        empty = ok && !m.volts(v);
        if (ok && !empty) {
            volts = first = v;
            ok = nextResult(stream, at, m);
            empty = ok && !m.volts(v);
            if (ok && !empty)
                volts = v;
        }
    }
    check(status.ok() == (ok && !empty));
    check((status.fault == LinkFault::EmptyResult) == empty);
    check(stream.next == std::min(at, stream.replies.size()));
    check(near(link->AdcVolts, volts));
    check(near(link->AdcVoltsFirst, first));
    if (ok && operation == 2)
        check(link->UsbNotReady() == (m.count >= 2 && (m.buffer[1] & 0x40) != 0));
    return 0;
}
