"""The copy benchmark's runner and table: a run counts only when the tool ended well and
its copy is right, failed runs never lend a time to the medians, and the profile's
figures are what each further file costs. Real processes (sh, cp, sleep) play the tools."""
import os
import shutil
import tempfile
import types
import unittest

import benchdata
import benchprofile
import benchreport
import copybench


def shell_tool(script, key="tool", verify=True):
    """A tool whose command is a shell script given $1 = source and $2 = destination folder."""
    return copybench.Tool(key, key, False, lambda ds, src, dest: ["sh", "-c", script, "sh", src, dest],
                          verify=verify)


class RunTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.ds = benchdata.DataSet("set", "set", "files", size=1000, count=6, folders=2)
        self.src = benchdata.prepare(self.ds, os.path.join(self.tmp, "data"), log=lambda _: None)
        self.ctx = types.SimpleNamespace(dest=os.path.join(self.tmp, "dst"), timeout=20, can_drop=False)

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def run_tool(self, tool):
        return copybench.one_run(self.ctx, tool, self.ds, self.src, None)

    def test_right_copy_counts_with_what_time_measured(self):
        res = self.run_tool(shell_tool('cp -r "$1" "$2/" && echo "copy_ms=12 bytes=6000"'))
        self.assertTrue(res["ok"], res["problems"])
        self.assertGreater(res["wall"], 0)
        self.assertGreater(res["rss_kib"], 0)
        self.assertIn("user", res)
        self.assertEqual(res["driver"], {"copy_ms": 12, "bytes": 6000})

    def test_wrong_copy_that_ends_well_fails(self):
        res = self.run_tool(shell_tool('cp -r "$1" "$2/" && printf x >> "$2/set/d001/f00004.dat"'))
        self.assertFalse(res["ok"])
        self.assertIn("d001/f00004.dat: size 1001", " ".join(res["problems"]))

    def test_destination_of_the_previous_run_is_gone(self):
        self.assertTrue(self.run_tool(shell_tool('cp -r "$1" "$2/"'))["ok"])
        res = self.run_tool(shell_tool('mkdir "$2/set"'))
        self.assertFalse(res["ok"])

    def test_failed_exit_fails_even_with_a_right_copy(self):
        res = self.run_tool(shell_tool('cp -r "$1" "$2/"; echo broken >&2; exit 3'))
        self.assertFalse(res["ok"])
        self.assertIn("exit code 3", res["problems"][0])
        self.assertIn("broken", res["problems"][0])

    def test_hanging_tool_is_stopped_and_fails(self):
        self.ctx.timeout = 1
        res = self.run_tool(shell_tool("sleep 30"))
        self.assertFalse(res["ok"])
        self.assertTrue(res["timed_out"])
        self.assertLess(res["wall"], 10)

    def test_setup_around_a_run_is_called(self):
        calls = []
        tool = shell_tool('cp -r "$1" "$2/"')
        tool.before, tool.after = (lambda: calls.append("before")), (lambda: calls.append("after"))
        self.run_tool(tool)
        self.assertEqual(calls, ["before", "after"])


def fake_run(wall, ok=True, **extra):
    run = {"wall": wall, "ok": ok, "problems": [] if ok else ["contents differ"], "cpu": wall / 2,
           "rss_kib": 2048, "vcsw": 100, "driver": {}}
    run.update(extra)
    return run


class ReportTest(unittest.TestCase):
    def build(self, runs_by_tool):
        ds = benchdata.DataSet("s", "a set", "files", size=1000, count=10)
        ds.files, ds.bytes = 10, 10_000_000
        tools = [copybench.Tool(k, k, True, None) for k in runs_by_tool]
        info = {"date": "2026-01-02T03:04:05+00:00", "host": "h", "nproc": 2, "cpu": "c", "free_g": "",
                "kernel": "k", "wine": "wine-8.0", "commit": "abc", "load_before": 1.0, "load_after": 1.0,
                "page_cache_dropped": True, "runs": 3, "quick": False}
        return benchreport.build(info, [{"set": ds, "tools": tools, "runs": runs_by_tool}], {})

    def rows(self, doc):
        return {r["tool"]: r for r in doc["rows"]}

    def test_failed_runs_lend_no_time_and_are_shown(self):
        doc = self.build({
            "swiftlet-core": [fake_run(2.0), fake_run(4.0), fake_run(3.0)],
            "copyfileex": [fake_run(9.0), fake_run(0.1, ok=False), fake_run(5.0)],
        })
        rows = self.rows(doc)
        self.assertEqual(rows["swiftlet-core"]["median_s"], 3.0)
        self.assertEqual(rows["copyfileex"]["median_s"], 7.0)
        self.assertEqual(rows["copyfileex"]["failed_runs"], 1)
        self.assertAlmostEqual(rows["copyfileex"]["ratio"], 7.0 / 3.0)
        self.assertAlmostEqual(rows["swiftlet-core"]["ratio_peer"], 3.0 / 7.0)
        self.assertAlmostEqual(rows["swiftlet-core"]["mb_s"], 10 / 3.0)
        md = benchreport.markdown(doc)
        self.assertIn("2/3 **FAILED**", md)
        self.assertIn("copyfileex: 1 of 3 runs failed: contents differ", md)

    def test_tool_that_never_copied_right_has_no_time_and_no_ratio(self):
        rows = self.rows(self.build({
            "swiftlet-core": [fake_run(0.01, ok=False)],
            "copyfileex": [fake_run(2.0)],
        }))
        self.assertIsNone(rows["swiftlet-core"]["median_s"])
        self.assertIsNone(rows["swiftlet-core"]["ratio"])
        # Without the engine's time the ratios fall back to the next reference.
        self.assertEqual(rows["copyfileex"]["reference"], "copyfileex")

    def test_own_view_is_taken_from_the_drivers_words(self):
        driver = {"copy_ms": 2000, "total_ms": 2500, "bytes": 10_000_000, "pool_size": 64 << 20,
                  "build_s": 0.02, "find_begin_s": 0.1, "find_end_s": 0.4}
        row = self.rows(self.build({"swiftlet-core": [fake_run(3.0, driver=driver)]}))["swiftlet-core"]
        view = row["own_view"]
        self.assertEqual((view["copy_s"], view["total_s"], view["pool_size_mib"]), (2.0, 2.5, 64.0))
        self.assertAlmostEqual(view["find_s"], 0.3)
        self.assertAlmostEqual(view["copy_mb_s"], 5.0)
        self.assertIsNone(view["pool_peak_mib"])


