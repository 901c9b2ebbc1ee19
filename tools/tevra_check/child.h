// child.h — running an untrusted program to its end, within limits, and saying how it ended.
//
// The program runs in a process group of its own, in `workdir`, with the environment given, its
// address space, CPU time and file sizes limited by setrlimit and its whole run by a wall clock;
// its standard output and error go to files in `workdir`, each kept to its first `output_cap` bytes.
// run_child returns only when every process of the group has ended: at the wall-clock limit the
// group is killed, and whatever the program left running behind it is killed when it ends.
#pragma once

#include <string>
#include <vector>

namespace check {

struct Limits {
  long memory_mb = 1024;     // address space; 0 leaves it unlimited (sanitizer builds need that)
  long timeout_s = 20;       // wall clock
  long cpu_s = 60;           // CPU time
  long file_mb = 512;        // any one file the program writes
  long output_cap = 1 << 20; // bytes of stdout and of stderr kept
};

struct ChildResult {
  bool started = false;   // false: not a program (missing, not executable)
  bool timed_out = false;
  int status = -1;        // exit status when it exited
  int signal = 0;         // the signal that ended it, when one did
  long max_rss_kb = 0;    // its peak resident memory
  std::string error;      // why it did not start
};

ChildResult run_child(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                      const std::string &workdir, const Limits &limits);

// signal_name: "SIGSEGV" for SIGSEGV, "signal N" for one without a name.
std::string signal_name(int signal);

} // namespace check
