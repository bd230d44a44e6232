"""Copy speed of Swiftlet against the copiers a user would use instead, in one run.

For each data set every tool copies the source to an empty destination, in alternating
runs (A B C A B C ...), with the page cache dropped before each run when we are root.
Each run is timed by /usr/bin/time -v, and its destination must be byte-identical to the
source or the run counts as failed. Medians, ratios and the machine go into one table,
printed and written as Markdown and JSON.

Started by bench/copy.sh, which builds the drivers and prepares Wine; the environment
says where everything is (see the variables read in Context).
"""
import datetime
import json
import os
import platform
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import benchdata  # noqa: E402
import benchprofile  # noqa: E402
import benchreport  # noqa: E402
import benchsession  # noqa: E402


def winpath(path):
    """Unix path to the Z: path Wine shows for it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Context:
    def __init__(self):
        env = os.environ
        self.root = env["SWIFTLET_ROOT"]
        self.build = env["SWIFTLET_BUILD"]
        self.wine = env["WINE"]
        self.prefix = env["WINEPREFIX"]
        self.quick = env.get("BENCH_QUICK", "") not in ("", "0")
        self.runs = int(env.get("RUNS") or (1 if self.quick else 3))
        self.timeout = int(env.get("BENCH_TIMEOUT", "900"))
        self.profile = env.get("BENCH_PROFILE", "1") not in ("", "0")
        self.only_sets = [s for s in env.get("BENCH_SETS", "").split(",") if s]
        self.only_tools = [s for s in env.get("BENCH_TOOLS", "").split(",") if s]
        # Another build folder whose engine and program run beside this one's, for a
        # before-and-after comparison in the same run.
        self.baseline = env.get("BENCH_BASELINE", "")
        self.baseline_label = env.get("BENCH_BASELINE_LABEL", "") or "baseline"
        self.data = env.get("BENCH_DATA") or os.path.join(self.root, "bench", "data")
        scratch = env.get("BENCH_SCRATCH") or os.path.join(self.root, "bench", "scratch")
        self.dest = os.path.join(scratch, "dst")
        default_results = os.path.join(scratch, "results") if self.quick else os.path.join(self.root, "bench", "results")
        self.results = env.get("BENCH_RESULTS") or default_results
        self.can_drop = os.geteuid() == 0 and os.access("/proc/sys/vm/drop_caches", os.W_OK)

    def exe(self, name):
        return os.path.join(self.build, name + ".exe")

    def baseline_exe(self, name):
        return os.path.join(self.baseline, name + ".exe")


class Tool:
    """One copier. command() answers the argv that copies src into the folder dest
    (the copy ends up as dest/<name of src>), or None when the tool does not apply."""

    def __init__(self, key, label, wine, command, applies=lambda ds: True, verify=True, needs=None,
                 before=None, after=None, profile=True):
        self.key, self.label, self.wine = key, label, wine
        self.command, self.applies, self.verify = command, applies, verify
        self.needs = needs
        self.before, self.after = before, after  # untimed set-up around each run
        self.profile = profile
        self.unavailable = None  # why the tool is left out, when it is


def make_tools(ctx, session):
    w = ctx.wine
    # Reading and writing on one volume take turns by design; through a drive letter of its
    # own the destination counts as another volume, and the two overlap.
    other_drive = session.map_drive(os.path.dirname(ctx.dest))
    one = lambda ds: ds.kind == "one"  # noqa: E731

    def target(src, dest):
        return os.path.join(dest, os.path.basename(src))

    def swiftlet_core(ds, src, dest):
        return [w, ctx.exe("CopyCoreBench"), winpath(src), winpath(dest)]

    def swiftlet_core_other_drive(ds, src, dest):
        return [w, ctx.exe("CopyCoreBench"), winpath(src), f"{other_drive}:\\{os.path.basename(dest)}"]

    def swiftlet_exe(ds, src, dest):
        return [w, ctx.exe("Swiftlet"), winpath(src), winpath(dest)]

    def baseline_core(ds, src, dest):
        return [w, ctx.baseline_exe("CopyCoreBench"), winpath(src), winpath(dest)]

    def baseline_exe(ds, src, dest):
        return [w, ctx.baseline_exe("Swiftlet"), winpath(src), winpath(dest)]

    def copyfile(ds, src, dest):
        return [w, ctx.exe("CopyFileBench"), winpath(src), winpath(target(src, dest))]

    def xcopy(ds, src, dest):
        if ds.is_file():
            return [w, "xcopy", winpath(src), winpath(dest) + "\\", "/Q", "/H", "/K"]
        return [w, "xcopy", winpath(src), winpath(target(src, dest)), "/E", "/I", "/Q", "/H", "/K"]

    def cp(ds, src, dest):
        return ["cp", "-r", "--preserve=mode,timestamps", src, dest + "/"]

    def rsync(ds, src, dest):
        return ["rsync", "-a", src, dest + "/"]

    def dd(ds, src, dest):
        script = 'mkdir "$2" && exec dd if="$1/random.bin" of="$2/random.bin" bs=16M iflag=direct oflag=direct status=none'
        return ["sh", "-c", script, "dd", src, target(src, dest)]

    def wine_start(ds, src, dest):
        return [w, ctx.exe("CopyFileBench"), "/start"]

    def windowed_start(ds, src, dest):
        return [w, ctx.exe("DesktopHold"), "/start"]

    baseline = [
        Tool("swiftlet-core-base", f"Swiftlet engine, {ctx.baseline_label}", True, baseline_core,
             needs=ctx.baseline_exe("CopyCoreBench")),
        Tool("swiftlet-exe-base", f"Swiftlet.exe SRC DST, {ctx.baseline_label}", True, baseline_exe,
             needs=ctx.baseline_exe("Swiftlet")),
    ] if ctx.baseline else []
    return [
        Tool("swiftlet-core", "Swiftlet engine (CopyCore driver)", True, swiftlet_core,
             needs=ctx.exe("CopyCoreBench")),
        *baseline[:1],
        Tool("swiftlet-core-2vol", "Swiftlet engine, destination on its own drive letter", True,
             swiftlet_core_other_drive, needs=ctx.exe("CopyCoreBench") if other_drive else "(no free drive letter)",
             applies=lambda ds: ds.kind == "file" or (ds.kind == "files" and ds.size >= benchdata.MIB),
             profile=False),
        Tool("swiftlet-exe", "Swiftlet.exe SRC DST", True, swiftlet_exe, needs=ctx.exe("Swiftlet")),
        *baseline[1:],
        # Without the disk cache service every job first waits for it, about a second.
        Tool("swiftlet-exe-nosvc", "Swiftlet.exe SRC DST, no disk cache service", True, swiftlet_exe,
             applies=one, needs=ctx.exe("Swiftlet"),
             before=session.pause_service, after=session.resume_service),
        Tool("copyfileex", "Wine CopyFileExW driver", True, copyfile, needs=ctx.exe("CopyFileBench")),
        Tool("xcopy", "Wine xcopy /E /I /Q /H /K", True, xcopy),
        Tool("cp", "cp -r --preserve=mode,timestamps", False, cp),
        Tool("rsync", "rsync -a", False, rsync),
        Tool("dd", "dd bs=16M iflag=direct oflag=direct", False, dd, applies=lambda ds: ds.kind == "file"),
        Tool("wine-start", "Wine process start alone (no copy)", True, wine_start,
             applies=one, verify=False, needs=ctx.exe("CopyFileBench")),
        Tool("windowed-start", "Wine windowed process start alone (no copy)", True, windowed_start,
             applies=one, verify=False, needs=ctx.exe("DesktopHold")),
    ]


# ---------------------------------------------------------------------------- running

def drop_caches(ctx):
    subprocess.run(["sync"], check=False)
    if ctx.can_drop:
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")


def wineserver_pid(ctx):
    """The server of our prefix: its working folder is named after the prefix's device and
    inode, which tells it apart from the servers of other prefixes on the machine."""
    try:
        st = os.stat(ctx.prefix)
    except OSError:
        return None
    wanted = f"server-{st.st_dev:x}-{st.st_ino:x}"
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            if os.path.basename(os.readlink(f"/proc/{pid}/cwd")) == wanted and \
                    os.path.basename(os.readlink(f"/proc/{pid}/exe")).startswith("wineserver"):
                return int(pid)
        except OSError:
            continue
    return None


def process_cpu(pid):
    """User plus system seconds a running process has used so far."""
    if pid is None:
        return None
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return None


_TIME_FIELDS = {
    "User time (seconds)": "user",
    "System time (seconds)": "sys",
    "Maximum resident set size (kbytes)": "rss_kib",
    "Voluntary context switches": "vcsw",
    "Involuntary context switches": "ivcsw",
    "File system inputs": "fs_in",
    "File system outputs": "fs_out",
}


def parse_time_v(text):
    out = {}
    for line in text.splitlines():
        key, _, value = line.strip().rpartition(": ")
        if key in _TIME_FIELDS:
            try:
                out[_TIME_FIELDS[key]] = float(value)
            except ValueError:
                pass
    return out


def parse_keys(text):
    """key=value words a driver prints about its job."""
    out = {}
    for key, value in re.findall(r"(\w+)=(-?[0-9.]+)", text):
        out[key] = float(value) if "." in value else int(value)
    return out


def run_timed(ctx, argv, ws_pid):
    """Runs argv under /usr/bin/time -v; answers a dict with the wall time and what time
    measured, the exit code and the tail of the output."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as tf:
        cmd = ["/usr/bin/time", "-v", "-o", tf.name] + argv
        ws0 = process_cpu(ws_pid)
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, start_new_session=True)
        try:
            out, err = proc.communicate(timeout=ctx.timeout)
            timed_out = False
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            out, err = proc.communicate()
            timed_out = True
        wall = time.perf_counter() - start
        ws1 = process_cpu(ws_pid)
        result = parse_time_v(tf.read())
    text = out.decode("utf-8", "replace") + err.decode("utf-8", "replace")
    result.update(wall=wall, exit=proc.returncode, timed_out=timed_out,
                  output=text[-600:], driver=parse_keys(out.decode("utf-8", "replace")))
    result["cpu"] = result.get("user", 0.0) + result.get("sys", 0.0)
    if ws0 is not None and ws1 is not None:
        result["wineserver_cpu"] = round(ws1 - ws0, 3)
    return result


