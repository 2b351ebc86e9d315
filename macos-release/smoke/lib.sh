#!/usr/bin/env bash
# What the smoke test's steps share, sourced by each; macOS's bash 3.2.
# STEP, the step's name for its messages, is its file's unless set before;
# VERDICT, the verdict that a failure of the step is recorded under, is
# STEP unless set before ("" for none).
#
# The steps share BUILD/smoke-test: the first (install) makes it; every step
# after it finds there what the ones before left, and appends what it saw to
# results/, from which the summary step writes the run page's summary.
# shellcheck disable=SC2034 # the names are the steps'
set -euo pipefail
: "${STEP:=${0##*/}}"
: "${VERDICT=$STEP}"
failure=""

smoke_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$smoke_dir/../.." && pwd)
usage() { sed -n 's/^# usage: //p' "$0"; }
[ $# -ge 1 ] || {
  echo "usage: $(usage)" >&2
  exit 64
}
build=$(cd "$1" && pwd)
# The supervisor's package, as macos-release/release made it (none before).
package=$(find "$build/release" -maxdepth 1 -name 'quillmere-watchdog-*.pkg' 2>/dev/null || true)
work="$build/smoke-test"
results="$work/results"
verdicts="$results/verdicts.txt"
label=com.ravelstow.quillmere-watchdog
receipt=$label.app
app=/Applications/quillmere-watchdog.app
supervisor="$app/Contents/MacOS/quillmere-watchdog"
folder=/Applications/Ravelstow
agent="$folder/Quillmere.app"
executable="$agent/Contents/MacOS/Quillmere"
marker=com.ravelstow.quillmere-watchdog.smoke-test-agent
agent_receipt=$marker
domain=gui/$(id -u)
service=$domain/$label
installed_agent=/Library/LaunchAgents/$label.plist
installed_daemon=/Library/LaunchDaemons/$label.hold.plist
# The administrator's command and its uninstall, root's alone.
admin_folder="/Library/Application Support/$label"
# How long a tick may take before the supervisor ends itself
# (kHostCommandDeadline in app/tick.h).
deadline=60

say() { echo "$STEP: $*"; }

# verdict NAME pass|fail|not-exercised TEXT...: the verdict NAME, one line in
# results/verdicts.txt (a later one replaces it), said in the log; a "not
# exercised" is also a warning on the run page, with its reason.
verdict() {
  local name=$1 outcome=$2
  shift 2
  mkdir -p "$results"
  touch "$verdicts"
  grep -v "^$name " "$verdicts" >"$verdicts.new" || true
  printf '%s %s %s\n' "$name" "$outcome" "$*" >>"$verdicts.new"
  mv "$verdicts.new" "$verdicts"
  say "$name: $outcome: $*"
  [ "$outcome" != not-exercised ] || warn "$name not exercised: $*"
}
has_verdict() { [ -f "$verdicts" ] && grep -q "^$1 " "$verdicts"; }
# record_verdicts NAME...: the lines "NAME OUTCOME TEXT" on standard input
# recorded as verdicts; the step fails if one of the NAMEs had none.
record_verdicts() {
  local name outcome text
  while read -r name outcome text; do
    verdict "$name" "$outcome" "$text"
  done
  for name in "$@"; do
    has_verdict "$name" || fail "the analysis gave no $name verdict"
  done
}

