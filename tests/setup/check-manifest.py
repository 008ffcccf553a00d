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
import struct
import sys
import xml.etree.ElementTree as ET

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


def resource(image, type_id, name_id):
    """The bytes of the first language of resource type_id/name_id, or None."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count = struct.unpack_from("<H", image, pe + 6)[0]
    optional = struct.unpack_from("<H", image, pe + 20)[0]
    magic = struct.unpack_from("<H", image, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    sections = []
    for i in range(count):
        entry = pe + 24 + optional + 40 * i
        size, rva, raw_size, raw = struct.unpack_from("<IIII", image, entry + 8)
        sections.append((rva, max(size, raw_size), raw))

    def offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    base = offset(rsrc_rva)

    def find(directory, wanted):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            if wanted is None or (not name & 0x80000000 and name == wanted):
                return target
        return None

    level = find(0, type_id)
    if level is None or not level & 0x80000000:
        return None
    level = find(level & 0x7FFFFFFF, name_id)
    if level is None or not level & 0x80000000:
        return None
    leaf = find(level & 0x7FFFFFFF, None)
    if leaf is None or leaf & 0x80000000:
        return None
    data_rva, size = struct.unpack_from("<II", image, base + leaf)
    start = offset(data_rva)
    return image[start:start + size]


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
