// PNG output through libpng's simplified write interface, which needs no setjmp handling.
#include "tarvo/video/pngfile.h"

#include <cerrno>
#include <cstdio>
#include <png.h>
#include <unistd.h>

namespace tarvo
{

bool writePng(const std::string& path, const uint8_t* pixels, int width, int height, int channels)
{
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) {
        errno = EINVAL;
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // The process id keeps two writers of one path from sharing a temporary file.
    const std::string temporary = path + "." + std::to_string(getpid()) + ".part";
    errno = 0;
    const bool written =
        png_image_write_to_file(&image, temporary.c_str(), 0, pixels, 0, nullptr) != 0;
    int error = errno;
    png_image_free(&image);
    if (written) {
        if (std::rename(temporary.c_str(), path.c_str()) == 0) {
            return true;
        }
        error = errno;
    }
    std::remove(temporary.c_str());
    // Callers report errno: the failed write's or rename's, or EIO where nothing set one.
    errno = error != 0 ? error : EIO;
    return false;
}

bool readPng(const std::string& path, std::vector<uint8_t>& rgba, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return false;
    }
    // A picture this large is no tile sheet; refusing it bounds the allocation.
    if (static_cast<uint64_t>(image.width) * image.height > (1u << 26)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgba.swap(pixels);
    return true;
}

} // namespace tarvo
