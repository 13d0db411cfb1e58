#!/usr/bin/env python3
"""Writes COUNT reports in 20 subjects under CONTENT_DIR, as the testing window writes them:
packed texts (zlib, level 9, an 8-byte little-endian length before the Windows-1251 text); each
subject gets five pages and a variant beside them, so that a start-up has a course to list.

    make_reports.py CONTENT_DIR COUNT
"""
import os
import struct
import sys
import zlib

SUBJECTS = 20


def report(subject, r):
    questions = 10 + r % 21
    verdicts = [(q + r) % 3 != 0 for q in range(questions)]
    right = sum(verdicts)
    lines = [
        "Имя фамилия: Студент %d" % (r // 2),
        "Группа: Группа %d" % (r % 7),
        "Предмет: %s" % subject,
        "Тест: Вариант %d.txt" % (r % 5 + 1),
        "05.03.2014     9:07:%02d" % (r % 60),
    ]
    for q, ok in enumerate(verdicts):
        lines.append("Вопрос № %d- %s " % (q + 1, "Правильно" if ok else "Неправильно"))
    tenths = (2000 * right + questions) // (2 * questions)
    lines.append("Всего вопросов: %d" % questions)
    lines.append("Правильно: %d    (%d,%d %%)" % (right, tenths // 10, tenths % 10))
    lines.append("Неправильно: %d" % (questions - right))
    text = ("\r\n".join(lines) + "\r\n").encode("cp1251")
    packer = zlib.compressobj(9, zlib.DEFLATED, 15)
    return packer.compress(struct.pack("<q", len(text)) + text) + packer.flush()


def main():
    content, count = sys.argv[1], int(sys.argv[2])
    per_subject = count // SUBJECTS
    for s in range(SUBJECTS):
        subject = "Предмет %d" % (s + 1)
        folder = os.path.join(content, subject, "Тесты", "Отчеты")
        os.makedirs(folder, exist_ok=True)
        for p in range(5):
            with open(os.path.join(content, subject, "Тема %d.htm" % (p + 1)), "w") as page:
                page.write("<p>%d</p>\n" % (p + 1))
        with open(os.path.join(content, subject, "Тесты", "Вариант 1.txt"), "wb") as variant:
            variant.write(zlib.compress(struct.pack("<q", 0), 9))
        for r in range(per_subject):
            name = "Студент %d(%d)" % (r // 2, r % 2)
            with open(os.path.join(folder, name), "wb") as out:
                out.write(report(subject, r))


if __name__ == "__main__":
    main()
