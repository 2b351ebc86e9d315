#!/usr/bin/env bats
# check-release's reading of the package's bill of materials
# (macos-release/bom-modes.awk) on lines as `lsbom -p MUGf` writes them.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

app=./Applications/quillmere-watchdog.app
agent=./Library/LaunchAgents/com.ravelstow.quillmere-watchdog.plist

# judge MODE...: a BOM of the app's folder, its executable and the
# LaunchAgent with these modes, all root wheel, judged.
judge() {
  printf '%s\troot\twheel\t%s\n' "$1" "$app" "$2" "$app/Contents/MacOS/quillmere-watchdog" \
    "$3" "$agent" >"$BATS_TEST_TMPDIR/bom"
  run awk -F '\t' -v app="$app" -v agent="$agent" \
    -f "$BATS_TEST_DIRNAME/../../macos-release/bom-modes.awk" "$BATS_TEST_TMPDIR/bom"
}

@test "a mode as strmode(3) writes it, blank-ended, or padded, is the mode" {
  judge "drwxr-xr-x " "-rwxr-xr-x " "-rw-r--r-- "
  assert_output ""
  judge "drwxr-xr-x" "  -rwxr-xr-x" "-rw-r--r--   "
  assert_output ""
}

@test "a mode writable by others, or with an ACL, is wrong whatever its blanks" {
  judge "drwxrwxr-x " "-rwxr-xr-x+" "-rw-r--r-- "
  assert_line "drwxrwxr-x root wheel $app (expected drwxr-xr-x root wheel)"
  assert_line "-rwxr-xr-x+ root wheel $app/Contents/MacOS/quillmere-watchdog (expected -rwxr-xr-x root wheel)"
  assert_equal "${#lines[@]}" 2
}
