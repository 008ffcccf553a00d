#!/usr/bin/env python3
"""check-manifest.py SETUP.EXE

The manifest that Windows Vista and later read from setup.exe (resource
type 24, id 1), as the system sees it in the built image:
- administrator rights asked for (requireAdministrator): on the NT family
  the group and the desktop shortcut go to all users' folders;
- the versions it is tested on declared: Vista, 7, 8, 8.1, 10 and 11
  (without them Windows 8.1 and later report themselves as 8);
- an assembly identity, which Windows XP requires of an application
  manifest, and trustInfo declared with one namespace only (Windows XP SP2
  restarts on an element that declares its namespace twice);
- DPI awareness left undeclared: Windows scales the whole window, so the
  pictures and the dialogs keep their proportions (README, "Where setup.exe
  runs").
"""
import sys
import xml.etree.ElementTree as ET

from pe_resource import resource

ASM1 = "urn:schemas-microsoft-com:asm.v1"
ASM3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
SUPPORTED = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}

failures = []


def check(what, ok, seen=""):
    print(("ok: " if ok else "FAIL: ") + what + (f" (seen: {seen})" if seen and not ok else ""))
    if not ok:
        failures.append(what)


def main():
    if len(sys.argv) != 2:
        print("usage: check-manifest.py SETUP.EXE", file=sys.stderr)
        return 2
    image = open(sys.argv[1], "rb").read()
    data = resource(image, 24, 1)
    check("manifest resource (type 24, id 1) present", data is not None)
    if data is None:
        return 1
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        check("manifest is well-formed XML", False, str(error))
        return 1
    check("root element is asm.v1 assembly, manifestVersion 1.0",
          root.tag == f"{{{ASM1}}}assembly" and root.get("manifestVersion") == "1.0", root.tag)
    identity = root.find(f"{{{ASM1}}}assemblyIdentity")
    check("assemblyIdentity with type win32, a name and a version (Windows XP needs it)",
          identity is not None and identity.get("type") == "win32"
          and bool(identity.get("name")) and bool(identity.get("version")))
    if identity is not None:
        arch = identity.get("processorArchitecture")
        check("assemblyIdentity fits both builds (processorArchitecture '*' or none)",
              arch in (None, "*"), str(arch))

    levels = root.findall(f"{{{ASM3}}}trustInfo/{{{ASM3}}}security/{{{ASM3}}}requestedPrivileges/"
                          f"{{{ASM3}}}requestedExecutionLevel")
    check("exactly one requestedExecutionLevel under asm.v3 trustInfo", len(levels) == 1, str(len(levels)))
    if levels:
        check("requestedExecutionLevel is requireAdministrator",
              levels[0].get("level") == "requireAdministrator", str(levels[0].get("level")))
        check("uiAccess is false", levels[0].get("uiAccess", "false") == "false", str(levels[0].get("uiAccess")))
    text = data.decode("utf-8", "replace")
    start = text.find("<trustInfo")
    tag = text[start:text.find(">", start)] if start >= 0 else ""
    check("trustInfo declares its namespace once (Windows XP SP2)", tag.count("xmlns") == 1, tag)

    declared = [os.get("Id", "").lower()
                for os in root.findall(f"{{{COMPAT}}}compatibility/{{{COMPAT}}}application/{{{COMPAT}}}supportedOS")]
    for guid, name in SUPPORTED.items():
        check(f"supportedOS {name}", guid in declared)
    unknown = [guid for guid in declared if guid not in SUPPORTED]
    check("no other supportedOS", not unknown, ", ".join(unknown))

    dpi = [element for element in root.iter() if element.tag.split("}")[-1] in ("dpiAware", "dpiAwareness")]
    check("DPI awareness not declared (the system scales the window)", not dpi,
          ", ".join(f"{e.tag}={e.text}" for e in dpi))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
