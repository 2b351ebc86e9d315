#!/usr/bin/env bats
# check-release's reading of the package's bill of materials
# (macos-release/bom-modes.awk) on lines as `lsbom -p MUGf` writes them.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

app=./Applications/quillmere-watchdog.app
agent=./Library/LaunchAgents/com.ravelstow.quillmere-watchdog.plist
daemon=./Library/LaunchDaemons/com.ravelstow.quillmere-watchdog.hold.plist
admin="./Library/Application Support/com.ravelstow.quillmere-watchdog"

# judge MODE...: a BOM of the app's folder, its executable, the LaunchAgent
# and the administrator's command with these modes, the hold's daemon and
# the command's folder as they should be, all root wheel, judged.
judge() {
  printf '%s\troot\twheel\t%s\n' "$1" "$app" "$2" "$app/Contents/MacOS/quillmere-watchdog" \
    "$3" "$agent" "-rw-r--r--" "$daemon" "drwxr-xr-x" "$admin" "$4" "$admin/quillmere-admin" \
    >"$BATS_TEST_TMPDIR/bom"
  run awk -F '\t' -v app="$app" -v agent="$agent" -v daemon="$daemon" -v admin="$admin" \
    -f "$BATS_TEST_DIRNAME/../../macos-release/bom-modes.awk" "$BATS_TEST_TMPDIR/bom"
}

@test "a mode as strmode(3) writes it, blank-ended, or padded, is the mode" {
  judge "drwxr-xr-x " "-rwxr-xr-x " "-rw-r--r-- " "-rwxr-xr-x "
  assert_output ""
  judge "drwxr-xr-x" "  -rwxr-xr-x" "-rw-r--r--   " "-rwxr-xr-x"
  assert_output ""
}

@test "a mode writable by others, or with an ACL, is wrong whatever its blanks" {
  judge "drwxrwxr-x " "-rwxr-xr-x+" "-rw-r--r-- " "-rwxrwxr-x "
  assert_line "drwxrwxr-x root wheel $app (expected drwxr-xr-x root wheel)"
  assert_line "-rwxr-xr-x+ root wheel $app/Contents/MacOS/quillmere-watchdog (expected -rwxr-xr-x root wheel)"
  assert_line "-rwxrwxr-x root wheel $admin/quillmere-admin (expected -rwxr-xr-x root wheel)"
  assert_equal "${#lines[@]}" 3
}
