// main.cpp — tevra-check: record a reference run of a TEVRA program, verify another against it,
// describe the canvas of a run at any event.
//
//   tevra-check record --script S.scr --out REF [--frames] [limits] PROGRAM [ARGS...]
//   tevra-check verify --ref REF [--outside-text] [--allow-pixels N] [--only status,console,draw,frames]
//                      [--report DIR] [--junit FILE] [--gradescope FILE] [limits] PROGRAM [ARGS...]
//   tevra-check describe (--ref REF | --log FILE) [--event N]
//   tevra-check verify --refs DIR [-j N] [--report DIR] [--junit FILE] [--gradescope FILE] ... PROGRAM [ARGS...]
//   tevra-check record --scripts DIR --out REFS [-j N] [--frames] [limits] PROGRAM [ARGS...]
//   tevra-check film (--script S.scr [limits] PROGRAM [ARGS...] | --ref REF) [--out FILE] [--gif]
//   limits: --memory MB (1024; 0 for none) --timeout S (20)
//
// Exit status: 0 passed (or recorded), 1 diverged, 2 usage or file error, 3 the program failed.
#include "commands.h"
#include "folder.h"
#include "film.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

using check::Options;

const char kUsage[] =
    "usage: tevra-check record --script S.scr --out REF [--frames] [--memory MB] [--timeout S] PROGRAM [ARGS...]\n"
    "       tevra-check verify --ref REF [--outside-text] [--allow-pixels N] [--only status,console,draw,frames]\n"
    "                          [--report DIR] [--junit FILE] [--gradescope FILE] [--memory MB] [--timeout S]\n"
    "                          PROGRAM [ARGS...]\n"
    "       tevra-check describe (--ref REF | --log FILE) [--event N]\n"
    "       tevra-check film (--script S.scr [--memory MB] [--timeout S] PROGRAM [ARGS...] | --ref REF)\n"
    "                        [--out FILE] [--gif]\n"
    "Folders: verify --refs DIR checks PROGRAM against every reference in DIR (one line each, by name,\n"
    "then a summary); record --scripts DIR --out REFS records one reference per DIR/*.scr into REFS.\n"
    "-j N runs N at a time (default: one per core).\n";

bool number(const char *text, long *out) {
  char *end = nullptr;
  *out = std::strtol(text, &end, 10);
  return *text && !*end && *out >= 0;
}

bool parse_only(const std::string &list, Options *o) {
  o->status = o->what.draw = o->what.console = o->what.frames = false;
  std::stringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    if (item == "status") o->status = true;
    else if (item == "draw") o->what.draw = true;
    else if (item == "console") o->what.console = true;
    else if (item == "frames") o->what.frames = true;
    else return false;
  }
  return true;
}

// One option with a value; false when it is not one of them or its value is wrong.
bool option_with_value(const std::string &name, const char *value, Options *o) {
  if (name == "--script") o->script = value;
  else if (name == "--out") o->out = value;
  else if (name == "--ref") o->ref = value;
  else if (name == "--refs") o->refs = value;
  else if (name == "--scripts") o->scripts = value;
  else if (name == "-j" || name == "--jobs") return number(value, &o->jobs) && o->jobs > 0;
  else if (name == "--log") o->log = value;
  else if (name == "--event") return number(value, &o->event);
  else if (name == "--report") {
    o->report_dir = value;
    o->report_asked = true;
  }
  else if (name == "--junit") o->junit = value;
  else if (name == "--gradescope") o->gradescope = value;
  else if (name == "--only") return parse_only(value, o);
  else if (name == "--allow-pixels") return number(value, &o->allow_pixels);
  else if (name == "--memory") return number(value, &o->limits.memory_mb);
  else if (name == "--timeout") return number(value, &o->limits.timeout_s) && o->limits.timeout_s > 0;
  else return false;
  return true;
}

bool parse(int argc, char **argv, Options *o) {
  if (argc < 2) return false;
  o->command = argv[1];
  int i = 2;
  for (; i < argc && (std::strncmp(argv[i], "--", 2) == 0 || std::strncmp(argv[i], "-j", 2) == 0); ++i) {
    std::string name = argv[i];
    if (name == "--") {
      ++i;
      break;
    }
    if (name == "--frames") o->frames = true;
    else if (name.size() > 2 && name.rfind("-j", 0) == 0) { // -jN, as make takes it
      if (!number(argv[i] + 2, &o->jobs) || o->jobs == 0) return false;
    }
    else if (name == "--outside-text") o->what.outside_text = true;
    else if (name == "--gif") o->gif = true;
    else if (i + 1 >= argc || !option_with_value(name, argv[++i], o)) return false;
  }
  for (; i < argc; ++i) o->program.push_back(argv[i]);
  if (o->command == "describe") return o->program.empty() && o->ref.empty() != o->log.empty();
  if (o->command == "film") return o->ref.empty() != o->script.empty() && o->program.empty() == o->script.empty();
  if (o->program.empty()) return false;
  if (o->command == "record") return o->script.empty() != o->scripts.empty() && !o->out.empty();
  return o->command == "verify" && o->ref.empty() != o->refs.empty();
}

} // namespace

int main(int argc, char **argv) {
  Options options;
  if (!parse(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return check::kBadInput;
  }
  if (options.command == "describe") return check::describe(options);
  if (!options.refs.empty()) return check::verify_folder(options);
  if (!options.scripts.empty()) return check::record_folder(options);
  if (options.command == "film") return check::film(options);
  return options.command == "record" ? check::record(options) : check::verify(options);
}
