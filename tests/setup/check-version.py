#!/usr/bin/env python3
"""check-version.py VERSION COMPANY (IMAGE DESCRIPTION)...

The version resource (type 16, id 1) of each built image, read as Explorer's
Properties and inventory tools read it: the fixed part's file and product
version, and one string block "040904E4" (US English, code page 1252, the
block Windows 95 and NT 3.51 read) named by the Translation value.
"""
import struct
import sys

from pe_resource import resource

failures = []


def check(what, ok, seen=""):
    print(("ok: " if ok else "FAIL: ") + what + (f" (seen: {seen!r})" if not ok else ""))
    if not ok:
        failures.append(what)


def nodes(data, start, end):
    """The (key, value bytes, value length, type, children start, node end) of each node."""
    while start + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, start)
        if length == 0:
            break
        key_end = start + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[start + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        # A text value's length counts UTF-16 units, a binary one's bytes.
        value_bytes = value_length * 2 if kind == 1 else value_length
        yield key, data[value_at:value_at + value_bytes], kind, (value_at + value_bytes + 3) & ~3, start + length
        start = (start + length + 3) & ~3


def version_info(data):
    root = list(nodes(data, 0, len(data)))
    check("one VS_VERSION_INFO node", len(root) == 1 and root[0][0] == "VS_VERSION_INFO",
          [n[0] for n in root])
    key, fixed, _, children, end = root[0]
    strings, translations = {}, []
    blocks = []
    for name, _, _, inner, inner_end in nodes(data, children, end):
        if name == "StringFileInfo":
            for block, _, _, table, table_end in nodes(data, inner, inner_end):
                blocks.append(block)
                for text, value, _, _, _ in nodes(data, table, table_end):
                    strings[text] = value.decode("utf-16-le").rstrip("\0")
        elif name == "VarFileInfo":
            for var, value, _, _, _ in nodes(data, inner, inner_end):
                if var == "Translation":
                    translations.append(value)
    return fixed, blocks, strings, translations


def main():
    if len(sys.argv) < 5 or len(sys.argv) % 2 == 0:
        print(__doc__.splitlines()[0], file=sys.stderr)
        return 2
    version, company = sys.argv[1], sys.argv[2]
    fields = [int(f) for f in version.split(".")]
    for image_path, description in zip(sys.argv[3::2], sys.argv[4::2]):
        name = image_path.replace("\\", "/").split("/")[-1]
        print(f"-- {name}")
        data = resource(open(image_path, "rb").read(), 16, 1)
        check(f"{name}: version resource (type 16, id 1) present", data is not None)
        if data is None:
            continue
        fixed, blocks, strings, translations = version_info(data)
        signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
        packed = (fields[0] << 16 | fields[1], fields[2] << 16 | fields[3])
        check(f"{name}: fixed part's signature", signature == 0xFEEF04BD, hex(signature))
        check(f"{name}: FILEVERSION {version}", (file_ms, file_ls) == packed, (hex(file_ms), hex(file_ls)))
        check(f"{name}: PRODUCTVERSION {version}", (product_ms, product_ls) == packed,
              (hex(product_ms), hex(product_ls)))
        check(f"{name}: one string block, 040904E4", blocks == ["040904E4"], blocks)
        check(f"{name}: Translation 0x409, 1252", translations == [struct.pack("<HH", 0x409, 1252)],
              translations)
        expected = {
            "CompanyName": company,
            "FileDescription": description,
            "FileVersion": version,
            "ProductVersion": version,
            "ProductName": "Korvu ark 7.2",
            "OriginalFilename": name,
        }
        for key, value in expected.items():
            check(f"{name}: {key} {value!r}", strings.get(key) == value, strings.get(key))
        copyright_text = strings.get("LegalCopyright", "")
        check(f"{name}: LegalCopyright names {company!r}", company in copyright_text, copyright_text)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
