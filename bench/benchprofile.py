"""Where the time of a copy goes under Wine: the Linux system calls the Windows process
makes (every Wine server request is a write and a read on the server's pipe, file data
goes through pread/pwrite) and those the Wine server makes while answering it.

One extra, untimed run per tool under strace -c; the timed runs are never traced.
"""
import os
import signal
import subprocess
import tempfile
import time


def _parse_summary(text):
    """strace -c table to {syscall: calls}."""
    calls = {}
    for line in text.splitlines():
        parts = line.split()
        # % time, seconds, usecs/call, calls, [errors,] syscall
        if len(parts) < 5 or not parts[0].replace(".", "", 1).isdigit():
            continue
        name = parts[-1]
        if name == "total":
            continue
        try:
            calls[name] = calls.get(name, 0) + int(parts[3])
        except ValueError:
            continue
    return calls


def _summary(calls, files):
    total = sum(calls.values())
    top = sorted(calls.items(), key=lambda kv: -kv[1])[:8]
    return {
        "total": total,
        "per_file": round(total / files, 1) if files else 0,
        "top_per_file": {k: round(v / files, 1) for k, v in top} if files else {},
    }


def syscalls(argv, files, server_pid=None):
    """Runs argv once under strace -f -c and, when server_pid is given, watches the Wine
    server at the same time. Answers calls per file of both."""
    if not _have_strace():
        return {"error": "strace is not installed"}
    with tempfile.TemporaryDirectory() as tmp:
        client_out = os.path.join(tmp, "client")
        server_out = os.path.join(tmp, "server")
        watcher = None
        if server_pid:
            watcher = subprocess.Popen(["strace", "-c", "-o", server_out, "-p", str(server_pid)],
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            time.sleep(0.5)  # attached before the client's first request
        started = time.perf_counter()
        proc = subprocess.run(["strace", "-f", "-c", "-o", client_out, "--"] + argv,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - started
        if watcher:
            watcher.send_signal(signal.SIGINT)
            try:
                watcher.wait(timeout=30)
            except subprocess.TimeoutExpired:
                watcher.kill()
                watcher.wait()
        result = {"exit": proc.returncode, "traced_seconds": round(seconds, 2)}
        try:
            with open(client_out) as f:
                result["client"] = _summary(_parse_summary(f.read()), files)
        except OSError:
            result["error"] = "no strace output"
        if watcher:
            try:
                with open(server_out) as f:
                    result["server"] = _summary(_parse_summary(f.read()), files)
            except OSError:
                pass
    if "client" in result:
        result["per_file"] = result["client"]["per_file"]
    return result


def _have_strace():
    return any(os.access(os.path.join(d, "strace"), os.X_OK) for d in os.environ.get("PATH", "").split(":"))
