#!/usr/bin/env bats
# The scripts that act on the users' sessions on a Mac, as generated: the
# package's preinstall and postinstall, the administrator's command
# (quillmere-admin) and its uninstall name, and the MDM scripts of
# docs/deploying.md, each case on a Mac of its own (helpers.bash) whose
# launchd is played as launchd-842 plays it.
# shellcheck disable=SC2034,SC2154 # helpers.bash sets the case's variables, and reads those set here

setup() {
  bats_require_minimum_version 1.5.0
  bats_load_library bats-support
  bats_load_library bats-assert
  load helpers
}

teardown() {
  launchd_folders_untouched
}

# --- the package

@test "install with nobody logged in, logins, an upgrade: enabled again, a login's load stands" {
  begin_case "" "" "$b" yes
  step "" preinstall
  step "" postinstall
  said "nobody is logged in"
  login alice 501
  login bob 502
  loaded_is "$a" "the logins after the install, bob's disabled"
  # The upgrade enables bob's; his login loads it just before its bootstrap.
  echo 502 >"$state/login_race"
  step "" preinstall
  step "$a $b" postinstall
  said "started for bob"
  [ "$(bootstraps_in gui/502)" = 1 ] || fail "$(bootstraps_in gui/502) bootstraps in gui/502"
  [ ! -s "$state/disabled" ] || fail "still disabled: $(xargs <"$state/disabled")"
}

@test "uninstall during a hold, two users, through a link elsewhere: the installed command runs" {
  begin_case "$two" "$a $b" "" yes
  step "" admin hold
  # A folder anyone could write, with a quillmere-admin of its own.
  mkdir -p "$state/Applications/Shared"
  ln -s "$admin_folder/uninstall" "$state/Applications/Shared/uninstall"
  printf '#!/bin/sh\necho impostor ran\n' >"$state/Applications/Shared/quillmere-admin"
  chmod 755 "$state/Applications/Shared/quillmere-admin"
  daemon='' by_hand=yes
  step "" /Applications/Shared/uninstall
  refute_output --partial "impostor ran"
  said "removed"
  no_hold_left
  for path in /Applications/quillmere-watchdog.app "$launch_agent" "$hold_plist" "$admin_folder"; do
    [ ! -e "$state$path" ] || fail "$path is still there"
  done
  [ ! -s "$state/receipts" ] || fail "the receipt is still there"
}

# --- the hold

@test "hold twice: a shorter one keeps the end, a longer one extends it" {
  begin_case "$two" "$a $b" "" yes
  step "" admin hold 30
  said "held until 2026-12-08T09:43+0000"
  clock $((t0 + 10 * 60))
  step "" admin hold 5
  said "held until 2026-12-08T09:43+0000"
  clock $((t0 + 20 * 60))
  step "" admin hold 30
  said "held until 2026-12-08T10:03+0000"
  hold_is_in_force
  launchd_until $((t0 + 49 * 60))
  loaded_is "" "the first hold's end"
  launchd_until $((t0 + 52 * 60))
  loaded_is "$a $b" "the second hold's end"
  no_hold_left
}

@test "the command where root alone can write, as the package lays it out; the postinstall refuses it elsewhere" {
  begin_case "$two" "" "" yes
  roots_alone "$admin"
  roots_alone "$admin_folder/uninstall"
  [ ! -e "$state$resources/quillmere-admin" ] || fail "a copy of the command is left in the app"
  # An administrator's process swaps the app in the admin group's
  # /Applications: what root runs is elsewhere.
  # shellcheck disable=SC2016 # the impostor's own expansion
  printf '#!/bin/sh\necho "impostor ran as uid $(id -u)" >>/srv/impostor\n' >"$state$resources/quillmere-admin"
  chmod 755 "$state$resources/quillmere-admin"
  step "$a $b" postinstall
  step "" admin hold 1
  launchd_until $((t0 + 3 * 60))
  loaded_is "$a $b" "the hold's end"
  [ ! -e "$state/impostor" ] || fail "root ran the administrator's swap: $(cat "$state/impostor")"
  # Laid out otherwise, the install fails, saying why, and starts nothing.
  chmod 775 "$state/Library/Application Support"
  refused "$a $b" postinstall
  said "not installed: /Library/Application Support is writable by group 80"
  chmod 755 "$state/Library/Application Support"
  echo "$admin 501 20" >>"$state/owners"
  refused "$a $b" postinstall
  said "not installed: $admin belongs to uid 501, not to root"
}

