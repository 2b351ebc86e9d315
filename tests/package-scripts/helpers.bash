# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154 # the cases read what is set here; bats's run sets status and output
# What every case of package-scripts.bats shares: a Mac of its own in a
# mount namespace (bwrap), its stand-ins, its launchd and its clock.
#
# The scripts run as the package generated them ($QUILLMERE_PACKAGE_SCRIPTS),
# from where the Mac has them: the app in the case's /Applications, the
# preinstall and postinstall from the package's folder. The stand-ins (in
# stand-ins/) are where the Mac has the real commands: overlaid on /usr/bin
# (also /bin here), /usr/sbin and /usr/local/bin (jamf), over the real commands that they do not
# stand in for, with the Mac's own bash and awk, and /bin/sh as that bash in
# its POSIX mode, as on a Mac, unless the case links it to another shell. The Mac's zone is /etc/localtime,
# overlaid too, a zone of Debian's tzdata. The case's state is bound at
# /srv, where the stand-ins keep it, and its /Applications, /Library and
# /private are the case's own.
#
# What launchd does without being asked, played here (the launchctl
# stand-in plays what it answers):
# - login: launchd loads each plist of /Library/LaunchAgents into the
#   user's graphical domain ("Per-user agents provided by the
#   administrator", launchctl(1), FILES), except a service disabled for
#   that user (launchctl(1), disable: "will not be loaded", and the state
#   outlives reboots).
# - restart: launchd starts with nothing loaded and nobody logged in, and
#   loads each plist of /Library/LaunchDaemons into its system domain
#   ("System wide daemons provided by the administrator", launchctl(1),
#   FILES); a job's StartInterval runs from that load (launchd-next). The
#   boot's time (sysctl kern.boottime) moves on. /var/run is kept: launchd-842
#   emptied it (support/launchctl.c, system_specific_bootstrap), but today's
#   launchd is closed source, and nothing may rely on it.
#
# Every name made, removed or renamed in /Library/LaunchAgents and
# /Library/LaunchDaemons after the install is recorded (watch-folders), and
# a case fails on any unless it removes the supervisor.

label=com.ravelstow.quillmere-watchdog
hold_label=$label.hold
a=gui/501/$label
b=gui/502/$label
h=system/$hold_label
resources=/Applications/quillmere-watchdog.app/Contents/Resources
admin_folder="/Library/Application Support/$label"
admin=$admin_folder/quillmere-admin
supervisor=/Applications/quillmere-watchdog.app/Contents/MacOS/quillmere-watchdog
launch_agent=/Library/LaunchAgents/$label.plist
hold_file=/private/var/db/$label.held
hold_plist=/Library/LaunchDaemons/$hold_label.plist
lock=/private/var/run/$label.lock
# dave has never logged in.
users="alice:501 bob:502 carol:503 dave:504"
# alice at the screen, bob switched away, carol logged in through ssh only.
two="bob      console  Dec  8 08:40
alice    console  Dec  8 09:12
alice    ttys000  Dec  8 09:13
carol    ttys001  Dec  8 09:20 (10.0.0.7)
"
# alice at the screen, carol listed on the console too.
alice_and_carol="alice    console  Dec  8 09:12
carol    console  Dec  8 09:02
"
# The clock's start unless the case says otherwise: 2026-12-08 09:12:30 UTC.
t0=1796721150
# launchd's environment for its jobs: a bare one, without TZ.
launchd_path=/usr/bin:/bin:/usr/sbin:/sbin

here=$BATS_TEST_DIRNAME
scripts=${QUILLMERE_PACKAGE_SCRIPTS:?the generated package scripts folder}
mac_tools=${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}
deploying_doc=${QUILLMERE_DEPLOYING_DOC:-$here/../../docs/deploying.md}

