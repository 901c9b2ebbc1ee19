/* Loops for ever without waiting for anything: only a wall clock ends it. */
int main(void) {
  volatile unsigned long n = 0;
  for (;;) ++n;
}