def reset_dest(ctx):
    shutil.rmtree(ctx.dest, ignore_errors=True)
    os.makedirs(ctx.dest)


def one_run(ctx, tool, ds, src, ws_pid):
    reset_dest(ctx)
    if tool.before:
        tool.before()
    drop_caches(ctx)
    res = run_timed(ctx, tool.command(ds, src, ctx.dest), ws_pid if tool.wine else None)
    if tool.after:
        tool.after()
    problems = []
    if res["timed_out"]:
        problems.append(f"timed out after {ctx.timeout} s")
    elif res["exit"] != 0:
        problems.append(f"exit code {res['exit']}: {res['output'].strip()[-300:]}")
    if not problems and tool.verify:
        problems = benchdata.verify(src, os.path.join(ctx.dest, os.path.basename(src)))
    res["ok"] = not problems
    res["problems"] = problems
    return res


def probe_tool(ctx, tool, ds, src, ws_pid):
    """One untimed try on the smallest set: a tool that cannot copy yet is left out with
    the reason instead of failing every run."""
    res = one_run(ctx, tool, ds, src, ws_pid)
    if not res["ok"]:
        tool.unavailable = "; ".join(res["problems"])[:300]


def profile_tools(ctx, tools, ws_pid):
    """One traced, untimed run per Wine copier and data set, on a set whose files are like
    the data set's (see benchdata.profile_sets); the one-file job's calls are taken off,
    so the figures say what each further file costs. Three traces per run: the Linux
    system calls (strace -c), the Wine server requests (the writes on the request pipe)
    and the calls into ntdll's Nt layer (relay)."""
    pairs, base_set = benchdata.profile_sets(ctx.quick)
    if ctx.only_sets:
        pairs = [(name, ds) for name, ds in pairs if name in ctx.only_sets or ds.name in ctx.only_sets]
    traced_sets = [base_set] + [ds for _, ds in pairs]
    for ds in traced_sets:
        benchdata.prepare(ds, ctx.data, log)
    out = []
    for t in tools:
        if t.unavailable or not t.wine or not t.verify or not t.profile or t.before:
            continue
        traced = {}
        for ds in traced_sets:
            if ds.name in traced:
                continue
            argv = t.command(ds, ds.source(ctx.data), ctx.dest)
            reset_dest(ctx)
            drop_caches(ctx)
            traced[ds.name] = benchprofile.syscalls(argv, ws_pid)
            reset_dest(ctx)
            requests = benchprofile.server_requests(argv)
            if "requests" in requests:
                traced[ds.name]["requests"] = {"server requests": requests["requests"]}
            reset_dest(ctx)
            traced[ds.name]["nt"] = benchprofile.nt_calls(argv)
        for name, ds in pairs:
            entry = {"set": name, "traced_set": ds.name, "files": ds.files, "tool": t.key,
                     "exit": traced[ds.name].get("exit"), "error": traced[ds.name].get("error")}
            entry.update(benchprofile.per_file(traced[ds.name], traced[base_set.name], ds.files))
            out.append(entry)
            log(f"  profile {name:8s} ({ds.name}) {t.key:14s} "
                f"{entry.get('nt', {}).get('per_file', 0):8.1f} Nt calls, "
                f"{entry.get('requests', {}).get('per_file', 0):6.1f} server requests per further file")
    return out


