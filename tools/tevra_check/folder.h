// folder.h — `tevra-check verify --refs DIR` and `tevra-check record --scripts DIR`: a whole folder
// of references checked, or of scripts recorded, several runs at a time.
//
// Each run is the single command's own (its own scratch folder, its own limits); the runs share
// nothing but the program. What they print is gathered and printed in the order of the names, so
// that the output is the same whatever order the runs end in.
#pragma once

#include "commands.h"

namespace check {

// verify_folder: every reference in o.refs (its subfolders, by name) against PROGRAM, o.jobs at a
// time. Prints one verdict line per reference ("NAME: VERDICT", the divergence indented below it)
// and a summary line; writes the JUnit and Gradescope reports when asked, a differing frame's
// pictures to REPORT/NAME. Returns the worst exit status (kBadInput over kProgramFailed over
// kDiverged over kPassed).
int verify_folder(const Options &o);

// record_folder: one reference per *.scr of o.scripts, into o.out/STEM, o.jobs at a time. Prints one
// line per script, by name; returns the worst exit status.
int record_folder(const Options &o);

} // namespace check
