#!/usr/bin/env python3
"""Sets the two build times that chmcmd writes into a compiled help file to a fixed value,
so that the same sources give the same bytes: the time in the file header and the time
entry (code 10) of the #SYSTEM file, which lies in the uncompressed section 0.

usage: FixChmTimes.py FILE.CHM
"""
import struct
import sys

FIXED_TIME = 0
SYSTEM_TIME_CODE = 10


def read_encint(data, pos):
    """A variable-length integer of the directory: 7 bits a byte, high bit = more."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def find_entry(data, name):
    """(section, offset, length) of a file in the directory's listing chunks."""
    directory = struct.unpack_from("<Q", data, 0x48)[0]
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no directory header")
    chunk_size = struct.unpack_from("<I", data, directory + 0x10)[0]
    header_size = struct.unpack_from("<I", data, directory + 0x08)[0]
    chunk_count = struct.unpack_from("<I", data, directory + 0x2C)[0]
    for index in range(chunk_count):
        chunk = directory + header_size + index * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free_space = struct.unpack_from("<I", data, chunk + 4)[0]
        pos, end = chunk + 0x14, chunk + chunk_size - free_space
        while pos < end:
            length, pos = read_encint(data, pos)
            entry_name = bytes(data[pos:pos + length])
            pos += length
            section, pos = read_encint(data, pos)
            offset, pos = read_encint(data, pos)
            size, pos = read_encint(data, pos)
            if entry_name == name:
                return section, offset, size
    raise ValueError("no entry " + name.decode())


def fix(data):
    struct.pack_into(">I", data, 0x10, FIXED_TIME)
    section, offset, size = find_entry(data, b"/#SYSTEM")
    if section != 0:
        raise ValueError("#SYSTEM is not in the uncompressed section")
    content = struct.unpack_from("<Q", data, 0x58)[0]
    pos, end = content + offset + 4, content + offset + size   # after the version
    found = False
    while pos + 4 <= end:
        code, length = struct.unpack_from("<HH", data, pos)
        if code == SYSTEM_TIME_CODE and length == 4:
            struct.pack_into("<I", data, pos + 4, FIXED_TIME)
            found = True
        pos += 4 + length
    if not found:
        raise ValueError("no time entry in #SYSTEM")


def main():
    with open(sys.argv[1], "rb") as file:
        data = bytearray(file.read())
    if data[:4] != b"ITSF":
        sys.exit(sys.argv[1] + ": not a compiled help file")
    fix(data)
    with open(sys.argv[1], "wb") as file:
        file.write(data)


if __name__ == "__main__":
    main()
