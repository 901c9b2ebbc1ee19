/* Allocates and touches memory without end; when an allocation fails it writes through the null
   pointer it got, as a careless program would. */
#include <stdlib.h>
#include <string.h>
int main(void) {
  for (;;) {
    char *block = malloc(1 << 20);
    memset(block, 1, 1 << 20);
  }
}
