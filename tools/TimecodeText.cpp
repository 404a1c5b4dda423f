#include "tools/TimecodeText.h"

#include <cstdio>

std::string TimecodeOfFrame(DWORD frame, LONG framesPerSecond, bool dropFrame)
{
    const uint64_t fps = framesPerSecond > 0 ? static_cast<uint64_t>(framesPerSecond) : 1;
    uint64_t count = frame;
    // Drop-frame numbering skips fps/15 numbers a minute (2 at 30, 4 at 60)
    // except every tenth minute; count becomes the frame's number.
    const uint64_t dropped = dropFrame ? fps / 15 : 0;
    if (dropped > 0)
    {
        const uint64_t perTenMinutes = fps * 600 - dropped * 9;
        const uint64_t perMinute = fps * 60 - dropped;
        const uint64_t tens = count / perTenMinutes;
        const uint64_t rest = count % perTenMinutes;
        count += dropped * 9 * tens + (rest > dropped ? dropped * ((rest - dropped) / perMinute) : 0);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u%c%02u", static_cast<unsigned>(count / (fps * 3600) % 24),
                  static_cast<unsigned>(count / (fps * 60) % 60), static_cast<unsigned>(count / fps % 60),
                  dropFrame ? ';' : ':', static_cast<unsigned>(count % fps));
    return text;
}

std::string TimecodeText(const TimecodeFormatBlock& block)
{
    const bool dropFrame = block.dropFrame != 0;
    return "start frame        " + std::to_string(block.startFrame) + "\n" +
           "frames per second  " + std::to_string(block.framesPerSecond) + "\n" +
           "drop frame         " + (dropFrame ? "yes" : "no") + "\n" +
           "start timecode     " + TimecodeOfFrame(block.startFrame, block.framesPerSecond, dropFrame) + "\n";
}
