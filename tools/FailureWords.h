// Why a failure happened, in words a person can act on, drawn from the
// journal records written while it happened.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "diagnostics/JournalRecord.h"
#include "tools/FailureKinds.h"

// The error texts of the records (a long text arrives in pieces and is joined
// again), each once, in the order written, separated by "; ". When there are
// none: the words for hr (for a missing file, that it does not exist) and
// the first method the failure came up through, which recorded no reason.
std::string FailureWords(HRESULT hr, const std::vector<JournalRecord>& records);

// The words for hr alone: ours for the file errors a person meets when naming
// a file, else the system's text for the result.
std::string ResultWords(HRESULT hr);

// "0x%08x".
std::string HresultText(HRESULT hr);

// "qtgraph: <what>: HRESULT <root> (journal chain <hr>): <why>" on one
// line. why is the first of the structural errors qtgraph found in the file
// (the others follow, one per line, indented), else FailureWords. With
// verbose the records follow, one per line, indented. The chain part shows
// when hr is a journal chain id, which the person can look for in the
// journal.
void WriteFailure(std::ostream& err, const std::string& what, HRESULT hr, const std::vector<JournalRecord>& records,
                  const std::vector<Finding>& errors, bool verbose);

// The structural errors of a file the filter played or parsed anyway, on
// err as "qtgraph: warning: <words>", one per line.
void WriteStructuralWarnings(std::ostream& err, const std::vector<Finding>& errors);
