// Screen capture: the loop decides which drawn frame becomes which picture; the PNG and GIF
// writers of src/video do the encoding.
#include "engine/capture.h"

#include "tarvo/core/log.h"
#include "tarvo/core/timer.h"
#include "tarvo/video/gifwriter.h"
#include "tarvo/video/pngfile.h"
#include "tarvo/video/surface.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tarvo
{

namespace
{

const int kDotX = 312;
const int kDotY = 4;
const int kDotSize = 4;
const uint32_t kUnlimited = UINT32_MAX;

// The dot's pixels as 32-bit words, visited row by row.
template <typename Visit>
void forDotPixels(Surface& screen, Visit visit)
{
    SDL_Surface* surface = screen.getSdlSurface();
    if (!surface || surface->format->BytesPerPixel != 4 || surface->w < kDotX + kDotSize ||
        surface->h < kDotY + kDotSize || !screen.lock()) {
        return;
    }
    for (int y = 0; y < kDotSize; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                (kDotY + y) * surface->pitch) +
                    kDotX;
        for (int x = 0; x < kDotSize; ++x) {
            visit(row[x], y * kDotSize + x);
        }
    }
    screen.unlock();
}

} // namespace

struct Capture::Recording {
    GifWriter writer;
    std::string name;
    uint32_t start = 0;       // the tick of the first picture
    uint32_t lastTick = 0;    // the last tick recorded, counted from start
    bool byKey = false;       // an F9 recording; otherwise the range
    bool limited = false;     // lastTick set by gifmaxseconds
    bool stopped = false;     // lastTick set by a stop since
    uint32_t nextPicture = 0; // the tick, counted from start, the next picture is due at
    int added = 0;
};

bool reserveCaptureName(const std::string& prefix, const char* extension, std::string& name)
{
    for (int number = 1; number <= 9999; ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%04d.", number);
        name = prefix + suffix + extension;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

Capture::Capture(uint32_t maxTicks, std::string prefix)
    : maxTicks(maxTicks), prefix(std::move(prefix))
{
}

Capture::~Capture() = default;

void Capture::screenshot(const Surface& screen)
{
    std::string name;
    // With all 9999 names taken the warning names the last; its file stays as it is.
    if (reserveCaptureName(prefix, "png", name)) {
        screen.readRgb(rgb);
        if (!rgb.empty() && writePng(name, rgb.data(), screen.getWidth(), screen.getHeight(), 3)) {
            gLog->print("Saved screenshot %s", name.c_str());
            return;
        }
        std::remove(name.c_str());
    }
    gLog->print("Warning: couldn't save screenshot %s", name.c_str());
}

void Capture::toggle(uint32_t tick)
{
    for (const auto& recording : recordings) {
        // One stopped by the limit before this tick only waits for its last frame.
        if (recording->byKey && !recording->stopped &&
            tick - recording->start <= recording->lastTick) {
            recording->lastTick = tick - recording->start;
            recording->stopped = true;
            return;
        }
    }
    auto recording = std::make_unique<Recording>();
    recording->byKey = true;
    recording->limited = maxTicks > 0;
    recording->lastTick = recording->limited ? maxTicks - 1 : kUnlimited;
    // With all 9999 names taken the warning names the last; its file stays as it is.
    if (!reserveCaptureName(prefix, "gif", recording->name)) {
        gLog->print("Warning: couldn't write %s; recording stopped", recording->name.c_str());
        return;
    }
    start(std::move(recording), tick);
}

void Capture::startRange(uint32_t tick, uint32_t lastTick, const std::string& path)
{
    auto recording = std::make_unique<Recording>();
    recording->name = path;
    recording->lastTick = lastTick == kUnlimited ? kUnlimited : lastTick - tick;
    start(std::move(recording), tick);
}

void Capture::start(std::unique_ptr<Recording> recording, uint32_t tick)
{
    if (!recording->writer.open(recording->name, kScreenWidth, kScreenHeight)) {
        if (recording->byKey) {
            std::remove(recording->name.c_str()); // the name reserved for it
        }
        gLog->print("Warning: couldn't write %s; recording stopped", recording->name.c_str());
        return;
    }
    recording->start = tick;
    gLog->print("Recording %s", recording->name.c_str());
    recordings.push_back(std::move(recording));
}

void Capture::frameDrawn(uint32_t tick, const Surface& screen)
{
    advance(tick, &screen);
}

void Capture::frameSkipped(uint32_t tick)
{
    advance(tick, nullptr);
}

void Capture::advance(uint32_t tick, const Surface* screen)
{
    rgb.clear();
    for (auto it = recordings.begin(); it != recordings.end();) {
        Recording& recording = **it;
        const uint32_t elapsed = tick - recording.start;
        const uint32_t reached = std::min(elapsed, recording.lastTick);
        if (screen && reached >= recording.nextPicture) {
            if (rgb.empty()) {
                screen->readRgb(rgb);
            }
            // The frame stands for the latest picture tick this pass reached, so skipped
            // ticks lengthen the picture before it; the first picture is always at 0.
            const uint32_t pictureTick = recording.added == 0 ? 0 : reached & ~1u;
            if (rgb.empty() || !recording.writer.add(rgb.data(), pictureTick)) {
                fail(recording);
                it = recordings.erase(it);
                continue;
            }
            ++recording.added;
            recording.nextPicture = pictureTick + 2;
        }
        if (elapsed >= recording.lastTick) {
            finish(recording, recording.lastTick + 1);
            it = recordings.erase(it);
            continue;
        }
        ++it;
    }
}

void Capture::finishAll(uint32_t ticksRun)
{
    for (const auto& recording : recordings) {
        const uint32_t ran = ticksRun - recording->start;
        // lastTick + 1 would wrap to 0 for an unlimited recording.
        finish(*recording, ran > recording->lastTick ? recording->lastTick + 1 : ran);
    }
    recordings.clear();
}

void Capture::finish(Recording& recording, uint32_t ticks)
{
    // Stopped in the tick it began, or never drawn (iconified, or the run ended first).
    if (recording.added == 0) {
        recording.writer.abandon();
        gLog->print("Warning: recording %s has no pictures; nothing saved", recording.name.c_str());
        return;
    }
    if (!recording.writer.finish(ticks)) {
        fail(recording);
        return;
    }
    if (recording.limited && !recording.stopped && ticks == maxTicks) {
        gLog->print("Stopped recording %s after %u s", recording.name.c_str(),
                    maxTicks / kTicksPerSecond);
    }
    gLog->print("Saved recording %s (%d pictures, %u ticks)", recording.name.c_str(),
                recording.writer.pictures(), ticks);
    rangeWritten = rangeWritten || !recording.byKey;
}

void Capture::fail(Recording& recording)
{
    recording.writer.abandon();
    gLog->print("Warning: couldn't write %s; recording stopped", recording.name.c_str());
}

void Capture::drawDot(Surface& screen)
{
    if (recordings.empty()) {
        return;
    }
    const uint32_t red = screen.mapRgb(SDL_Color{255, 0, 0, 0});
    forDotPixels(screen, [&](uint32_t& pixel, int index) {
        underDot[index] = pixel;
        pixel = red;
    });
    dotDrawn = true;
}

void Capture::restoreDot(Surface& screen)
{
    if (!dotDrawn) {
        return;
    }
    forDotPixels(screen, [&](uint32_t& pixel, int index) { pixel = underDot[index]; });
    dotDrawn = false;
}

} // namespace tarvo
