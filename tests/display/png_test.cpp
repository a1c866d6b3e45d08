// PNG files: what is written reads back pixel for pixel, PNGs of other kinds
// (grey, palette, alpha, 16-bit) read as the colours they show, and damaged,
// foreign or oversized input is refused with a reason and changes nothing.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <filesystem>

#include "display/png.h"
#include "support/test_platform.h"

namespace orbilan::display {
namespace {

ui::Image picture(int width, int height, std::vector<std::uint32_t> pixels)
{
    return ui::Image{width, height, std::move(pixels)};
}

// A file of another kind, made by libpng itself.
std::vector<std::uint8_t> foreignPng(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                                     const void* samples, const void* colourMap = nullptr,
                                     std::uint32_t mapEntries = 0)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    image.colormap_entries = mapEntries;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_get_memory_size(image, size, 0, samples, 0, colourMap));
    std::vector<std::uint8_t> bytes(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, samples, 0, colourMap));
    bytes.resize(size);
    return bytes;
}

ui::Image decoded(const std::vector<std::uint8_t>& bytes)
{
    ui::Image image;
    std::string error;
    EXPECT_TRUE(decodePng(bytes.data(), bytes.size(), image, error)) << error;
    return image;
}

// The encoding of a picture with another size in its header (and a header
// checksum to match), as a hostile or broken file would claim.
std::vector<std::uint8_t> withHeaderSize(std::vector<std::uint8_t> bytes, std::uint32_t width, std::uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        bytes[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        bytes[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, bytes.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return bytes;
}

TEST(PngFile, WrittenPicturesReadBackPixelForPixel)
{
    const test::TempDir dir;
    std::vector<std::uint32_t> ramp;
    for (std::uint32_t i = 0; i < 7 * 5; ++i)
        ramp.push_back(i * 0x0507F3u & 0xFFFFFFu);
    for (const ui::Image& image : {picture(1, 1, {0xFFFFFF}), picture(7, 5, ramp), picture(1, 3, {0, 0x800000, 0x0000FF})}) {
        const std::string path = (dir.path() / "picture.png").string();
        ASSERT_TRUE(writePng(image, path));
        ui::Image back;
        ASSERT_TRUE(readPng(path, back));
        EXPECT_EQ(back.width, image.width);
        EXPECT_EQ(back.height, image.height);
        EXPECT_EQ(back.pixels, image.pixels);
    }
    // The byte above the colour is not part of the picture.
    EXPECT_EQ(decoded(encodePng(picture(2, 1, {0xFF123456, 0x01ABCDEF}))).pixels,
              (std::vector<std::uint32_t>{0x123456, 0xABCDEF}));
}

TEST(PngFile, OtherKindsOfPngReadAsTheColoursTheyShow)
{
    const std::uint8_t grey[] = {0x00, 0x80, 0xFF};
    EXPECT_EQ(decoded(foreignPng(PNG_FORMAT_GRAY, 3, 1, grey)).pixels,
              (std::vector<std::uint32_t>{0x000000, 0x808080, 0xFFFFFF}));

    // Transparency lies over black.
    const std::uint8_t rgba[] = {0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(decoded(foreignPng(PNG_FORMAT_RGBA, 2, 1, rgba)).pixels, (std::vector<std::uint32_t>{0x123456, 0}));

    const std::uint8_t map[] = {0x00, 0x00, 0x00, 0xC0, 0x10, 0x20, 0x01, 0x02, 0x03};
    const std::uint8_t indices[] = {1, 2, 0, 1};
    const ui::Image palette = decoded(foreignPng(PNG_FORMAT_RGB_COLORMAP, 2, 2, indices, map, 3));
    EXPECT_EQ(palette.width, 2);
    EXPECT_EQ(palette.height, 2);
    EXPECT_EQ(palette.pixels, (std::vector<std::uint32_t>{0xC01020, 0x010203, 0x000000, 0xC01020}));

    // 16-bit linear light, converted to the 8-bit sRGB the canvas holds.
    const std::uint16_t deep[] = {0, 0, 0, 65535, 65535, 65535, 65535, 0, 0};
    EXPECT_EQ(decoded(foreignPng(PNG_FORMAT_LINEAR_RGB, 3, 1, deep)).pixels,
              (std::vector<std::uint32_t>{0x000000, 0xFFFFFF, 0xFF0000}));
}

TEST(PngFile, DamagedForeignAndOversizedInputIsRefusedWithAReason)
{
    const std::vector<std::uint8_t> good = encodePng(picture(4, 4, std::vector<std::uint32_t>(16, 0x336699)));
    ASSERT_FALSE(good.empty());
    const ui::Image untouched = picture(1, 1, {0xABCDEF});
    auto refusal = [&](const std::vector<std::uint8_t>& bytes) {
        ui::Image image = untouched;
        std::string error;
        EXPECT_FALSE(decodePng(bytes.data(), bytes.size(), image, error));
        EXPECT_EQ(image.pixels, untouched.pixels);
        EXPECT_EQ(image.width, 1);
        return error;
    };
    EXPECT_EQ(refusal({}), "not a PNG file");
    EXPECT_FALSE(refusal({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}).empty());
    // Cut inside the image data.
    EXPECT_FALSE(refusal(std::vector<std::uint8_t>(good.begin(), good.begin() + 50)).empty());
    EXPECT_EQ(refusal(std::vector<std::uint8_t>(good.begin(), good.begin() + 60)),
              "damaged PNG file: its IDAT chunk claims 20 bytes, more than the file holds");
    // A chunk that claims far more than the file holds is refused before
    // libpng allocates its claimed length (an sPLT chunk of 1.9 GB in a file
    // of 90 bytes here).
    std::vector<std::uint8_t> claims(good.begin(), good.begin() + 33);
    const std::uint8_t splt[] = {0x73, 0x73, 0x73, 0x73, 's', 'P', 'L', 'T'};
    claims.insert(claims.end(), std::begin(splt), std::end(splt));
    claims.resize(claims.size() + 50, 0x73);
    EXPECT_EQ(refusal(claims), "damaged PNG file: its sPLT chunk claims 1936946035 bytes, more than the file holds");
    // A corrupted header checksum.
    std::vector<std::uint8_t> badCrc = good;
    badCrc[30] ^= 0x40;
    EXPECT_FALSE(refusal(badCrc).empty());

    EXPECT_EQ(refusal(withHeaderSize(good, 16385, 1)),
              "picture too large: 16385 x 1 pixels (at most 16384 on a side and 16777216 in all)");
    EXPECT_EQ(refusal(withHeaderSize(good, 4097, 4096)),
              "picture too large: 4097 x 4096 pixels (at most 16384 on a side and 16777216 in all)");
    // Within the limits, but the data is for 4 x 4.
    EXPECT_FALSE(refusal(withHeaderSize(good, 4096, 4096)).empty());
}

TEST(PngFile, NoFileForAPictureThatCannotBeEncoded)
{
    const test::TempDir dir;
    const std::string path = (dir.path() / "picture.png").string();
    for (const ui::Image& image : {picture(0, 0, {}), picture(2, 2, {1, 2, 3}), picture(-1, 1, {0}),
                                   picture(16385, 1, std::vector<std::uint32_t>(16385))}) {
        EXPECT_TRUE(encodePng(image).empty());
        EXPECT_FALSE(writePng(image, path));
        EXPECT_FALSE(std::filesystem::exists(path));
    }

    ui::Image back;
    std::string error;
    EXPECT_FALSE(readPng((dir.path() / "missing.png").string(), back, error));
    EXPECT_EQ(error, "Path not found");
    dir.write("text.png", "not a picture at all");
    EXPECT_FALSE(readPng((dir.path() / "text.png").string(), back, error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace orbilan::display
