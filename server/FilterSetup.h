// What the module tells the filter mapper about the filter: its class, name
// and merit, its two pin kinds and the media types of each. These describe
// the pins for the mapper only; the types the pins really offer and accept
// are decided when they connect, and their names at run time differ.
#pragma once

#include <windows.h>

#include "framework/AMovieSetup.h"

#include "quicktime/QTMediaGuids.h"

// Four-character-code types of the output pin's list: first character in
// the lowest byte of the first field.
inline constexpr GUID MEDIASUBTYPE_BSSD = FourCCGuid(FourCC::Bssd);
inline constexpr GUID MEDIATYPE_RANC = FourCCGuid(FourCC::Ranc);
inline constexpr GUID MEDIASUBTYPE_LU_A = FourCCGuid(FourCC::LuA);

// The output pin's media types, in the order the mapper is given them.
extern const AMOVIESETUP_MEDIATYPE sudOutputPinTypes[9];
// "Input" (its types are the filter's sudInputPinTypes) and "Output".
extern const AMOVIESETUP_PIN sudPins[2];
// "Ostrivel QuickTime File Parser", MERIT_DO_NOT_USE: a graph never picks
// it by itself while connecting pins.
extern const AMOVIESETUP_FILTER sudRZQTFileParser;
