/* The smoke test's stand-in for the Quillmere agent: a compiled program, so
 * that while it runs its command line is its own path inside the bundle, as
 * the supervisor's process search expects (a script would show its
 * interpreter's). It notes its process id and its version, STAND_IN_VERSION,
 * in the file STAND_IN_LOG as it starts, then waits until it is killed. */
#include <stdio.h>
#include <unistd.h>

int main(void) {
  FILE *log = fopen(STAND_IN_LOG, "a");
  if (log != NULL) {
    fprintf(log, "%d %s\n", (int)getpid(), STAND_IN_VERSION);
    fclose(log);
  }
  for (;;) {
    pause();
  }
}