# begin_case WHO LOADED DISABLED AGENT_INSTALLED [ZONE]: a Mac with the app,
# its LaunchAgent, the hold's daemon (loaded) and the administrator's
# command installed as the package installs them, in an /Applications that
# is root's and the admin group's (macOS ships it so), the command in
# /Library/Application Support, root's and the admin group's, mode 0755;
# the services loaded and disabled given as one word, space-separated; the
# Mac in ZONE (UTC unless given).
begin_case() {
  state=$BATS_TEST_TMPDIR/state
  layer=$BATS_TEST_TMPDIR/layer
  mkdir -p "$state/jobs" "$state$resources" "$state/real" "$state/Library/LaunchDaemons" \
    "$state$admin_folder" "$state/sync" "$state/Library/LaunchAgents" "$state/private/var/db" "$state/private/var/run" "$state/hooks" "$layer/bin" "$layer/sbin" "$layer/etc"
  printf '%s' "$1" >"$state/who"
  tr ' ' '\n' <<<"$2" | sed '/^$/d' >"$state/loaded"
  tr ' ' '\n' <<<"$3" | sed '/^$/d' >"$state/disabled"
  echo "$users" >"$state/users"
  echo "${5:-UTC}" >"$state/zone"
  for file in leaving calls slept syslog owners no_domain login_race flaky \
    bootout_in_progress bootout_fails disable_fails procs receipts job-output launchd-folders; do
    : >"$state/$file"
  done
  echo 1 >"$state/hold_seconds"
  echo "$t0" >"$state/now"
  echo $((t0 - 86400)) >"$state/boottime"
  cp /usr/bin/date /usr/bin/stat "$state/real/"
  cp "$scripts/quillmere-admin" "$scripts/uninstall" "$state$admin_folder/"
  chmod 755 "$state$admin_folder"/* "$state/Library" "$state/Library/Application Support"
  echo "/Library/Application Support 0 80" >>"$state/owners"
  sed -e "s|@QUILLMERE_LABEL@|$label|; s|@QUILLMERE_APP_BUNDLE_ID@|$label|; s|@QUILLMERE_ADMIN@|$admin|" \
    "$here/../../macos-package/hold-daemon.plist.in" >"$state$hold_plist"
  echo "$h" >>"$state/loaded"
  cp "$state$hold_plist" "$state/jobs/$hold_label.plist"
  echo $((t0 - 17)) >"$state/jobs/$hold_label.loaded"
  daemon=$h by_hand=no
  printf '<plist version="1.0"><dict><key>Label</key><string>%s</string></dict></plist>\n' "$label" \
    >"$state$launch_agent"
  chmod 775 "$state/Applications"
  echo "/Applications 0 80" >>"$state/owners"
  [ "$4" = no ] || mkdir -p "$state/Applications/Ravelstow/Quillmere.app"
  [ "$4" = no ] || echo "$label.app" >"$state/receipts"
  cp "$here"/stand-ins/* "$layer/bin/"
  mv "$layer/bin/pkgutil" "$layer/bin/sysctl" "$layer/sbin/"
  mkdir "$layer/local"
  mv "$layer/bin/jamf" "$layer/local/"
  # The Mac's own bash 3.2.57 and awk 20200816, built from Apple's sources:
  # /bin/sh is that bash entered as sh, in its POSIX mode.
  ln -s "$mac_tools/bash" "$layer/bin/bash"
  ln -s "$mac_tools/awk" "$layer/bin/awk"
  ln -s bash "$layer/bin/sh"
  ln -s "/usr/share/zoneinfo/${5:-UTC}" "$layer/etc/localtime"
  as_uid=0 caller_path=$launchd_path caller_tz=
  "$here/watch-folders" "$state/launchd-folders" "$state/Library/LaunchAgents" \
    "$state/Library/LaunchDaemons" "$state/sync" &
  watcher=$!
  until [ -s "$state/launchd-folders" ]; do sleep 0.05; done
  : >"$state/launchd-folders"
}

# Fails on any name made, removed or renamed in launchd's folders since the
# install, unless the case changed them itself (by_hand=yes: an uninstall,
# or a state set up by hand).
launchd_folders_untouched() {
  [ -n "${watcher:-}" ] || return 0
  local mark=$RANDOM tries=0
  mkdir "$state/sync/$mark"
  until grep -q " create $mark\$" "$state/launchd-folders" || [ $((tries += 1)) -gt 100 ]; do sleep 0.05; done
  kill "$watcher"
  wait "$watcher" 2>/dev/null || true
  [ "$by_hand" = no ] || return 0
  local changed
  changed=$(grep -v "^$state/sync " "$state/launchd-folders" | sed "s|^$state||")
  [ -z "$changed" ] || fail "changed in launchd's folders after the install: $(xargs <<<"$changed")"
}

# clock SECONDS: sets the case's clock.
clock() { echo "$1" >"$state/now"; }
now() { awk '{ printf "%d", $1 }' "$state/now"; }

# The case's Mac: the command that runs what follows it there.
mac() {
  namespace=(bwrap --bind / / --proc /proc --dev /dev
    --overlay-src /usr/bin --overlay-src "$layer/bin" --tmp-overlay /usr/bin
    --overlay-src /usr/sbin --overlay-src "$layer/sbin" --tmp-overlay /usr/sbin
    --overlay-src /etc --overlay-src "$layer/etc" --tmp-overlay /etc
    --overlay-src /usr/local/bin --overlay-src "$layer/local" --tmp-overlay /usr/local/bin
    --bind "$state/Applications" /Applications --bind "$state/Library" /Library
    --bind "$state/private" /private --bind "$state" /srv --chdir /)
}

# login NAME UID: NAME logs in at the screen, as launchd plays it (above).
login() {
  echo "$1    console  Dec  8 09:30" >>"$state/who"
  [ -f "$state$launch_agent" ] && ! grep -qxF "gui/$2/$label" "$state/disabled" &&
    ! grep -qxF "gui/$2/$label" "$state/loaded" && echo "gui/$2/$label" >>"$state/loaded"
  return 0
}

# restart: the Mac restarts, as launchd plays it (above); nobody is logged
# in after it.
restart() {
  local plist job
  : >"$state/who"
  : >"$state/loaded"
  : >"$state/leaving"
  rm -f "$state"/jobs/*
  now >"$state/boottime"
  for plist in "$state"/Library/LaunchDaemons/*.plist; do
    [ -f "$plist" ] || continue
    job=$(basename "$plist" .plist)
    echo "system/$job" >>"$state/loaded"
    cp "$plist" "$state/jobs/$job.plist"
    cp "$state/now" "$state/jobs/$job.loaded"
  done
}

# as_caller SCRIPT ARGS...: a script of the case, as its caller runs it: as
# the case's user (root unless it says otherwise), with the caller's PATH
# and TZ (sudo keeps TZ on macOS), nothing else of ours, nothing on its
# standard input.
as_caller() {
  local script=$1
  shift
  case $script in
    preinstall | postinstall) script="$scripts/$script" ;;
    admin) script=$admin ;;
    uninstall) script=$admin_folder/uninstall ;;
  esac
  echo "$as_uid" >"$state/as_uid"
  : >"$state/slept"
  mac
  env -i PATH="$caller_path" ${caller_tz:+TZ="$caller_tz"} "${namespace[@]}" \
    "$script" "$@" </dev/null
}

# step or refused EXPECTED_LOADED SCRIPT ARGS...: the script succeeds, or
# fails, and then launchd has the services and jobs expected.
step() { ran_leaving -0 "$@"; }
refused() { ran_leaving ! "$@"; }

# ran_leaving CHECK EXPECTED_LOADED SCRIPT ARGS...: the same, the exit
# status checked by bats's run (-0 succeeded, ! failed).
ran_leaving() {
  local check=$1 expected=$2
  shift 2
  run "$check" as_caller "$@"
  loaded_is "$expected" "$*"
}

# loaded_is EXPECTED WHAT: launchd has EXPECTED loaded, with the hold's
# daemon unless the case removed it.
loaded_is() {
  local loaded expected
  loaded=$(sort "$state/loaded" | xargs)
  expected=$(tr ' ' '\n' <<<"$1 $daemon" | sed '/^$/d' | sort -u | xargs)
  [ "$loaded" = "$expected" ] || fail "loaded after $2: [$loaded], expected [$expected]"
}

# line_is EXPECTED: status --line printed EXPECTED, and nothing that
# Workspace ONE drops from a custom attribute (/ \ " * : ; < > ? |).
line_is() {
  assert_output "$1"
  [[ $output != *[/\\\"*:\;\<\>?\|]* ]] || fail "a character Workspace ONE drops in: $output"
}

said() {
  [[ $output == *"$1"* ]] || fail "it did not say \"$1\", but: $output"
}

# The seconds the last script waited.
slept() {
  awk '{ s += $1 } END { printf "%.1f", s }' "$state/slept"
}

bootstraps_in() {
  grep -c "^launchctl bootstrap $1 " "$state/calls" || true
}

# The hold's job as launchd has it: its program and arguments, one a line.
job_arguments() {
  awk '/<key>ProgramArguments<\/key>/ { inside = 1 } inside && /<string>/ {
         gsub(/.*<string>|<\/string>.*/, ""); print } inside && /<\/array>/ { exit }' \
    "$state/jobs/$1.plist"
}

