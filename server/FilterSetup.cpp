#include "server/FilterSetup.h"

#include "filter/RZQTFileParser.h"

const AMOVIESETUP_MEDIATYPE sudOutputPinTypes[9] = {
    {&MEDIATYPE_Video, &MEDIASUBTYPE_MPEG2_VIDEO},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_dvsd},
    {&MEDIATYPE_Video, &MEDIASUBTYPE_dvhd},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_MPEG1AudioPayload},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_DOLBY_AC3},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_BSSD},
    {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM},
    {&MEDIATYPE_RANC, &MEDIASUBTYPE_LU_A},
    {&MEDIATYPE_Stream, &MEDIASUBTYPE_NULL},
};

// The platform's pin table takes a writable name; the mapper only reads it.
const AMOVIESETUP_PIN sudPins[2] = {
    {const_cast<LPWSTR>(L"Input"), FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, nullptr,
     sizeof(sudInputPinTypes) / sizeof(sudInputPinTypes[0]), sudInputPinTypes},
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, TRUE, TRUE, &CLSID_NULL, nullptr,
     sizeof(sudOutputPinTypes) / sizeof(sudOutputPinTypes[0]), sudOutputPinTypes},
};

const AMOVIESETUP_FILTER sudRZQTFileParser = {&CLSID_RZQTFileParser, L"Ostrivel QuickTime File Parser",
                                              MERIT_DO_NOT_USE, 2, sudPins};
