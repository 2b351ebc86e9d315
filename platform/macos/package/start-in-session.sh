# shellcheck shell=sh
# shellcheck disable=SC2154 # the script that carries it sets label and agent
# The script sets $label (the LaunchAgent's label) and $agent (its plist),
# and carries gui_sessions.

# Where a hold keeps the LaunchAgent while it lasts: launchd loads each plist
# of /Library/LaunchAgents at every graphical login (launchctl(1), FILES), so
# a login during a hold would start the supervisor unless its plist is not
# there. A folder that is root's alone, on the same volume, kept through a
# restart (as the hold's job is), so the hold's end can always put it back.
hold_folder=/private/var/db/$label.hold
held_agent=$hold_folder/$label.plist

# One run at a time moves the LaunchAgent or the hold's files: hold,
# release, expire, uninstall and the postinstall each take this lock first
# (mkdir(1) fails when the folder exists), and lose it at their exit (trap).
# In /var/run, which launchd empties at startup (launchd-842,
# support/launchctl.c, system_specific_bootstrap), so a run killed holding
# it blocks the others only until a restart. Waits 2 minutes at most: an
# expire that starts every session may take that long.
lock_folder=/private/var/run/$label.lock
take_lock() {
  polls=0
  until mkdir "$lock_folder" 2>/dev/null; do
    [ "$polls" -lt 240 ] || return 1
    polls=$((polls + 1))
    sleep 0.5
  done
  trap 'rmdir "$lock_folder" 2>/dev/null' EXIT
  trap 'exit 1' HUP INT TERM
}

# During a hold (its job loaded in launchd, its end in place), puts the
# LaunchAgent aside, a newer one in place of the one kept; fails when there
# is no hold.
# shellcheck disable=SC2317 # not every script that carries it calls it
aside_while_held() {
  launchctl print "system/$label.hold" >/dev/null 2>&1 && [ -f "$hold_folder/end" ] || return 1
  [ ! -f "$agent" ] || mv -f "$agent" "$held_agent"
}

# Starts the supervisor in the graphical session of user $1: enabled first (a
# disabled service cannot be loaded, and that state outlives reboots), a copy
# that runs there stopped, so that there is one, the new one, and bootstrapped
# once launchd has let go of the old one. A bootstrap that fails while the
# service is then loaded all the same (a login that came in between loaded
# it) counts as started. Returns 2, at once, when the user has no graphical
# domain in launchd (listed by who, but the session is gone or not yet made);
# 3 when launchd still has the old service after the wait: nothing is
# bootstrapped then, since print cannot tell a service leaving from one
# loaded.
#
# launchd may answer a bootstrap "5: Input/output error" with nothing
# loaded, and take the same plist from a plain retry seconds later, as
# public reports show; others show the error lasting. So an error 5 while
# the domain is there is tried again, 2 s apart, 4 times in all (6 s of
# waiting at most); one that lasts is said as launchctl put it.
start_in_session() {
  launchctl print "gui/$1" >/dev/null 2>&1 || return 2
  launchctl enable "gui/$1/$label"
  boot_out "gui/$1/$label" || return 3
  tries=1
  while :; do
    error=$(launchctl bootstrap "gui/$1" "$agent" 2>&1) && return 0
    code=$?
    launchctl print "gui/$1/$label" >/dev/null 2>&1 && return 0
    if [ "$code" -ne 5 ] || [ "$tries" -ge 4 ]; then
      break
    fi
    launchctl print "gui/$1" >/dev/null 2>&1 || return 2
    sleep 2
    tries=$((tries + 1))
  done
  # Said in the install log, as launchctl put it.
  echo "launchctl bootstrap gui/$1 failed, tried $tries times: $error" >&2
  return 1
}

# Starts the supervisor in every graphical session (only those of the users
# named in $2, when given), saying so as $1 for each; fails, naming the
# user, where launchd does not have it afterwards. A user without a
# graphical domain is skipped, and said so.
start_in_every_session() {
  status=0
  for session in $(gui_sessions | tr ' ' ':'); do
    case " ${2-${session%:*}} " in
      *" ${session%:*} "*) ;;
      *) continue ;;
    esac
    start_in_session "${session#*:}"
    case $? in
      0) echo "$1: started for ${session%:*}" ;;
      2) echo "$1: ${session%:*} has no graphical session in launchd (gui/${session#*:}); skipped" ;;
      3)
        echo "$1: could not start $label for ${session%:*}: launchd still had the one before after 10 s" >&2
        status=1
        ;;
      *)
        echo "$1: could not start $label for ${session%:*}" >&2
        status=1
        ;;
    esac
  done
  return "$status"
}
