#!/usr/bin/env python3
"""Checks what one macOS cross-configure generated: the bundle's objects (for
one architecture, at the deployment target), its link and signing command,
that installing it edited nothing, its Info.plist, the LaunchAgent that
`cmake --install` wrote under two prefixes, the test discovery's timeout,
the installer package's CPack configuration and the managed login-item
profile. Prints each finding and exits 1 if there is any.

usage: check_bundle.py --arch ARCH --build BUILD --fltk-library WORD
                       --edits LOG --prefix PREFIX --destdir DESTDIR OBJECT...
       check_bundle.py profile PROFILE TEAM     (TEAM "" for none)
  WORD     how the link line names FLTK's library
  LOG      the calls of install_name_tool while both installs ran
  PREFIX   an install with --prefix PREFIX
  DESTDIR  an install with --prefix / under DESTDIR
"""
import argparse
import os
import plistlib
import re
import shlex
import stat
import struct
import sys

# Every framework the bundle needs: FLTK's (Homebrew's fltk-config, or
# FLTK's own build, whose test of the SDK adds the weak ones when it finds
# macOS SDK 15 or later, as on the runners), Foundation for the App Nap
# opt-out and AppKit for giving the keyboard back.
FRAMEWORKS = {"Cocoa", "Foundation", "AppKit"}
WEAK_FRAMEWORKS = {"UniformTypeIdentifiers", "ScreenCaptureKit"}
LABEL = "com.ravelstow.quillmere-watchdog"
VERSION = "1.0.1"
APP = "quillmere-watchdog.app"
EXECUTABLE = "quillmere-watchdog"
APP_MENU_NAME = "Quillmere Watch"
AGENT_FOLDER = "/Applications/Ravelstow"
AGENT_BUNDLE = AGENT_FOLDER + "/Quillmere.app"
CPU_TYPES = {"arm64": 0x0100000C, "x86_64": 0x01000007}
LC_BUILD_VERSION = 0x32
PLATFORM_MACOS = 1
# GoogleTest's discovery runs each test program once as it is built; CMake
# gives it 5 s by default, and the build fails when it takes longer, as it
# has on busy hosted Macs.
MINIMUM_DISCOVERY_TIMEOUT = 30

problems = []


def expect(condition, message):
    if not condition:
        problems.append(message)


def expect_values(what, found, wanted):
    """Each key of WANTED has its value in FOUND, of the same type (1 is not true)."""
    for key, value in wanted.items():
        expect(found.get(key) == value and type(found.get(key)) is type(value),
               f"{what}: {key} is {found.get(key)!r}, expected {value!r}")


def check_object(path, arch, deployment_target):
    """A 64-bit Mach-O object for ARCH whose LC_BUILD_VERSION is macOS's at the target."""
    with open(path, "rb") as file:
        data = file.read()
    magic, cpu, _, _, ncmds = struct.unpack_from("<IIIII", data, 0)
    if magic != 0xFEEDFACF or cpu != CPU_TYPES[arch]:
        problems.append(f"{path}: not a Mach-O object for {arch}")
        return
    found, offset = None, 32
    for _ in range(ncmds):
        cmd, size, platform, minos = struct.unpack_from("<IIII", data, offset)
        if cmd == LC_BUILD_VERSION:
            expect(platform == PLATFORM_MACOS, f"{path}: built for platform {platform}, not macOS")
            found = f"{minos >> 16}.{(minos >> 8) & 0xFF}.{minos & 0xFF}"
            break
        offset += size
    expect(found == normalised(deployment_target),
           f"{path}: minimum macOS {found}, expected {deployment_target}")


def normalised(version):
    parts = (version.split(".") + ["0", "0"])[:3]
    return ".".join(str(int(part)) for part in parts)


