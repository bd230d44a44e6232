"""The copy benchmark's table: medians and ratios per data set and tool, the machine it
ran on, Swiftlet's own view of its copy phase and the system-call profile, as Markdown
and JSON."""
import json
import os
import statistics

# The tool every ratio is taken against: the first of these that ran on the data set.
REFERENCES = ("swiftlet-core", "swiftlet-exe", "copyfileex")


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
        "peak_rss_mib": max((r.get("rss_kib", 0) for r in ok), default=0) / 1024,
        "mb_s": ds.bytes / seconds / 1e6 if seconds and tool.verify else None,
        "files_s": ds.files / seconds if seconds and tool.verify else None,
    }
    own = [r["driver"] for r in ok if r.get("driver", {}).get("copy_ms") is not None]
    if own:
        copy_ms = _median([d["copy_ms"] for d in own])
        row["own_view"] = {
            "copy_s": copy_ms / 1000,
            "total_s": _median([d.get("total_ms") for d in own]) / 1000 if own[0].get("total_ms") is not None else None,
            "copy_mb_s": _median([d["bytes"] / d["copy_ms"] * 1000 / 1e6 for d in own if d.get("copy_ms")]),
            "pool_peak_mib": max((d.get("pool_peak", 0) for d in own), default=0) / 2**20,
            "pool_size_mib": max((d.get("pool_size", 0) for d in own), default=0) / 2**20,
        }
    return row


def build(info, results, left_out):
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
            r["profile"] = entry["profile"].get(r["tool"])
        rows.extend(set_rows)
    return {"machine": info, "rows": rows, "left_out": left_out}


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
               f"{'; quick mode (small sets)' if m['quick'] else ''}.")
    out += ["", "```", m["free_g"], "```", ""]
    ref_note = "time ÷ the Swiftlet engine's time on the same set (above 1: slower than Swiftlet)"
    out.append(f"Medians of the runs whose destination was byte-identical to the source. × Swiftlet: {ref_note}. "
               "CPU s is user+system of the copying process (for Wine tools the Wine server's own "
               "CPU is in the next column). MB/s counts 10^6 bytes.")
    out.append("")
    out.append("| data set | tool | median s | × Swiftlet | MB/s | files/s | CPU s | wineserver CPU s | peak RSS MiB | runs ok |")
    out.append("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in doc["rows"]:
        ok = r["runs"] - r["failed_runs"]
        runs = f"{ok}/{r['runs']}" + (" **FAILED**" if r["failed_runs"] else "")
        out.append(f"| {r['set']} | {r['label']} | {_fmt(r['median_s'], 3)} | {_fmt(r['ratio'])} | "
                   f"{_fmt(r['mb_s'], 1)} | {_fmt(r['files_s'], 0)} | {_fmt(r['cpu_s'])} | "
                   f"{_fmt(r['wineserver_cpu_s'])} | {_fmt(r['peak_rss_mib'], 1)} | {runs} |")
    refs = sorted({r["reference"] for r in doc["rows"] if r["reference"] and r["reference"] != "swiftlet-core"})
    if refs:
        out += ["", f"Where the Swiftlet engine did not run, ratios are against: {', '.join(refs)}."]

    own = [r for r in doc["rows"] if r.get("own_view")]
    if own:
        out += ["", "## Swiftlet's own view (from its events)", "",
                "| data set | tool | copy phase s | copy phase MB/s | whole job s | pool peak MiB | pool MiB |",
                "|---|---|---:|---:|---:|---:|---:|"]
        for r in own:
            v = r["own_view"]
            out.append(f"| {r['set']} | {r['tool']} | {_fmt(v['copy_s'], 3)} | {_fmt(v['copy_mb_s'], 1)} | "
                       f"{_fmt(v['total_s'], 3)} | {_fmt(v['pool_peak_mib'], 1)} | {_fmt(v['pool_size_mib'], 1)} |")

    prof = [r for r in doc["rows"] if r.get("profile")]
    if prof:
        out += ["", "## System calls per file under Wine (one extra traced run, not timed)", "",
                "| data set | tool | process calls/file | biggest (per file) | Wine server calls/file |",
                "|---|---|---:|---|---:|"]
        for r in prof:
            p = r["profile"]
            client = p.get("client", {})
            top = ", ".join(f"{k} {v}" for k, v in list(client.get("top_per_file", {}).items())[:5])
            server = p.get("server", {}).get("per_file")
            out.append(f"| {r['set']} | {r['tool']} | {_fmt(client.get('per_file'), 1)} | {top or p.get('error', '')} | "
                       f"{_fmt(server, 1)} |")

    failures = [r for r in doc["rows"] if r["failed_runs"]]
    if failures or doc["left_out"]:
        out += ["", "## Failures and tools left out", ""]
        for r in failures:
            out.append(f"- {r['set']} / {r['tool']}: {r['failed_runs']} of {r['runs']} runs failed: "
                       + "; ".join(r["problems"][:3]))
        for key, why in doc["left_out"].items():
            out.append(f"- {key} left out: {why}")
    return "\n".join(out) + "\n"


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
