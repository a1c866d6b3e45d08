#include "display/png.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "cal/text_file.h"

namespace orbilan::display {

namespace {

const std::array<std::uint32_t, 256>& crcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = crcTable()[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(const std::vector<std::uint8_t>& data)
{
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint32_t get32(const std::vector<std::uint8_t>& in, std::size_t at)
{
    return (std::uint32_t{in[at]} << 24) | (std::uint32_t{in[at + 1]} << 16) | (std::uint32_t{in[at + 2]} << 8)
           | std::uint32_t{in[at + 3]};
}

void chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& body)
{
    put32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}


// Deflate with the fixed Huffman codes and two kinds of match: a run of the
// previous pixel and a copy of the row above. Plot images are mostly
// background, so this is small and quick without a general matcher.
constexpr int LengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int LengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int DistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                  193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int DistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void bits(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            bit((value >> i) & 1);
    }
    // Huffman codes go most significant bit first.
    void code(std::uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            bit((value >> i) & 1);
    }
    void flush()
    {
        if (used_ != 0)
            out_.push_back(current_);
        current_ = 0;
        used_ = 0;
    }

private:
    void bit(std::uint32_t b)
    {
        current_ |= static_cast<std::uint8_t>(b << used_);
        if (++used_ == 8)
            flush();
    }
    std::vector<std::uint8_t>& out_;
    std::uint8_t current_ = 0;
    int used_ = 0;
};

void literalCode(BitWriter& w, int symbol)
{
    if (symbol < 144)
        w.code(0x30 + symbol, 8);
    else if (symbol < 256)
        w.code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        w.code(symbol - 256, 7);
    else
        w.code(0xC0 + symbol - 280, 8);
}

void match(BitWriter& w, int length, int distance)
{
    int l = 28;
    while (LengthBase[l] > length)
        --l;
    literalCode(w, 257 + l);
    w.bits(static_cast<std::uint32_t>(length - LengthBase[l]), LengthExtra[l]);
    int d = 29;
    while (DistanceBase[d] > distance)
        --d;
    w.code(static_cast<std::uint32_t>(d), 5);
    w.bits(static_cast<std::uint32_t>(distance - DistanceBase[d]), DistanceExtra[d]);
}

void deflateFixed(const std::vector<std::uint8_t>& data, std::size_t stride, std::vector<std::uint8_t>& out)
{
    BitWriter w(out);
    w.bits(1, 1); // the only block
    w.bits(1, 2); // fixed codes
    const std::size_t n = data.size();
    auto matchLength = [&](std::size_t at, std::size_t distance) {
        if (distance == 0 || distance > at || distance > 32768)
            return std::size_t{0};
        std::size_t len = 0;
        while (len < 258 && at + len < n && data[at + len] == data[at + len - distance])
            ++len;
        return len;
    };
    for (std::size_t i = 0; i < n;) {
        const std::size_t run = matchLength(i, 3);
        const std::size_t above = matchLength(i, stride);
        const std::size_t best = std::max(run, above);
        if (best >= 3) {
            match(w, static_cast<int>(best), static_cast<int>(above > run ? stride : 3));
            i += best;
        } else {
            literalCode(w, data[i]);
            ++i;
        }
    }
    literalCode(w, 256);
    w.flush();
}

class BitReader {
public:
    explicit BitReader(const std::vector<std::uint8_t>& in, std::size_t pos) : in_(in), pos_(pos) {}
    bool bits(int count, std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < count; ++i) {
            std::uint32_t b = 0;
            if (!bit(b))
                return false;
            value |= b << i;
        }
        return true;
    }
    bool bit(std::uint32_t& b)
    {
        if (pos_ >= in_.size())
            return false;
        b = (in_[pos_] >> used_) & 1;
        if (++used_ == 8) {
            used_ = 0;
            ++pos_;
        }
        return true;
    }
    void alignToByte()
    {
        if (used_ != 0) {
            used_ = 0;
            ++pos_;
        }
    }
    std::size_t position() const { return pos_; }
    void skip(std::size_t n) { pos_ += n; }

private:
    const std::vector<std::uint8_t>& in_;
    std::size_t pos_;
    int used_ = 0;
};

// The fixed literal/length code, read bit by bit.
bool fixedSymbol(BitReader& r, int& symbol)
{
    std::uint32_t code = 0, b = 0;
    for (int len = 1; len <= 9; ++len) {
        if (!r.bit(b))
            return false;
        code = (code << 1) | b;
        if (len == 7 && code <= 0x17) {
            symbol = static_cast<int>(256 + code);
            return true;
        }
        if (len == 8 && code >= 0x30 && code <= 0xBF) {
            symbol = static_cast<int>(code - 0x30);
            return true;
        }
        if (len == 8 && code >= 0xC0 && code <= 0xC7) {
            symbol = static_cast<int>(280 + code - 0xC0);
            return true;
        }
        if (len == 9 && code >= 0x190) {
            symbol = static_cast<int>(144 + code - 0x190);
            return true;
        }
    }
    return false;
}

// Inflates stored and fixed-code blocks, which is all encodePng writes.
bool inflate(const std::vector<std::uint8_t>& zlib, std::vector<std::uint8_t>& out)
{
    BitReader r(zlib, 2);
    for (bool last = false; !last;) {
        std::uint32_t final = 0, type = 0;
        if (!r.bits(1, final) || !r.bits(2, type))
            return false;
        last = final != 0;
        if (type == 0) {
            r.alignToByte();
            const std::size_t at = r.position();
            if (at + 4 > zlib.size())
                return false;
            const std::size_t len = zlib[at] | (zlib[at + 1] << 8);
            if (at + 4 + len > zlib.size())
                return false;
            out.insert(out.end(), zlib.begin() + static_cast<std::ptrdiff_t>(at + 4),
                       zlib.begin() + static_cast<std::ptrdiff_t>(at + 4 + len));
            r.skip(4 + len);
        } else if (type == 1) {
            for (;;) {
                int symbol = 0;
                if (!fixedSymbol(r, symbol) || symbol > 285)
                    return false;
                if (symbol < 256) {
                    out.push_back(static_cast<std::uint8_t>(symbol));
                    continue;
                }
                if (symbol == 256)
                    break;
                std::uint32_t extra = 0, d = 0, dExtra = 0;
                if (!r.bits(LengthExtra[symbol - 257], extra))
                    return false;
                const std::size_t length = static_cast<std::size_t>(LengthBase[symbol - 257]) + extra;
                for (int i = 0; i < 5; ++i) {
                    std::uint32_t b = 0;
                    if (!r.bit(b))
                        return false;
                    d = (d << 1) | b;
                }
                if (d > 29 || !r.bits(DistanceExtra[d], dExtra))
                    return false;
                const std::size_t distance = static_cast<std::size_t>(DistanceBase[d]) + dExtra;
                if (distance > out.size() || out.size() + length > (std::size_t{1} << 30))
                    return false;
                for (std::size_t i = 0; i < length; ++i)
                    out.push_back(out[out.size() - distance]);
            }
        } else {
            return false;
        }
    }
    return true;
}

const std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

} // namespace

