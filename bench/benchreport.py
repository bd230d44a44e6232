"""The copy benchmark's table: medians and ratios per data set and tool, the machine it
ran on, Swiftlet's own view of its copy phase and the system-call profile, as Markdown
and JSON."""
import json
import os
import statistics

# The tool every ratio is taken against: the first of these that ran on the data set.
REFERENCES = ("swiftlet-core", "swiftlet-exe", "copyfileex")
# The peer a Windows user would otherwise have: every time is also given as a multiple of it.
PEER = "copyfileex"


def _median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def _row(ds, tool, runs):
    ok = [r for r in runs if r["ok"]]
    seconds = _median([r["wall"] for r in ok])
    row = {
        "set": ds.name, "set_label": ds.label, "files": ds.files, "bytes": ds.bytes,
        "tool": tool.key, "label": tool.label, "wine": tool.wine,
        "runs": len(runs), "failed_runs": len(runs) - len(ok),
        "problems": [p for r in runs for p in r["problems"]][:5],
        "median_s": seconds,
        "all_s": [round(r["wall"], 4) for r in runs],
        "cpu_s": _median([r["cpu"] for r in ok]),
        "wineserver_cpu_s": _median([r.get("wineserver_cpu") for r in ok]) if tool.wine else None,
        "vcsw": _median([r.get("vcsw") for r in ok]),
        "vcsw_per_file": None,
        "peak_rss_mib": max((r.get("rss_kib", 0) for r in ok), default=0) / 1024,
        "mb_s": ds.bytes / seconds / 1e6 if seconds and tool.verify else None,
        "files_s": ds.files / seconds if seconds and tool.verify else None,
    }
    if row["vcsw"] is not None and ds.files and tool.verify:
        row["vcsw_per_file"] = row["vcsw"] / ds.files
    own = [r["driver"] for r in ok if r.get("driver", {}).get("copy_ms") is not None]
    if own:
        def med(key, scale=1.0):
            values = [d[key] * scale for d in own if key in d and d[key] >= 0]
            return _median(values)

        peaks = [d["pool_peak"] for d in own if "pool_peak" in d]
        row["own_view"] = {
            "build_s": med("build_s"),
            "find_s": _median([d["find_end_s"] - d["find_begin_s"] for d in own
                               if d.get("find_end_s", -1) >= 0 and d.get("find_begin_s", -1) >= 0]),
            "copy_s": med("copy_ms", 1e-3),
            "total_s": med("total_ms", 1e-3),
            "copy_mb_s": _median([d["bytes"] / d["copy_ms"] * 1000 / 1e6 for d in own if d.get("copy_ms")]),
            "pool_size_mib": med("pool_size", 2**-20),
            "pool_peak_mib": max(peaks) / 2**20 if peaks else None,
        }
    return row


def build(info, results, left_out, profile=(), libraries=()):
    rows = []
    for entry in results:
        ds = entry["set"]
        set_rows = [_row(ds, t, entry["runs"][t.key]) for t in entry["tools"]]
        by_key = {r["tool"]: r for r in set_rows}
        ref = next((k for k in REFERENCES if by_key.get(k) and by_key[k]["median_s"]), None)
        for r in set_rows:
            r["reference"] = ref
            base = by_key[ref]["median_s"] if ref else None
            r["ratio"] = r["median_s"] / base if base and r["median_s"] and r["files_s"] is not None else None
            peer = by_key[PEER]["median_s"] if by_key.get(PEER) else None
            r["ratio_peer"] = r["median_s"] / peer if peer and r["median_s"] and r["files_s"] is not None else None
        rows.extend(set_rows)
    return {"machine": info, "rows": rows, "left_out": left_out, "profile": list(profile),
            "libraries": list(libraries)}


def _fmt(value, digits=2):
    if value is None:
        return "—"
    if isinstance(value, float):
        if value >= 1000:
            return f"{value:,.0f}"
        return f"{value:.{digits}f}"
    return str(value)


