"""Data sets of the copy benchmark and the check that a copy is byte-identical.

Every data set is made once in a scratch folder (bench/data/, never committed) and made
again only when its description changes. A copy counts only when the destination holds
exactly the source's names, folders and bytes: a fast wrong copy is a failure.
"""
import json
import os
import shutil
import stat

KIB = 1024
MIB = 1024 * KIB
GIB = 1024 * MIB

# Names a Windows program cannot create: such files of a real tree are left out, or every
# Windows copier would fail on them for reasons that have nothing to do with speed.
_BAD_CHARS = set('<>:"/\\|?*') | {chr(c) for c in range(32)}
_RESERVED = {"CON", "PRN", "AUX", "NUL"} | {f"COM{i}" for i in range(1, 10)} | {f"LPT{i}" for i in range(1, 10)}


class DataSet:
    """One data set: what it holds and how it is made.

    kind: 'file' (one file of size bytes), 'files' (count files of size bytes spread
    over folders subfolders, or flat when folders is 0), 'tree' (a copy of a real tree),
    'one' (a single small file copied as a file, not a folder).
    """

    def __init__(self, name, label, kind, size=0, count=0, folders=0, tree=None, max_files=0):
        self.name, self.label, self.kind = name, label, kind
        self.size, self.count, self.folders = size, count, folders
        self.tree, self.max_files = tree, max_files
        self.files = 0
        self.bytes = 0

    def description(self):
        return {"kind": self.kind, "size": self.size, "count": self.count, "folders": self.folders,
                "tree": self.tree, "max_files": self.max_files, "version": 2}

    def source(self, data_dir):
        """The path every tool copies: a folder, or the file of a one-file set."""
        base = os.path.join(data_dir, self.name)
        return os.path.join(base, "one.dat") if self.kind == "one" else base

    def is_file(self):
        return self.kind == "one"


def standard_sets(quick):
    """The four data sets of the benchmark plus a one-file job for start-up costs."""
    tree = real_tree()
    if quick:
        return [
            DataSet("big64m", "1 file of 64 MiB", "file", size=64 * MIB),
            DataSet("mib100", "100 files of 1 MiB", "files", size=MIB, count=100),
            DataSet("kib2000", "2,000 files of 4 KiB in 20 folders", "files", size=4 * KIB, count=2000, folders=20),
            DataSet("real-small", f"a real tree ({tree}, first 500 files)", "tree", tree=tree, max_files=500),
            DataSet("onefile", "1 file of 4 KiB (start-up)", "one", size=4 * KIB),
        ]
    return [
        DataSet("big1g", "1 file of 1 GiB", "file", size=GIB),
        DataSet("mib1000", "1,000 files of 1 MiB", "files", size=MIB, count=1000),
        DataSet("kib20000", "20,000 files of 4 KiB in 200 folders", "files", size=4 * KIB, count=20000, folders=200),
        DataSet("real", f"a real tree ({tree})", "tree", tree=tree),
        DataSet("onefile", "1 file of 4 KiB (start-up)", "one", size=4 * KIB),
    ]


def profile_sets(quick):
    """What the system-call profile traces: for each data set, a set whose files are like
    its files (the quick sets themselves, or a tenth of the many-file sets, the first 500
    files of the real tree, the 1 GiB file itself), as pairs (data set, traced set); and
    the one-file job whose calls are taken off (a job's fixed cost)."""
    small = {s.name: s for s in standard_sets(True)}
    if quick:
        pairs = [(n, small[n]) for n in ("big64m", "mib100", "kib2000", "real-small")]
    else:
        big = next(s for s in standard_sets(False) if s.name == "big1g")
        pairs = [("big1g", big), ("mib1000", small["mib100"]), ("kib20000", small["kib2000"]),
                 ("real", small["real-small"])]
    return pairs, small["onefile"]


def real_tree():
    """The documentation tree, or the header tree when the machine has little
    documentation: thousands of real files of real sizes either way."""
    for candidate in ("/usr/share/doc", "/usr/include"):
        if os.path.isdir(candidate) and sum(len(f) for _, _, f in os.walk(candidate)) >= 1000:
            return candidate
    return "/usr/include"


def _random_file(path, size):
    with open(path, "wb") as f:
        left = size
        while left > 0:
            n = min(left, 16 * MIB)
            f.write(os.urandom(n))
            left -= n


def _windows_name_ok(name):
    if any(c in _BAD_CHARS for c in name) or name.endswith((" ", ".")):
        return False
    if name.split(".")[0].upper() in _RESERVED:
        return False
    try:
        name.encode("utf-8")
    except UnicodeEncodeError:  # undecodable bytes come back as surrogates
        return False
    return True