def check_link_line(words, arch, fltk_library):
    # A run path is where the installed app looks for libraries: one into
    # the build machine is useless on a Mac, and CMake removes it at install
    # time by editing the executable, after it was signed.
    frameworks, weak, rpaths, arches = set(), set(), [], []
    for word, following in zip(words, words[1:] + [""]):
        if word in ("-framework", "-weak_framework"):
            expect(following and not following.startswith("-"),
                   f"link line: {word} is followed by {following or 'nothing'}, not a framework name")
            (frameworks if word == "-framework" else weak).add(following)
        elif word.startswith("-l") and word[2:] in FRAMEWORKS | WEAK_FRAMEWORKS:
            problems.append(f"link line: {word} names a framework as a library")
        elif word.startswith("-Wl,"):
            parts = word.split(",")[1:]
            rpaths += [parts[i + 1] for i, part in enumerate(parts[:-1]) if part == "-rpath"]
        elif word in ("-rpath", "-arch"):
            (rpaths if word == "-rpath" else arches).append(following)
    expect(frameworks == FRAMEWORKS,
           f"link line: frameworks {sorted(frameworks)}, expected {sorted(FRAMEWORKS)}")
    expect(weak == WEAK_FRAMEWORKS,
           f"link line: weak frameworks {sorted(weak)}, expected {sorted(WEAK_FRAMEWORKS)} "
           "(FLTK links both only when its test finds macOS SDK 15 or later)")
    expect(fltk_library in words, f"link line: no {fltk_library}")
    for rpath in rpaths:
        expect(rpath.startswith("@"), f"link line: the app gets the run path {rpath}, a folder of the build machine")
    expect(arches == [arch], f"link line: -arch {arches}, expected [{arch!r}]")


def check_signing(build):
    """Without an identity the bundle is signed ad hoc, on every build, after
    the executable is linked and the resources are copied."""
    with open(os.path.join(build, "sign-commands"), encoding="utf-8") as file:
        commands = file.read().splitlines()
    with open(os.path.join(build, "build.ninja"), encoding="utf-8") as file:
        defaults = [line for line in file if line.startswith("build all: phony")]
    expect(any(" sign-app" in line for line in defaults), "signing: sign-app is not built by default")
    words = shlex.split(commands[-1]) if commands else []
    if "codesign" not in words:
        problems.append("signing: the bundle is not signed, or not last")
        return
    args = words[words.index("codesign") + 1:]
    expect(args[:3] == ["--force", "--sign", "-"],
           f"signing: codesign {' '.join(args[:3])}, expected ad-hoc signing (--force --sign -)")
    expect(any(arg.endswith("/" + APP) for arg in args), f"signing: codesign does not sign {APP}")
    before = "\n".join(commands[:-1])
    needed = f"Contents/MacOS/{EXECUTABLE}"
    expect(needed in before, f"signing: the bundle is signed without waiting for {needed}")


def check_no_edits(log):
    """Nothing may change the executable once it is signed: CMake's install
    scripts call install_name_tool only to edit it."""
    if os.path.exists(log):
        with open(log, encoding="utf-8") as file:
            for call in file.read().splitlines():
                problems.append(f"install: the signed executable was edited: {call}")


def check_test_discovery(build):
    """Every gtest_discover_tests call gives its discovery a timeout of at
    least MINIMUM_DISCOVERY_TIMEOUT: on the build line (CMake up to 4.3) or
    in the discovery script it generates (4.4 on)."""
    timeouts = []
    with open(os.path.join(build, "build.ninja"), encoding="utf-8") as file:
        timeouts += re.findall(r"TEST_DISCOVERY_TIMEOUT=(\d+)", file.read())
    for folder, _, files in os.walk(build):
        for name in files:
            if name.endswith(".cmake") and ("_discovery" in name or "_include" in name):
                with open(os.path.join(folder, name), encoding="utf-8") as file:
                    timeouts += re.findall(r"TEST_DISCOVERY_TIMEOUT \[=*\[(\d+)\]", file.read())
    expect(timeouts, "tests: no GoogleTest discovery with a timeout was generated")
    for timeout in timeouts:
        expect(int(timeout) >= MINIMUM_DISCOVERY_TIMEOUT,
               f"tests: a test discovery times out after {timeout} s, "
               f"expected at least {MINIMUM_DISCOVERY_TIMEOUT}")


