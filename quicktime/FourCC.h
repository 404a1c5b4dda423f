// Four-character codes, each named once. A code holds its first character in
// the lowest byte, so the same value is a format code and the first field
// (Data1) of the media subtype GUID made from it.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr uint32_t MakeFourCC(char c0, char c1, char c2, char c3)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(c0)) | (static_cast<uint32_t>(static_cast<uint8_t>(c1)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c2)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c3)) << 24);
}

// The code of four type bytes in file order.
constexpr uint32_t FourCCFromBytes(const BYTE bytes[4])
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// A code as four wide characters plus the terminator, one character per byte
// (a zero byte ends the text early, as it would in a C string).
struct FourCCString
{
    wchar_t text[5];
    const wchar_t* c_str() const { return text; }
};

FourCCString FourCCToWide(uint32_t code);

namespace FourCC
{
// Top level
inline constexpr uint32_t Ftyp = MakeFourCC('f', 't', 'y', 'p');
inline constexpr uint32_t Wide = MakeFourCC('w', 'i', 'd', 'e');
inline constexpr uint32_t Free = MakeFourCC('f', 'r', 'e', 'e');
inline constexpr uint32_t Mdat = MakeFourCC('m', 'd', 'a', 't');
inline constexpr uint32_t Moov = MakeFourCC('m', 'o', 'o', 'v');
inline constexpr uint32_t Moof = MakeFourCC('m', 'o', 'o', 'f'); // a movie fragment
// Movie
inline constexpr uint32_t Mvhd = MakeFourCC('m', 'v', 'h', 'd');
inline constexpr uint32_t Trak = MakeFourCC('t', 'r', 'a', 'k');
inline constexpr uint32_t Udta = MakeFourCC('u', 'd', 't', 'a');
// Track
inline constexpr uint32_t Tkhd = MakeFourCC('t', 'k', 'h', 'd');
inline constexpr uint32_t Edts = MakeFourCC('e', 'd', 't', 's');
inline constexpr uint32_t Elst = MakeFourCC('e', 'l', 's', 't');
inline constexpr uint32_t Mdia = MakeFourCC('m', 'd', 'i', 'a');
inline constexpr uint32_t Mdhd = MakeFourCC('m', 'd', 'h', 'd');
inline constexpr uint32_t Hdlr = MakeFourCC('h', 'd', 'l', 'r');
inline constexpr uint32_t Minf = MakeFourCC('m', 'i', 'n', 'f');
// Media information headers
inline constexpr uint32_t Vmhd = MakeFourCC('v', 'm', 'h', 'd');
inline constexpr uint32_t Smhd = MakeFourCC('s', 'm', 'h', 'd');
inline constexpr uint32_t Gmhd = MakeFourCC('g', 'm', 'h', 'd');
inline constexpr uint32_t Gmin = MakeFourCC('g', 'm', 'i', 'n');
inline constexpr uint32_t Tmcd = MakeFourCC('t', 'm', 'c', 'd');
inline constexpr uint32_t Text = MakeFourCC('t', 'e', 'x', 't');
inline constexpr uint32_t Dinf = MakeFourCC('d', 'i', 'n', 'f');
inline constexpr uint32_t Dref = MakeFourCC('d', 'r', 'e', 'f');
// Sample table
inline constexpr uint32_t Stbl = MakeFourCC('s', 't', 'b', 'l');
inline constexpr uint32_t Stsd = MakeFourCC('s', 't', 's', 'd');
inline constexpr uint32_t Stts = MakeFourCC('s', 't', 't', 's');
inline constexpr uint32_t Stsc = MakeFourCC('s', 't', 's', 'c');
inline constexpr uint32_t Stsz = MakeFourCC('s', 't', 's', 'z');
inline constexpr uint32_t Stco = MakeFourCC('s', 't', 'c', 'o');
inline constexpr uint32_t Co64 = MakeFourCC('c', 'o', '6', '4');
// Sample description extensions
inline constexpr uint32_t Pasp = MakeFourCC('p', 'a', 's', 'p');
inline constexpr uint32_t Wave = MakeFourCC('w', 'a', 'v', 'e');
inline constexpr uint32_t Frma = MakeFourCC('f', 'r', 'm', 'a');
inline constexpr uint32_t Enda = MakeFourCC('e', 'n', 'd', 'a');
// Data formats
inline constexpr uint32_t In24 = MakeFourCC('i', 'n', '2', '4');
inline constexpr uint32_t In32 = MakeFourCC('i', 'n', '3', '2');
inline constexpr uint32_t Dv5n = MakeFourCC('d', 'v', '5', 'n');
inline constexpr uint32_t Dv5p = MakeFourCC('d', 'v', '5', 'p');
inline constexpr uint32_t Dv2n = MakeFourCC('d', 'v', '2', 'n');
inline constexpr uint32_t Dv2p = MakeFourCC('d', 'v', '2', 'p');
inline constexpr uint32_t Dvc = MakeFourCC('d', 'v', 'c', ' ');
inline constexpr uint32_t Dvpn = MakeFourCC('d', 'v', 'p', 'n');
inline constexpr uint32_t Dvpp = MakeFourCC('d', 'v', 'p', 'p');
inline constexpr uint32_t Hdv2 = MakeFourCC('h', 'd', 'v', '2');
inline constexpr uint32_t Mx4n = MakeFourCC('m', 'x', '4', 'n');
inline constexpr uint32_t Mx5n = MakeFourCC('m', 'x', '5', 'n');
// The private timecode subtype's code
inline constexpr uint32_t Qtcf = MakeFourCC('Q', 'T', 'C', 'F');
// Types the filter registers for its output pin and never offers
inline constexpr uint32_t Bssd = MakeFourCC('B', 'S', 'S', 'D');
inline constexpr uint32_t Ranc = MakeFourCC('R', 'A', 'N', 'C');
inline constexpr uint32_t LuA = MakeFourCC('L', 'U', '-', 'A');
} // namespace FourCC

// The same four characters in reverse order ("in24" becomes "42ni").
constexpr uint32_t ReverseFourCC(uint32_t code)
{
    return (code >> 24) | ((code >> 8) & 0xFF00) | ((code << 8) & 0xFF0000) | (code << 24);
}
