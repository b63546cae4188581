#!/usr/bin/env python3
"""Checks the files of data/core_vocabulary before the import reads them.

    python3 scripts/check-core-vocabulary.py [--phrases] [FILE...]

Without FILE it checks every file of the folder. With --phrases it checks the phrase table of
data/phrases instead, whose entries are phrases of 2 to 6 words separated by single spaces. A line is: the word (lower case letters, an
apostrophe inside at most), TAB, 1 to 3 senses separated by TABs (5 for a word written in full),
then optionally the field "only". A sense starts with its part of speech or with the form it
is of (【名】, 【他】, 【sayの過去】 ...), fits 48 bytes in CP932 and holds no character CP932
lacks. A word appears once in the whole folder. Prints each fault as FILE:LINE: what; exits 1
when there is one.
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDER = os.path.join(ROOT, "data", "core_vocabulary")
TAGS = {"名", "動", "他", "自", "形", "副", "代", "前", "接", "間", "助動", "冠", "数", "句"}
FORM = re.compile(r"^【[a-z' ]+の(複数|過去|過去分詞|過去・過去分詞|現在分詞|三単現|現在|比較級|最上級|短縮)】")
WORD = re.compile(r"^[a-z][a-z]*(?:'[a-z]+)?[a-z]*$")
PHRASE = re.compile(r"^[a-z']+(?: [a-z']+){1,5}$")
PHRASES = os.path.join(ROOT, "data", "phrases")
MAX_BYTES = 48


def check(path, seen, phrases=False):
    faults = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, start=1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            where = f"{os.path.relpath(path, ROOT)}:{number}"
            fields = line.split("\t")
            word, senses = fields[0], fields[1:]
            only = bool(senses) and senses[-1] == "only"
            if only:
                senses = senses[:-1]
            if phrases:
                if not PHRASE.match(word):
                    faults.append(f"{where}: {word!r} is not 2 to 6 lower-case words")
            elif not WORD.match(word) or len(word) < 2:
                faults.append(f"{where}: the word {word!r} is not lower-case letters, two or more")
            if word in seen:
                faults.append(f"{where}: {word} is written already at {seen[word]}")
            seen.setdefault(word, where)
            if not 1 <= len(senses) <= (5 if only else 3):
                faults.append(f"{where}: {word} has {len(senses)} senses")
            for sense in senses:
                try:
                    size = len(sense.encode("cp932"))
                except UnicodeEncodeError as e:
                    faults.append(f"{where}: {sense!r} holds {sense[e.start]!r}, which CP932 lacks")
                    continue
                if size > MAX_BYTES:
                    faults.append(f"{where}: {sense!r} is {size} bytes, more than {MAX_BYTES}")
                tag = re.match(r"^【([^】]*)】", sense)
                if not tag or (tag.group(1) not in TAGS and not FORM.match(sense)):
                    if not only:
                        faults.append(f"{where}: {sense!r} does not start with a part of speech")
                elif len(sense) == len(tag.group(0)):
                    faults.append(f"{where}: {sense!r} is a part of speech without a sense")
    return faults


def main():
    args = sys.argv[1:]
    phrases = "--phrases" in args
    args = [a for a in args if a != "--phrases"]
    folder = PHRASES if phrases else FOLDER
    paths = args or [os.path.join(folder, n) for n in sorted(os.listdir(folder))
                     if n.endswith(".txt")]
    seen = {}
    if args:
        # Words of the other files count as written already.
        for name in sorted(os.listdir(folder)):
            other = os.path.join(folder, name)
            if name.endswith(".txt") and os.path.abspath(other) not in map(os.path.abspath, paths):
                check(other, seen, phrases)
    faults = [f for p in paths for f in check(p, seen, phrases)]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
