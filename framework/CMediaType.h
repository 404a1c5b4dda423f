// CMediaType: an AM_MEDIA_TYPE that owns its format block (and a reference
// to pUnk, when set), as the SDK's mtype.h has it; plus the SDK's free
// functions for AM_MEDIA_TYPE structures handed across interfaces.
//
// A CMediaType is an AM_MEDIA_TYPE with no other members, so it can be passed
// wherever an AM_MEDIA_TYPE* is expected. Copies are deep. The format block is
// allocated with CoTaskMemAlloc, as interfaces expect.
#pragma once

#include <windows.h>

#include <dshow.h>

class CMediaType : public AM_MEDIA_TYPE
{
public:
    // Empty: all zero, fixed-size samples, sample size 1 (see InitMediaType).
    CMediaType();
    // Empty, with the given major type.
    explicit CMediaType(const GUID* majortype);
    // Deep copies; on allocation failure *phr (when given) becomes
    // E_OUTOFMEMORY and the copy has no format block.
    CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr = nullptr);
    CMediaType(const CMediaType& mt, HRESULT* phr = nullptr);
    ~CMediaType();

    // Deep copy; on allocation failure the type is left without a format
    // block (use Set to see the failure).
    CMediaType& operator=(const AM_MEDIA_TYPE& mt);
    CMediaType& operator=(const CMediaType& mt);

    // Major type, subtype, format type and format bytes all equal.
    bool operator==(const CMediaType& mt) const;
    bool operator!=(const CMediaType& mt) const { return !(*this == mt); }

    // Deep copy; S_OK or E_OUTOFMEMORY (then without a format block).
    [[nodiscard]] HRESULT Set(const CMediaType& mt);
    [[nodiscard]] HRESULT Set(const AM_MEDIA_TYPE& mt);

    // A major type is set.
    BOOL IsValid() const;

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* ptype) { majortype = *ptype; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* ptype) { subtype = *ptype; }
    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    // Bytes per sample; 0 when samples vary in size.
    ULONG GetSampleSize() const;
    // Bytes per sample; 0 makes the samples variable-sized.
    void SetSampleSize(ULONG sz);
    void SetVariableSize();
    void SetTemporalCompression(BOOL bCompressed);

    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* pformattype) { formattype = *pformattype; }
    ULONG FormatLength() const { return cbFormat; }
    BYTE* Format() const { return pbFormat; }
    // Copies length bytes of pformat as the format block. FALSE when out of memory.
    BOOL SetFormat(const BYTE* pformat, ULONG length);
    // Frees the format block.
    void ResetFormatBuffer();
    // A new, uninitialised format block of length bytes (the old one freed);
    // null when out of memory.
    BYTE* AllocFormatBuffer(ULONG length);
    // Resizes the block keeping its leading bytes; null when out of memory
    // (the old block is then kept).
    BYTE* ReallocFormatBuffer(ULONG length);

    // Back to the empty state: format block and pUnk released, all fields
    // zero, bFixedSizeSamples TRUE, lSampleSize 1.
    void InitMediaType();

    // True when every part that ppartial specifies (a non-null major type,
    // subtype or format type; with a format type, also the format bytes)
    // equals this type's.
    bool MatchesPartial(const CMediaType* ppartial) const;
    // Major type or format type left null: such a type only narrows a search
    // (Connect tries it against the pins' own types).
    bool IsPartiallySpecified() const;
};

// The SDK's helpers for AM_MEDIA_TYPE structures that cross interfaces.
// Releases the format block and pUnk, leaving no format.
void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees the format block and the structure itself (both CoTaskMemAlloc'ed,
// as IEnumMediaTypes::Next hands them out). Accepts null.
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt);
// A deep copy in task memory; null when out of memory.
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc);
// Deep copy into an uninitialised structure; E_OUTOFMEMORY leaves the target
// without a format block.
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
