#!/usr/bin/env python3
"""Writes bench/RESULTS.md from one run of bench/run_benchmarks.sh: the
start-up lines of startup_runner and the JSON of the Google Benchmark
programs, each figure beside its baseline from the same run, the ratio, and
the target it is held to."""
import argparse
import datetime
import json
import os
import platform
import re

UNIT = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def load_benchmarks(path):
    figures = {}
    with open(path, encoding="utf-8") as f:
        for b in json.load(f)["benchmarks"]:
            if b.get("error_occurred"):
                continue
            name = re.sub(r"/iterations:\d+|/min_time:[\d.]+", "", b["name"])
            b["us"] = b["real_time"] * UNIT[b["time_unit"]]
            figures[name] = b
    return figures


def load_startup(path):
    """STARTUP and RATIO lines of startup_runner: {label: {...}}, {label: {...}}."""
    result, ratios = {}, {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0] in ("STARTUP", "RATIO"):
                target = result if parts[0] == "STARTUP" else ratios
                target[parts[1]] = {k: float(v) for k, v in (p.split("=") for p in parts[2:])}
    return result, ratios


TRACE_LINE = re.compile(r"^startup-trace:\s+(-?[\d.]+) ms\s+([+-][\d.]+) ms\s+(.*)$")


def load_trace(path):
    """The steps of a --startup-trace run: [(step, ms since main, step's ms)]."""
    steps = []
    if not path or not os.path.exists(path):
        return steps
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = TRACE_LINE.match(line.strip())
            if m:
                steps.append((m.group(3), float(m.group(1)), float(m.group(2))))
    return steps


def machine():
    model = "unknown"
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return {
        "cpus": os.cpu_count(),
        "model": model,
        "kernel": f"{platform.system()} {platform.release()}",
        "load": open("/proc/loadavg", encoding="utf-8").read().split()[:3] if os.path.exists("/proc/loadavg") else [],
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
    }


def fmt_us(us):
    if us is None:
        return "n/a"
    if us >= 1000:
        return f"{us / 1000:.2f} ms"
    return f"{us:.2f} µs"


class Report:
    def __init__(self):
        self.rows = []

    def add(self, what, figure, baseline, target, met, figure_text=None, baseline_text=None):
        ratio = f"{figure / baseline:.2f}×" if figure is not None and baseline else "–"
        verdict = "–" if met is None else ("met" if met else "**missed**")
        self.rows.append((what, figure_text or fmt_us(figure), baseline_text or fmt_us(baseline), ratio, target, verdict))