def load(path):
    try:
        with open(path, "rb") as file:
            return plistlib.load(file)
    except (OSError, plistlib.InvalidFileException, ValueError) as error:
        problems.append(f"{path}: not a readable property list ({error})")
        return {}


def check_info_plist(info):
    expect_values("Info.plist", info, {
        "CFBundleExecutable": EXECUTABLE,
        "CFBundleIdentifier": LABEL,
        "CFBundleName": APP_MENU_NAME,
        "CFBundlePackageType": "APPL",
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleShortVersionString": VERSION,
        "CFBundleVersion": VERSION,
        "NSPrincipalClass": "NSApplication",
        "NSSupportsAutomaticTermination": False,
        "NSSupportsSuddenTermination": True,
        # Left out only by the Mac job's App Nap control, an option that is
        # off unless that build asks for it.
        "LSAppNapIsDisabled": True,
    })
    expect(not info.get("LSUIElement"), "Info.plist: LSUIElement would hide the application menu")
    expect(len(info.get("CFBundleName", "")) <= 15,
           f"Info.plist: CFBundleName {info.get('CFBundleName')!r} is longer than macOS shows")


def load_launchd_plist(what, path):
    """A plist that launchd reads, mode 644 and shown under the app's name
    (AssociatedBundleIdentifiers); None, said, when it is missing."""
    if not os.path.isfile(path):
        problems.append(f"{what}: none at {path}")
        return None
    mode = stat.S_IMODE(os.stat(path).st_mode)
    expect(mode == 0o644, f"{what}: {path} has mode {mode:o}, expected 644")
    plist = load(path)
    associated = plist.get("AssociatedBundleIdentifiers")
    expect(associated in (LABEL, [LABEL]),
           f"{what}: AssociatedBundleIdentifiers is {associated!r}, expected the app's {LABEL!r}")
    return plist


def check_launch_agent(destination, prefix):
    """The agent under DESTINATION (an install's root) for an install with
    PREFIX: it starts the bundle installed there."""
    agent = load_launchd_plist(
        "LaunchAgent", os.path.join(destination + prefix, "Library", "LaunchAgents", LABEL + ".plist"))
    if agent is None:
        return
    program = os.path.join(prefix, "Applications", APP, "Contents", "MacOS", EXECUTABLE)
    expect_values("LaunchAgent", agent, {
        "Label": LABEL, "ProgramArguments": [program], "RunAtLoad": True,
        "KeepAlive": {"SuccessfulExit": False}, "WatchPaths": [AGENT_FOLDER, AGENT_BUNDLE]})
    expect(os.path.isfile(destination + program),
           f"LaunchAgent: {program} is not where the bundle was installed")
    sessions = agent.get("LimitLoadToSessionType")
    expect(sessions == "Aqua" or sessions == ["Aqua"],
           f"LaunchAgent: LimitLoadToSessionType is {sessions!r}, expected Aqua")


def check_admin(destination, prefix):
    """The administrator's scripts where only root can write, none left in the
    bundle, and the hold's daemon that runs the command there."""
    folder = os.path.join(prefix, "Library", "Application Support", LABEL)
    for script in ("uninstall", "quillmere-admin"):
        path = destination + os.path.join(folder, script)
        expect(os.path.isfile(path) and os.access(path, os.X_OK), f"admin: no executable {script} at {path}")
        inside = os.path.join(destination + prefix, "Applications", APP, "Contents", "Resources", script)
        expect(not os.path.exists(inside), f"admin: a copy of {script} is left in the bundle, at {inside}")
    daemon = load_launchd_plist(
        "hold daemon", os.path.join(destination + prefix, "Library", "LaunchDaemons", LABEL + ".hold.plist"))
    if daemon is not None:
        expect_values("hold daemon", daemon, {
            "Label": LABEL + ".hold", "ProgramArguments": [os.path.join(folder, "quillmere-admin"), "expire"],
            "StartInterval": 60})


