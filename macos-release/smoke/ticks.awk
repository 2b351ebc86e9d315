# The tick's punctuality, from the listings of measured runs. POSIX awk, as
# macOS's awk and Linux's run it.
#
# usage: awk [-v period=5] [-v bound=1.0] [-v goal=0.050] -f stats.awk
#          -f ticks.awk [RUNS]
#
# RUNS, one line each, in the order of the runs:
#   listing APP RUN SECONDS PID   a listing of the agent's bundle, as the
#                                 logging `ls` noted it, PID the supervisor
#                                 that ran it; a run's first is start-up's
#   end APP RUN SECONDS PID       the end of the run's measurement, PID the
#                                 supervisor running then ("-" for none)
# APP is shipped, without-key or control, RUN a number; SECONDS since 1970.
#
# The rule is docs/proof.md's "The rule of the tick verdict": the app keeps
# a fixed grid (app/tick_schedule.h), so each run's grid is anchored where
# no tick is early on it, start-up apart; a run is late when its slots'
# median lateness is past BOUND (GOAL fails nothing) or more than one slot
# in ten is, throttled when its slots past BOUND after the first minute
# are served by two late ticks or more (one is a stall), and fails when its
# supervisor ended or is another at the end than at start-up's listing.
#
# Prints, one line each:
#   limits GOAL BOUND
#   startup APP RUN SECONDS
#   slot APP RUN SLOT LATENESS served|overdue
#   run APP RUN SLOTS MEDIAN WORST PAST JUDGED PAST_AFTER_A_MINUTE
#     JUDGED restarted, ended, throttled, late or on-time, the first that holds
#   app APP RUNS SLOTS MEDIAN WORST PAST WITHIN_GOAL LATE_RUNS
#   verdict ticks|app-nap pass|fail|not-exercised TEXT
#   note TEXT
# Exits 1 when the tick verdict fails (the shipped app late in every run or
# throttled in one, or a supervisor restarted), 2 when the runs cannot be
# judged (a run without a tick or an end, an app with fewer than two runs).

function fail(text) { print "error " text; failed = 1; exit 2 }

# Whole milliseconds from FROM to a TO no earlier (the listings are to the ms).
function ms(from, to) { return int((to - from) * 1000 + 0.5) }

BEGIN {
  if (period == "") period = 5
  if (bound == "") bound = 1.0
  if (goal == "") goal = 0.050
  printf "limits %.3f %.3f\n", goal, bound
  p = period * 1000
}

($1 == "listing" || $1 == "end") && NF == 5 {
  key = $2 SUBSEP $3
  if (!(key in run_of)) {
    run_of[key] = ++runs
    run_app[runs] = $2
    run_number[runs] = $3
  }
  r = run_of[key]
  if ($1 == "end") {
    run_end[r] = $4 + 0
    end_pid[r] = $5
  } else {
    listing[r, ++listings[r]] = $4 + 0
    listed_by[r, listings[r]] = $5
  }
  next
}

NF > 0 { fail("line " NR " is not understood: " $0) }

