#!/usr/bin/env bats
# The Mac job's tick analysis (macos-release/smoke/ticks.awk) on listings
# made up here: each run as the logging `ls` would note it under launchd,
# the ticks on the app's own fixed grid (app/tick_schedule.h).

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

smoke="$BATS_TEST_DIRNAME/../../macos-release/smoke"

# run_lines APP RUN DUE LATE...: one run's lines. Start-up's listing at a
# time of the run's own, the first tick due DUE s later (start-up arms it
# five seconds ahead, so DUE is 5 s plus start-up's own time), then the tick
# of each slot from that one on LATE s after its due time, or none for "-";
# the measurement ends 120 s after start-up's listing, as the job's does.
# Each listing and the end name the supervisor's pid; a LATE of "rT" is no
# slot but a new supervisor's start-up listing T s after the first, and "x"
# leaves none running at the end.
run_lines() {
  local app=$1 number=$2 due=$3
  shift 3
  awk -v app="$app" -v n="$number" -v due="$due" -v lates="$*" 'BEGIN {
    start = 1765000000 + 1000 * n + (app == "without-key" ? 300 : app == "control" ? 600 : 0)
    pid = 100 * n + (app == "without-key" ? 30 : app == "control" ? 60 : 0)
    printf "listing %s %s %.3f %s\n", app, n, start, pid
    k = split(lates, late, " ")
    for (i = 1; i <= k; i++)
      if (late[i] ~ /^r/) printf "listing %s %s %.3f %s\n", app, n, start + substr(late[i], 2), ++pid
      else if (late[i] == "x") pid = "-"
      else if (late[i] == "-") s++
      else printf "listing %s %s %.3f %s\n", app, n, start + due + 5 * s++ + late[i], pid
    printf "end %s %s %.3f %s\n", app, n, start + 120, pid
  }'
}
# on_time N: N ticks' lateness, none past 13 ms, the least 10 ms.
on_time() {
  local i
  for ((i = 0; i < $1; i++)); do
    case $((i % 4)) in 0) echo 0.010 ;; 1) echo 0.012 ;; 2) echo 0.011 ;; 3) echo 0.013 ;; esac
  done | xargs
}
# A run's every slot (23 in 120 s) served on time.
on_time="$(on_time 23)"
# Throttled as App Nap throttles, from 65 s: each tick 7 s late and the
# next slot skipped.
throttled="6.500 $(on_time 12) 7.000 - 7.000 - 7.000 - 7.000 - 7.000 - 7.000"

# Runs that alternate the three apps, twice: SHIPPED, WITHOUT_KEY and
# CONTROL are each "DUE LATE..." for both of that app's runs, unless
# SHIPPED_1 or CONTROL_1 gives that app's first run.
alternating() {
  local round
  for round in 1 2; do
    # shellcheck disable=SC2086 # one value a word
    run_lines shipped "$round" ${SHIPPED_1:-$SHIPPED}
    # shellcheck disable=SC2086
    run_lines without-key "$round" $WITHOUT_KEY
    # shellcheck disable=SC2086
    run_lines control "$round" ${CONTROL_1:-${CONTROL:?}}
    unset SHIPPED_1 CONTROL_1
  done
}

judge() {
  alternating >"$BATS_TEST_TMPDIR/runs"
  run awk -f "$smoke/stats.awk" -f "$smoke/ticks.awk" "$BATS_TEST_TMPDIR/runs"
}

@test "on time after a slow start-up: passes, start-up apart, and what cannot be seen said" {
  # 8 s from start-up's listing to the first due time: 3 s of start-up's
  # own. The 10 ms every tick shares reads as start-up's.
  SHIPPED="8.000 $on_time" WITHOUT_KEY="8.000 $on_time" CONTROL="8.000 $on_time" judge
  assert_success
  assert_line "startup shipped 1 8.010"
  assert_line "slot shipped 1 1 +0.002 served"
  assert_line --regexp '^verdict ticks pass the shipped app kept the bound in every run'
  assert_line --regexp '^note the shipped app met the goal'
  assert_line --regexp '^note the listings cannot show lateness that every tick of a run shares'
  assert_line --regexp '^verdict app-nap not-exercised the control kept the bound too'
}

@test "the first tick 0.6 s late, every later one on time: passes" {
  SHIPPED_1="5.100 0.600 ${on_time#* }" SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_success
  assert_line "slot shipped 1 0 +0.590 served"
  assert_line "slot shipped 1 1 +0.002 served"
  assert_line --regexp '^run shipped 1 23 [^ ]+ \+0\.590 0 on-time 0$'
  assert_line --regexp '^verdict ticks pass the shipped app kept the bound in every run'
}

@test "one long stall in one run of the shipped app: that run is late, the job is not" {
  # The tick of slot 5 22 s late: it serves that slot and the four it
  # skipped, five slots past the bound.
  stalled="5.100 $(on_time 5) 22.000 - - - - $(on_time 13)"
  SHIPPED_1="$stalled" SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_success
  assert_line "slot shipped 1 5 +21.990 served"
  assert_line "slot shipped 1 9 +1.990 served"
  assert_line --regexp '^run shipped 1 23 [^ ]+ \+21\.990 5 late 0$'
  assert_line --regexp '^verdict ticks pass the shipped app was late in some runs only'
}

