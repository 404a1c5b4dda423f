// The standard walk over the children of a container atom, written once:
// next atom, look up its handler, open a child reader, run the handler, skip
// the rest of the atom. A handler never positions its parent.
//
// Each container declares one small table of the children it knows:
//
//     static const QTAtomHandler<QTTrack> kTrakChildren[] = {
//         {FourCC::Tkhd, &QTTrack::ParseTkhd},
//         {FourCC::Mdia, &QTTrack::ParseMdia},
//     };
//     return WalkAtoms(reader, *this, kTrakChildren);
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/DebugPrint.h"
#include "quicktime/QTParser.h"

enum class QTAtomAccess
{
    // The handler gets a child reader over the atom, standing at its payload.
    Open,
    // The handler gets the walking reader itself, just after the atom's
    // header, for atoms judged by their name or size alone; GetAtomSize tells
    // the size. It must not move that reader.
    HeaderOnly,
};

template <typename Owner>
struct QTAtomHandler
{
    uint32_t type;
    HRESULT (Owner::*handle)(QTParser& reader);
    QTAtomAccess access = QTAtomAccess::Open;
    const wchar_t* trace = nullptr; // trace line written before the atom is opened
};

// Walks reader's remaining atoms until GetNextAtom stops (the end of the
// region or a malformed header, neither of them an error): S_OK. A handler
// that fails ends the walk at once with its result.
template <typename Owner, size_t N>
[[nodiscard]] HRESULT WalkAtoms(QTParser& reader, Owner& owner, const QTAtomHandler<Owner> (&handlers)[N])
{
    LONGLONG size = 0;
    uint32_t type = 0;
    LONGLONG payload = 0;
    while (reader.GetNextAtom(size, type, payload) >= 1)
    {
        for (const QTAtomHandler<Owner>& handler : handlers)
        {
            if (handler.type != type)
                continue;
            if (handler.trace)
                DebugPrintW(L"%s", handler.trace);
            HRESULT hr = S_OK;
            if (handler.access == QTAtomAccess::Open)
            {
                QTParser child = reader.OpenAtom();
                hr = (owner.*handler.handle)(child);
            }
            else
            {
                hr = (owner.*handler.handle)(reader);
            }
            if (FAILED(hr))
                return hr;
            break;
        }
        (void)reader.SkipRestOfAtom();
    }
    return S_OK;
}
