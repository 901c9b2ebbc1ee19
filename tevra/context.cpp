// context.cpp — the one library context (context.h).
#include "internal.h"

#include <new>

namespace tevra {

namespace {

// Made on first use and never destroyed: handlers run at exit and on signals may still read it.
Context *the_context() {
  static Context *made = new Context;
  return made;
}

} // namespace

Context &context() { return *the_context(); }

void reset_context() {
  window_release();
  console_release();
  script_close();
  scripted_run_release();
  Context *c = the_context();
  c->~Context();
  new (c) Context;
}

} // namespace tevra
