#!/usr/bin/env bats
# check-release's reading of Apple's tools (macos-release/check-release,
# sourced: its checks only): pkgutil's signature report, stapler's tickets
# and Gatekeeper's answers, from stand-ins first on PATH that answer as the
# sources named in each say.

bats_load_library bats-support
bats_load_library bats-assert
# The Mac's own bash 3.2.57 and awk 20200816, as the job's scripts meet them.
PATH="${QUILLMERE_MACOS_TOOLS:?the folder of the Mac bash and awk}:$PATH"

check_release="$BATS_TEST_DIRNAME/../../macos-release/check-release"
trusted="signed by a developer certificate issued by Apple for distribution"
ours="Developer ID Installer: Ravelstow Ltd (R4V3LST0W1)"

setup() {
  local bin="$BATS_TEST_TMPDIR/bin"
  answers="$BATS_TEST_TMPDIR/answers"
  mkdir -p "$bin" "$answers"
  PATH="$bin:$PATH"
  # pkgutil --check-signature, laid out as public pages show its report
  # (apple.stackexchange.com/questions/415713 for "Status: no signature",
  # osxdaily's check of packages for expired certificates for "Status:
  # signed by a certificate that has since expired"): the package's line,
  # the status, then the chain, the signer first. pkgutil(1) documents no
  # exit status: this one ends with 0 whatever it reports.
  cat >"$bin/pkgutil" <<STAND_IN
#!/usr/bin/env bash
[ "\$1" = --check-signature ] || exit 64
printf 'Package "%s":\n   Status: %s\n' "\${2##*/}" "\$(cat "$answers/status")"
[ ! -s "$answers/signer" ] || printf '   Certificate Chain:\n    1. %s\n       Expires: 2031-02-01 22:12:15 +0000\n    2. Developer ID Certification Authority\n    3. Apple Root CA\n' "\$(cat "$answers/signer")"
STAND_IN
  # xcrun with Xcode, or with the command line tools alone, where it has no
  # stapler and fails with the error of public reports; stapler validate
  # ending with the case's status, 65 for a file without a ticket (Apple's
  # forums, "Resolving Error 65 When Stapling").
  cat >"$bin/xcrun" <<STAND_IN
#!/usr/bin/env bash
if [ "\$(cat "$answers/developer-tools")" = command-line-tools ]; then
  echo "xcrun: error: tool 'stapler' requires Xcode, but active developer directory '/Library/Developer/CommandLineTools' is a command line tools instance" >&2
  exit 1
fi
case \$* in
  "--find stapler") echo /Applications/Xcode.app/Contents/Developer/usr/bin/stapler ;;
  "stapler validate "*)
    echo "Processing: \$3"
    exit "\$(cat "$answers/stapler")"
    ;;
  *) exit 64 ;;
esac
STAND_IN
  # spctl(8): status 0 when an assessment accepts, 3 when it denies.
  cat >"$bin/spctl" <<STAND_IN
#!/usr/bin/env bash
exit "\$(cat "$answers/spctl")"
STAND_IN
  chmod +x "$bin"/*
}

# signed STATUS [SIGNER]: pkgutil's report for the package.
signed() {
  echo "$1" >"$answers/status"
  echo "${2:-}" >"$answers/signer"
}
# tools KIND STAPLER SPCTL: the developer tools (xcode or
# command-line-tools), stapler validate's and spctl's status.
tools() {
  echo "$1" >"$answers/developer-tools"
  echo "$2" >"$answers/stapler"
  echo "$3" >"$answers/spctl"
}
# check FUNCTION ARGUMENTS...: one of check-release's checks.
check() {
  run bash -c '. "$0"; "$@"' "$check_release" "$@"
}

@test "pkgutil's Status line, not its exit status, says whether the package's signature is trusted" {
  signed "signed by untrusted certificate" "$ours"
  check package_signature q.pkg R4V3LST0W1
  assert_failure 1
  assert_line "check-release: pkgutil does not trust the package's signature: signed by untrusted certificate"
  signed "signed by a certificate that has since expired" "$ours"
  check package_signature q.pkg R4V3LST0W1
  assert_failure 1
  signed "$trusted" "$ours"
  check package_signature q.pkg R4V3LST0W1
  assert_success
  signed "no signature"
  check package_signature q.pkg R4V3LST0W1
  assert_success
  assert_line "check-release: the package is unsigned: an MDM has to sign it before it pushes it"
}

@test "the package's signer, first in the chain, is a Developer ID Installer of the app's team" {
  signed "$trusted" "Developer ID Installer: Someone Else (S0MEONE123)"
  check package_signature q.pkg R4V3LST0W1
  assert_failure 1
  assert_line "check-release: the package is signed by 'Developer ID Installer: Someone Else (S0MEONE123)', not by team R4V3LST0W1"
  signed "$trusted" "3rd Party Mac Developer Installer: Ravelstow Ltd (R4V3LST0W1)"
  check package_signature q.pkg R4V3LST0W1
  assert_failure 1
  assert_line --partial "not by a Developer ID Installer"
}

@test "without Xcode's stapler the tickets could not be checked, and nothing is said not notarized" {
  tools command-line-tools 0 0
  check notarization q.app q.pkg yes "Developer ID Application: Ravelstow Ltd (R4V3LST0W1)"
  assert_success
  assert_line --partial "Gatekeeper accepts the app and the package: yes; the app's ticket: could not check: no stapler here"
  check notarization q.app q.pkg no "Developer ID Application: Ravelstow Ltd (R4V3LST0W1)"
  assert_success
  refute_output --partial "not notarized"
}

@test "no ticket only when stapler validate ends with 65; another failure could not check" {
  tools xcode 65 0
  check notarization q.app q.pkg yes "Developer ID Application: Ravelstow Ltd (R4V3LST0W1)"
  assert_failure 1
  assert_line "check-release: notarization was asked for, and a ticket is not stapled"
  tools xcode 1 0
  check notarization q.app q.pkg yes "Developer ID Application: Ravelstow Ltd (R4V3LST0W1)"
  assert_success
  assert_line --partial "the package's: could not check: stapler validate ended with status 1"
}