def one_file_libraries(ctx, results):
    """One untimed run per Wine tool on the one-file set with Wine's +loaddll trace: the
    libraries each process maps for a job of one small file, which a cold page cache makes
    the bulk of such a job's time."""
    out = []
    for entry in results:
        ds = entry["set"]
        if ds.kind != "one":
            continue
        src = ds.source(ctx.data)
        for t in entry["tools"]:
            if not t.wine or t.before:
                continue
            reset_dest(ctx)
            traced = benchprofile.loaded_libraries(t.command(ds, src, ctx.dest))
            out.append({"set": ds.name, "tool": t.key, "label": t.label, **traced})
            log(f"  libraries {ds.name:8s} {t.key:14s} {len(traced['libraries']):3d}: "
                f"{' '.join(traced['libraries'])}")
    reset_dest(ctx)
    return out


def machine_info(ctx):
    def sh(cmd):
        try:
            return subprocess.run(cmd, capture_output=True, text=True, timeout=30).stdout.strip()
        except (OSError, subprocess.SubprocessError):
            return ""

    model = ""
    for line in sh(["lscpu"]).splitlines():
        if line.startswith("Model name:"):
            model = line.split(":", 1)[1].strip()
    return {
        "date": datetime.datetime.now().astimezone().isoformat(timespec="seconds"),
        "host": platform.node(),
        "nproc": int(sh(["nproc"]) or 0),
        "cpu": model,
        "free_g": sh(["free", "-g"]),
        "kernel": platform.release(),
        "wine": sh([ctx.wine, "--version"]),
        "commit": sh(["git", "-C", ctx.root, "rev-parse", "--short", "HEAD"]),
        "baseline": ctx.baseline_label if ctx.baseline else "",
        "load_before": os.getloadavg()[0],
        "page_cache_dropped": ctx.can_drop,
        "runs": ctx.runs,
        "quick": ctx.quick,
    }


