// A stand-in for the supervised agent: it runs until it is killed, or, with
// SAMPLE_AGENT_LIFETIME=N in its environment, dies after N seconds.
#include <unistd.h>

#include <cstdlib>

int main() {
  const char *lifetime = std::getenv("SAMPLE_AGENT_LIFETIME");
  if (lifetime != nullptr) {
    sleep(static_cast<unsigned>(std::atoi(lifetime)));
    return 1;
  }
  for (;;) {
    pause();
  }
}