# roots_alone PATH: PATH and every folder up to / are root's and writable
# by no group and no other user, as the case's stat answers.
roots_alone() {
  local path=$1 owner mode
  while [ "$path" != / ]; do
    [ -e "$state$path" ] || fail "$path is not there"
    owner=$(awk -v p="$path" '{ uid = $(NF - 1); sub(/ [^ ]+ [^ ]+$/, "") } $0 == p { print uid }' "$state/owners")
    mode=$(stat -c %a "$state$path")
    if [ "${owner:-0}" != 0 ] || [[ $mode != *[0145][0145] ]]; then
      fail "$path is uid ${owner:-0}'s, mode $mode: not root's alone"
    fi
    path=$(dirname "$path")
  done
}

# A hold in force: its daemon loaded, running "expire" from a command root's
# alone, and the service disabled for every account that can log in.
hold_is_in_force() {
  grep -qxF "$h" "$state/loaded" || fail "no hold daemon in launchd's system domain"
  local arguments uid
  arguments=$(job_arguments "$hold_label" | tr '\n' '|')
  [ "$arguments" = "$admin|expire|" ] || fail "the hold's daemon runs [$arguments], not $admin expire"
  roots_alone "$admin"
  [ -s "$state$hold_file" ] || fail "no hold file"
  for uid in 501 502 503 504; do
    grep -qxF "gui/$uid/$label" "$state/disabled" || fail "not disabled for uid $uid during the hold"
  done
}

