#!/usr/bin/env python3
"""Lists the lemmas the core vocabulary covers, most frequent first, as work for its writers.

    python3 scripts/core-vocabulary-worklist.py DIC FIRST LAST [--tool PATH] > worklist.txt

A lemma's count is the sum of the counts in data/word_frequency.txt of the forms that reach it:
itself, its regular forms (plurals, third persons, past tenses, -ing forms, comparatives) and
WordNet's irregular forms. A form that is a WordNet lemma of its own as well (used, left,
glasses) counts for both. FIRST and LAST are 1-based ranks of that lemma list.

For each lemma the list gives its rank, count, WordNet classes, its forms met in the frequency
list, the other lemma it is also a form of (said: say), forms that DIC holds as head words of
their own (minutes: 議事録), and the first lines DIC's popup shows today. kelmoa-tool (by
default build/stage/bin/kelmoa-tool) reads DIC.
"""

import argparse
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORDNET = "/usr/share/wordnet"
CLASSES = {"noun": "n", "verb": "v", "adj": "a", "adv": "r"}


def read_frequency():
    counts = {}
    with open(os.path.join(ROOT, "data", "word_frequency.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                continue
            word, count = line.rstrip("\n").split("\t")
            counts[word] = int(count)
    return counts


def read_closed_words():
    """Words the core vocabulary gives in full already (lines ending in the field "only")."""
    words = {}
    folder = os.path.join(ROOT, "data", "core_vocabulary")
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for line in f:
                if line.strip() and not line.startswith("#"):
                    fields = line.rstrip("\n").split("\t")
                    words[fields[0]] = fields[-1] == "only"
    return words


def read_wordnet():
    lemmas = {}  # lemma -> set of class letters
    irregular = {}  # form -> set of (base, class)
    for kind, letter in CLASSES.items():
        with open(os.path.join(WORDNET, "index." + kind), encoding="latin-1") as f:
            for line in f:
                if not line.startswith(" "):
                    lemma = line.split(" ", 1)[0]
                    if re.match(r"^[a-z]+(?:'[a-z]+)?$", lemma):
                        lemmas.setdefault(lemma, set()).add(letter)
        with open(os.path.join(WORDNET, kind + ".exc"), encoding="latin-1") as f:
            for line in f:
                form, *bases = line.split()
                for base in bases:
                    irregular.setdefault(form, set()).add((base, letter))
    return lemmas, irregular


def regular_bases(form, lemmas):
    """The lemmas form is a regular inflection of (WordNet's morphology rules, with doubled
    consonants), other than form itself."""
    rules = {
        "n": [("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"),
              ("shes", "sh"), ("men", "man"), ("ies", "y"), ("oes", "o")],
        "v": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
              ("ing", "e"), ("ing", ""), ("ied", "y"), ("ying", "ie")],
        "a": [("er", ""), ("est", ""), ("er", "e"), ("est", "e"), ("ier", "y"), ("iest", "y")],
    }
    out = []
    for letter, pairs in rules.items():
        for end, repl in pairs:
            if form.endswith(end) and len(form) > len(end) + 1:
                stem = form[: len(form) - len(end)]
                for base in (stem + repl,) + ((stem[:-1],) if repl == "" and len(stem) > 2 and
                                              stem[-1] == stem[-2] else ()):
                    if len(base) > 2 and base != form and letter in lemmas.get(base, ()) and base not in out:
                        out.append(base)
    return out


def lemma_list(counts, lemmas, irregular, closed):
    totals, forms_of, also_form_of = {}, {}, {}
    for form, count in counts.items():
        # An irregular form (was) or a word written in full (its) is no regular form of
        # anything: "wa" and "it" are not their bases.
        regular = form not in irregular and not closed.get(form)
        bases = regular_bases(form, lemmas) if regular else []
        bases += [b for b, _ in sorted(irregular.get(form, ())) if b not in bases and b != form]
        own = form in lemmas or form in closed or not bases
        for base in bases:
            totals[base] = totals.get(base, 0) + count
            forms_of.setdefault(base, []).append(form)
        if own:
            totals[form] = totals.get(form, 0) + count
            if bases:
                also_form_of[form] = bases
    ranked = sorted(totals.items(), key=lambda wc: (-wc[1], wc[0]))
    return ranked, forms_of, also_form_of


def popups(tool, dic, words):
    """word -> (matched form, [popup lines]) from kelmoa-tool meaning."""
    out = {}
    for start in range(0, len(words), 500):
        chunk = words[start : start + 500]
        text = subprocess.run([tool, "meaning", dic, *chunk], check=True, capture_output=True,
                              text=True).stdout
        current = None
        for line in text.split("\n"):
            if not line:
                continue
            if line.startswith("\t"):
                out[current][1].append(line[1:])
            else:
                word, _, matched = line.split("\t")
                current = word
                out[word] = (matched, [])
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dic")
    parser.add_argument("first", type=int)
    parser.add_argument("last", type=int)
    parser.add_argument("--tool", default=os.path.join(ROOT, "build/stage/bin/kelmoa-tool"))
    args = parser.parse_args()
    counts = read_frequency()
    lemmas, irregular = read_wordnet()
    closed = read_closed_words()
    ranked, forms_of, also_form_of = lemma_list(counts, lemmas, irregular, closed)
    chosen = ranked[args.first - 1 : args.last]
    words = [w for w, _ in chosen]
    form_words = sorted({f for w in words for f in forms_of.get(w, []) if f != w})
    shown = popups(args.tool, args.dic, words + form_words)
    for rank, (word, count) in enumerate(chosen, start=args.first):
        if closed.get(word):
            print(f"{rank}\t{word}\t(written in full already)")
            continue
        if word in closed:
            print(f"{rank}\t{word}\t(written already)")
            continue
        classes = "".join(sorted(lemmas.get(word, ()))) or "-"
        forms = sorted(forms_of.get(word, []), key=lambda f: -counts[f])
        print(f"{rank}\t{word}\tcount {count}\tclasses {classes}")
        if forms:
            print("\tforms: " + ", ".join(f"{f} {counts[f]}" for f in forms[:8]))
        if word in also_form_of:
            print("\talso a form of: " + ", ".join(also_form_of[word]))
        # Irregular forms the import labels itself (went: 【goの過去】...) need no decision.
        own_forms = [f for f in forms if f in shown and shown[f][0] == f and shown[f][1] and
                     not shown[f][1][0][1:].startswith(f"【{word}の")]
        for f in own_forms[:4]:
            print(f"\tform with its own entry: {f}: " + " ".join(shown[f][1][:2]))
        if word in shown and shown[word][1]:
            matched = shown[word][0]
            via = "" if matched == word else f" (through {matched})"
            print(f"\tnow{via}: " + " ".join(shown[word][1][:3]))


if __name__ == "__main__":
    sys.exit(main())
