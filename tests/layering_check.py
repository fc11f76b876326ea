#!/usr/bin/env python3
"""Fails on an #include that points up a layer. Every folder includes its neighbours from the
repository root ("catalogue/...", "platform/..."), so the folder named is the layer depended on.

    catalogue, platform   nothing of ours but themselves
    syntax                nothing of ours but itself
    chrome                platform
    cli                   catalogue, platform
    app                   catalogue, platform, syntax, chrome, resources
    tests, bench          anything
"""
import os
import re
import sys

ALLOWED = {
    "catalogue": {"catalogue"},
    "platform": {"platform"},
    "syntax": {"syntax"},
    "chrome": {"chrome", "platform"},
    "cli": {"cli", "catalogue", "platform"},
    "app": {"app", "catalogue", "platform", "syntax", "chrome", "resources"},
}
LAYERS = set(ALLOWED) | {"resources", "tests", "bench"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def main(root):
    faults = []
    for layer, allowed in ALLOWED.items():
        for folder, _, names in os.walk(os.path.join(root, layer)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if match and match.group(1) in LAYERS and match.group(1) not in allowed:
                            faults.append(f"{os.path.relpath(path, root)}:{number}: {layer} includes "
                                          f"{match.group(1)}/, a layer it may not depend on")
    for fault in faults:
        print(fault)
    print(f"layering: {len(faults)} include(s) pointing up a layer")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