def log(text):
    print(text, flush=True)


def main():
    ctx = Context()
    session = benchsession.Session(ctx.wine, ctx.build, ctx.prefix, log)
    try:
        return measure(ctx, session)
    finally:
        session.close()


def measure(ctx, session):
    sets = benchdata.standard_sets(ctx.quick)
    if ctx.only_sets:
        sets = [s for s in sets if s.name in ctx.only_sets]
    info = machine_info(ctx)
    info["desktop_held"] = session.hold_desktop()
    info["service_running"] = session.start_service()
    tools = make_tools(ctx, session)
    if ctx.only_tools:
        tools = [t for t in tools if t.key in ctx.only_tools]
    for t in tools:
        if t.needs and not os.path.exists(t.needs):
            t.unavailable = f"{os.path.basename(t.needs)} is not built"
        elif t.before == session.pause_service and not info["service_running"]:
            t.unavailable = "the disk cache service did not run: every Swiftlet run is without it"

    log(f"copy bench: {'quick, ' if ctx.quick else ''}{ctx.runs} run(s) per tool, "
        f"page cache {'dropped' if ctx.can_drop else 'NOT dropped (not root)'} before each run")
    os.makedirs(ctx.data, exist_ok=True)
    free = shutil.disk_usage(ctx.data).free
    needed = 2 * sum(ds.size * max(ds.count, 1) for ds in sets) + benchdata.GIB // 2
    if free < needed:
        sys.exit(f"copy bench: {free >> 30} GiB free under {ctx.data}, about {needed >> 30} GiB needed")
    for ds in sets:
        benchdata.prepare(ds, ctx.data, log)

    ws_pid = wineserver_pid(ctx)
    for t in tools:
        fitting = [d for d in sets if t.applies(d)]
        if t.unavailable is None and t.verify and fitting:
            smallest = min(fitting, key=lambda d: d.bytes)
            probe_tool(ctx, t, smallest, smallest.source(ctx.data), ws_pid)
        if t.unavailable:
            log(f"  left out: {t.key}: {t.unavailable}")

    results = []
    for ds in sets:
        src = ds.source(ctx.data)
        active = [t for t in tools if t.unavailable is None and t.applies(ds)]
        log(f"== {ds.name}: {ds.label} ({ds.files} files, {ds.bytes / 1e6:.1f} MB)")
        runs = {t.key: [] for t in active}
        for r in range(ctx.runs):
            for t in active:
                res = one_run(ctx, t, ds, src, ws_pid)
                runs[t.key].append(res)
                state = "ok" if res["ok"] else "FAILED: " + "; ".join(res["problems"])[:200]
                log(f"  run {r + 1}/{ctx.runs} {t.key:14s} {res['wall']:8.3f} s  "
                    f"cpu {res['cpu']:7.2f} s  rss {res.get('rss_kib', 0) / 1024:7.1f} MiB  {state}")
        results.append({"set": ds, "tools": active, "runs": runs})
    profile = profile_tools(ctx, tools, ws_pid) if ctx.profile else []
    libraries = one_file_libraries(ctx, results)
    reset_dest(ctx)
    info["load_after"] = os.getloadavg()[0]

    left_out = {t.key: t.unavailable for t in tools if t.unavailable}
    doc = benchreport.build(info, results, left_out, profile, libraries)
    paths = benchreport.write(doc, ctx.results)
    print()
    print(benchreport.markdown(doc))
    log(f"written: {', '.join(paths)}")
    failed = [r for r in doc["rows"] if r["failed_runs"]]
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
