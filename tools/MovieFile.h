// The movie as qtgraph reads it itself, with the parser's own quicktime/
// code over the file on disk: what info and chunks report beside the pins
// the filter offers, whichever build of the filter is registered.
#pragma once

#include <memory>
#include <string>

#include "quicktime/FileByteSource.h"
#include "quicktime/QTMovie.h"

class CMovieFile
{
public:
    // Opens path (UTF-8) and parses its movie: S_OK, the open's failure, or
    // the parse's.
    [[nodiscard]] HRESULT Open(const std::string& path);

    // The parsed movie, after Open succeeded.
    QTMovie& Movie() { return *m_movie; }
    LONGLONG FileLength() const { return m_source.Size(); }

private:
    CFileByteSource m_source;
    std::unique_ptr<QTMovie> m_movie;
};