@test "the control throttled after its first minute in every run: App Nap at work, and the shipped app kept the bound" {
  SHIPPED="6.500 $on_time" WITHOUT_KEY="6.500 $on_time" CONTROL="$throttled" judge
  assert_success
  assert_line --regexp '^run control 1 23 [^ ]+ \+6\.990 11 throttled 11$'
  assert_line --regexp '^app control 2 46 .* 2$'
  assert_line --regexp '^verdict app-nap pass App Nap was at work .*; the shipped app kept the bound$'
  assert_line --regexp '^note without LSAppNapIsDisabled the ticks kept the bound in some run'
  assert_line --regexp '^verdict ticks pass '
}

@test "the shipped app steadily late in every run: the tick verdict fails, and so does the job" {
  # The first tick on time: start-up leaves no room for a later grid.
  late="5.100 0.000 $(for i in $(seq 22); do echo 1.500; done | xargs)"
  SHIPPED="$late" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^verdict ticks fail the shipped app was late in every run \(late in 2 of 2 runs; over them, median \+1\.500 s, 44 of 46 slots past'
}

@test "a run without a tick cannot be judged" {
  SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100" judge
  assert_failure 2
  assert_line "error control run 1: no tick after the start-up listing"
}

@test "a tick still missing at the end counts as overdue" {
  # The app stopped ticking after its sixth tick.
  SHIPPED="5.100 0.010 0.010 0.010 0.010 0.010 0.010" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line "slot shipped 1 6 +84.890 overdue"
}

@test "the shipped app throttled in one run only, 7 s or 1.5 s late tick after tick: fails, no stall" {
  SHIPPED_1="$throttled" SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^run shipped 1 23 [^ ]+ \+6\.990 11 throttled 11$'
  assert_line --regexp '^verdict ticks fail the shipped app was throttled in 1 of 2 runs'
  # From slot 12 on, every tick 1.5 s late: no slot skipped, yet no stall.
  SHIPPED_1="5.100 $(on_time 12) 1.500 1.500 1.500 1.500 1.500 1.500 1.500 1.500 1.500 1.500 1.500" \
    SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^run shipped 1 23 [^ ]+ \+1\.490 11 throttled 11$'
}

@test "one 12 s stall in each run of the control, one in its first minute: not App Nap at work" {
  # The tick of slot 5, then of slot 15, 12 s late: each serves that slot
  # and the two it skipped.
  CONTROL_1="5.100 $(on_time 5) 12.000 - - $(on_time 15)" CONTROL="5.100 $(on_time 15) 12.000 - - $(on_time 5)" \
    SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" judge
  assert_success
  assert_line --regexp '^run control 1 23 [^ ]+ \+11\.990 3 late 0$'
  assert_line --regexp '^run control 2 23 [^ ]+ \+11\.990 3 late 3$'
  assert_line --regexp '^verdict app-nap not-exercised the control was late in every run but not throttled in every run'
}

@test "the supervisor crashed at 65 s and restarted at once, in both runs: fails, restarted during the run" {
  # Its successor's start-up listing at 65 s, its first tick at slot 13:
  # on time on a grid of its own.
  SHIPPED="5.100 $(on_time 12) r65 - $(on_time 10)" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^run shipped 2 .* restarted 0$'
  assert_line --regexp '^verdict ticks fail shipped run 1: the supervisor restarted during the run, pid 100 listed last at \+60\.113 s, then pid 101 at \+65\.000 s, pid 101 at the end \(\+120\.000 s.*; shipped run 2: .*pid 201 at the end'
}

@test "the supervisor crashed at every tick, launchd starting it every 10 s: fails, restarted during the run" {
  # Each supervisor's start-up listing, its first tick, then its end;
  # launchd starts the next 10 s after the last (ThrottleInterval).
  looping="5.100 0.010"
  for t in 10 20 30 40 50 60 70 80 90 100 110; do looping="$looping r$t - 0.010"; done
  SHIPPED="$looping" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^verdict ticks fail shipped run 1: the supervisor restarted during the run, pid 100 listed last at \+5\.110 s, then pid 101 at \+10\.000 s, pid 111 at the end'
}

@test "the supervisor ended at 52 s in one run: fails, ended during the run" {
  # Its last tick at 50 s, then its end with status 0, which launchd
  # leaves down.
  SHIPPED_1="5.100 $(on_time 10) x" SHIPPED="5.100 $on_time" WITHOUT_KEY="5.100 $on_time" CONTROL="5.100 $on_time" judge
  assert_failure 1
  assert_line --regexp '^run shipped 1 23 .* ended 12$'
  assert_line --regexp '^verdict ticks fail shipped run 1: the supervisor ended during the run, pid 100 listed last at \+50\.112 s, none at the end \(\+120\.000 s'
}