def main():
    p = argparse.ArgumentParser()
    for name in ("startup", "ops", "engine", "data", "display", "out"):
        p.add_argument("--" + name, required=True)
    p.add_argument("--trace")
    p.add_argument("--trace-1m")
    a = p.parse_args()
    s, paired = load_startup(a.startup)
    ops = load_benchmarks(a.ops)
    eng = load_benchmarks(a.engine)
    dat = load_benchmarks(a.data)
    r = Report()

    def us(table, name):
        return table[name]["us"] if name in table else None

    def within(figure, baseline, factor):
        return None if figure is None or not baseline else figure <= factor * baseline

    bare = s.get("bare")
    for label, factor, title in (("program_13k", 1.3, "bundled database (13,053 rows)"),
                                 ("program_1m", 3.0, "1,000,000-row database")):
        run = s.get(label)
        if not run or not bare:
            continue
        def spread(x):
            return f"{x['median_ms']:.1f} ms ({x['min_ms']:.1f}–{x['max_ms']:.1f})"
        r.add(f"Start-up to first paint, {title}: median (min–max) over {int(run.get('runs', 0))} interleaved runs",
              run["median_ms"] * 1e3, bare["median_ms"] * 1e3, f"≤ {factor}× bare window",
              run["median_ms"] <= factor * bare["median_ms"], spread(run), spread(bare))
        ratio = paired.get(label)
        if ratio:
            r.add(f"Start-up to first paint, {title}: ratio run by run against the bare window's run of the same "
                  "round, median (min–max)", None, None, f"≤ {factor}×", ratio["median"] <= factor,
                  f"{ratio['median']:.2f}× ({ratio['min']:.2f}–{ratio['max']:.2f}×)", "–")
        r.add(f"Start-up to first paint, {title}, fastest run", run["min_ms"] * 1e3, bare["min_ms"] * 1e3,
              "report (less sensitive to other load)", None)
        r.add(f"Peak memory, {title}", run["median_rss_kb"], bare["median_rss_kb"], "≤ 1.5× bare window",
              run["median_rss_kb"] <= 1.5 * bare["median_rss_kb"],
              f"{run['median_rss_kb'] / 1024:.1f} MiB", f"{bare['median_rss_kb'] / 1024:.1f} MiB")

    f, b = us(ops, "BM_OpenSixTables_Table"), us(ops, "BM_OpenSixTables_Raw")
    r.add("Open the six tables (bundled file)", f, b, "report", None)
    for m, rows in ((0, "13k"), (1, "1M")):
        f, b = us(ops, f"BM_Next_Table/million:{m}"), us(ops, f"BM_Next_Raw/million:{m}")
        ok = within(f, b, 2.0)
        target = "≤ 2× raw"
        if m == 1:
            target += ", ≤ 20 µs"
            ok = None if ok is None else (ok and f <= 20)
        r.add(f"Next, record buffer filled, {rows}", f, b, target, ok)
    kinds = {0: "selective prefix", 1: "prefix matching far down", 2: "prefix matching nothing"}
    for m, rows in ((0, "13k"), (1, "1M")):
        for k, kind in kinds.items():
            f = us(ops, f"BM_Locate_Table/million:{m}/prefix:{k}")
            b = us(ops, f"BM_Locate_Raw/million:{m}/prefix:{k}")
            target, ok = "report", None
            if m == 1:
                target, ok = "≤ 10 ms", (None if f is None else f <= 10_000)
                if k == 0:
                    target, ok = "≤ 50 µs", (None if f is None else f <= 50)
            r.add(f"Locate (search box), {kind}, {rows}", f, b, target, ok)
    for m, rows in ((0, "13k"), (1, "1M")):
        b = us(ops, f"BM_RecordCount_Raw/million:{m}")
        r.add(f"RecordCount cached, {rows}", us(ops, f"BM_RecordCountCached_Table/million:{m}"), b, "report", None)
        r.add(f"RecordCount uncached, {rows}", us(ops, f"BM_RecordCountUncached_Table/million:{m}"), b, "report", None)
    post = ops.get("BM_Post_Table")
    normal = ops.get("BM_Post_Raw/full_sync:0")
    full = ops.get("BM_Post_Raw/full_sync:1")
    same = ops.get("BM_Post_Raw/full_sync:2")
    if post and same:
        # The engine commits with WAL and synchronous=FULL and then copies the
        # log into the database file: a post is in the file itself when
        # Update returns, so it is set against raw SQLite doing the same.
        r.add("One post, in the database file, p99 (engine: WAL, synchronous=FULL, checkpoint)", post["p99_us"],
              same["p99_us"], "≤ 1.5× raw p99", post["p99_us"] <= 1.5 * same["p99_us"])
        r.add("One post, in the database file, p50 (same)", post["p50_us"], same["p50_us"], "report", None)
    if post and full:
        r.add("One post, p99, against raw SQLite leaving it in the log (synchronous=FULL, no checkpoint)",
              post["p99_us"], full["p99_us"], "report", None)
    if post and normal:
        r.add("One post, p99, against raw SQLite without a sync per commit (synchronous=NORMAL)", post["p99_us"],
              normal["p99_us"], "report", None)

    for what, e, raw, factor in (
            ("Engine: open the 13k table", "BM_Open_Engine", "BM_Open_Raw", 2.0),
            ("Engine: MoveNext over every row, every field", "BM_ReadAllRows_Engine", "BM_ReadAllRows_Raw", 2.0),
            ("Engine: FindFirst, prefix of the last row, 13k", "BM_FindFirstIndexed_Engine", "BM_FindFirstIndexed_Raw", 2.0),
            ("Engine: FindFirst, 13k, no index", "BM_FindFirstScan_Engine", "BM_FindFirstScan_Raw", None),
            ("Engine: one Edit + Update, against raw SQLite as durable (WAL, synchronous=FULL)",
             "BM_EditUpdate_Engine", "BM_EditUpdate_Raw/full_sync:1", 2.0),
            ("Engine: one Edit + Update, against raw SQLite without a sync per commit (synchronous=NORMAL)",
             "BM_EditUpdate_Engine", "BM_EditUpdate_Raw/full_sync:0", None),
            ("Engine: FindFirst of a prefix, 1M", "BM_FindFirstMillion_Engine", "BM_FindFirstMillion_Raw", 2.0)):
        f, b = us(eng, e), us(eng, raw)
        r.add(what, f, b, f"≤ {factor}× raw" if factor else "report", within(f, b, factor) if factor else None)
    for rows, tag in (("13k", "13k"), ("1M", "1M")):
        f, b = us(dat, f"BM_Locate{tag}_Table"), us(dat, f"BM_Locate{tag}_Engine")
        r.add(f"Data layer: Locate against the engine's FindFirst, {rows}", f, b, "≤ 1.5× FindFirst", within(f, b, 1.5))

    m = machine()
    lines = [
        "# Performance report",
        "",
        "Written by `bench/run_benchmarks.sh`; every figure and its baseline come from the same run.",
        "",
        f"- Machine: {m['cpus']} CPUs, {m['model']}, {m['kernel']}",
        f"- Date: {m['date']}; load average at the end of the run: {' '.join(m['load'])} "
        "(other work on the machine inflates wall-clock figures; each figure and its baseline run seconds apart in one process)",
        f"- Display: {a.display}",
        "- Start-up: median over the runs of the time from just before the process starts to the end of the main "
        "window's first paint; peak memory is the process's maximum resident set size (median).",
        "- Baselines: the bare window (bench/startup/bare_window.cpp) for start-up; raw SQLite on the same file for "
        "the operations; the engine's own FindFirst for the data layer's Locate.",
        "",
        "| Operation | Figure | Baseline | Ratio | Target | Verdict |",
        "|---|---|---|---|---|---|",
    ]
    lines += [f"| {' | '.join(row)} |" for row in r.rows]
    traces = [(t, load_trace(path)) for t, path in (("bundled database", a.trace), ("1,000,000 rows", a.trace_1m))]
    traces = [(t, steps) for t, steps in traces if steps]
    if traces:
        lines += ["", "## Where the start-up goes",
                  "",
                  "One run of the program with `--startup-trace` per database (milliseconds; a single run, so "
                  "noisier than the medians above). The first step is the kernel's process start to `main`, to "
                  "the clock tick.",
                  "",
                  "| Step | " + " | ".join(t for t, _ in traces) + " |",
                  "|---|" + "---|" * len(traces)]
        names = [name for name, _, _ in traces[0][1]]
        for name in names:
            cells = []
            for _, steps in traces:
                took = next((d for n, _, d in steps if n == name), None)
                cells.append("–" if took is None else f"{took:.2f}")
            lines.append(f"| {name} | " + " | ".join(cells) + " |")
    with open(a.out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
