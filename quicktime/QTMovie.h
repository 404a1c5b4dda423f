// The parsed file: finds the first "moov" atom at the top level of the source
// and parses it as a Movie. Used by one thread at a time.
#pragma once

#include <windows.h>

#include <memory>

#include "quicktime/IByteSource.h"
#include "quicktime/Movie.h"

class QTMovie : public Movie
{
public:
    // source is not owned and must outlive the movie.
    explicit QTMovie(IByteSource* source) : m_source(source) {}
    ~QTMovie() override;

    // S_OK, or E_FAIL when no "moov" comes before the end of the file (or
    // before a malformed top-level header) or when the movie fails.
    // E_OUTOFMEMORY when the parse cannot allocate.
    [[nodiscard]] HRESULT ParseMovie();

private:
    IByteSource* m_source; // not owned
    std::unique_ptr<QTParser> m_topReader;
};
