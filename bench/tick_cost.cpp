// The cost of a tick: the supervisor's two probes, measured beside the floor
// that their commands impose, and the supervisor's resident memory beside
// that of the smallest FLTK program with one window shown.
//
//   tick-cost [N]            measure (N ticks, default 300); prints a table
//                            and writes bench/results/tick_cost.csv
//   tick-cost --replica DIR  (internal) the supervisor's start-up, then 100
//                            ticks of work back to back; prints its VmRSS
//   tick-cost --floor        (internal) one FLTK window, shown; prints VmRSS

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "agent/agent_table.h"
#include "agent/check_app_exists.h"
#include "agent/restart_app.h"
#include "app/status_menu.h"
#include "harness/proc_table.h"
#include "harness/process.h"
#include "harness/sandbox.h"
#include "harness/xvfb.h"

namespace {

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

void ShowAndSettle(Fl_Window *window, int argc, char **argv) {
  window->show(argc, argv);
  for (int i = 0; i < 20; ++i) {
    Fl::wait(0.02);
  }
}

// The supervisor's own start-up, then 100 ticks' worth of work, with the
// agent's folder given on the command line (its agent running).
int Replica(int argc, char **argv) {
  auto *window = new Fl_Window(200, 200, 240, 180, "12345");
  ShowApplicationMenuItems();
  window->end();
  ShowAndSettle(window, argc, argv);
  window->resize(200, 200, 0, 0);
  Fl::wait(0.1);
  const long atStart = harness::ResidentKilobytes(getpid());
  for (int tick = 0; tick < 100; ++tick) {
    if (CheckAppExists(s_AppExeNamesArray[0])) {
      ReStartApp(s_AppExeNamesArray[0]);
    }
    Fl::wait(0);
  }
  std::printf("%ld %ld\n", atStart, harness::ResidentKilobytes(getpid()));
  return 0;
}

int Floor(int argc, char **argv) {
  auto *window = new Fl_Window(200, 200, 240, 180, "floor");
  window->end();
  ShowAndSettle(window, argc, argv);
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
  if (argc > 2 && std::strcmp(argv[1], "--replica") == 0) {
    std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s", argv[2]);
    return Replica(1, argv);
  }
  if (argc > 1 && std::strcmp(argv[1], "--floor") == 0) {
    return Floor(1, argv);
  }
  const int ticks = argc > 1 ? std::atoi(argv[1]) : 300;
  if (ticks <= 0) {
    std::fprintf(stderr, "usage: tick-cost [TICKS]\n");
    return 2;
  }

  // A bundle with a running agent, in a folder of our own.
  const std::string folder = harness::MakeTempFolder("quillmere-bench");
  std::snprintf(s_AppsMainFolder, sizeof s_AppsMainFolder, "%s/Ravelstow", folder.c_str());
  const std::string executable = folder + "/Ravelstow/Quillmere.app/Contents/MacOS/Quillmere";
  harness::Capture("mkdir -p " + folder + "/Ravelstow/Quillmere.app/Contents/MacOS && cp " +
                   harness::BuiltSampleAgent() + " " + executable);
  const pid_t agent = harness::Spawn({executable});
  harness::WaitUntil([&] { return harness::CommandLine(agent) == executable; }, 5.0);

  // Ours: the two probes as the supervisor runs them.
  const Cost oursBefore = Usage();
  for (int tick = 0; tick < ticks; ++tick) {
    if (CheckAppExists(s_AppExeNamesArray[0])) {
      ReStartApp(s_AppExeNamesArray[0]);
    }
  }
  const Cost ours = PerTick(oursBefore, Usage(), ticks);

  // The floor: the same two commands, run bare by one shell loop.
  const std::string loop = "i=0; while [ $i -lt " + std::to_string(ticks) + " ]; do ls -l " +
                           folder + "/Ravelstow/Quillmere.app >/dev/null; ps -ef | grep \"" +
                           executable + "\" >/dev/null; i=$((i+1)); done";
  const Cost bareBefore = Usage();
  harness::WaitFor(harness::Spawn({"sh", "-c", loop}), 3600.0);
  const Cost bare = PerTick(bareBefore, Usage(), ticks);

  // Memory: the real supervisor, a replica of it after 100 ticks' work, and
  // the smallest FLTK program.
  harness::Xvfb xvfb;
  setenv("DISPLAY", xvfb.display.c_str(), 1);
  long supervisorRss = 0;
  {
    harness::Sandbox sandbox;
    const pid_t supervisor = sandbox.Start();
    harness::WaitUntil([] { return false; }, 1.0);
    supervisorRss = harness::ResidentKilobytes(supervisor);
  }
  long replicaStart = 0;
  long replicaAfter = 0;
  std::sscanf(harness::Capture(Self() + " --replica " + s_AppsMainFolder).c_str(), "%ld %ld",
              &replicaStart, &replicaAfter);
  const long floorRss = std::atol(harness::Capture(Self() + " --floor").c_str());

  kill(agent, SIGKILL);
  waitpid(agent, nullptr, 0);
  harness::RemoveTree(folder);

  const double ms = 1000.0;
  std::printf("Cost of a tick, %d ticks, agent running (times per tick)\n\n", ticks);
  std::printf("%-44s %10s %10s %8s\n", "measure", "ours", "floor", "ratio");
  std::printf("%-44s %9.3fms %9.3fms %8.3f\n", "wall time (ours: probes; floor: bare loop)",
              ours.wall * ms, bare.wall * ms, ours.wall / bare.wall);
  std::printf("%-44s %9.3fms %9.3fms %8.3f\n", "own CPU (ours) / commands' CPU (ours)",
              ours.selfCpu * ms, ours.childCpu * ms, ours.selfCpu / ours.childCpu);
  std::printf("%-44s %9.3fms %9.3fms %8.3f\n", "commands' CPU (ours / bare loop)",
              ours.childCpu * ms, bare.childCpu * ms, ours.childCpu / bare.childCpu);
  std::printf("%-44s %9ldkB %9ldkB %8.3f\n", "resident memory: supervisor after start / FLTK",
              supervisorRss, floorRss,
              static_cast<double>(supervisorRss) / static_cast<double>(floorRss));
  std::printf("%-44s %9ldkB %9ldkB %8.3f\n", "replica: after 100 ticks / after start", replicaAfter,
              replicaStart, static_cast<double>(replicaAfter) / static_cast<double>(replicaStart));

  harness::Capture("mkdir -p " + std::string(BENCH_RESULTS));
  const std::string csv = std::string(BENCH_RESULTS) + "/tick_cost.csv";
  FILE *out = std::fopen(csv.c_str(), "w");
  if (out != nullptr) {
    std::fprintf(out, "measure,ours,floor,ratio,unit\n");
    std::fprintf(out, "wall_per_tick,%.4f,%.4f,%.4f,ms\n", ours.wall * ms, bare.wall * ms,
                 ours.wall / bare.wall);
    std::fprintf(out, "own_cpu_vs_commands_cpu,%.4f,%.4f,%.4f,ms\n", ours.selfCpu * ms,
                 ours.childCpu * ms, ours.selfCpu / ours.childCpu);
    std::fprintf(out, "commands_cpu_vs_bare,%.4f,%.4f,%.4f,ms\n", ours.childCpu * ms,
                 bare.childCpu * ms, ours.childCpu / bare.childCpu);
    std::fprintf(out, "rss_supervisor_vs_fltk_floor,%ld,%ld,%.4f,kB\n", supervisorRss, floorRss,
                 static_cast<double>(supervisorRss) / static_cast<double>(floorRss));
    std::fprintf(out, "rss_after_100_ticks_vs_start,%ld,%ld,%.4f,kB\n", replicaAfter, replicaStart,
                 static_cast<double>(replicaAfter) / static_cast<double>(replicaStart));
    std::fclose(out);
    std::printf("\nwritten to bench/results/tick_cost.csv\n");
  }
  return 0;
}
