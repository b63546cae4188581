#!/usr/bin/env python3
"""Prints the benchmark cases with their floors, ratios and targets (medians of the runs)."""
import json
import sys


def medians(paths):
    result = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("aggregate_name") == "median" or b.get("run_type") == "iteration":
                    name = b["run_name"]
                    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
                    counters = {k: v for k, v in b.items() if isinstance(v, (int, float))}
                    if name not in result or b.get("aggregate_name") == "median":
                        result[name] = (b["real_time"] * scale, counters)
    return result


def main():
    m = medians(sys.argv[1:])
    ms = lambda name: m[name][0] if name in m else float("nan")
    rows = []

    def ratio_row(case, name, floor_name, target):
        t, f = ms(name), ms(floor_name)
        r = t / f
        rows.append((case, f"{t:.2f} ms", f"{f:.2f} ms", f"{r:.2f}x", f"<= {target}x",
                     "ok" if r <= target else "MISSED"))

    ratio_row("1 load default dictionary", "BM_DefaultDicLoad", "BM_DefaultDicFloorReadDecode", 3)
    ratio_row("1 load 100,000 entries, sorted", "BM_DicLoad/shuffled:0",
              "BM_DicFloorReadDecode/shuffled:0", 3)
    ratio_row("1 load 100,000 entries, shuffled", "BM_DicLoad/shuffled:1",
              "BM_DicFloorReadDecode/shuffled:1", 6)
    ratio_row("2 open a 9000-line text", "BM_OpenText", "BM_OpenTextFloorReadDecode", 5)

    same = ms("BM_PointerMoveSameWord") * 1000
    allocs = m.get("BM_PointerMoveSameWord", (0, {}))[1].get("allocs_per_move", float("nan"))
    rows.append(("3 pointer move inside a word", f"{same:.3f} us", "-", f"{allocs:g} allocs",
                 "<= 2 us, 0 allocs", "ok" if same <= 2 and allocs == 0 else "MISSED"))
    new = ms("BM_PointerMoveNewWord")
    rows.append(("3 pointer move onto a new word", f"{new * 1000:.1f} us", "-", "-", "<= 1 ms",
                 "ok" if new <= 1 else "MISSED"))
    redraw = ms("BM_PageRedraw")
    rows.append(("4 page redraw, 12.75 pt", f"{redraw:.2f} ms", "-", "-", "<= 4 ms",
                 "ok" if redraw <= 4 else "MISSED"))
    change, floor, info = (ms("BM_DictionaryChange"), ms("BM_DictionaryChangeFloorWriteSync"),
                           ms("BM_WordInformation"))
    limit = 2 * floor + info
    rows.append(("5 one dictionary change", f"{change:.2f} ms", f"{floor:.2f} ms write+sync",
                 f"{(change - info) / floor:.2f}x + word info {info:.2f} ms",
                 f"<= {limit:.2f} ms", "ok" if change <= limit else "MISSED"))
    mem = m.get("BM_Memory/iterations:1", (0, {}))[1]
    over = mem.get("over_MiB", float("nan"))
    rows.append(("6 peak memory over a bare Qt window", f"{mem.get('loaded_MiB', 0):.1f} MiB",
                 f"{mem.get('bare_MiB', 0):.1f} MiB bare", f"+{over:.1f} MiB", "<= +32 MiB",
                 "ok" if over <= 32 else "MISSED"))

    shapes = ["one line of words", "line ends only", "paragraphs on a line each"]
    for shape, name in enumerate(shapes):
        run = f"BM_Prepare64MiB/shape:{shape}/iterations:1"
        t = ms(run) / 1000
        counters = m.get(run, (0, {}))[1]
        peak, parts = counters.get("peak_MiB", float("nan")), counters.get("parts", float("nan"))
        outcome = f"{parts:g} parts" if parts > 0 else "refused: over 100 parts"
        rows.append((f"7 prepare 64 MiB, {name}", f"{t:.2f} s", f"peak {peak:.0f} MiB", outcome,
                     "<= 10 s, <= 1024 MiB", "ok" if t <= 10 and peak <= 1024 else "MISSED"))

    def word_list_row(case, name, floor_name, floor_what, target_ms):
        t = ms(name)
        floor = f"{ms(floor_name):.2f} ms {floor_what}" if floor_name else "-"
        rows.append((case, f"{t:.2f} ms", floor, "-", f"<= {target_ms} ms",
                     "ok" if t <= target_ms else "MISSED"))

    word_list_row("8 open 単語帳, 100,000 words", "BM_WordListOpen/iterations:2",
                  "BM_WordListOpenFloorRead/iterations:2", "reading the list", 300)
    wl_mem = m.get("BM_WordListMemory/iterations:1", (0, {}))[1]
    wl_over = wl_mem.get("over_MiB", float("nan"))
    rows.append(("8 peak memory of opening 単語帳", f"+{wl_over:.1f} MiB",
                 f"+{wl_mem.get('read_over_MiB', float('nan')):.1f} MiB reading the list", "-",
                 "<= +100 MiB", "ok" if wl_over <= 100 else "MISSED"))
    word_list_row("8 a key typed into its filter", "BM_WordListFilterKey", None, "", 50)
    word_list_row("8 the filter cleared", "BM_WordListFilterClear", None, "", 50)
    word_list_row("8 a middle click while it shows", "BM_WordListCapture",
                  "BM_WordListCaptureFloorAdd", "adding the word", 50)

    head = ("case", "median", "floor", "ratio", "target", "")
    widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(len(head))]
    for r in [head] + rows:
        print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())


if __name__ == "__main__":
    main()
