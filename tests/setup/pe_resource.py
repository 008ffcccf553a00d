"""A resource read out of a built PE image, as Windows finds it."""
import struct


def resource(image, type_id, name_id):
    """The bytes of the first language of resource type_id/name_id, or None.

    type_id is an integer or a type name such as "CMPFILE"."""
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

    def name_at(offset):
        length = struct.unpack_from("<H", image, base + offset)[0]
        return image[base + offset + 2:base + offset + 2 + 2 * length].decode("utf-16-le")

    def find(directory, wanted):
        """The entry for an integer id, a type name (str) or, with None, the first."""
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            if wanted is None or (not name & 0x80000000 and name == wanted) or (
                    isinstance(wanted, str) and name & 0x80000000
                    and name_at(name & 0x7FFFFFFF) == wanted):
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
