# The tick's punctuality, from the listings of measured runs. POSIX awk, as
# macOS's awk and Linux's run it.
#
# usage: awk [-v period=5] [-v bound=1.0] [-v goal=0.050] -f stats.awk
#          -f ticks.awk [RUNS]
#
# RUNS, one line each, in the order of the runs:
#   listing APP RUN SECONDS   a listing of the agent's bundle, as the logging
#                             `ls` noted it; a run's first is start-up's
#   end APP RUN SECONDS       the end of the run's measurement
# APP is shipped, without-key or control, RUN a number; SECONDS since 1970.
#
# The grid is anchored at the run's first tick (the first listing after
# start-up's): its slots are due every PERIOD seconds from there. A slot's
# lateness is the time from its due time to the first tick that came at or
# after it (a tick up to a tenth of a period early counts for it); a slot
# that no tick served by the run's end is late by how long it was overdue.
# Start-up (from its listing to the first tick, which start-up arms PERIOD
# seconds ahead) is reported on its own and counts for no slot.
#
# GOAL is what a tick aims for; BOUND, past which the shipped app fails the
# job, leaves room for a hosted Mac, a virtual machine shared with others,
# which may miss the goal without being throttled.
#
# The rule: an app's ticks are late when the median of its slots' lateness,
# over all its runs, is past BOUND, or when more than one slot in ten is.
#   - The shipped app late: the tick verdict fails, and so does the job.
#   - App Nap was at work when the control is late in each of its runs
#     (judged by the same rule, run by run): App Nap's throttling is steady;
#     a stall of a shared machine is an episode. Then the App Nap verdict
#     passes if the shipped app kept the bound and fails if not, and the app
#     without the key tells whether the activity alone keeps the grid.
#   - The control late in some runs only, or in none: App Nap was not
#     observable, and the App Nap verdict is "not exercised".
#
# Prints, one line each:
#   limits GOAL BOUND
#   startup APP RUN SECONDS
#   slot APP RUN SLOT LATENESS served|overdue
#   run APP RUN SLOTS MEDIAN WORST PAST late|on-time
#   app APP RUNS SLOTS MEDIAN WORST PAST WITHIN_GOAL late|on-time LATE_RUNS
#   verdict ticks pass|fail TEXT
#   verdict app-nap pass|fail|not-exercised TEXT
#   note TEXT
# Exits 0 when the shipped app kept the bound, 1 when it did not, 2 when the
# runs cannot be judged (a run without a tick or an end, an app with fewer
# than two runs).

function fail(text) {
  print "error " text
  failed = 1
  exit 2
}

# late: more than one value in ten past the bound, or the median past it.
function is_late(med, past, n) {
  return med > bound || past * 10 > n
}

BEGIN {
  if (period == "") period = 5
  if (bound == "") bound = 1.0
  if (goal == "") goal = 0.050
  printf "limits %.3f %.3f\n", goal, bound
  runs = 0
}

$1 == "listing" || $1 == "end" {
  key = $2 SUBSEP $3
  if (!(key in seen)) {
    seen[key] = 1
    runs++
    run_app[runs] = $2
    run_number[runs] = $3
    run_of[key] = runs
    listings[runs] = 0
  }
  r = run_of[key]
  if ($1 == "end") {
    run_end[r] = $4 + 0
  } else {
    listings[r]++
    listing[r, listings[r]] = $4 + 0
  }
  next
}

NF > 0 { fail("line " NR " is not understood: " $0) }

