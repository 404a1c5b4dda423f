// Native stand-in for <evcode.h>: event codes a filter reports through
// IMediaEventSink::Notify, with the platform's values.
#pragma once

#define EC_SYSTEMBASE 0x00
#define EC_USER 0x8000

#define EC_COMPLETE 0x01                  // param1: HRESULT of the stream, param2: the renderer
#define EC_USERABORT 0x02
#define EC_ERRORABORT 0x03                // param1: HRESULT
#define EC_TIME 0x04
#define EC_REPAINT 0x05
#define EC_STREAM_ERROR_STOPPED 0x06      // param1: HRESULT, param2: filter-defined
#define EC_STREAM_ERROR_STILLPLAYING 0x07 // param1: HRESULT, param2: filter-defined
#define EC_ERROR_STILLPLAYING 0x08
#define EC_PALETTE_CHANGED 0x09
#define EC_VIDEO_SIZE_CHANGED 0x0A
#define EC_QUALITY_CHANGE 0x0B
#define EC_SHUTTING_DOWN 0x0C
#define EC_CLOCK_CHANGED 0x0D
#define EC_PAUSED 0x0E
#define EC_OPENING_FILE 0x10
#define EC_BUFFERING_DATA 0x11
#define EC_STARVATION 0x17
#define EC_END_OF_SEGMENT 0x1C
#define EC_SEGMENT_STARTED 0x1D
#define EC_LENGTH_CHANGED 0x1E
#define EC_ERRORABORTEX 0x45
