/* The smoke test's clock (lib.sh's now, and the timed stand-ins of the host
 * commands): prints the time now as seconds since 1970 with milliseconds
 * ("1765232950.123"). macOS's date(1) prints whole seconds, and no
 * scripting language comes with macOS for certain. */
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
