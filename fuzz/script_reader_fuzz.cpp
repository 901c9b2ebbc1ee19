// script_reader_fuzz.cpp — any bytes as "TEVRA.SCR", played back event by event.
//
// The reader must never crash, read outside a line or loop forever, and every event it yields
// must be one of the three kinds a script can hold. Each input is written to the script file in a
// private directory and played until playback ends (or for a bounded number of events, since a
// periodic line may ask for two billion of them).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "internal.h"

namespace {

char directory[] = "/tmp/tevra_fuzz_XXXXXX";

void remove_private_directory() {
  std::remove((std::string(directory) + "/TEVRA.SCR").c_str());
  rmdir(directory);
}

// The reader opens "TEVRA.SCR" in the current directory. Corpus paths given to the fuzzer must
// therefore be absolute.
bool enter_private_directory() {
  if (mkdtemp(directory) == nullptr || chdir(directory) != 0) std::abort();
  std::atexit(remove_private_directory);
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = enter_private_directory();
  (void)ready;

  FILE *file = std::fopen("TEVRA.SCR", "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  tevra::script_start_playback();
  for (int events = 0; events < 4096; ++events) {
    tevra::context().events = tevra::EventState{}; // no event pending
    if (!tevra::script_playback_step()) break;
    const int32_t kind = tevra::pending_event().kind;
    if (kind != TEVRA_MOUSE && kind != TEVRA_KBD && kind != TEVRA_PERIODIC) std::abort();
  }
  if (tevra::script_playing()) tevra::script_stop_playback();
  tevra::reset_context();
  return 0;
}
