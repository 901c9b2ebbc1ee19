// film.cpp — `tevra-check film`: frames read one at a time, merged when equal, fed to the encoders.
#include "film.h"

#include "animation.h"
#include "frame_image.h"
#include "reports.h"
#include "run.h"

#include <cstdio>
#include <filesystem>
#include <map>

namespace check {
namespace {

namespace fs = std::filesystem;

// The APNG's name (FILE.png and FILE.apng as given, any other FILE with ".png" added) and the GIF's
// beside it.
void output_names(const std::string &out, std::string *apng, std::string *gif) {
  const std::string ext = fs::path(out).extension().string();
  *apng = ext == ".png" || ext == ".apng" ? out : out + ".png";
  *gif = fs::path(*apng).replace_extension(".gif").string();
}

// What the encoders made of the frames.
struct Film {
  img::ApngEncoder apng;
  img::GifEncoder gif;
  bool want_gif = false;
  std::string no_gif;  // why there is no GIF, when there is none
  long frames = 0;
};

void add(Film *film, const img::Image &frame, int delay_ms, long number) {
  film->apng.add(frame.pixels.data(), frame.width, frame.height, frame.width, delay_ms);
  if (film->want_gif && film->no_gif.empty() &&
      !film->gif.add(frame.pixels.data(), frame.width, frame.height, frame.width, delay_ms))
    film->no_gif = "frame " + std::to_string(number) + " has " + film->gif.error();
}

// Reads frames 0, 1, ... of `dir` until one is missing, merging each into the one before when equal.
bool encode_frames(const std::string &dir, const std::vector<Record> &log, Film *film, std::string *reason) {
  const long count = frame_count(dir);
  if (count == 0) {
    *reason = dir + " holds no frames";
    return false;
  }
  const std::vector<int> delays = frame_delays(log, count);
  img::Image shown, next;
  long shown_number = 0;
  int shown_delay = 0;
  for (long f = 0; f < count; ++f) {
    if (!img::read_png(frame_file(dir, f), &next, reason)) {
      *reason = frame_file(dir, f) + ": " + *reason;
      return false;
    }
    if (f > 0 && next.width == shown.width && next.height == shown.height && next.pixels == shown.pixels) {
      shown_delay += delays[f];
      continue;
    }
    if (f > 0) add(film, shown, shown_delay, shown_number);
    std::swap(shown, next);
    shown_number = f;
    shown_delay = delays[f];
  }
  add(film, shown, shown_delay, shown_number);
  film->frames = count;
  return true;
}

// Writes the GIF (when there is one), then the APNG; on failure neither is left.
bool write_film(Film *film, const std::string &apng, const std::string &gif, std::string *reason) {
  std::vector<uint8_t> gif_bytes = film->want_gif && film->no_gif.empty() ? film->gif.finish() : std::vector<uint8_t>();
  std::vector<uint8_t> apng_bytes = film->apng.finish();
  if (!gif_bytes.empty() && !img::write_file(gif, gif_bytes.data(), gif_bytes.size(), reason)) {
    *reason = gif + ": " + *reason;
    return false;
  }
  if (!img::write_file(apng, apng_bytes.data(), apng_bytes.size(), reason)) {
    *reason = apng + ": " + *reason;
    if (!gif_bytes.empty()) std::remove(gif.c_str());
    return false;
  }
  std::printf("filmed %ld frames as %d into %s (%zu bytes)\n", film->frames, film->apng.frames(), apng.c_str(),
              apng_bytes.size());
  if (!gif_bytes.empty()) std::printf("and into %s (%zu bytes)\n", gif.c_str(), gif_bytes.size());
  else if (film->want_gif) std::printf("no GIF: %s; the APNG holds every colour\n", film->no_gif.c_str());
  return true;
}

} // namespace

std::vector<int> frame_delays(const std::vector<Record> &log, long frames) {
  std::map<long, std::string> kinds;  // event number -> kind
  for (const Record &r : log)
    if (r.kind == "event") kinds[r.value.value("event", -1L)] = r.value.value("kind", std::string());
  std::vector<int> delays(static_cast<size_t>(frames), kLastMs);
  for (long f = 0; f + 1 < frames; ++f) {
    auto next = kinds.find(f + 1);  // frame F shows what event F drew, until event F + 1
    delays[f] = next != kinds.end() && next->second == "periodic" ? kTickMs : kInputMs;
  }
  return delays;
}

int film(const Options &o) {
  std::string apng, gif, reason;
  output_names(o.out.empty() ? "film" : o.out, &apng, &gif);
  if (!report_path_ok(apng, &reason)) return bad_input(reason);
  Film film;
  film.want_gif = o.gif;
  if (!o.ref.empty()) {
    Reference ref;
    if (!load_reference(o.ref, &ref, &reason)) return bad_input(reason);
    if (!ref.has_frames) return bad_input(o.ref + " was recorded without frames (record it with --frames)");
    if (!encode_frames(ref.dir + "/frames", ref.records(), &film, &reason)) return bad_input(reason);
    return write_film(&film, apng, gif, &reason) ? kPassed : bad_input(reason);
  }
  std::string script;
  if (!read_file(o.script, &script, &reason)) return bad_input(reason);
  Run run;
  if (!run_program(o.program, script, true, o.limits, &run, &reason)) return bad_input(reason);
  if (run.outcome != Outcome::Ran) {
    std::printf("%s\n", verdict_line(run).c_str());
    return kProgramFailed;
  }
  if (!encode_frames(run.frames_dir(), run.records(), &film, &reason)) return bad_input(reason);
  return write_film(&film, apng, gif, &reason) ? kPassed : bad_input(reason);
}

} // namespace check
