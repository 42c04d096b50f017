// Why a file could not be used, in the words of a message's detail line.
//
// A message a run stops with keeps the system's own text on its first line;
// the detail line under it names the path tried and the reason: "no such
// file", "permission denied", "is a folder", the two sizes of a guide that
// does not fit, an output folder that is missing or read-only. Paths are
// shown absolute, so that the user can find them whatever the current folder.
#pragma once

#include <string>

#include "core/file_lookup.h"

namespace kem {

// `path` as the user reads it: absolute and without "." or ".." steps.
std::string ShownPath(const std::string& path);

// Why the file at `path` cannot be read: "no such file", "is a folder",
// "permission denied" (or the system's own words); "" when it opens.
std::string ReadProblem(const std::string& path);

// The detail line for a file named `path` in a project that could not be
// opened: each place searched (SearchPlaces) with the reason it failed, as
// "/proj/maps/h.tga: no such file; /work/maps/h.tga: no such file", or only
// the place a file was found in. "" for an empty path.
std::string OpenProblemDetail(const std::string& path, const FileLookup& lookup,
                              bool withSettingsFolder);

// The detail line for a layout that could not be created at `path` (the place
// the run chose), `error` being the system's error number of the attempt (0
// when unknown): "no output file is named", "/p/x.gnd is a folder", "the
// folder /p does not exist", "the folder /p is read-only", or the path and
// the system's words.
std::string OutputProblemDetail(const std::string& path, int error);

// The same, found without trying: the detail for an output that a run could
// not create, "" when nothing stands in its way.
std::string OutputProblem(const std::string& path);

// The note for a `name` held by more than one of the places searched, naming
// the one used: "demo.tga: using /proj/demo.tga, not /work/demo.tga"; "" when
// at most one place holds it.
std::string AmbiguityNote(const std::string& name, const FileLookup& lookup,
                          bool withSettingsFolder);

}  // namespace kem
