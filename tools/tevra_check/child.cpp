// child.cpp — fork, limits, the wall clock, the capped output and the end of every process.
#include "child.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace check {
namespace {

using Clock = std::chrono::steady_clock;

void limit(int resource, rlim_t value) {
  rlimit r{value, value};
  setrlimit(resource, &r);
}

// In the child, between fork and exec: only async-signal-safe calls. An exec that fails writes its
// errno to `report` (closed on a successful exec) and exits 127.
[[noreturn]] void become(char *const argv[], char *const envp[], const char *workdir, const Limits &l, int out,
                         int err, int report) {
  setpgid(0, 0);
  if (chdir(workdir) != 0) _exit(127);
  int devnull = open("/dev/null", O_RDONLY);
  dup2(devnull, 0);
  dup2(out, 1);
  dup2(err, 2);
  if (l.memory_mb > 0) limit(RLIMIT_AS, static_cast<rlim_t>(l.memory_mb) << 20);
  limit(RLIMIT_CPU, static_cast<rlim_t>(l.cpu_s));
  limit(RLIMIT_FSIZE, static_cast<rlim_t>(l.file_mb) << 20);
  limit(RLIMIT_CORE, 0);
  execve(argv[0], argv, envp);
  int e = errno;
  (void)!write(report, &e, sizeof e);
  _exit(127);
}

// One output stream of the child: read from its pipe, the first `cap` bytes kept in a file.
struct Stream {
  int pipe = -1, file = -1;
  long kept = 0;
  void drain(long cap) {
    char buffer[4096];
    ssize_t n = read(pipe, buffer, sizeof buffer);
    if (n <= 0 && !(n < 0 && errno == EINTR)) {
      close(pipe);
      pipe = -1;
      return;
    }
    long room = n > 0 ? std::min<long>(n, cap - kept) : 0;
    if (room > 0) kept += write(file, buffer, static_cast<size_t>(room));
  }
};

// Waits for the child and its streams, killing the group at the deadline; reaps the child.
void watch(pid_t pid, Stream (&streams)[2], const Limits &l, ChildResult *result) {
  const auto deadline = Clock::now() + std::chrono::seconds(l.timeout_s);
  // Readable when the child ends, so that its end wakes the poll at once rather than at the next
  // tick (-1 on a kernel without pidfds: the tick alone then).
  const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  bool reaped = false;
  while (!reaped || streams[0].pipe >= 0 || streams[1].pipe >= 0) {
    pollfd fds[3];
    nfds_t n = 0;
    for (Stream &s : streams)
      if (s.pipe >= 0) fds[n++] = {s.pipe, POLLIN, 0};
    if (!reaped && ended >= 0) fds[n++] = {ended, POLLIN, 0};
    poll(fds, n, 20);
    for (Stream &s : streams)
      for (nfds_t i = 0; i < n; ++i)
        if (s.pipe == fds[i].fd && fds[i].revents) s.drain(l.output_cap);
    int status = 0;
    rusage usage{};
    if (!reaped && wait4(pid, &status, WNOHANG, &usage) == pid) {
      reaped = true;
      result->max_rss_kb = usage.ru_maxrss;
      if (WIFEXITED(status)) result->status = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) result->signal = WTERMSIG(status);
      kill(-pid, SIGKILL); // whatever it left behind holding the pipes
    } else if (!reaped && Clock::now() >= deadline) {
      result->timed_out = true;
      kill(-pid, SIGKILL);
    }
  }
  if (ended >= 0) close(ended);
}

std::vector<char *> pointers(const std::vector<std::string> &strings) {
  std::vector<char *> out;
  for (const std::string &s : strings) out.push_back(const_cast<char *>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

} // namespace

ChildResult run_child(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                      const std::string &workdir, const Limits &limits) {
  ChildResult result;
  struct stat info{};
  if (argv.empty() || stat(argv[0].c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(argv[0].c_str(), X_OK) != 0) {
    result.error = argv.empty() ? "no program" : argv[0] + " is not an executable file";
    return result;
  }
  int out[2], err[2], report[2];
  if (pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC) || pipe2(report, O_CLOEXEC)) {
    result.error = std::strerror(errno);
    return result;
  }
  Stream streams[2] = {{out[0], open((workdir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)},
                       {err[0], open((workdir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)}};
  std::vector<char *> args = pointers(argv), envp = pointers(env);
  pid_t pid = fork();
  if (pid == 0) become(args.data(), envp.data(), workdir.c_str(), limits, out[1], err[1], report[1]);
  setpgid(pid, pid); // as the child does: no kill of the group can miss it
  close(out[1]);
  close(err[1]);
  close(report[1]);
  watch(pid, streams, limits, &result);
  int exec_errno = 0;
  result.started = read(report[0], &exec_errno, sizeof exec_errno) != sizeof exec_errno;
  if (!result.started) result.error = argv[0] + ": " + std::strerror(exec_errno);
  close(report[0]);
  for (Stream &s : streams) close(s.file);
  return result;
}

std::string signal_name(int signal) {
  const char *abbrev = sigabbrev_np(signal);
  return abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(signal);
}

} // namespace check