# A warning annotation on GitHub's run page; elsewhere a line in the log.
warn() {
  if [ "${GITHUB_ACTIONS:-}" = true ]; then
    echo "::warning title=$(escape "smoke test, $STEP" property)::$(escape "$1")"
  else
    echo "$STEP: warning: $1"
  fi
}
# escape TEXT [property]: TEXT as a workflow command's data, or a property's
# value, as the runner unescapes them (actions/runner, ActionCommand.cs): the
# command is one line, and a property ends at "," or "::".
escape() {
  local text=${1//%/%25}
  text=${text//$'\r'/%0D}
  text=${text//$'\n'/%0A}
  [ $# -eq 1 ] || { text=${text//:/%3A} && text=${text//,/%2C}; }
  printf '%s' "$text"
}

# The step fails, for the reason given, which step_exit records.
fail() {
  say "FAILED: $*"
  failure="$*"
  exit 1
}

# What a step changed on this Mac, for the cleanup step: one word a line.
note_change() { echo "$1" >>"$work/changes"; }
forget_change() {
  grep -vx "$1" "$work/changes" >"$work/changes.new" || true
  mv "$work/changes.new" "$work/changes"
}
changed() { [ -f "$work/changes" ] && grep -qx "$1" "$work/changes"; }

# Run at every step's exit: a step that ends unsuccessfully has its verdict
# failed, with fail's reason or its status, unless it recorded one already,
# and the failure is noted so that the cleanup keeps what the test saw.
# STEP_EXIT, if set, is the step's own clean-up, run first.
step_exit() {
  local status=$?
  set +e
  [ -z "${STEP_EXIT:-}" ] || "$STEP_EXIT"
  if [ "$status" -ne 0 ] && [ -d "$work" ]; then
    touch "$work/failed"
    if [ -n "${VERDICT:-}" ] && ! has_verdict "$VERDICT"; then
      verdict "$VERDICT" fail "${failure:-the step ended with status $status (see its log)}"
    fi
  fi
  exit "$status"
}

# The steps after the first need what it made: the changes, the clock.
need_work() {
  { [ -f "$work/changes" ] && [ -x "$work/stamp" ]; } || fail "no smoke test under way in $work: the install step runs first"
}

# Seconds since 1970, to the millisecond (stamp.c).
now() { "$work/stamp"; }

# Waits up to SECONDS for COMMAND to succeed; prints how long it took.
wait_for() {
  local seconds=$1 started=$SECONDS
  shift
  while ! "$@"; do
    [ $((SECONDS - started)) -lt "$seconds" ] || return 1
    sleep 0.5
  done
  echo "$((SECONDS - started))"
}
# Checks for SECONDS that COMMAND keeps succeeding; fails at once if not.
holds_for() {
  local seconds=$1 started=$SECONDS
  shift
  while [ $((SECONDS - started)) -lt "$seconds" ]; do
    "$@" || return 1
    sleep 0.5
  done
}

supervisors() { pgrep -f "^$supervisor" || true; }
# Any copy of the app: the installed one and those that are measured.
any_supervisor() { pgrep -f '/quillmere-watchdog[.]app/Contents/MacOS/quillmere-watchdog$' || true; }
agents() { pgrep -f "^$executable" || true; }
one_supervisor() { [ "$(supervisors | wc -l)" -eq 1 ]; }
no_supervisor() { [ -z "$(any_supervisor)" ]; }
one_agent() { [ "$(agents | wc -l)" -eq 1 ]; }
new_supervisor() { one_supervisor && [ "$(supervisors)" != "$1" ]; }
new_agent() { one_agent && [ "$(agents)" != "$1" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# The version that the running agent noted as it started.
agent_version() { awk -v pid="$(agents)" '$1 == pid { print $2 }' "$work/agent-starts"; }
# Ours only if its Info.plist carries our marker.
is_our_agent() {
  [ "$(plutil -extract CFBundleIdentifier raw -o - "$1/Contents/Info.plist" 2>/dev/null)" = "$marker" ]
}
front_app() { "$work/front-app"; }
textedit_in_front() { [ "$(front_app)" = com.apple.TextEdit ]; }
ours_in_front() { [ "$(front_app)" = "$label" ]; }

# launchctl may report a bootout done before the service has left the
# session, and a bootstrap in that moment fails: tried for up to ten seconds,
# then once more with its error shown.
bootstrap() {
  wait_for 10 launchctl bootstrap "$domain" "$1" >/dev/null 2>&1 || launchctl bootstrap "$domain" "$1"
}
stop_service() {
  launchctl bootout "$service" 2>/dev/null || true
  wait_for 10 no_supervisor >/dev/null || fail "the supervisor did not stop: $(any_supervisor | xargs)"
}
# start_from_copy DIR PROGRAM: the installed LaunchAgent stopped and a copy
# of it started in its place, differing only as below.
start_from_copy() {
  local dir=$1 copy="$1/$label.plist"
  cp "$installed_agent" "$copy"
  plutil -replace ProgramArguments -json "[\"$2\"]" "$copy"
  plutil -insert EnvironmentVariables -json "{\"PATH\":\"$dir/bin:/usr/bin:/bin:/usr/sbin:/sbin\"}" "$copy"
  plutil -insert StandardOutPath -string "$dir/output.log" "$copy"
  plutil -insert StandardErrorPath -string "$dir/output.log" "$copy"
  stop_service
  bootstrap "$copy"
}
# The installed LaunchAgent in place of a copy again.
restart_installed() {
  stop_service
  bootstrap "$installed_agent"
  wait_for 15 one_supervisor >/dev/null || fail "the installed LaunchAgent did not start the supervisor again"
}
# TextEdit in front, opened if it was not running (and then closed by the
# cleanup); fails if it is not in front within 15 s.
open_textedit() {
  if ! pgrep -x TextEdit >/dev/null && ! changed opened-textedit; then
    note_change opened-textedit
  fi
  open -a TextEdit
  wait_for 15 textedit_in_front >/dev/null
}

trap step_exit EXIT
