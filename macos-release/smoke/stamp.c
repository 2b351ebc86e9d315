/* The smoke test's clock: prints the time now as seconds since 1970 with
 * milliseconds ("1765232950.123"). macOS's date(1) prints whole seconds,
 * and no scripting language comes with macOS for certain, so the test
 * compiles this and calls it wherever it notes a time: the logging stand-ins
 * of the host commands, the keyboard's start and the hung command's end. */
#include <stdio.h>
#include <sys/time.h>

int main(void) {
  struct timeval now;
  if (gettimeofday(&now, NULL) != 0) {
    perror("stamp");
    return 1;
  }
  printf("%lld.%03d\n", (long long)now.tv_sec, (int)(now.tv_usec / 1000));
  return 0;
}
