// qtgraph extract [--pins LIST] [--force] FILE OUTDIR: plays the movie
// through the parser filter into writing sinks (CWritingSink) and leaves one
// file per connected pin in OUTDIR, named <movie name>.<pin>.<extension>, in
// a container that says what the bytes are:
//   DV video ("dv" codes, MEDIASUBTYPE_dvsd)  raw DV frames, .dv
//   little-endian integer PCM, unsigned 8-bit  WAV, .wav
//   big-endian (and signed 8-bit) integer PCM  AIFF, .aif
//   timecode                                   its start value as text, .timecode.txt
// Other pins get no file (said on err). Both builds.
#pragma once

#include <ostream>

#include "tools/QtGraphOptions.h"

// Exit status: 0 when the run completed and every file was written (a
// summary line per file on out); 1 when the movie does not open, a file is
// already there (without --force), a file cannot be written, or the run
// fails; no file is then left under its final name. 2 for a pin the filter
// does not have. terminal: err is a terminal, which gets a progress line.
int ExtractCommand(const QtGraphOptions& options, std::ostream& out, std::ostream& err, bool terminal);