def cpack_settings(path):
    """The set(NAME "VALUE") lines of a generated CPackConfig.cmake."""
    with open(path, encoding="utf-8") as file:
        return dict(re.findall(r'^set\((\w+) "([^"]*)"\)', file.read(), re.MULTILINE))


def check_package(build):
    settings = cpack_settings(os.path.join(build, "CPackConfig.cmake"))
    expect_values("CPack", settings, {
        "CPACK_GENERATOR": "productbuild",
        "CPACK_PRODUCTBUILD_IDENTIFIER": LABEL,
        "CPACK_PACKAGE_VERSION": VERSION,
        "CPACK_PACKAGE_FILE_NAME": f"quillmere-watchdog-{VERSION}",
        "CPACK_PACKAGING_INSTALL_PREFIX": "/",
        # Staged under DESTDIR with the prefix /: the LaunchAgent then names
        # the app where the package puts it.
        "CPACK_SET_DESTDIR": "ON",
        "CPACK_INSTALL_PREFIX": "/",
        # Domains, not the deprecated auth attribute, say where it installs:
        # onto the running system only.
        "CPACK_PRODUCTBUILD_DOMAINS": "ON",
        "CPACK_PRODUCTBUILD_DOMAINS_ANYWHERE": "OFF",
        "CPACK_PRODUCTBUILD_DOMAINS_USER": "OFF",
        "CPACK_PRODUCTBUILD_DOMAINS_ROOT": "ON",
    })
    # productbuild lists only named components; each one's scripts are
    # CPACK_PREFLIGHT_<COMPONENT>_SCRIPT and CPACK_POSTFLIGHT_<COMPONENT>_SCRIPT.
    components = [c for c in settings.get("CPACK_COMPONENTS_ALL", "").split(";") if c]
    expect(len(components) == 1, f"CPack: components {components}, expected exactly one")
    for component in components:
        for phase, script in (("PREFLIGHT", "preinstall"), ("POSTFLIGHT", "postinstall")):
            key = f"CPACK_{phase}_{component.upper()}_SCRIPT"
            path = settings.get(key, "")
            expect(os.path.basename(path) == script and os.path.isfile(path)
                   and os.access(path, os.X_OK),
                   f"CPack: {key} is {path!r}, expected the executable {script} script")
        # The app is installed where the package says, not relocated.
        key = f"CPACK_COMPONENT_{component.upper()}_PLIST"
        bundles = load(settings[key]) if key in settings else []
        expect(isinstance(bundles, list) and len(bundles) == 1
               and bundles[0].get("RootRelativeBundlePath") == f"Applications/{APP}"
               and bundles[0].get("BundleIsRelocatable") is False,
               f"CPack: {key} does not make Applications/{APP} a bundle that stays in place")
    # The product is native on both architectures: CPack takes our
    # distribution template from its module path.
    templates = [os.path.join(folder, "CPack.distribution.dist.in")
                 for folder in settings.get("CPACK_MODULE_PATH", "").split(";") if folder]
    templates = [path for path in templates if os.path.isfile(path)]
    expect(templates, "CPack: no distribution template of ours on CPACK_MODULE_PATH")
    for path in templates[:1]:  # the one CPack takes
        with open(path, encoding="utf-8") as file:
            text = file.read()
        expect('hostArchitectures="arm64,x86_64"' in text and "@CPACK_PACKAGEMAKER_CHOICES@" in text,
               f"CPack: {path} does not list both architectures and the choices")
        # One options and one domains element: CPack's combined content
        # would bring a second of each.
        expect(text.count("<options") == 1 and text.count("<domains") == 1
               and "CPACK_APPLE_PKG_INSTALLER_CONTENT" not in text,
               f"CPack: {path} does not have exactly one options and one domains element")
        expect('<domains enable_anywhere="false" enable_currentUserHome="false" '
               'enable_localSystem="true"/>' in text,
               f"CPack: {path}'s domains are not the running system's alone")
    expect("CPACK_PRODUCTBUILD_IDENTITY_NAME" not in settings,
           "CPack: the package is signed though no installer identity was given")


