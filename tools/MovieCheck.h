// The structural check of a movie file, without a graph: qtgraph's own walk
// of its atoms (AtomSurvey.h) and the parser's quicktime/ reading of it,
// compared with what the filter and its sample pump will do with them. Used
// by `qtgraph check` and to explain a failure of info, chunks or run. Both
// builds.
#pragma once

#include <string>
#include <vector>

#include "quicktime/IByteSource.h"
#include "tools/FailureKinds.h"

// Every problem and surprise, errors first, then warnings, then notes; each
// group in the order found.
std::vector<Finding> CheckMovie(IByteSource& source, LONGLONG fileLength);

// Opens path (UTF-8) and checks it: S_OK, or the open's failure.
[[nodiscard]] HRESULT CheckMovieFile(const std::string& path, std::vector<Finding>* findings);

// The findings of that severity.
std::vector<Finding> FindingsOf(const std::vector<Finding>& findings, Severity severity);
