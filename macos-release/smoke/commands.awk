# How long the host commands took under launchd, from the logging stand-ins
# of the measured runs. POSIX awk, as macOS's awk and Linux's run it.
#
# usage: awk [-v first=4] -f stats.awk -f commands.awk [COMMANDS]
#
# COMMANDS, one line per command that returned, each run's sorted by start:
#   APP RUN COMMAND START END STATUS
# COMMAND is ls, ps, grep or open; START and END in seconds since 1970.
# Every `ls` begins a tick (the run's first is start-up's listing, tick 0);
# the `ps | grep` pipeline lasts from its ps's start to the later of the
# two ends.
#
# Prints, for the FIRST ticks of every run, in milliseconds ("-" for a
# command that did not run in that tick, as `open -g` runs only when the
# agent is down):
#   tick APP RUN TICK LS PIPELINE OPEN
# and for every command over all ticks of all runs:
#   command NAME COUNT MEDIAN_MS MAX_MS

function ms(seconds) { return sprintf("%.0f", seconds * 1000) }

function flush() {
  if (current == "" || index_in_run < 0 || index_in_run >= first) return
  printf "tick %s %d %s %s %s\n", current, index_in_run, ls_ms, \
    (ps_start == "" ? "-" : ms(pipe_end - ps_start)), open_ms
}

BEGIN { if (first == "") first = 4; current = "" }

NF != 6 { print "error line " NR " is not understood: " $0; failed = 1; exit 2 }

{
  run = $1 " " $2
  took = $5 - $4
  count[$3]++
  took_by[$3, count[$3]] = took
  if (run != current) {
    flush()
    current = run
    index_in_run = -1
  }
  if ($3 == "ls") {
    if (index_in_run >= 0) flush()
    index_in_run++
    ls_ms = ms(took)
    open_ms = "-"
    ps_start = ""
    pipe_end = 0
  } else if ($3 == "ps" || $3 == "grep") {
    if ($3 == "ps") ps_start = $4
    if ($5 > pipe_end) pipe_end = $5
  } else if ($3 == "open") {
    open_ms = ms(took)
  }
}

END {
  if (failed) exit 2
  flush()
  split("ls ps grep open", names, " ")
  for (k = 1; k <= 4; k++) {
    name = names[k]
    n = count[name] + 0
    if (n == 0) {
      printf "command %s 0 - -\n", name
      continue
    }
    for (i = 1; i <= n; i++) values[i] = took_by[name, i]
    med = median(values, n)
    sort_values(values, n)
    printf "command %s %d %s %s\n", name, n, ms(med), ms(values[n])
  }
}
