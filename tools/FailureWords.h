// Why a failure happened, in words a person can act on, drawn from the
// journal records written while it happened.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "diagnostics/JournalRecord.h"

// The error texts of the records (a long text arrives in pieces and is joined
// again), each once, in the order written, separated by "; ". When there are
// none: the words for hr (for a missing file, that it does not exist) and
// the first method the failure came up through, which recorded no reason.
std::string FailureWords(HRESULT hr, const std::vector<JournalRecord>& records);

// The words for hr alone: ours for the file errors a person meets when naming
// a file, else the system's text for the result.
std::string ResultWords(HRESULT hr);
