/* Ends at once with SIGABRT. */
#include <stdlib.h>
int main(void) { abort(); }
