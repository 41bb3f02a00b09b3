#!/usr/bin/env python3
# Seeds of 16-bit modules with damaged resource entries, made from the NE fixture:
# the fuzzers start from files whose damage the reader must step over, not refuse.
# Run from this folder: python3 make_ne_seeds.py
import struct

source = bytearray(open('../tests/fixtures/ne/icons16.dll', 'rb').read())
NE = 64
table = NE + struct.unpack_from('<H', source, NE + 0x24)[0]

# The first resource entry of each type, in table order.
entries = []
at = table + 2  # behind the alignment shift
while struct.unpack_from('<H', source, at)[0] != 0:
    count = struct.unpack_from('<H', source, at + 2)[0]
    entries.append(at + 8)
    at += 8 + 12 * count

def write(name, targets, damaged):
    for target in targets:
        open(f'corpus/{target}/{name}', 'wb').write(damaged)

# The data resource (the last type) points past the end of the file.
data_past_end = bytearray(source)
struct.pack_into('<H', data_past_end, entries[-1], 0xFFFF)
write('ne-damaged-data-entry.dll', ['fuzz_module_reader', 'fuzz_module_icons'], data_past_end)

# Its length runs past the end, and the first icon image's name past the table.
length_and_name = bytearray(source)
struct.pack_into('<H', length_and_name, entries[-1] + 2, 0xFFFF)
struct.pack_into('<H', length_and_name, entries[0] + 6, 0x7FFF)
write('ne-damaged-length-and-name.dll', ['fuzz_module_icons'], length_and_name)
