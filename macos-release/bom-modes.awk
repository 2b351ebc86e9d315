# The owners and modes of the package's paths in a bill of materials as
# `lsbom -p MUGf` lists them (mode, user, group, path, tab-separated): one
# line for each path that is not root wheel and writable by root alone,
# and one for a part that is missing. app, agent, daemon and admin (the
# administrator's command's folder) are their paths as the BOM names them.
function part(path) {
  if (path == agent) return "agent"
  if (path == daemon) return "daemon"
  if (path == app || index(path, app "/") == 1) return "app"
  if (path == admin || index(path, admin "/") == 1) return "admin"
  return ""
}
part($4) != "" {
  seen[part($4)] = 1
  # strmode(3) ends the mode with a blank (a "+" for an ACL, which fails).
  gsub(/^ +| +$/, "", $1)
  if ($1 ~ /^d/) want = "drwxr-xr-x"
  else if ($4 == app "/Contents/MacOS/quillmere-watchdog" || part($4) == "admin") want = "-rwxr-xr-x"
  else if ($1 == "-rwxr-xr-x" || $1 ~ /^l/) want = $1
  else want = "-rw-r--r--"
  if ($1 != want || $2 != "root" || $3 != "wheel") printf "%s %s %s %s (expected %s root wheel)\n", $1, $2, $3, $4, want
}
END {
  if (!seen["app"]) print "no path of the app"
  if (!seen["agent"]) print "no LaunchAgent"
  if (!seen["daemon"]) print "no hold daemon"
  if (!seen["admin"]) print "no administrator's command"
}
