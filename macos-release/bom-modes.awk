# The owners and modes of the app's and the LaunchAgent's paths in a
# bill of materials as `lsbom -p MUGf` lists them (mode, user, group,
# path, tab-separated): one line for each path that is not root wheel and
# writable by root alone, and one for a part that is missing. app and
# agent are their paths as the BOM names them.
$4 == agent || $4 == app || index($4, app "/") == 1 {
  seen[$4 == agent ? "agent" : "app"] = 1
  # strmode(3) ends the mode with a blank (a "+" for an ACL, which fails).
  gsub(/^ +| +$/, "", $1)
  if ($1 ~ /^d/) want = "drwxr-xr-x"
  else if ($4 == app "/Contents/MacOS/quillmere-watchdog" || $4 == app "/Contents/Resources/uninstall" ||
    $4 == app "/Contents/Resources/quillmere-admin") want = "-rwxr-xr-x"
  else if ($1 == "-rwxr-xr-x" || $1 ~ /^l/) want = $1
  else want = "-rw-r--r--"
  if ($1 != want || $2 != "root" || $3 != "wheel") printf "%s %s %s %s (expected %s root wheel)\n", $1, $2, $3, $4, want
}
END {
  if (!seen["app"]) print "no path of the app"
  if (!seen["agent"]) print "no LaunchAgent"
}
