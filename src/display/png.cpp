#include "display/png.h"

#include <png.h>

#include <algorithm>
#include <string_view>

#include "cal/text_file.h"

namespace orbilan::display {

namespace {

// A 16-bit RGBA file of the largest picture, stored without compression,
// stays below this; anything longer is not a picture we could take.
constexpr std::size_t MaxPngFileBytes = std::size_t{256} << 20;

// libpng's simplified interface keeps its state behind image.opaque until
// the image is read or written completely; an early return frees it here.
class PngImage {
public:
    PngImage() { image_.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image_); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
    png_image* operator->() { return &image_; }
    png_image* get() { return &image_; }
    std::string message() const
    {
        return image_.message[0] != '\0' ? std::string(image_.message) : std::string("not a PNG file");
    }

private:
    png_image image_{};
};

bool withinLimits(std::uint64_t width, std::uint64_t height)
{
    return width > 0 && height > 0 && width <= MaxPngSide && height <= MaxPngSide && width * height <= MaxPngPixels;
}

std::uint32_t bigEndian(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// libpng allocates some chunks (sPLT, text, ...) at the length their header
// claims before it reads them, so 300 bytes claiming a 1.9 GB chunk cost
// 1.9 GB. Only the chunk lengths are looked at here, against the bytes there
// are; everything else of the file is libpng's to judge. Empty when every
// chunk up to IEND lies inside the data (or the data is no PNG at all).
std::string chunkPastTheEnd(const std::uint8_t* data, std::size_t size)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return {};
    for (std::size_t at = 8; at + 8 <= size;) {
        const std::uint32_t length = bigEndian(data + at);
        const std::uint8_t* type = data + at + 4;
        if (length > size - at - 8 || size - at - 8 - length < 4) {
            const bool named = std::all_of(type, type + 4, [](std::uint8_t c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            });
            return "damaged PNG file: " + (named ? "its " + std::string(type, type + 4) + " chunk" : "a chunk")
                   + " claims " + std::to_string(length) + " bytes, more than the file holds";
        }
        if (std::equal(type, type + 4, "IEND"))
            break;
        at += std::size_t{12} + length;
    }
    return {};
}

} // namespace

std::vector<std::uint8_t> encodePng(const ui::Image& image)
{
    if (image.width <= 0 || image.height <= 0)
        return {};
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    if (!withinLimits(width, height) || image.pixels.size() != std::size_t{width} * height)
        return {};

    std::vector<std::uint8_t> rgb;
    rgb.reserve(3 * image.pixels.size());
    for (const std::uint32_t p : image.pixels) {
        rgb.push_back(static_cast<std::uint8_t>(p >> 16));
        rgb.push_back(static_cast<std::uint8_t>(p >> 8));
        rgb.push_back(static_cast<std::uint8_t>(p));
    }

    PngImage png;
    png->width = width;
    png->height = height;
    png->format = PNG_FORMAT_RGB;
    // Room for the worst case, so the image is compressed once.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(*png.get());
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(png.get(), out.data(), &size, 0, rgb.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

bool decodePng(const std::uint8_t* data, std::size_t size, ui::Image& image, std::string& error)
{
    if (data == nullptr || size == 0) {
        error = "not a PNG file";
        return false;
    }
    if (std::string damaged = chunkPastTheEnd(data, size); !damaged.empty()) {
        error = std::move(damaged);
        return false;
    }
    PngImage png;
    // Reads the chunks before the image data only, so the size is known
    // before anything is allocated for the pixels.
    if (!png_image_begin_read_from_memory(png.get(), data, size)) {
        error = png.message();
        return false;
    }
    if (!withinLimits(png->width, png->height)) {
        error = "picture too large: " + std::to_string(png->width) + " x " + std::to_string(png->height)
                + " pixels (at most " + std::to_string(MaxPngSide) + " on a side and "
                + std::to_string(MaxPngPixels) + " in all)";
        return false;
    }
    png->format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(*png.get()));
    const png_color black{0, 0, 0};
    if (!png_image_finish_read(png.get(), &black, rgb.data(), 0, nullptr)) {
        error = png.message();
        return false;
    }

    image.width = static_cast<int>(png->width);
    image.height = static_cast<int>(png->height);
    image.pixels.resize(rgb.size() / 3);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    return true;
}

bool writePng(const ui::Image& image, const std::string& path)
{
    const std::vector<std::uint8_t> bytes = encodePng(image);
    if (bytes.empty())
        return false;
    // Replaced as a whole, as every file the program writes: a full disk
    // leaves the old picture, never a cut one.
    return !cal::ReplaceFileContents(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool readPng(const std::string& path, ui::Image& image, std::string& error)
{
    std::string bytes;
    if (const auto failed = cal::ReadWholeFile(path, bytes, MaxPngFileBytes)) {
        error = failed->number == 7 ? "file larger than " + std::to_string(MaxPngFileBytes >> 20) + " MiB"
                                    : failed->description;
        return false;
    }
    return decodePng(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image, error);
}

bool readPng(const std::string& path, ui::Image& image)
{
    std::string ignored;
    return readPng(path, image, ignored);
}

} // namespace orbilan::display
