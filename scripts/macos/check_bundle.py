#!/usr/bin/env python3
"""Checks what the macOS cross-configure generated: the bundle's objects, its
link line, its Info.plist and the installed LaunchAgent. Prints each finding
and exits 1 if there is any.

usage: check_bundle.py LINK_COMMAND_FILE INFO_PLIST INSTALL_PREFIX OBJECT...
"""
import os
import plistlib
import shlex
import struct
import sys

# Every framework the bundle needs: FLTK's (Homebrew's fltk-config) and
# Foundation for the App Nap opt-out.
FRAMEWORKS = {"Cocoa", "Foundation"}
WEAK_FRAMEWORKS = {"UniformTypeIdentifiers", "ScreenCaptureKit"}
LABEL = "com.ravelstow.quillmere-watchdog"

problems = []


def expect(condition, message):
    if not condition:
        problems.append(message)


def check_object(path):
    # A 64-bit Mach-O header: magic, then the CPU type (ARM64 is 0x0100000c).
    with open(path, "rb") as file:
        magic, cpu = struct.unpack("<II", file.read(8))
    expect(magic == 0xFEEDFACF and cpu == 0x0100000C, f"{path}: not a Mach-O object for arm64")


def check_link_line(words):
    frameworks, weak = set(), set()
    for index, word in enumerate(words):
        if word in ("-framework", "-weak_framework"):
            name = words[index + 1] if index + 1 < len(words) else ""
            expect(name and not name.startswith("-"),
                   f"link line: {word} is followed by {name or 'nothing'}, not a framework name")
            (frameworks if word == "-framework" else weak).add(name)
        elif word.startswith("-l") and word[2:] in FRAMEWORKS | WEAK_FRAMEWORKS:
            problems.append(f"link line: {word} names a framework as a library")
    expect(frameworks == FRAMEWORKS,
           f"link line: frameworks {sorted(frameworks)}, expected {sorted(FRAMEWORKS)}")
    expect(weak == WEAK_FRAMEWORKS,
           f"link line: weak frameworks {sorted(weak)}, expected {sorted(WEAK_FRAMEWORKS)}")
    expect("-lfltk" in words, "link line: no -lfltk")


def load(path):
    try:
        with open(path, "rb") as file:
            return plistlib.load(file)
    except (OSError, plistlib.InvalidFileException, ValueError) as error:
        problems.append(f"{path}: not a readable property list ({error})")
        return {}


def check_info_plist(info):
    wanted = {
        "CFBundleExecutable": "quillmere-watchdog",
        "CFBundleIdentifier": LABEL,
        "CFBundlePackageType": "APPL",
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleShortVersionString": "1.0.1",
        "CFBundleVersion": "1.0.1.0",
        "NSPrincipalClass": "NSApplication",
        "LSAppNapIsDisabled": True,
    }
    for key, value in wanted.items():
        expect(info.get(key) == value, f"Info.plist: {key} is {info.get(key)!r}, expected {value!r}")
    expect(not info.get("LSUIElement"), "Info.plist: LSUIElement would hide the application menu")


def check_launch_agent(agent, prefix, executable):
    program = os.path.join(prefix, "Applications", "quillmere-watchdog.app", "Contents", "MacOS",
                           executable)
    expect(agent.get("Label") == LABEL, f"LaunchAgent: Label is {agent.get('Label')!r}")
    expect(agent.get("ProgramArguments") == [program],
           f"LaunchAgent: ProgramArguments is {agent.get('ProgramArguments')!r}, expected [{program!r}]")
    expect(os.path.isfile(program), f"LaunchAgent: {program} is not where the bundle was installed")
    expect(agent.get("RunAtLoad") is True, "LaunchAgent: RunAtLoad is not true")
    expect(agent.get("KeepAlive") == {"SuccessfulExit": False},
           f"LaunchAgent: KeepAlive is {agent.get('KeepAlive')!r}, expected {{SuccessfulExit: false}}")
    sessions = agent.get("LimitLoadToSessionType")
    expect(sessions == "Aqua" or sessions == ["Aqua"],
           f"LaunchAgent: LimitLoadToSessionType is {sessions!r}, expected Aqua")


def main():
    link_file, info_path, prefix = sys.argv[1:4]
    for path in sys.argv[4:]:
        check_object(path)
    with open(link_file, encoding="utf-8") as file:
        check_link_line(shlex.split(file.read()))
    info = load(info_path)
    check_info_plist(info)
    agent = load(os.path.join(prefix, "Library", "LaunchAgents", LABEL + ".plist"))
    check_launch_agent(agent, prefix, info.get("CFBundleExecutable", ""))
    for problem in problems:
        print("check-macos:", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
