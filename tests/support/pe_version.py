"""The VERSIONINFO resource of a Windows program or library, read without running it."""
import re
import struct


def version_info(path):
    """The fixed file version and the strings of a PE file's VERSIONINFO resource."""
    with open(path, "rb") as file:
        data = file.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    resources = struct.unpack_from("<I", data, directories + 2 * 8)[0]

    def offset(rva):
        for i in range(sections):
            size, address, raw_size, raw = struct.unpack_from("<4I", data,
                                                              optional + optional_size + 40 * i + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise AssertionError("%s: no section holds the resources" % path)

    base = offset(resources)

    def entries(directory):
        count = sum(struct.unpack_from("<HH", data, base + directory + 12))
        return [struct.unpack_from("<II", data, base + directory + 16 + 8 * i) for i in range(count)]

    node = dict(entries(0)).get(16)  # RT_VERSION
    if node is None:
        raise AssertionError("%s has no VERSIONINFO" % path)
    for _ in range(2):  # its name, then its language
        node = entries(node & 0x7FFFFFFF)[0][1]
    rva, size = struct.unpack_from("<II", data, base + node)
    blob = data[offset(rva):offset(rva) + size]
    fixed = blob.index(struct.pack("<I", 0xFEEF04BD))
    high, low = struct.unpack_from("<II", blob, fixed + 8)
    strings = dict(re.findall(r"(\w+)\0+([^\0]+)\0", blob.decode("utf-16-le", "replace")))
    return "%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16), strings
