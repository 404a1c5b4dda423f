// The text qtgraph extract writes for a timecode pin: its start value, from
// the pin's format block, as a frame count and as a timecode.
#pragma once

#include <string>

#include "pins/TimecodeFormat.h"

// "HH:MM:SS:FF", or "HH:MM:SS;FF" for drop-frame counting (NTSC's 29.97 and
// 59.94 frames per second: frame numbers 0 and 1, or 0 to 3, are skipped at
// the start of every minute except each tenth). frame: frames since
// 00:00:00:00, 0-based. Hours wrap at 24.
std::string TimecodeOfFrame(DWORD frame, LONG framesPerSecond, bool dropFrame);

// The file's lines: "start frame", "frames per second", "drop frame" and
// "start timecode", each a name and its value.
std::string TimecodeText(const TimecodeFormatBlock& block);
