// The registry file's text: the platform's .reg export format, in UTF-8.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32]
//   @="/path/module.so"
//   "ThreadingModel"="Both"
//   "Merit"=dword:00200000
//   "Data"=hex:01,ff
//
// A section per key, every key listed (so empty ones are kept), in the order
// the keys were made; a value line per value; blank lines and ';' comment
// lines between. Strings escape '\' and '"' with a '\'. Reading takes this
// and nothing else: no removal sections or lines, no other value kinds, no
// continued lines.
#pragma once

#include <string>

#include "platform/RegistryKey.h"

// The hives a file may hold, and the limits its names must keep.
extern const wchar_t* const kRegistryHives[3];
constexpr size_t kMaxRegistryKeyName = 255;
constexpr size_t kMaxRegistryValueName = 16383;
constexpr size_t kMaxRegistryDepth = 512;

// root's subkeys are the hives.
std::string FormatRegFile(const CRegistryKey& root);

// Reads text into root (an empty key). False, with problem set to
// "line N: what is wrong", for anything that is not the format above.
[[nodiscard]] bool ParseRegFile(const std::string& text, CRegistryKey& root, std::string& problem);

// Whether text can be written as a key or value name or as string data: no
// control characters (they would break the line-based format).
bool IsRegistryText(const std::wstring& text);
