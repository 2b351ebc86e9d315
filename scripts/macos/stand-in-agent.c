/* The smoke test's stand-in for the Quillmere agent: a compiled program, so
 * that while it runs its command line is its own path inside the bundle, as
 * the supervisor's process search expects (a script would show its
 * interpreter's). It waits until it is killed. */
#include <unistd.h>

int main(void) {
  for (;;) {
    pause();
  }
}
