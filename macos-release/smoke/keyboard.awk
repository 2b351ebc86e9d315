# The keyboard's verdicts, from the record of front-app watch. POSIX awk,
# as macOS's awk and Linux's run it.
#
# usage: awk -v ours=BUNDLE -v started=SECONDS -v reopened=SECONDS
#          -v stayed=true|false -v front_after_start=BUNDLE
#          -v front_after_open=BUNDLE -f keyboard.awk EVENTS
#
# EVENTS: front-app watch's lines, "SECONDS EVENT BUNDLE PID". The
# supervisor (OURS) was started at STARTED while TextEdit was in front;
# FRONT_AFTER_START was in front once the hand-back was seen or its bound
# had passed. It was opened again at REOPENED; STAYED says whether it came
# in front and stayed there for 5 s; FRONT_AFTER_OPEN was in front then.
#
# Prints "keyboard-start OUTCOME TEXT" and "keyboard-open OUTCOME TEXT",
# OUTCOME pass, fail or not-exercised, each case's reason in its TEXT below.
# The front must come back within 5 s of the activation: the app's watch
# (kStartUpActivationWindow) lasts 3 s, and 2 s are a busy Mac's margin;
# the keyboard step waits as long.
function at(t) { return sprintf("+%.3f s", t - started) }
{ time[NR] = $1 + 0; event[NR] = $2; bundle[NR] = $3 }
# The first EVENT of BUNDLE in [from, until), or "".
function first_after(from, until, what, who,   i) {
  for (i = 1; i <= NR; i++)
    if (time[i] >= from && time[i] < until && event[i] == what && bundle[i] == who) return time[i]
  return ""
}
END {
  activated = first_after(started, reopened, "activated", ours)
  if (activated == "") {
    if (front_after_start == ours)
      print "keyboard-start fail the supervisor is in front, but the watcher saw no activation: the record cannot be trusted"
    else if (front_after_start == "com.apple.TextEdit")
      print "keyboard-start not-exercised macOS never activated the supervisor as it started, so there was nothing to give back (TextEdit stayed in front)"
    else
      print "keyboard-start not-exercised macOS never activated the supervisor as it started, and " front_after_start " came in front meanwhile: nothing to judge"
  } else {
    hidden = first_after(activated, reopened, "hidden", ours)
    back = first_after(activated, reopened, "activated", "com.apple.TextEdit")
    seen = sprintf("activated at %s, hidden at %s, TextEdit active again at %s", at(activated),
      hidden == "" ? "never" : at(hidden), back == "" ? "never" : at(back))
    if (back != "" && back - activated > 5)
      printf "keyboard-start fail %s: given back %.3f s after the activation, later than the app's 3 s watch and a 2 s margin\n", seen, back - activated
    else if (back != "" && front_after_start == "com.apple.TextEdit")
      printf "keyboard-start pass %s: keystrokes would have gone to the supervisor for %.3f s\n", seen, back - activated
    else
      print "keyboard-start fail " seen "; " front_after_start " is in front afterwards"
  }
  brought = first_after(reopened, 9e12, "activated", ours)
  rehidden = brought == "" ? "" : first_after(brought, 9e12, "hidden", ours)
  if (stayed == "true" && brought == "")
    print "keyboard-open fail it is in front, but the watcher saw no activation: the record cannot be trusted"
  else if (stayed == "true" && rehidden == "")
    print "keyboard-open pass it came to the front at " at(brought) " and stayed there for 5 s"
  else if (brought != "")
    print "keyboard-open fail it came to the front at " at(brought) ", then " front_after_open " was in front" \
      (rehidden == "" ? "" : ", hidden at " at(rehidden))
  else
    print "keyboard-open not-exercised macOS did not bring it forward (" front_after_open " is in front)"
}