@test "Jamf Pro's arguments, a release with the agent removed, and what is not understood" {
  begin_case "$two" "$a $b" "" yes
  step "" admin / MAC-0042 alice hold 45
  said "held until 2026-12-08T09:58+0000"
  # Without the agent, loaded all the same: WatchPaths starts it with the agent.
  rm -rf "$state/Applications/Ravelstow"
  step "$a $b" admin / MAC-0042 alice release "" "" "" "" "" ""
  said "is not installed"
  no_hold_left
  refused "$a $b" admin / MAC-0042 alice
  said "usage: quillmere-admin hold [MINUTES] | release | status [--line] | uninstall"
  refused "$a $b" admin release-all
  said "usage: quillmere-admin hold [MINUTES] | release | status [--line] | uninstall"
  refused "$a $b" admin hold 0
  refused "$a $b" admin hold 90m
  # Past the shell's integers: refused by its length, under bash (which
  # macOS runs as /bin/sh by default) and under dash and zsh (which sh(1)
  # may select), and the rest works there too.
  for shell in bash dash zsh; do
    ln -sfn "$shell" "$layer/bin/sh"
    run -64 as_caller admin hold 99999999999999999999
    said "a hold lasts 1 to 1440 minutes, not 99999999999999999999"
    loaded_is "$a $b" "hold 99999999999999999999 under $shell"
    run -64 as_caller admin hold 1441000
    step "" admin / MAC-0042 alice hold 45
    step "$a $b" admin release
  done
}

# --- the hold's end on any clock

@test "New York, 2026-11-01 01:40 EDT + 30 min, the night clocks fall back" {
  begin_case "$two" "$a $b" "" yes America/New_York
  ends_on_time 1793511600 30
}

@test "a Tokyo Mac held by a caller in New York time, GNU's stat and date first: the Mac's time" {
  begin_case "$two" "$a $b" "" yes Asia/Tokyo
  caller_tz=America/New_York
  mkdir "$BATS_TEST_TMPDIR/gnu"
  ln -s "$state/real/stat" "$state/real/date" "$BATS_TEST_TMPDIR/gnu/"
  caller_path="$BATS_TEST_TMPDIR/gnu:$launchd_path"
  ends_on_time "$t0" 30
  clock "$t0"
  step "" admin hold 30
  said "held until 2026-12-08T18:43+0900"
  step "" admin status --line
  assert_output --partial "hold=until-20261208T1843+0900"
}

@test "a Mac asleep at the end releases within two minutes of waking" {
  begin_case "$two" "$a $b" "" yes Europe/Berlin
  # Asleep from 20 minutes in to 50 minutes in.
  echo "$((t0 + 20 * 60)) $((t0 + 50 * 60))" >"$state/asleep"
  ends_on_time "$t0" 30 $((t0 + 50 * 60))
}

# --- starting and stopping in a session

@test "a service launchd holds for 4 s after its bootout: waited for, one bootstrap each" {
  begin_case "$two" "$a $b" "" yes
  echo 4 >"$state/hold_seconds"
  step "$a $b" admin release
  for uid in 501 502; do
    [ "$(bootstraps_in "gui/$uid")" = 1 ] || fail "$(bootstraps_in "gui/$uid") bootstraps in gui/$uid"
  done
  awk -v s="$(slept)" 'BEGIN { exit !(s >= 8 && s <= 20) }' ||
    fail "waited $(slept) s, not from 8 s (launchd's hold) to 20 s (two bounds of 10 s)"
}

@test "a service launchd holds past the wait: release fails for each user, started for none" {
  begin_case "$two" "$a $b" "" yes
  # Booted out, and still there 25 s later: longer than any report shows
  # (local-operator PR 1231, openclaw#136453: about 5 s), and than the wait.
  echo 25 >"$state/hold_seconds"
  refused "" admin release
  said "could not start $label for alice: launchd still had the one before after 10 s"
  said "could not start $label for bob"
  refute_output --partial "started for"
}

@test "a bootout answered 5 that leaves the service: hold fails for that user, undone" {
  begin_case "$two" "$a $b" "" yes
  echo 501 >"$state/bootout_fails"
  refused "$a $b" admin hold 30
  said "launchd still has $label for alice (bootout answered 5)"
  said "not held: started for bob"
  said "not held, and undone: launchd still has $label for alice"
  refute_output --partial "held until"
  no_hold_left
}

@test "a hold launchd's daemon is gone for, after a hold it took: every session started again" {
  begin_case "$two" "$a $b" "" yes
  step "" admin hold 30
  # The daemon booted out by hand, and launchd refuses its plist since.
  sed -i "/^system\//d" "$state/loaded"
  echo "$hold_plist 501 20" >>"$state/owners"
  daemon=
  step "" admin status --line
  line_is "sessions=alice(held),bob(held) agent=installed hold=unending"
  refused "$a $b" admin hold 30
  said "not held: launchd does not take $h"
  said "not held: started for alice"
  said "not held: started for bob"
  no_hold_left
}