END {
  if (failed) exit 2
  if (runs == 0) fail("no runs")
  for (r = 1; r <= runs; r++) {
    name = run_app[r] " run " run_number[r]
    if (!((r) in run_end)) fail(name ": no end")
    # Ticks: the listings after start-up's that came by the end.
    n = 0
    for (i = 2; i <= listings[r]; i++)
      if (listing[r, i] <= run_end[r]) tick[++n] = listing[r, i]
    if (n == 0) fail(name ": no tick after the start-up listing")
    printf "startup %s %s %.3f\n", run_app[r], run_number[r], tick[1] - listing[r, 1]

    a = run_app[r]
    if (!(a in app_runs)) {
      app_runs[a] = 0
      app_slots[a] = 0
      app_past[a] = 0
      app_worst[a] = 0
      app_goal[a] = 0
      app_late_runs[a] = 0
    }
    app_runs[a]++
    slots = 0
    past = 0
    worst = 0
    i = 1
    for (s = 1; tick[1] + period * s <= run_end[r]; s++) {
      due = tick[1] + period * s
      while (i <= n && tick[i] < due - period / 10) i++
      if (i <= n) {
        late = tick[i] - due
        how = "served"
      } else {
        late = run_end[r] - due
        how = "overdue"
      }
      printf "slot %s %s %d %+.3f %s\n", a, run_number[r], s, late, how
      lateness[++slots] = late
      app_lateness[a, ++app_slots[a]] = late
      if (late > bound) past++
      if (late <= goal) app_goal[a]++
      if (late > worst) worst = late
    }
    if (slots == 0) fail(name ": the run ended before its first tick's next slot")
    med = median(lateness, slots)
    late_run = is_late(med, past, slots)
    printf "run %s %s %d %+.3f %+.3f %d %s\n", a, run_number[r], slots, med, worst, past,
      late_run ? "late" : "on-time"
    app_past[a] += past
    if (worst > app_worst[a]) app_worst[a] = worst
    if (late_run) app_late_runs[a]++
  }

  split("shipped without-key control", names, " ")
  for (k = 1; k <= 3; k++) {
    a = names[k]
    if (!(a in app_runs) || app_runs[a] < 2)
      fail(a ": " ((a in app_runs) ? app_runs[a] : 0) " run(s); the verdict needs at least two")
    for (i = 1; i <= app_slots[a]; i++) values[i] = app_lateness[a, i]
    app_median[a] = median(values, app_slots[a])
    app_is_late[a] = is_late(app_median[a], app_past[a], app_slots[a])
    printf "app %s %d %d %+.3f %+.3f %d %d %s %d\n", a, app_runs[a], app_slots[a], app_median[a],
      app_worst[a], app_past[a], app_goal[a], app_is_late[a] ? "late" : "on-time", app_late_runs[a]
  }

  shipped = sprintf("the shipped app: median %+.3f s, %d of %d slots past the bound of %.3f s, worst %+.3f s",
    app_median["shipped"], app_past["shipped"], app_slots["shipped"], bound, app_worst["shipped"])
  if (app_is_late["shipped"]) {
    print "verdict ticks fail " shipped
  } else {
    print "verdict ticks pass " shipped
    if (app_median["shipped"] <= goal)
      printf "note the shipped app met the goal: median within %.3f s (%d of %d slots within it)\n",
        goal, app_goal["shipped"], app_slots["shipped"]
    else
      printf "note the shipped app kept the bound but NOT the goal of %.3f s (median %+.3f s); the job fails only past the bound\n",
        goal, app_median["shipped"]
  }

  control = sprintf("the control: median %+.3f s, %d of %d slots past the bound, late in %d of %d runs",
    app_median["control"], app_past["control"], app_slots["control"], app_late_runs["control"], app_runs["control"])
  if (app_late_runs["control"] == app_runs["control"]) {
    if (app_is_late["shipped"])
      print "verdict app-nap fail App Nap was at work (" control ") and the shipped app was late too"
    else
      print "verdict app-nap pass App Nap was at work (" control "); the shipped app kept the bound"
    if (app_late_runs["without-key"] == app_runs["without-key"])
      print "note without LSAppNapIsDisabled the ticks were late in every run too: the key keeps them on time, the activity does not"
    else
      print "note without LSAppNapIsDisabled the ticks kept the bound in some run: the activity alone keeps them on time"
  } else if (app_late_runs["control"] > 0) {
    print "verdict app-nap not-exercised the control was late in some runs only (" control \
      "): a stall of the machine, not App Nap's steady throttling; nothing is shown about the activity or the key"
  } else {
    print "verdict app-nap not-exercised the control kept the bound too (" control \
      "): App Nap was not observable on this runner; nothing is shown about the activity or the key"
  }
  exit app_is_late["shipped"] ? 1 : 0
}