def _copy_real_tree(top, target, max_files):
    """Copies top into target with links resolved to what they point at (links to
    folders are left out, as are names Windows cannot hold and names that differ from a
    sibling's only in case)."""
    os.makedirs(target)
    copied = 0
    for folder, dirs, files in os.walk(top):
        rel = os.path.relpath(folder, top)
        out = target if rel == "." else os.path.join(target, rel)
        seen = set()
        keep = []
        for d in sorted(dirs):
            full = os.path.join(folder, d)
            if os.path.islink(full) or not _windows_name_ok(d) or d.lower() in seen:
                continue
            seen.add(d.lower())
            keep.append(d)
            os.makedirs(os.path.join(out, d))
        dirs[:] = keep
        for name in sorted(files):
            if max_files and copied >= max_files:
                dirs[:] = []
                break
            full = os.path.join(folder, name)
            if not _windows_name_ok(name) or name.lower() in seen:
                continue
            try:
                st = os.stat(full)  # follows links; a dangling one raises
            except OSError:
                continue
            if not stat.S_ISREG(st.st_mode):
                continue
            seen.add(name.lower())
            shutil.copyfile(full, os.path.join(out, name))
            os.utime(os.path.join(out, name), ns=(st.st_atime_ns, st.st_mtime_ns))
            copied += 1


def _make(ds, path):
    if ds.kind == "file":
        os.makedirs(path)
        _random_file(os.path.join(path, "random.bin"), ds.size)
    elif ds.kind == "one":
        os.makedirs(path)
        _random_file(os.path.join(path, "one.dat"), ds.size)
    elif ds.kind == "files":
        per_folder = ds.count // ds.folders if ds.folders else ds.count
        for i in range(ds.count):
            folder = os.path.join(path, f"d{i // per_folder:03d}") if ds.folders else path
            if i % per_folder == 0:
                os.makedirs(folder, exist_ok=True)
            with open(os.path.join(folder, f"f{i:05d}.dat"), "wb") as f:
                f.write(os.urandom(ds.size))
    elif ds.kind == "tree":
        _copy_real_tree(ds.tree, path, ds.max_files)
    else:
        raise ValueError(ds.kind)


def prepare(ds, data_dir, log=print):
    """Makes the data set unless an identical one is already there; fills in its totals."""
    path = os.path.join(data_dir, ds.name)
    marker = path + ".complete"
    wanted = ds.description()
    try:
        with open(marker) as f:
            done = json.load(f)
    except (OSError, ValueError):
        done = None
    if done is None or done.get("description") != wanted:
        log(f"generating {ds.name}: {ds.label}")
        if os.path.lexists(marker):
            os.remove(marker)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(data_dir, exist_ok=True)
        _make(ds, path)
        files, size = count_tree(path)
        with open(marker, "w") as f:
            json.dump({"description": wanted, "files": files, "bytes": size}, f)
        done = {"files": files, "bytes": size}
    ds.files, ds.bytes = done["files"], done["bytes"]
    return path


def count_tree(path):
    files = size = 0
    for folder, _, names in os.walk(path):
        for n in names:
            files += 1
            size += os.lstat(os.path.join(folder, n)).st_size
    return files, size


def _same_file(a, b):
    sa, sb = os.lstat(a), os.lstat(b)
    if not stat.S_ISREG(sb.st_mode):
        return "not a regular file"
    if sa.st_size != sb.st_size:
        return f"size {sb.st_size}, expected {sa.st_size}"
    # Read both, every time: a cache keyed on size and time would pass a wrong copy
    # whose times were carried over.
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            ca, cb = fa.read(4 * MIB), fb.read(4 * MIB)
            if ca != cb:
                return "contents differ"
            if not ca:
                return None


def verify(source, target, limit=5):
    """Compares target with source: the same names (case included), folders and bytes.
    Returns a list of differences, empty when the copy is byte-identical."""
    problems = []

    def note(text):
        if len(problems) < limit:
            problems.append(text)

    if not os.path.lexists(target):
        return [f"{target} is missing"]
    if os.path.isfile(source):
        why = _same_file(source, target)
        return [f"{target}: {why}"] if why else []
    if not os.path.isdir(target) or os.path.islink(target):
        return [f"{target} is not a folder"]
    for folder, dirs, files in os.walk(source):
        rel = os.path.relpath(folder, source)
        out = target if rel == "." else os.path.join(target, rel)
        try:
            have = set(os.listdir(out))
        except OSError as e:
            note(f"{rel}: {e.strerror}")
            dirs[:] = []
            continue
        want = set(dirs) | set(files)
        for extra in sorted(have - want):
            note(f"{os.path.join(rel, extra)}: not in the source")
        for missing in sorted(want - have):
            note(f"{os.path.join(rel, missing)}: missing")
        for d in dirs:
            full = os.path.join(out, d)
            if d in have and (os.path.islink(full) or not os.path.isdir(full)):
                note(f"{os.path.join(rel, d)}: not a folder")
        dirs[:] = [d for d in dirs if d in have and os.path.isdir(os.path.join(out, d))]
        for name in files:
            if name not in have:
                continue
            why = _same_file(os.path.join(folder, name), os.path.join(out, name))
            if why:
                note(f"{os.path.join(rel, name)}: {why}")
    return problems