no_hold_left() {
  [ ! -e "$state$hold_file" ] || fail "the hold left $hold_file"
  [ ! -s "$state/disabled" ] || fail "still disabled: $(xargs <"$state/disabled")"
}

# launchd_until SECONDS: the case's launchd runs until then: each job of its
# system domain started when launchd-next says, as root, with launchd's
# bare environment; the clock stands at SECONDS after.
launchd_until() {
  local next at job program
  while next=$("$here/launchd-next" "$state") && [ -n "$next" ]; do
    read -r at job <<<"$next"
    [ "$at" -le "$1" ] || break
    clock "$at"
    echo "$at" >"$state/jobs/$job.last"
    mapfile -t program < <(job_arguments "$job")
    echo 0 >"$state/as_uid"
    mac
    env -i PATH="$launchd_path" "${namespace[@]}" "${program[@]}" >>"$state/job-output" 2>&1 </dev/null ||
      echo "$at $job: exit status $?" >>"$state/job-output"
  done
  [ "$(now)" -ge "$1" ] || clock "$1"
}

# mac_time SECONDS: that time in the Mac's zone.
mac_time() {
  TZ=":/usr/share/zoneinfo/$(cat "$state/zone")" date -d "@$1" '+%Y-%m-%d %H:%M:%S %Z'
}

# When launchd would next start a job, in the Mac's zone; "never" if not.
next_start() {
  local next
  next=$("$here/launchd-next" "$state")
  if [ -z "$next" ]; then
    echo never
  else
    mac_time "${next%% *}"
  fi
}

# When the system log first says the hold reached its end; nothing if never.
released_at() {
  awk '/the hold reached its end/ { print $1; exit }' "$state/syslog"
}

# ends_on_time START MINUTES [WAKE]: a hold of MINUTES held at START
# (seconds since 1970) ends, with the supervisor back in both sessions and
# nothing of the hold left, 0 to 120 s after its end (or after WAKE, when a
# Mac asleep at its end wakes), never before.
ends_on_time() {
  local start=$1 minutes=$2 end released
  end=$((start + minutes * 60))
  clock "$start"
  # The package installed, and its daemon loaded, just before.
  echo $((start - 17)) >"$state/jobs/$hold_label.loaded"
  step "" admin hold "$minutes"
  hold_is_in_force
  [ "${3:-0}" -le "$end" ] || end=$3
  launchd_until $((end + 120))
  released=$(released_at)
  [ -n "$released" ] || fail "not released 120 s after its end or the wake ($(mac_time "$end")); launchd would next start its job at $(next_start)"
  [ "$released" -ge "$end" ] || fail "released $((end - released)) s before its end or the wake"
  [ "$released" -le $((end + 120)) ] || fail "released $((released - end)) s after its end"
  loaded_is "$a $b" "the hold's end"
  no_hold_left
  grep -q "started for alice" "$state/syslog" || fail "the system log does not say the supervisor started"
  # With no hold left, the daemon's next runs start nothing.
  launchd_until $((released + 180))
  [ "$(grep -c 'the hold reached its end' "$state/syslog")" = 1 ] ||
    fail "the daemon ran the hold's end again with no hold: $(grep -c 'started for alice' "$state/syslog") starts for alice"
}

# doc_scripts: each script of docs/deploying.md (a block that starts with
# #!/bin/sh, its indentation removed) in the case's /srv/mdm, numbered.
doc_scripts() {
  mkdir "$state/mdm"
  awk -v out="$state/mdm" -f "$here/../../scripts/doc-recipes.awk" "$deploying_doc"
  chmod 755 "$state"/mdm/*
}