@test "a login, the keeper's own upgrade and a restart during a hold start nothing; its end starts every session" {
  begin_case "$two" "$a $b" "" yes
  step "" admin hold 30
  login carol 503
  loaded_is "" "carol's login during the hold"
  # The keeper's upgrade: its payload writes the new LaunchAgent over the old.
  step "" preinstall
  sed 's|</dict>|<key>Version</key><string>new</string></dict>|' "$state$launch_agent" >"$state/new.plist"
  cat "$state/new.plist" >"$state$launch_agent"
  step "" postinstall
  said "held"
  restart
  login alice 501
  login dave 504
  loaded_is "" "alice's and dave's (a first) logins after a restart during the hold"
  launchd_until $((t0 + 33 * 60))
  loaded_is "$a gui/504/$label" "the hold's end, with alice and dave logged in"
  no_hold_left
  grep -q '<string>new</string>' "$state$launch_agent" || fail "the upgrade's LaunchAgent is not the one in place"
  login bob 502
  loaded_is "$a $b gui/504/$label" "bob's login after the hold"
}

@test "the gated Jamf upgrade runs the agent's policy only under a hold that stands" {
  begin_case "$two" "$a $b" "" yes
  doc_scripts
  gated=/srv/mdm/$(grep -l 'jamf policy' "$state"/mdm/* | xargs basename)
  echo 501 >"$state/bootout_fails"
  refused "$a $b" "$gated" / MAC-0042 alice install-quillmere-agent
  said "not held: the policy for install-quillmere-agent did not run"
  [ ! -e "$state/jamf-calls" ] || fail "the agent's policy ran unheld"
  : >"$state/bootout_fails"
  step "$a $b" "$gated" / MAC-0042 alice install-quillmere-agent
  said "release: started for alice"
  assert_equal "$(cat "$state/jamf-calls")" "policy -event install-quillmere-agent with $h"
  # The check, as every MDM runs it, asks the command where the package put it.
  # shellcheck disable=SC2016 # the recipe's own words
  check=/srv/mdm/$(grep -l 'exec "$A" status --line' "$state"/mdm/* | xargs basename)
  step "$a $b" "$check"
  line_is "sessions=alice(loaded),bob(loaded) agent=installed hold=none"
}

@test "a listed user with no graphical domain: skipped at once" {
  begin_case "$alice_and_carol" "" "" yes
  echo 503 >"$state/no_domain"
  step "$a" postinstall
  said "carol has no graphical session in launchd (gui/503); skipped"
  [ "$(bootstraps_in gui/503)" = 0 ] || fail "$(bootstraps_in gui/503) bootstraps in gui/503"
  [ "$(slept)" = 0.0 ] || fail "it waited $(slept) s with nothing to wait for"
}

@test "bootstrap error 5: cleared by a retry seconds later, or said plainly within its bound" {
  # Released after a hold, with nothing loaded: no bootout to wait for, so
  # every second slept is the retries'.
  begin_case "$two" "" "" yes
  printf 'gui/501 1\ngui/502 100\n' >"$state/flaky"
  refused "$a" admin release
  said "started for alice"
  said "launchctl bootstrap gui/502 failed, tried 4 times: Bootstrap failed: 5: Input/output error"
  said "could not start $label for bob"
  [ "$(bootstraps_in gui/501)" = 2 ] || fail "$(bootstraps_in gui/501) bootstraps in gui/501"
  [ "$(bootstraps_in gui/502)" = 4 ] || fail "$(bootstraps_in gui/502) bootstraps in gui/502"
  awk -v s="$(slept)" 'BEGIN { exit !(s > 0 && s <= 8) }' ||
    fail "waited $(slept) s, not from above 0 to 8 s (2 s of retry for alice, 6 s for bob)"
}

@test "a bootout that answers 36 (in progress) is waited for like one that succeeded" {
  begin_case "$two" "$a $b" "" yes
  echo 501 >"$state/bootout_in_progress"
  echo 3 >"$state/hold_seconds"
  step "" admin hold
  said "hold: stopped for alice"
}

# --- one run at a time

@test "a lock left by a run that is gone, or from before a restart that kept /var/run: not waited for" {
  begin_case "$two" "" "" yes
  mac
  boot=$(env -i "${namespace[@]}" /usr/sbin/sysctl -n kern.boottime)
  # A run killed holding it, whose pid now belongs to another process (this
  # one), and then a restart that did not empty /var/run.
  echo "$$ $boot" >"$state$lock"
  restart
  step "" admin release
  [ "$(slept)" = 0.0 ] || fail "it waited $(slept) s for a lock from before the restart"
  # Of this boot, its pid gone.
  boot=$(env -i "${namespace[@]}" /usr/sbin/sysctl -n kern.boottime)
  sh -c 'echo $$' >"$BATS_TEST_TMPDIR/gone"
  echo "$(cat "$BATS_TEST_TMPDIR/gone") $boot" >"$state$lock"
  step "" admin hold
  [ "$(slept)" = 0.0 ] || fail "it waited $(slept) s for the lock of a run that is gone"
  [ ! -e "$state$lock" ] || fail "the lock is left: $(cat "$state$lock")"
}

@test "a TERM to a run after another took the lock: the other's lock stays" {
  begin_case "$two" "$a $b" "" yes
  mac
  boot=$(env -i "${namespace[@]}" /usr/sbin/sysctl -n kern.boottime)
  # As release starts bob's, its lock is taken from it (judged stale), by a
  # run that lives on (this one), and it is sent TERM.
  cat >"$state/hooks/gui-502" <<HOOK
#!/bin/sh
read -r pid _ <$lock
rm -f $lock
echo "$$ $boot" >$lock
kill -TERM "\$pid"
HOOK
  chmod 755 "$state/hooks/gui-502"
  run as_caller admin release
  [ -e "$state/hooks/gui-502.ran" ] || fail "nothing took the lock during the release"
  [ "$(cat "$state$lock" 2>/dev/null)" = "$$ $boot" ] || fail "the other run's lock was removed"
}

# --- status

@test "status as root and as a user, and its one-line form" {
  begin_case "$two$(sed 1d <<<"$alice_and_carol")" "$a" "" yes
  echo 503 >"$state/no_domain"
  echo "501 812 $supervisor" >"$state/procs"
  step "$a" admin status --line
  line_is "sessions=alice(running-812),bob(not-loaded),carol(no-domain) agent=installed hold=none"
  step "" admin hold
  as_uid=501
  step "" admin status --line
  line_is "sessions=alice(held),bob(unknown),carol(unknown) agent=installed hold=until-20261208T0943+0000"
  step "" admin status
  said "hold: until 2026-12-08T09:43+0000"
  said "alice: not loaded: held"
  refused "" admin release
  said "release needs root"
}

@test "status says why: quit, no LaunchAgent, no agent" {
  begin_case "$two" "$a $b" "" yes
  # alice's runs; bob's quit, and launchd keeps it loaded. Another user's
  # process at the same path is not bob's.
  printf '501 812 %s\n503 950 %s\n502 951 /usr/bin/less\n' "$supervisor" "$supervisor" >"$state/procs"
  step "$a $b" admin status --line
  line_is "sessions=alice(running-812),bob(loaded) agent=installed hold=none"
  step "$a $b" admin status
  said "alice: running (pid 812)"
  said "bob: loaded, not running: most likely quit by the user"
  by_hand=yes
  rm "$state$launch_agent" "$state/procs"
  rm -r "$state/Applications/Ravelstow"
  printf '%s\n' "$a" "$h" >"$state/loaded"
  step "$a" admin status --line
  line_is "sessions=alice(loaded),bob(no-launchagent) agent=missing hold=none"
  step "$a" admin status
  said "alice: loaded, not running: the agent is not installed"
  said "bob: not loaded: $launch_agent is missing"
}

# --- the MDM scripts of docs/deploying.md, as written there

@test "every MDM script in docs/deploying.md exits 0 on a Mac without the supervisor" {
  begin_case "$two" "" "" no
  by_hand=yes daemon=
  rm -rf "$state/Applications/quillmere-watchdog.app" "$state$admin_folder" "$state$launch_agent" "$state$hold_plist"
  : >"$state/loaded"
  doc_scripts
  for script in "$state"/mdm/*; do
    grep -qxF "A=\"$admin\"" "$script" || fail "$(cat "$script") does not call $admin"
    # As its MDM runs it: Jamf Pro with its arguments, the others with none;
    # the one that runs the agent's Jamf policy with that policy's event.
    set -- "" "/ MAC-0042 alice hold" "/ MAC-0042 alice release"
    ! grep -q 'jamf policy' "$script" || set -- "/ MAC-0042 alice install-quillmere-agent"
    for arguments in "$@"; do
      # shellcheck disable=SC2086 # one argument a word
      run as_caller /srv/mdm/"${script##*/}" $arguments
      [ "$status" -eq 0 ] ||
        fail "$(cat "$script") with [$arguments] exited $status: $output"
      [[ $output =~ nothing\ to\ (hold|release|remove)|\<result\>|^not-installed$ ]] ||
        fail "$(cat "$script") with [$arguments] did not say there was nothing to do: $output"
    done
  done
  # Without the supervisor, the agent's policy runs all the same.
  grep -q "^policy -event install-quillmere-agent with" "$state/jamf-calls" ||
    fail "the gated Jamf script did not run the agent's policy"
  # Jamf Pro's, its gated upgrade and its extension attribute; the hold,
  # the release, the check and the removal of the other MDMs.
  count=$(find "$state/mdm" -type f | wc -l)
  [ "$count" -ge 7 ] || fail "found $count scripts in $deploying_doc, not the seven it has"
}
