// A private X server for one test.
#pragma once

#include <sys/types.h>

#include <string>

namespace harness {

struct Xvfb {
  pid_t pid = 0;
  std::string display;  // ":N"
  Xvfb();               // starts it on a free display (Xvfb -displayfd)
  ~Xvfb();              // stops it
  Xvfb(const Xvfb &) = delete;
  Xvfb &operator=(const Xvfb &) = delete;
};

}  // namespace harness
