#include "tools/MovieFile.h"

#include <new>

HRESULT CMovieFile::Open(const std::string& path)
{
    m_movie.reset();
    HRESULT hr = m_source.Open(path);
    if (FAILED(hr))
        return hr;
    std::unique_ptr<QTMovie> movie(new (std::nothrow) QTMovie(&m_source));
    if (!movie)
        return E_OUTOFMEMORY;
    hr = movie->ParseMovie();
    if (FAILED(hr))
        return hr;
    m_movie = std::move(movie);
    return S_OK;
}
