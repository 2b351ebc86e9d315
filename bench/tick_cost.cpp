// The cost of a tick: the supervisor's two probes, measured beside the floor
// that their commands impose, and the supervisor's resident memory beside
// that of the smallest FLTK program with one window shown.
//
//   tick-cost [TICKS [SUPERVISOR_TICKS]]
//       TICKS (default 300) ticks' work in this process and in the shell
//       loops; SUPERVISOR_TICKS (default 100) real ticks of the real
//       supervisor, five seconds each, before its memory is read again.
//       Prints a table and writes BENCH_RESULTS/tick_cost.csv, in the build
//       folder.
//   tick-cost --floor
//       (internal) one FLTK window, shown; prints its VmRSS in kB.

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "app/status_menu.h"
#include "app/tick.h"
#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"
#include "harness/xvfb.h"

namespace {

// One line of the result: a measure of ours (a) beside its floor (b).
struct Row {
  const char *name;
  double a;
  double b;
  const char *unit;
};

struct Cost {
  double wall = 0;
  double selfCpu = 0;
  double childCpu = 0;
};

double Seconds(const timeval &t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

Cost Usage() {
  rusage self = {};
  rusage children = {};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  return {harness::Now(), Seconds(self.ru_utime) + Seconds(self.ru_stime),
          Seconds(children.ru_utime) + Seconds(children.ru_stime)};
}

Cost PerTick(const Cost &before, const Cost &after, int ticks) {
  return {(after.wall - before.wall) / ticks, (after.selfCpu - before.selfCpu) / ticks,
          (after.childCpu - before.childCpu) / ticks};
}

constexpr int kRounds = 5;

// The round with the median wall time.
Cost Median(std::vector<Cost> rounds) {
  std::sort(rounds.begin(), rounds.end(),
            [](const Cost &x, const Cost &y) { return x.wall < y.wall; });
  return rounds[rounds.size() / 2];
}

// Runs `body` `ticks` times in one shell loop; the cost per round.
Cost ShellLoop(int ticks, const std::string &body) {
  const std::string loop =
      "i=0; while [ $i -lt " + std::to_string(ticks) + " ]; do " + body + "; i=$((i+1)); done";
  const Cost before = Usage();
  harness::WaitFor(harness::Spawn({"sh", "-c", loop}), 3600.0);
  return PerTick(before, Usage(), ticks);
}

int Floor(int argc, char **argv) {
  auto *window = new Fl_Window(200, 200, 240, 180, "floor");
  window->end();
  window->show(argc, argv);
  for (int i = 0; i < 20; ++i) {
    Fl::wait(0.02);
  }
  std::printf("%ld\n", harness::ResidentKilobytes(getpid()));
  return 0;
}

std::string Self() {
  char path[4096] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? path : "tick-cost";
}

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--floor") == 0) {
    return Floor(1, argv);
  }
  const int ticks = argc > 1 ? std::atoi(argv[1]) : 300;
  const int supervisorTicks = argc > 2 ? std::atoi(argv[2]) : 100;
  if (ticks <= 0 || supervisorTicks <= 0) {
    std::fprintf(stderr, "usage: tick-cost [TICKS [SUPERVISOR_TICKS]]\n");
    return 2;
  }

  // A bundle with a running agent, in a folder of our own.
  const std::string folder = harness::MakeTempFolder("quillmere-bench");
  std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s/Ravelstow", folder.c_str());
  const std::string executable = folder + "/Ravelstow/Quillmere.app/Contents/MacOS/Quillmere";
  harness::InstallSampleAgent(executable);
  const pid_t agent = harness::Spawn({executable});
  harness::WaitUntil([&] { return harness::CommandLine(agent) == executable; }, 5.0);