def markdown(doc):
    m = doc["machine"]
    out = [f"# Copy benchmark, {m['date']}", ""]
    out.append(f"Machine: {m['host']}, {m['nproc']} cores ({m['cpu']}), kernel {m['kernel']}, {m['wine']}, "
               f"commit {m['commit']}. {m['runs']} run(s) per tool, alternating; page cache "
               f"{'dropped' if m['page_cache_dropped'] else 'NOT dropped'} before every run; "
               f"load average {m['load_before']:.1f} before, {m.get('load_after', 0):.1f} after"
               f"{'; quick mode (small sets)' if m['quick'] else ''}. "
               f"Wine's desktop process {'held open for the whole run (as a user session has it)' if m.get('desktop_held') else 'NOT held open'}; "
               f"Swiftlet's disk cache service {'installed and running' if m.get('service_running') else 'NOT running (each Swiftlet job waits about 1 s for it)'}.")
    out += ["", "```", m["free_g"], "```", ""]
    ref_note = "time ÷ the Swiftlet engine's time on the same set (above 1: slower than Swiftlet)"
    out.append(f"Medians of the runs whose destination was byte-identical to the source. × Swiftlet: {ref_note}. "
               "CPU s is user+system of the copying process (for Wine tools the Wine server's own "
               "CPU is in the next column). MB/s counts 10^6 bytes.")
    out[-1] += " × CopyFileExW: time ÷ Wine's CopyFileExW driver's time on the same set."
    if m.get("baseline"):
        out[-1] += (f" \"{m['baseline']}\" rows are another build of the program measured in the same "
                    "runs, alternating with this one.")
    out.append("")
    out.append("| data set | tool | median s | × Swiftlet | × CopyFileExW | MB/s | files/s | CPU s | wineserver CPU s | switches/file | peak RSS MiB | runs ok |")
    out.append("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in doc["rows"]:
        ok = r["runs"] - r["failed_runs"]
        runs = f"{ok}/{r['runs']}" + (" **FAILED**" if r["failed_runs"] else "")
        out.append(f"| {r['set']} | {r['label']} | {_fmt(r['median_s'], 3)} | {_fmt(r['ratio'])} | "
                   f"{_fmt(r.get('ratio_peer'))} | {_fmt(r['mb_s'], 1)} | {_fmt(r['files_s'], 0)} | {_fmt(r['cpu_s'])} | "
                   f"{_fmt(r['wineserver_cpu_s'])} | {_fmt(r['vcsw_per_file'], 1)} | {_fmt(r['peak_rss_mib'], 1)} | {runs} |")
    refs = sorted({r["reference"] for r in doc["rows"] if r["reference"] and r["reference"] != "swiftlet-core"})
    if refs:
        out += ["", f"Where the Swiftlet engine did not run, ratios are against: {', '.join(refs)}."]

    own = [r for r in doc["rows"] if r.get("own_view")]
    if own:
        out += ["", "## Swiftlet's own view (from its events)", "",
                "Building the job is the destination probe before the job starts; the find step runs "
                "from event 2050 to 2051; the copy phase and the whole job (2000 to 2001) are the "
                "times the algorithm reports at its end; MB/s is the set's bytes over the copy phase.", "",
                "| data set | tool | building the job s | find step s | copy phase s | copy phase MB/s | whole job s | pool MiB | pool peak MiB |",
                "|---|---|---:|---:|---:|---:|---:|---:|---:|"]
        for r in own:
            v = r["own_view"]
            out.append(f"| {r['set']} | {r['tool']} | {_fmt(v['build_s'], 3)} | {_fmt(v['find_s'], 3)} | "
                       f"{_fmt(v['copy_s'], 3)} | {_fmt(v['copy_mb_s'], 1)} | {_fmt(v['total_s'], 3)} | "
                       f"{_fmt(v['pool_size_mib'], 1)} | {_fmt(v['pool_peak_mib'], 1)} |")

    if doc.get("libraries"):
        out += _libraries_markdown(doc["libraries"])

    if doc.get("profile"):
        out += _profile_markdown(doc["profile"])

    failures = [r for r in doc["rows"] if r["failed_runs"]]
    if failures or doc["left_out"]:
        out += ["", "## Failures and tools left out", ""]
        for r in failures:
            out.append(f"- {r['set']} / {r['tool']}: {r['failed_runs']} of {r['runs']} runs failed: "
                       + "; ".join(r["problems"][:3]))
        for key, why in doc["left_out"].items():
            out.append(f"- {key} left out: {why}")
    return "\n".join(out) + "\n"


BARE = "wine-start"


def _libraries_markdown(libraries):
    """What each Wine tool's process maps for a job of one small file."""
    bare = next((set(p["libraries"]) for p in libraries if p["tool"] == BARE), set())
    out = ["", "## Libraries each process maps for a job of one small file (untimed run, Wine's +loaddll trace)", "",
           "Every library the tool's own process loaded, by file name; the last column leaves out "
           "those a bare Wine process (" + BARE + ") loads too. With a cold page cache, reading "
           "these from disk is most of a one-file job's time.", "",
           "| data set | tool | libraries | beyond a bare Wine process |",
           "|---|---|---:|---|"]
    for p in libraries:
        beyond = [n for n in p["libraries"] if n not in bare]
        note = "" if not p.get("exit") else f" (exit {p['exit']})"
        out.append(f"| {p['set']} | {p['label']}{note} | {len(p['libraries'])} | {', '.join(beyond) or '—'} |")
    return out


def _per_file(p, side):
    return p.get(side, {}).get("per_file")


def _profile_markdown(profile):
    """The traced runs: the engine against CopyFileExW per data set, then every tool."""
    out = ["", "## What each further file costs under Wine (traced runs, not timed)", "",
           "Per data set, a traced copy of a set of like files (the set itself, or the part of it "
           "named in brackets), less a one-file job of the same tool: what each further file "
           "costs (for a set of one large file, what that file costs beyond a 4 KiB one). Nt "
           "calls are calls into ntdll's system-call layer (Wine's relay trace; the Zw names "
           "count too); server requests are the writes on the process's Wine server request "
           "pipe (strace), one per request.", "",
           "| data set | engine Nt calls/file | CopyFileExW Nt calls/file | engine server requests/file | CopyFileExW server requests/file |",
           "|---|---:|---:|---:|---:|"]
    by_set = {}
    for p in profile:
        by_set.setdefault(p["set"], {})[p["tool"]] = p
    for name, tools in by_set.items():
        engine, peer = tools.get("swiftlet-core", {}), tools.get("copyfileex", {})
        traced = next((p.get("traced_set") for p in tools.values() if p.get("traced_set")), name)
        label = name if traced == name else f"{name} ({traced})"
        out.append(f"| {label} | {_fmt(_per_file(engine, 'nt'), 1)} | {_fmt(_per_file(peer, 'nt'), 1)} | "
                   f"{_fmt(_per_file(engine, 'requests'), 1)} | {_fmt(_per_file(peer, 'requests'), 1)} |")
    out += ["", "Every traced tool: Linux system calls of the Windows process (all its threads) and of "
            "the Wine server, and the biggest Nt calls, per further file.", "",
            "| data set | tool | Nt calls/file | server requests/file | process calls/file | Wine server calls/file | biggest Nt calls (per file) |",
            "|---|---|---:|---:|---:|---:|---|"]
    for p in profile:
        nt = p.get("nt", {})
        top = ", ".join(f"{k} {v}" for k, v in list(nt.get("top_per_file", {}).items())[:6])
        note = p.get("error") or (f"exit {p['exit']}" if p.get("exit") else "")
        label = p["set"] if p.get("traced_set", p["set"]) == p["set"] else f"{p['set']} ({p['traced_set']})"
        out.append(f"| {label} | {p['tool']} | {_fmt(_per_file(p, 'nt'), 1)} | {_fmt(_per_file(p, 'requests'), 1)} | "
                   f"{_fmt(_per_file(p, 'client'), 1)} | {_fmt(_per_file(p, 'server'), 1)} | {top or note} |")
    return out


def write(doc, folder):
    os.makedirs(folder, exist_ok=True)
    stamp = doc["machine"]["date"][:16].replace(":", "").replace("T", "-")
    md = os.path.join(folder, f"copy-{stamp}.md")
    js = os.path.join(folder, f"copy-{stamp}.json")
    with open(md, "w") as f:
        f.write(markdown(doc))
    with open(js, "w") as f:
        json.dump(doc, f, indent=1, default=str)
        f.write("\n")
    return [md, js]
