#!/usr/bin/env python3
"""The reference for the catalogue load: what a user would script instead, with the standard
library's plistlib only. It reads the same Info.plist, system library and user snippet folder,
sorts the system snippets by title, lists the user files in name order and indexes the identifiers
(the first file in name order governs), then prints the counts and the time each load took as JSON.

    bench/reference.py --xcode APP --home DIR [--repeat N]
"""

import argparse
import json
import os
import plistlib
import statistics
import sys
import time

IDENTIFIER = "IDECodeSnippetIdentifier"
TITLE = "IDECodeSnippetTitle"
IDEKIT_LIBRARY = ("Contents/Frameworks/IDEKit.framework/Versions/Current/Resources/"
                  "SystemCodeSnippets.codesnippets")
PLUGIN_LIBRARY = ("Contents/PlugIns/IDECodeSnippetLibrary.ideplugin/Contents/Resources/"
                  "SystemCodeSnippets.codesnippets")
SOURCE_EDITOR_LIBRARY = ("Contents/PlugIns/IDESourceEditor.framework/Versions/A/Resources/"
                         "SystemCodeSnippets.codesnippets")


def read_plist(path):
    try:
        with open(path, "rb") as f:
            return plistlib.load(f)
    except Exception:  # unreadable or not a property list: skipped, as the program does
        return None


def version_of(xcode):
    info = read_plist(os.path.join(xcode, "Contents/Info.plist"))
    text = info.get("CFBundleShortVersionString") if isinstance(info, dict) else None
    try:
        return float(text.split()[0]) if isinstance(text, str) else 0.0
    except ValueError:
        return 0.0


def library_path(xcode, version):
    selected = os.path.join(xcode, IDEKIT_LIBRARY if version >= 5.1 else PLUGIN_LIBRARY)
    if version >= 10 and not os.path.exists(selected):
        return os.path.join(xcode, SOURCE_EDITOR_LIBRARY)
    return selected


def load(xcode, home):
    library = read_plist(library_path(xcode, version_of(xcode)))
    system = [d for d in library if isinstance(d, dict)] if isinstance(library, list) else []
    # Untitled first, then by code point; sort() is stable, so equal titles keep the library order.
    system.sort(key=lambda d: (1, d[TITLE]) if isinstance(d.get(TITLE), str) else (0, ""))
    system_ids = [d.get(IDENTIFIER) if isinstance(d.get(IDENTIFIER), str) else None for d in system]

    folder = os.path.join(home, "Library/Developer/Xcode/UserData/CodeSnippets")
    try:
        names = sorted(os.listdir(folder))
    except OSError:
        names = []
    user, user_ids, paths = [], [], []
    for name in names:
        if not name.endswith(".codesnippet"):
            continue
        path = os.path.join(folder, name)
        record = read_plist(path)
        if not isinstance(record, dict):
            continue
        user.append(record)
        user_ids.append(record.get(IDENTIFIER) if isinstance(record.get(IDENTIFIER), str) else None)
        paths.append(path)

    first_user_index = {}
    for index, identifier in enumerate(user_ids):
        if identifier is not None:
            first_user_index.setdefault(identifier, index)
    return system, system_ids, user, user_ids, paths, first_user_index


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--xcode", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--repeat", type=int, default=1)
    args = parser.parse_args()

    seconds = []
    for _ in range(max(1, args.repeat)):
        start = time.perf_counter()
        system, system_ids, user, _, _, first_user_index = load(args.xcode, args.home)
        seconds.append(time.perf_counter() - start)
    json.dump({
        "seconds": seconds,
        "median": statistics.median(seconds),
        "systemSnippets": len(system),
        "userSnippets": len(user),
        "customSnippets": sum(1 for i in system_ids if i is not None and i in first_user_index),
        "python": sys.version.split()[0],
    }, sys.stdout)
    print()


if __name__ == "__main__":
    main()