  const std::string listing = "ls -l " + folder + "/Ravelstow/Quillmere.app";
  const std::string search = "ps -ef | grep \"" + executable + "\"";
  // Ours: the two probes as the supervisor runs them, with the tick's
  // deadline armed before and cleared after. The floor: the same two
  // commands run bare by one shell loop. For comparison: each command
  // through a shell of its own, as popen runs it. Rounds alternate, so that
  // a slow spell of the machine touches all three; the median round counts.
  const std::string bareBody = listing + " >/dev/null; " + search + " >/dev/null";
  const std::string shellsBody =
      "sh -c '" + listing + "' >/dev/null; sh -c '" + search + "' >/dev/null";
  std::vector<Cost> ours;
  std::vector<Cost> bare;
  std::vector<Cost> shells;
  for (int round = 0; round < kRounds; ++round) {
    const Cost before = Usage();
    for (int tick = 0; tick < ticks; ++tick) {
      StartHostCommandDeadline();
      if (CheckAppExists(s_AppExeNamesArray[0])) {
        ReStartApp(s_AppExeNamesArray[0]);
      }
      StopHostCommandDeadline();
    }
    ours.push_back(PerTick(before, Usage(), ticks));
    bare.push_back(ShellLoop(ticks, bareBody));
    shells.push_back(ShellLoop(ticks, shellsBody));
  }
  const Cost oursTick = Median(ours);
  const Cost bareTick = Median(bare);
  const Cost shellsTick = Median(shells);

  // Memory: the real supervisor (agent running) after start and after its
  // ticks, and the smallest FLTK program.
  harness::Xvfb xvfb;
  setenv("DISPLAY", xvfb.display.c_str(), 1);
  const long floorRss = std::atol(harness::Capture(Self() + " --floor").c_str());
  long rssAtStart = 0;
  long rssAfterTicks = 0;
  {
    harness::SandboxOptions options;
    options.agentRunning = true;
    harness::Sandbox sandbox(options);
    const pid_t supervisor = sandbox.Start();
    harness::Pause(1.0);
    rssAtStart = harness::ResidentKilobytes(supervisor);
    std::fprintf(stderr, "waiting for %d ticks of the supervisor (%d s)...\n", supervisorTicks,
                 supervisorTicks * 5);
    harness::WaitUntil(
        [&] { return sandbox.CallTimes("ps").size() >= static_cast<size_t>(supervisorTicks); },
        supervisorTicks * 5.0 + 30.0);
    harness::Pause(0.5);
    rssAfterTicks = harness::ResidentKilobytes(supervisor);
  }

  kill(agent, SIGKILL);
  waitpid(agent, nullptr, 0);
  harness::RemoveTree(folder);

  const double ms = 1000.0;
  const std::vector<Row> rows = {
      {"tick wall time: ours / bare loop", oursTick.wall * ms, bareTick.wall * ms, "ms"},
      {"tick wall time: ours / a shell per command", oursTick.wall * ms, shellsTick.wall * ms,
       "ms"},
      {"CPU: supervisor's own / its commands'", oursTick.selfCpu * ms, oursTick.childCpu * ms,
       "ms"},
      {"commands' CPU: ours / bare loop", oursTick.childCpu * ms, bareTick.childCpu * ms, "ms"},
      {"RSS: supervisor after start / FLTK floor", static_cast<double>(rssAtStart),
       static_cast<double>(floorRss), "kB"},
      {"RSS: supervisor after its ticks / at start", static_cast<double>(rssAfterTicks),
       static_cast<double>(rssAtStart), "kB"},
  };

  std::printf(
      "Cost of a tick: the median of %d rounds of %d ticks' work, agent running;\n"
      "the supervisor's memory after start and after %d real ticks.\n\n",
      kRounds, ticks, supervisorTicks);
  std::printf("%-46s %12s %12s %7s\n", "measure (a / b)", "a", "b", "a/b");
  for (const Row &row : rows) {
    const int digits = std::strcmp(row.unit, "kB") == 0 ? 0 : 3;
    std::printf("%-46s %10.*f%s %10.*f%s %7.3f\n", row.name, digits, row.a, row.unit, digits, row.b,
                row.unit, row.a / row.b);
  }

  harness::Capture("mkdir -p " + std::string(BENCH_RESULTS));
  FILE *out = std::fopen(BENCH_RESULTS "/tick_cost.csv", "w");
  if (out == nullptr) {
    std::perror(BENCH_RESULTS "/tick_cost.csv");
    return 1;
  }
  std::fprintf(out, "measure,a,b,ratio,unit,ticks,supervisor_ticks\n");
  for (const Row &row : rows) {
    std::fprintf(out, "\"%s\",%.4f,%.4f,%.4f,%s,%d,%d\n", row.name, row.a, row.b, row.a / row.b,
                 row.unit, ticks, supervisorTicks);
  }
  std::fclose(out);
  std::printf("\nwritten to %s\n", BENCH_RESULTS "/tick_cost.csv");
  return 0;
}