std::vector<std::uint8_t> encodePng(const ui::Image& image)
{
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    std::vector<std::uint8_t> out(std::begin(Signature), std::end(Signature));

    std::vector<std::uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, no interlace
    chunk(out, "IHDR", header);

    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            const std::uint32_t p = i < image.pixels.size() ? image.pixels[i] : 0;
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
        }
    }

    std::vector<std::uint8_t> zlib{0x78, 0x01};
    deflateFixed(raw, 1 + 3 * static_cast<std::size_t>(width), zlib);
    put32(zlib, adler32(raw));
    chunk(out, "IDAT", zlib);
    chunk(out, "IEND", {});
    return out;
}

bool writePng(const ui::Image& image, const std::string& path)
{
    const std::vector<std::uint8_t> bytes = encodePng(image);
    // Replaced as a whole, as every file the program writes: a full disk
    // leaves the old picture, never a cut one.
    return !cal::ReplaceFileContents(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool readPng(const std::string& path, ui::Image& image)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 8 || !std::equal(std::begin(Signature), std::end(Signature), bytes.begin()))
        return false;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> zlib;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t len = get32(bytes, at);
        if (len > bytes.size() - at - 12)
            return false;
        const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const std::size_t body = at + 8;
        if (type == "IHDR") {
            if (len != 13 || bytes[body + 8] != 8 || bytes[body + 9] != 2 || bytes[body + 12] != 0)
                return false;
            width = get32(bytes, body);
            height = get32(bytes, body + 4);
        } else if (type == "IDAT") {
            zlib.insert(zlib.end(), bytes.begin() + static_cast<std::ptrdiff_t>(body),
                        bytes.begin() + static_cast<std::ptrdiff_t>(body + len));
        }
        at = body + len + 4;
    }
    if (width == 0 || height == 0 || width > 16384 || height > 16384 || zlib.size() < 2)
        return false;

    std::vector<std::uint8_t> raw;
    if (!inflate(zlib, raw))
        return false;
    const std::size_t stride = 1 + 3 * static_cast<std::size_t>(width);
    if (raw.size() != stride * height)
        return false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = raw.data() + y * stride;
        if (row[0] != 0)
            return false;
        for (std::uint32_t x = 0; x < width; ++x)
            image.pixels[static_cast<std::size_t>(y) * width + x] =
                (std::uint32_t{row[1 + 3 * x]} << 16) | (std::uint32_t{row[2 + 3 * x]} << 8) | row[3 + 3 * x];
    }
    return true;
}

} // namespace orbilan::display