END {
  if (failed) exit 2
  if (runs == 0) fail("no runs")
  for (r = 1; r <= runs; r++) {
    a = run_app[r]
    if (!(r in run_end)) fail(a " run " run_number[r] ": no end")
    # The ticks after start-up's listing, by the end, in ms from the first.
    n = 0
    for (i = 2; i <= listings[r]; i++)
      if (listing[r, i] <= run_end[r]) at[++n] = ms(listing[r, 2], listing[r, i])
    if (n == 0) fail(a " run " run_number[r] ": no tick after the start-up listing")
    # The grid: the phase of least total lateness that start-up leaves ROOM
    # for (the first tick that late: due no sooner than PERIOD after it).
    room = ms(listing[r, 1], listing[r, 2]) - p
    least = -1
    for (c = 1; c <= n; c++) {
      first_late = (p - at[c] % p) % p
      if (c > 1 && first_late > room) continue
      total = 0
      for (i = 1; i <= n; i++) total += (at[i] - at[c] % p + p) % p
      if (least < 0 || total < least) {
        least = total
        due = -first_late
      }
    }
    printf "startup %s %s %.3f\n", a, run_number[r], (room + p + due) / 1000

    app_runs[a]++
    end = ms(listing[r, 2], run_end[r])
    slots = past = later = episodes = worst = 0
    episode_tick = 0
    i = 1
    for (s = 0; due + p * s <= end; s++) {
      d = due + p * s
      while (i <= n && at[i] < d) i++
      late = (((i <= n) ? at[i] : end) - d) / 1000
      printf "slot %s %s %d %+.3f %s\n", a, run_number[r], s, late, (i <= n) ? "served" : "overdue"
      lateness[++slots] = late
      app_lateness[a, ++app_slots[a]] = late
      if (late > bound) past++
      # An episode is one late tick and the slots it serves: a stall of the
      # machine is one (the grid puts the tick after it on time again);
      # App Nap's throttling, or a supervisor slow of its own, makes one at
      # tick after tick.
      if (late > bound && room + p + d >= 60000) {
        later++
        if (i != episode_tick) episodes++
        episode_tick = i
      }
      if (late <= goal) app_goal[a]++
      if (late > worst) worst = late
    }
    med = median(lateness, slots)
    late_run = med > bound || past * 10 > slots
    # The supervisor at the end against start-up's, and its last listing.
    first = listed_by[r, 1]
    for (i = 1; i <= listings[r]; i++) if (listed_by[r, i] == first) last = i
    judged = end_pid[r] == first ? "" : end_pid[r] == "-" ? "ended" : "restarted"
    if (judged != "")
      restarts = restarts (restarts == "" ? "" : "; ") sprintf("%s run %s: the supervisor %s during the run," \
        " pid %s listed last at %+.3f s%s, %s at the end (%+.3f s; times from start-up's listing)",
        a, run_number[r], judged, first, listing[r, last] - listing[r, 1],
        last == listings[r] ? "" : sprintf(", then pid %s at %+.3f s", listed_by[r, last + 1], listing[r, last + 1] - listing[r, 1]),
        end_pid[r] == "-" ? "none" : "pid " end_pid[r], run_end[r] - listing[r, 1])
    else judged = episodes > 1 ? "throttled" : late_run ? "late" : "on-time"
    printf "run %s %s %d %+.3f %+.3f %d %s %d\n", a, run_number[r], slots, med, worst, past, judged, later
    if (judged == "throttled") app_throttled[a]++
    app_past[a] += past
    if (worst > app_worst[a]) app_worst[a] = worst
    if (late_run) app_late_runs[a]++
  }

  split("shipped without-key control", names, " ")
  for (k = 1; k <= 3; k++) {
    a = names[k]
    if (app_runs[a] < 2) fail(a ": " (app_runs[a] + 0) " run(s); the verdict needs at least two")
    for (i = 1; i <= app_slots[a]; i++) values[i] = app_lateness[a, i]
    app_median[a] = median(values, app_slots[a])
    late_app[a] = app_late_runs[a] == app_runs[a] || app_throttled[a]
    printf "app %s %d %d %+.3f %+.3f %d %d %d\n", a, app_runs[a], app_slots[a], app_median[a],
      app_worst[a], app_past[a], app_goal[a], app_late_runs[a]
    seen[a] = sprintf("late in %d of %d runs; over them, median %+.3f s, %d of %d slots past the bound of %.3f s, worst %+.3f s; throttled in %d of %d runs",
      app_late_runs[a], app_runs[a], app_median[a], app_past[a], app_slots[a], bound, app_worst[a], app_throttled[a], app_runs[a])
  }

  if (restarts != "")
    print "verdict ticks fail " restarts
  else if (app_late_runs["shipped"] == app_runs["shipped"])
    print "verdict ticks fail the shipped app was late in every run (" seen["shipped"] ")"
  else if (late_app["shipped"])
    printf "verdict ticks fail the shipped app was throttled in %d of %d runs: past the bound again and again after its first minute, not one stall (%s)\n",
      app_throttled["shipped"], app_runs["shipped"], seen["shipped"]
  else if (app_late_runs["shipped"])
    print "verdict ticks pass the shipped app was late in some runs only, a stall of the machine rather than its own lateness (" seen["shipped"] ")"
  else
    print "verdict ticks pass the shipped app kept the bound in every run (" seen["shipped"] ")"
  ticks_fail = restarts != "" || late_app["shipped"]
  if (!ticks_fail && app_median["shipped"] <= goal)
    printf "note the shipped app met the goal: median within %.3f s (%d of %d slots within it)\n",
      goal, app_goal["shipped"], app_slots["shipped"]
  else if (!ticks_fail)
    printf "note the shipped app kept the bound but NOT the goal of %.3f s (median %+.3f s); the job fails only past the bound\n",
      goal, app_median["shipped"]
  print "note the listings cannot show lateness that every tick of a run shares, the first included (the arming is not seen):" \
    " it reads as start-up's own time, and an app late by as much on every tick as on time"

  if (app_throttled["control"] == app_runs["control"]) {
    print "verdict app-nap " (late_app["shipped"] ? "fail" : "pass") " App Nap was at work (the control: " seen["control"] ")" \
      (late_app["shipped"] ? " and the shipped app was late too" : "; the shipped app kept the bound")
    if (late_app["without-key"])
      print "note without LSAppNapIsDisabled the ticks were late too, in every run or throttled: the key keeps them on time, the activity does not"
    else
      print "note without LSAppNapIsDisabled the ticks kept the bound in some run and were throttled in none: the activity alone keeps them on time"
  } else if (app_late_runs["control"] || app_throttled["control"]) {
    print "verdict app-nap not-exercised the control was late in " \
      (app_late_runs["control"] == app_runs["control"] ? "every run" : app_late_runs["control"] ? "some runs only" : "no run") \
      " but not throttled in every run (" seen["control"] "): one episode of late slots is a stall of the machine, not App Nap's" \
      " throttling, which comes again and again; nothing is shown about the activity or the key"
  } else {
    print "verdict app-nap not-exercised the control kept the bound too (" seen["control"] \
      "): App Nap was not observable on this runner; nothing is shown about the activity or the key"
  }
  exit ticks_fail
}
