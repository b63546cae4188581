#!/usr/bin/env python3
"""Writes the sample texts of data/txt_shift_jis: CP932, CR LF, every line at most 80 bytes.

    python3 scripts/make-sample-texts.py [OUTPUT_FOLDER]

welcome.txt is our own text (below). The other two are the free-software licence texts that
every Debian system ships in /usr/share/common-licenses, reproduced word for word: only the
line ends become CR LF, TABs become spaces, page breaks become empty lines, and the few lines
longer than 80 characters are broken at a space.
"""

import os
import sys
import textwrap

LICENCES = "/usr/share/common-licenses"
MAX_BYTES = 80   # our own limit; Kelmoa accepts lines of up to 100 bytes
MAX_LINES = 9000  # Kelmoa opens texts of up to 9000 lines

WELCOME = """\
Welcome to Kelmoa (ケルモア)

Kelmoa is a reading aid. It shows an English text and helps you read it
without stopping to open a dictionary. This short text is here so that you
can try it at once.

Look at the words of this page. Every word that the dictionary knows is
drawn in blue. Rest the mouse pointer on a blue word, and its Japanese
meanings appear right under it. Move the pointer away, and they go again.

Kelmoa also knows the forms of a word. When you point at "books", "walked",
"running", "happier" or "quickly", it finds "book", "walk", "run", "happy"
and "quick" for you. You can read the text as it was written.

If a word is missing, or a meaning is not the one you need, press 辞書編集
to open the dictionary editor. While it is open, click a word of the text
with the right mouse button, and the word goes into the editor. Type a
meaning, for example 読書, and press the button 登録 to add it. Select a
meaning in the list and press 削除 to take it out again. Every change is
saved at once, and the old dictionary is kept in the folder dic_backup, so
nothing is ever lost.

Here is a short story to practise on.

    Mina lives in a small town by the sea. Every morning she walks to the
    station with a book under her arm. The train is slow, and the book is
    in English. At first she read only a page a day, because she looked up
    almost every word. Now she reads a chapter on the way to work, and on
    the way home she reads another one. She still meets new words, but they
    no longer stop her. Last week she finished her first novel in English,
    and she smiled all the way home.

To read your own texts, press ファイル and choose one from the folder
txt_shift_jis, or drop a text file on the page. A text may have up to 9000
lines, and each line may be up to 100 bytes long. Kelmoa reads Shift_JIS
texts, so English with a few Japanese words, such as 日本語, is fine.

Press the button 設定 to change the size of the letters and the space
between the lines. If you tick 単語を発音, Kelmoa says a word aloud when
you click it. Press F1 at any time to open the help page.

Happy reading!
"""


def wrap(line):
    """Breaks a line longer than MAX_BYTES at spaces, keeping its indentation."""
    if len(line.encode("cp932")) <= MAX_BYTES:
        return [line]
    indent = line[: len(line) - len(line.lstrip(" "))]
    return textwrap.wrap(line, width=MAX_BYTES, initial_indent="", subsequent_indent=indent,
                         break_long_words=False, break_on_hyphens=False, drop_whitespace=True)


def licence_lines(name):
    path = os.path.join(LICENCES, name)
    with open(path, encoding="ascii") as f:
        text = f.read()
    lines = []
    for line in text.split("\n"):
        line = line.expandtabs(8).replace("\f", "").rstrip()
        lines.extend(wrap(line))
    while lines and lines[-1] == "":
        lines.pop()
    return lines


def licence_collection(title, names):
    head = [
        title,
        "",
        "The licence texts below come from the folder " + LICENCES + ",",
        "where every Debian system keeps them. Each is the work of its publisher and",
        "is reproduced word for word, as licence texts are meant to travel with the",
        "software they cover; the GNU licences say so themselves: \"Everyone is",
        "permitted to copy and distribute verbatim copies of this license document,",
        "but changing it is not allowed.\" Only the layout is adapted so that Kelmoa",
        "can show them: TABs become spaces, page breaks are dropped, and the few",
        "lines longer than 80 characters are broken at a space.",
        "",
        "Contents:",
    ]
    head += ["  " + name for name in names]
    body = []
    for name in names:
        rule = "=" * 72
        body += ["", "", rule, "  " + name + "   (" + os.path.join(LICENCES, name) + ")", rule, ""]
        body += licence_lines(name)
    return head + body


def write(folder, name, lines):
    data = "".join(line + "\r\n" for line in lines).encode("cp932")
    for number, line in enumerate(lines, 1):
        if len(line.encode("cp932")) > MAX_BYTES:
            sys.exit(f"{name}: line {number} is longer than {MAX_BYTES} bytes")
    if len(lines) > MAX_LINES:
        sys.exit(f"{name}: {len(lines)} lines, more than {MAX_LINES}")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    print(f"{name}: {len(lines)} lines")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data", "txt_shift_jis")
    os.makedirs(folder, exist_ok=True)
    write(folder, "welcome.txt", WELCOME.rstrip("\n").split("\n"))
    write(folder, "gnu-general-public-license-3.txt",
          licence_collection("GNU General Public License, version 3", ["GPL-3"]))
    write(folder, "free-software-licences.txt",
          licence_collection("Free-software licences shipped with Debian",
                             ["GPL-3", "LGPL-3", "GPL-2", "LGPL-2.1", "GFDL-1.3", "Apache-2.0",
                              "MPL-2.0", "MPL-1.1", "Artistic"]))


if __name__ == "__main__":
    main()