STRACE_SUMMARY = """\
% time     seconds  usecs/call     calls    errors syscall
------ ----------- ----------- --------- --------- ----------------
 40.00    0.004000          10       400           rt_sigprocmask
 30.00    0.003000          15       200        12 read
 30.00    0.003000          15       100           write
------ ----------- ----------- --------- --------- ----------------
100.00    0.010000          14       700        12 total
"""


class ProfileTest(unittest.TestCase):
    def test_strace_summary_is_read_with_and_without_errors(self):
        self.assertEqual(benchprofile._parse_summary(STRACE_SUMMARY),
                         {"rt_sigprocmask": 400, "read": 200, "write": 100})

    def test_per_file_figures_leave_out_the_one_file_job(self):
        traced = {"client": {"rt_sigprocmask": 400, "read": 200, "write": 100}}
        baseline = {"client": {"rt_sigprocmask": 40, "read": 20, "write": 100}}
        out = benchprofile.per_file(traced, baseline, 10)["client"]
        self.assertEqual(out["per_file"], 60.0)
        self.assertEqual(out["server_requests_per_file"], 20.0)
        self.assertEqual(list(out["top_per_file"]), ["rt_sigprocmask", "read", "write"])


    def test_requests_are_the_writes_on_pipes(self):
        lines = ["123 write(7<pipe:[5501]>, \"\"..., 64) = 64",
                 "123 writev(7<pipe:[5501]>, [...], 2) = 80",
                 "124 write(9</tmp/x/file.dat>, \"\"..., 4096) = 4096",
                 "write(7<pipe:[5501]>, \"\"..., 64) = 64"]
        self.assertEqual(benchprofile.count_request_writes(lines), 3)

    def test_one_large_file_costs_what_it_adds_to_a_small_one(self):
        traced = {"nt": {"NtWriteFile": 1030, "NtReadFile": 70}}
        baseline = {"nt": {"NtWriteFile": 10, "NtReadFile": 6}}
        out = benchprofile.per_file(traced, baseline, 1)["nt"]
        self.assertEqual(out["per_file"], 1084.0)

    def test_report_sets_the_engine_beside_copyfileex_per_data_set(self):
        profile = [{"set": "kib20000", "traced_set": "kib2000", "tool": "swiftlet-core",
                    "nt": {"per_file": 11.5, "top_per_file": {}}, "requests": {"per_file": 7.4}},
                   {"set": "kib20000", "traced_set": "kib2000", "tool": "copyfileex",
                    "nt": {"per_file": 9.1, "top_per_file": {}}, "requests": {"per_file": 6.2}}]
        text = "\n".join(benchreport._profile_markdown(profile))
        self.assertIn("| kib20000 (kib2000) | 11.5 | 9.1 | 7.4 | 6.2 |", text)


class LibrariesTest(unittest.TestCase):
    TRACE = ['0024:trace:loaddll:build_module Loaded L"Z:\\\\b\\\\Swiftlet.exe" at 0000000140000000: native',
             '0024:trace:loaddll:build_module Loaded L"C:\\\\windows\\\\system32\\\\KERNEL32.dll" at 7B600000: builtin',
             '0024:trace:loaddll:free_modref Unloaded module L"C:\\\\windows\\\\system32\\\\Psapi.dll" : builtin',
             '0028:trace:loaddll:build_module Loaded L"C:\\\\windows\\\\system32\\\\user32.dll" at 2169D0000: builtin',
             '0024:trace:loaddll:build_module Loaded L"C:\\\\windows\\\\system32\\\\kernel32.dll" at 7B600000: builtin']

    def test_trace_gives_each_library_once_in_load_order_without_the_program(self):
        self.assertEqual(benchprofile.parse_loaded(self.TRACE), ["kernel32.dll", "user32.dll"])

    def test_a_real_process_trace_is_read_from_its_error_output(self):
        script = "printf '%s\\n' " + " ".join("'" + line + "'" for line in self.TRACE) + " >&2; exit 3"
        traced = benchprofile.loaded_libraries(["sh", "-c", script])
        self.assertEqual(traced, {"libraries": ["kernel32.dll", "user32.dll"], "exit": 3})

    def test_report_names_what_a_tool_maps_beyond_a_bare_process(self):
        libraries = [{"set": "onefile", "tool": "wine-start", "label": "bare", "libraries": ["kernel32.dll"], "exit": 0},
                     {"set": "onefile", "tool": "swiftlet-exe", "label": "Swiftlet.exe SRC DST",
                      "libraries": ["kernel32.dll", "setupapi.dll", "rpcrt4.dll"], "exit": 0}]
        text = "\n".join(benchreport._libraries_markdown(libraries))
        self.assertIn("| onefile | bare | 1 | — |", text)
        self.assertIn("| onefile | Swiftlet.exe SRC DST | 3 | setupapi.dll, rpcrt4.dll |", text)


if __name__ == "__main__":
    unittest.main()
