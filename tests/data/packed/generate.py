#!/usr/bin/env python3
# Writes the packed text files that TestPackedText and TestPackerTool read. They are made with
# Python's zlib at levels other than the program's own 9, so the reader is checked against
# streams that the program's writer never produces. Run from this folder.
import struct
import zlib


def payload(text: bytes) -> bytes:
    return struct.pack('<q', len(text)) + text


WORKED = b'---\r\n1)\r\n'
LF_BREAKS = 'Вопрос\nОтвет\n'.encode('cp1251')

FILES = {
    'worked-level1.bin': zlib.compress(payload(WORKED), 1),
    'worked-level6.bin': zlib.compress(payload(WORKED), 6),
    'lf-breaks-level6.bin': zlib.compress(payload(LF_BREAKS), 6),
}

for name, data in FILES.items():
    with open(name, 'wb') as f:
        f.write(data)
