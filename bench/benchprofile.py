"""Where the time of a copy goes under Wine: the Linux system calls the Windows process
makes (every Wine server request is a write and a read on the server's pipe, file data
goes through pread/pwrite) and those the Wine server makes while answering it.

One extra, untimed run per tool under strace -c; the timed runs are never traced.
"""
import os
import re
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


def per_file(profile, baseline, files):
    """Calls per file of a traced copy of files files, less what a one-file job of the same
    tool makes (start-up, tear-down, the job's fixed steps): what each further file costs.
    For a set of one (large) file: what that file costs beyond the one small file."""
    out = {}
    further = files - 1 if files > 1 else 1
    for side in ("client", "server", "nt", "requests"):
        calls = profile.get(side)
        if calls is None or files < 1:
            continue
        base = (baseline or {}).get(side, {})
        marginal = {k: max(0, v - base.get(k, 0)) / further for k, v in calls.items()}
        top = sorted(marginal.items(), key=lambda kv: -kv[1])[:6]
        out[side] = {
            "per_file": round(sum(marginal.values()), 1),
            # Every Wine server call blocks signals around its write and read, and nothing
            # else in a copy changes the signal mask that often.
            "server_requests_per_file": round(marginal.get("rt_sigprocmask", 0) / 2, 1),
            "top_per_file": {k: round(v, 1) for k, v in top},
        }
    return out


def syscalls(argv, server_pid=None):
    """Runs argv once under strace -f -c and, when server_pid is given, watches the Wine
    server at the same time. Answers the calls of both, by system call."""
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
                result["client"] = _parse_summary(f.read())
        except OSError:
            result["error"] = "no strace output"
        if watcher:
            try:
                with open(server_out) as f:
                    result["server"] = _parse_summary(f.read())
            except OSError:
                pass
    return result


def server_requests(argv):
    """Runs argv once under strace, watching only its writes, and counts the Wine server
    requests: a Wine process sends each request with one write (or writev) on its request
    pipe, and writes nothing else to a pipe while it copies (the bench gives it no
    pipes). Answers {"requests": n} or an error."""
    if not _have_strace():
        return {"error": "strace is not installed"}
    with tempfile.TemporaryDirectory() as tmp:
        log = os.path.join(tmp, "writes")
        proc = subprocess.run(["strace", "-f", "-y", "-qq", "--seccomp-bpf", "-e", "trace=write,writev",
                               "-e", "signal=none", "-s", "0", "-o", log, "--"] + argv,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            with open(log, errors="replace") as f:
                count = count_request_writes(f)
        except OSError:
            return {"error": "no strace output"}
    return {"requests": count, "exit": proc.returncode}


_PIPE_WRITE = re.compile(r"^(?:\d+\s+)?writev?\(\d+<pipe:")


def count_request_writes(lines):
    """The writes on pipes in strace -y output: one per server request."""
    return sum(1 for line in lines if _PIPE_WRITE.match(line))


def nt_calls(argv):
    """Runs argv once with Wine's relay trace and counts the calls each Windows DLL makes
    into ntdll's system-call layer (NtCreateFile, NtWaitForMultipleObjects ...): the
    Windows view of what a copy asks of the system."""
    env = dict(os.environ, WINEDEBUG="+relay")
    pattern = re.compile(rb"Call ntdll\.(?:Nt|Zw)(\w+)\(")
    counts = {}
    proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, env=env)
    for line in proc.stderr:
        m = pattern.search(line)
        if m:
            name = "Nt" + m.group(1).decode()  # the Zw names are the same entry points
            counts[name] = counts.get(name, 0) + 1
    proc.wait()
    return counts


_LOADED = re.compile(r'Loaded L"([^"]+)"')


def parse_loaded(lines):
    """The libraries in Wine's +loaddll trace, by file name (lower case), in load order,
    each once; the executable itself is left out."""
    names = []
    for line in lines:
        if isinstance(line, bytes):
            line = line.decode("utf-8", "replace")
        m = _LOADED.search(line)
        if not m:
            continue
        name = m.group(1).replace("\\\\", "\\").rsplit("\\", 1)[-1].lower()
        if name.endswith(".exe") or name in names:
            continue
        names.append(name)
    return names


def loaded_libraries(argv):
    """Runs argv once with Wine's +loaddll trace and answers the libraries its process
    loaded (parse_loaded) and its exit code."""
    env = dict(os.environ, WINEDEBUG="+loaddll")
    with subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, env=env) as proc:
        names = parse_loaded(proc.stderr)
        return {"libraries": names, "exit": proc.wait()}


def _have_strace():
    return any(os.access(os.path.join(d, "strace"), os.X_OK) for d in os.environ.get("PATH", "").split(":"))
