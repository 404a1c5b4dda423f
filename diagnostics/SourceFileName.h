// QTP_SOURCE_FILE: the name of the current source file as the journal records
// it: without folders and without extension ("RZQTFileParser" for
// .../filter/RZQTFileParser.cpp), the same on both builds whichever slashes
// the compiler puts in __FILE__. Worked out at compile time.
#pragma once

#include <cstddef>

template <size_t N>
struct SourceBaseName
{
    wchar_t text[N];
};

// The part of path after its last '/' or '\\', up to its last '.'; a name
// whose only '.' is its first character keeps it.
template <size_t N>
constexpr SourceBaseName<N> MakeSourceBaseName(const wchar_t (&path)[N])
{
    size_t begin = 0;
    for (size_t i = 0; i + 1 < N && path[i]; ++i)
        if (path[i] == L'/' || path[i] == L'\\')
            begin = i + 1;
    size_t end = begin;
    while (end + 1 < N && path[end])
        ++end;
    for (size_t i = end; i > begin + 1; --i)
        if (path[i - 1] == L'.')
        {
            end = i - 1;
            break;
        }
    SourceBaseName<N> name{};
    for (size_t i = begin; i < end; ++i)
        name.text[i - begin] = path[i];
    return name;
}

#define QTP_SOURCE_FILE                                                                   \
    ([]() -> const wchar_t* {                                                             \
        static constexpr auto qtpName = MakeSourceBaseName(L"" __FILE__);                 \
        return qtpName.text;                                                              \
    }())
