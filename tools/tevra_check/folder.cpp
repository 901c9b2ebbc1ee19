// folder.cpp — many references or scripts, a pool of threads each doing the single command.
#include "folder.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

namespace check {
namespace {

namespace fs = std::filesystem;

// The entries of `dir` that `keep` accepts, sorted by name; false with `reason` when it cannot be
// listed or holds none.
bool entries(const std::string &dir, const std::function<bool(const fs::directory_entry &)> &keep,
             std::vector<fs::path> *out, std::string *reason) {
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
    if (keep(*it)) out->push_back(it->path());
  if (error) *reason = dir + ": " + error.message();
  else if (out->empty()) *reason = dir + " holds nothing to check";
  std::sort(out->begin(), out->end());
  return !error && !out->empty();
}

// Calls work(0) ... work(count - 1), `jobs` at a time (one per core when 0).
void in_parallel(size_t count, long jobs, const std::function<void(size_t)> &work) {
  size_t threads = jobs > 0 ? static_cast<size_t>(jobs) : std::max(1u, std::thread::hardware_concurrency());
  threads = std::min(threads, count);
  std::atomic<size_t> next{0};
  std::vector<std::thread> pool;
  for (size_t t = 0; t < threads; ++t)
    pool.emplace_back([&] {
      for (size_t i; (i = next++) < count;) work(i);
    });
  for (std::thread &t : pool) t.join();
}

// The heavier of two exit statuses: a setup that failed outweighs a program that did.
int worst(int a, int b) {
  auto weight = [](int status) { return status == kBadInput ? 3 : status == kProgramFailed ? 2 : status; };
  return weight(a) >= weight(b) ? a : b;
}

// One reference of the folder, checked; `status` is the tool's exit status for it alone.
int verify_one(const Options &o, const fs::path &dir, Verification *v) {
  v->name = dir.filename().string();
  Reference ref;
  std::string reason;
  int status = kBadInput;
  if (load_reference(dir.string(), &ref, &reason))
    status = verify_run(o, ref, (fs::path(o.report_dir) / v->name).string(), v, &reason);
  if (status == kBadInput) {
    v->judged = Judged::NotChecked;
    v->verdict = "not checked: " + reason;
  }
  return status;
}

} // namespace

int verify_folder(const Options &o) {
  std::vector<fs::path> refs;
  std::string reason;
  auto is_dir = [](const fs::directory_entry &e) { return e.is_directory(); };
  if (!entries(o.refs, is_dir, &refs, &reason) || !check_reports(o, &reason)) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  std::vector<Verification> cases(refs.size());
  std::vector<int> statuses(refs.size(), -1);
  // Each line is printed as soon as every reference before it by name is done, so that a long
  // folder shows its progress and the output is still in the order of the names.
  std::mutex printing;
  size_t printed = 0;
  in_parallel(refs.size(), o.jobs, [&](size_t i) {
    int status = verify_one(o, refs[i], &cases[i]);
    std::lock_guard<std::mutex> lock(printing);
    statuses[i] = status;
    for (; printed < cases.size() && statuses[printed] >= 0; ++printed) {
      std::printf("%s: %s\n", cases[printed].name.c_str(), cases[printed].verdict.c_str());
      if (!cases[printed].paragraph.empty()) std::printf("  %s\n", cases[printed].paragraph.c_str());
      std::fflush(stdout);
    }
  });
  int status = kPassed;
  for (int each : statuses) status = worst(status, each);
  std::printf("%s\n", summary_line(cases).c_str());
  if ((!o.junit.empty() && !write_junit(o.junit, cases, &reason)) ||
      (!o.gradescope.empty() && !write_gradescope(o.gradescope, cases, &reason))) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  return status;
}

int record_folder(const Options &o) {
  std::vector<fs::path> scripts;
  std::string reason;
  auto is_script = [](const fs::directory_entry &e) { return e.is_regular_file() && e.path().extension() == ".scr"; };
  std::error_code error;
  if (entries(o.scripts, is_script, &scripts, &reason) && !fs::create_directories(o.out, error) &&
      !fs::is_directory(o.out, error))
    reason = o.out + " is not a folder";
  if (!reason.empty()) {
    std::fprintf(stderr, "tevra-check: %s\n", reason.c_str());
    return kBadInput;
  }
  std::vector<std::string> lines(scripts.size());
  std::vector<int> statuses(scripts.size());
  in_parallel(scripts.size(), o.jobs, [&](size_t i) {
    std::string out = (fs::path(o.out) / scripts[i].stem()).string();
    statuses[i] = record_to(o, scripts[i].string(), out, &lines[i]);
  });
  int status = kPassed;
  for (size_t i = 0; i < scripts.size(); ++i) {
    std::printf("%s: %s\n", scripts[i].filename().c_str(), lines[i].c_str());
    status = worst(status, statuses[i]);
  }
  return status;
}

} // namespace check
