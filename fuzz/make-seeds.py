#!/usr/bin/env python3
# Writes the seed corpora of the fuzz targets from the test data (tests/data/packed) and the
# demo course (sample/Content). The files are kept in the repository; run this again, from any
# folder, when the test data or the demo course change.
import hashlib
import os
import pathlib
import shutil
import struct
import zlib

FUZZ = pathlib.Path(__file__).resolve().parent
ROOT = FUZZ.parent
PACKED_DATA = ROOT / 'tests' / 'data' / 'packed'
CONTENT = ROOT / 'sample' / 'Content'


def cp1251_crlf(text: str) -> bytes:
    """A text as the program stores it: Windows-1251 with CR LF breaks."""
    return text.replace('\r\n', '\n').replace('\n', '\r\n').encode('cp1251')


def packed(text: bytes, level: int = 9) -> bytes:
    return zlib.compress(struct.pack('<q', len(text)) + text, level)


def variants():
    for path in sorted(CONTENT.glob('*/Тесты/*.txt')):
        yield path, cp1251_crlf(path.read_text(encoding='utf-8'))


def packed_text_seeds():
    seeds = [p.read_bytes() for p in sorted(PACKED_DATA.glob('*.bin'))]
    for _, text in variants():
        seeds.append(packed(text))
    worked = b'---\r\n1)\r\n'
    seeds += [
        packed(b''),
        packed(worked),
        packed(worked, 1),
        packed(b'---\r\n1)'),
        # A length field larger than the text, one smaller, one negative.
        zlib.compress(struct.pack('<q', 100) + worked, 9),
        zlib.compress(struct.pack('<q', 3) + worked, 9),
        zlib.compress(struct.pack('<q', -1) + worked, 9),
        # Claims far more than the memo takes, holds little.
        zlib.compress(struct.pack('<q', 1 << 40) + worked, 9),
        packed(bytes(8 << 20)),  # 8 MiB of zeros in 8 KiB: the reader's growth is tried
        packed(worked)[:-3],  # cut off
        cp1251_crlf('просто текст\n'),  # not packed at all
    ]
    return seeds


def test_text_seeds():
    seeds = [text for _, text in variants()]
    seeds += [
        b'',
        b'---\r\n1)\r\n',
        cp1251_crlf('---\n1)\nA)\nB)\nC)\nD)\nE)\n---\n2)\nA)\nB)\nC)\nD)\nE)\n---\n'),
        cp1251_crlf('---\n1) Вопрос\n`A) да\nB) нет\n---\n`\n`ё\n`Б\n'),
        b'---\r---\n`b\r\n\x00---\r\n',
        b'---\r\n' + b'x' * 5000 + b'\r\n`E\r\n---',
    ]
    return seeds


# Records of fuzz_content_names: a first byte with the kind and its flags, a byte that picks the
# subject, then the name; records are separated by a zero byte.
SUBJECT, PAGE, VARIANT, REPORT, PRESENTATION, VIDEO, PIPE, HIDDEN, TESTS_AS_FILE, \
    FILE_IN_CONTENT, STUDENT, SUBJECT_TYPED = range(12)
WITH_EXTENSION, AS_FOLDER, AS_LINK, LINK_LOOPS = 0x10, 0x20, 0x40, 0x80


def record(kind: int, name: bytes, which: int = 0, flags: int = 0) -> bytes:
    return bytes([kind | flags, which]) + name


def names_seed(records) -> bytes:
    return b'\x00'.join(records)


def content_names_seeds():
    seeds = []
    for subject in sorted(p for p in CONTENT.iterdir() if p.is_dir()):
        records = [record(SUBJECT, subject.name.encode())]
        for path in sorted(subject.rglob('*')):
            rel = path.relative_to(subject)
            name = path.name.encode()
            if len(rel.parts) == 1 and path.suffix == '.html':
                records.append(record(PAGE, name))
            elif rel.parts[0] == 'Тесты' and path.is_file():
                records.append(record(VARIANT, name))
            elif rel.parts[0] == 'Презентации' and path.is_file():
                records.append(record(PRESENTATION, name))
            elif rel.parts[0] == 'Видео' and path.is_file():
                records.append(record(VIDEO, name))
        records.append(record(REPORT, 'Иван Петров(0)'.encode()))
        records.append(record(STUDENT, 'Иван Петров'.encode()))
        seeds.append(names_seed(records))
    seeds.append(names_seed([
        record(SUBJECT, 'Алгоритмы'.encode()),
        record(SUBJECT, b'\xff\xfe bad'),
        record(VARIANT, b'\xc3\x28', 0, WITH_EXTENSION),
        record(VARIANT, b'two\nlines', 0, WITH_EXTENSION),
        record(PAGE, b'p' * 250, 0, WITH_EXTENSION),
        record(VARIANT, b'v' * 255),
        record(PIPE, b'x', 0, WITH_EXTENSION),
        record(SUBJECT, b'loop', 0, AS_LINK | LINK_LOOPS),
        record(SUBJECT, b'elsewhere', 0, AS_LINK),
        record(HIDDEN, b'hidden'),
        record(FILE_IN_CONTENT, b'notes.txt'),
        record(REPORT, b'folder(1)', 0, AS_FOLDER),
        record(VARIANT, b'old', 0, WITH_EXTENSION | AS_FOLDER),
        record(STUDENT, '..'.encode()),
        record(STUDENT, 'Иван/../../x'.encode()),
        record(SUBJECT_TYPED, b'..'),
        record(SUBJECT_TYPED, b'../outside'),
        record(SUBJECT_TYPED, 'Новый предмет'.encode()),
    ]))
    seeds.append(names_seed([
        record(SUBJECT, 'Сети'.encode()),
        record(TESTS_AS_FILE, b''),
        record(VARIANT, b'v', 0, WITH_EXTENSION),
        record(STUDENT, 'Анна'.encode()),
    ]))
    return seeds


def write(target: str, seeds):
    folder = FUZZ / 'corpus' / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for seed in seeds:
        (folder / hashlib.sha1(seed).hexdigest()).write_bytes(seed)


write('fuzz_packed_text', packed_text_seeds())
write('fuzz_test_text', test_text_seeds())
write('fuzz_content_names', content_names_seeds())