def check_profile(path, team=""):
    """The profile's payload; each rule requires TEAM, or no team at all."""
    profile = load(path)
    expect_values("profile", profile,
                  {"PayloadType": "Configuration", "PayloadVersion": 1, "PayloadScope": "System"})
    uuids = [profile.get("PayloadUUID")]
    payloads = profile.get("PayloadContent", [])
    expect(len(payloads) == 1, f"profile: {len(payloads)} payloads, expected 1")
    for payload in payloads:
        expect_values("profile's payload", payload,
                      {"PayloadType": "com.apple.servicemanagement", "PayloadVersion": 1})
        expect(payload.get("PayloadIdentifier", "").startswith(profile.get("PayloadIdentifier", "?") + "."),
               "profile: the payload's identifier does not extend the profile's")
        uuids.append(payload.get("PayloadUUID"))
        rules = {(rule.get("RuleType"), rule.get("RuleValue")) for rule in payload.get("Rules", [])}
        expect(rules == {("Label", LABEL)},
               f"profile: rules {sorted(rules)}, expected the LaunchAgent's label alone")
        for rule in payload.get("Rules", []):
            # Every rule says whose items it locks on, when the app has a team.
            expect(rule.get("TeamIdentifier", "") == team,
                   f"profile: the {rule.get('RuleType')} rule {rule.get('RuleValue')!r} requires team "
                   f"{rule.get('TeamIdentifier')!r}, expected {team or 'none'!r}")
    for uuid in uuids:
        expect(isinstance(uuid, str) and re.fullmatch(r"[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}", uuid),
               f"profile: {uuid!r} is not an upper-case UUID")
    expect(len(set(uuids)) == len(uuids), "profile: two payloads share a UUID")


def report(prefix):
    for problem in problems:
        print(prefix, problem)
    return 1 if problems else 0


def main():
    if sys.argv[1:2] == ["profile"]:
        # check_bundle.py profile PATH TEAM: the profile alone.
        check_profile(sys.argv[2], sys.argv[3])
        return report("check-macos:")
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", required=True, choices=sorted(CPU_TYPES))
    parser.add_argument("--build", required=True)
    parser.add_argument("--fltk-library", required=True)
    parser.add_argument("--edits", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--destdir", required=True)
    parser.add_argument("objects", nargs="+")
    args = parser.parse_args()

    info = load(os.path.join(args.build, "bin", APP, "Contents", "Info.plist"))
    deployment_target = info.get("LSMinimumSystemVersion", "")
    expect(re.fullmatch(r"\d+\.\d+(\.\d+)?", deployment_target),
           f"Info.plist: LSMinimumSystemVersion {deployment_target!r} is not a version")
    for path in args.objects:
        check_object(path, args.arch, deployment_target)
    with open(os.path.join(args.build, "link-command"), encoding="utf-8") as file:
        words = shlex.split(file.read())
    check_link_line(words, args.arch, args.fltk_library)
    check_signing(args.build)
    check_no_edits(args.edits)
    check_info_plist(info)
    check_launch_agent("", args.prefix)
    check_launch_agent(args.destdir, "/")
    check_admin("", args.prefix)
    check_admin(args.destdir, "/")
    if os.path.exists(os.path.join(args.build, "tests")):
        check_test_discovery(args.build)
    check_package(args.build)
    check_profile(os.path.join(args.build, "quillmere-watchdog.mobileconfig"))
    return report(f"check-macos ({args.arch}):")


if __name__ == "__main__":
    sys.exit(main())
