"""The copy benchmark's own checks: its verifier must catch every kind of wrong copy, and
its data sets must hold what their names say. Run by bench/copy.sh before measuring."""
import os
import shutil
import tempfile
import unittest

import benchdata


class VerifyTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.src = os.path.join(self.tmp, "src")
        self.dst = os.path.join(self.tmp, "dst")
        os.makedirs(os.path.join(self.src, "a", "empty"))
        for name, data in (("top.bin", b"x" * 5000), ("a/inner.txt", b"hello"), ("a/zero", b"")):
            with open(os.path.join(self.src, name), "wb") as f:
                f.write(data)
        shutil.copytree(self.src, self.dst)

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def test_identical_copy_passes(self):
        self.assertEqual(benchdata.verify(self.src, self.dst), [])

    def test_changed_byte_with_same_size_and_times_fails(self):
        path = os.path.join(self.dst, "top.bin")
        st = os.stat(path)
        with open(path, "r+b") as f:
            f.seek(4999)
            f.write(b"y")
        os.utime(path, ns=(st.st_atime_ns, st.st_mtime_ns))
        # Twice: an earlier comparison of the same pair must not be remembered.
        self.assertIn("contents differ", " ".join(benchdata.verify(self.src, self.dst)))
        self.assertIn("contents differ", " ".join(benchdata.verify(self.src, self.dst)))

    def test_short_missing_extra_and_renamed_items_fail(self):
        with open(os.path.join(self.dst, "a", "inner.txt"), "wb") as f:
            f.write(b"hell")
        os.remove(os.path.join(self.dst, "a", "zero"))
        os.rmdir(os.path.join(self.dst, "a", "empty"))
        with open(os.path.join(self.dst, "stray"), "wb") as f:
            f.write(b"!")
        os.rename(os.path.join(self.dst, "top.bin"), os.path.join(self.dst, "TOP.bin"))
        problems = " | ".join(benchdata.verify(self.src, self.dst, limit=10))
        for expected in ("inner.txt: size 4", "zero: missing", "empty: missing", "stray: not in the source",
                         "top.bin: missing", "TOP.bin: not in the source"):
            self.assertIn(expected, problems)

    def test_missing_target_and_file_in_place_of_folder_fail(self):
        self.assertTrue(benchdata.verify(self.src, os.path.join(self.tmp, "nowhere")))
        shutil.rmtree(os.path.join(self.dst, "a"))
        with open(os.path.join(self.dst, "a"), "wb") as f:
            f.write(b"")
        self.assertIn("a: not a folder", " ".join(benchdata.verify(self.src, self.dst)))

    def test_single_file_source(self):
        src = os.path.join(self.src, "top.bin")
        self.assertEqual(benchdata.verify(src, os.path.join(self.dst, "top.bin")), [])
        self.assertTrue(benchdata.verify(src, os.path.join(self.dst, "a", "inner.txt")))


class DataSetTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def test_files_are_spread_over_folders_and_made_once(self):
        ds = benchdata.DataSet("k", "k", "files", size=4096, count=60, folders=3)
        path = benchdata.prepare(ds, self.tmp, log=lambda _: None)
        self.assertEqual((ds.files, ds.bytes), (60, 60 * 4096))
        self.assertEqual(sorted(os.listdir(path)), ["d000", "d001", "d002"])
        self.assertEqual(len(os.listdir(os.path.join(path, "d001"))), 20)
        marker = os.stat(os.path.join(path, "d000", "f00000.dat")).st_mtime_ns
        benchdata.prepare(ds, self.tmp, log=lambda _: None)
        self.assertEqual(os.stat(os.path.join(path, "d000", "f00000.dat")).st_mtime_ns, marker)

    def test_real_tree_keeps_only_what_windows_can_hold(self):
        top = os.path.join(self.tmp, "top")
        os.makedirs(os.path.join(top, "sub"))
        for name in ("ok.txt", "bad:name", "trailing.", "CON.txt", "Case", "case"):
            with open(os.path.join(top, name), "w") as f:
                f.write(name)
        os.symlink("ok.txt", os.path.join(top, "link.txt"))
        os.symlink("missing", os.path.join(top, "dangling"))
        os.symlink("sub", os.path.join(top, "dirlink"))
        ds = benchdata.DataSet("r", "r", "tree", tree=top)
        path = benchdata.prepare(ds, os.path.join(self.tmp, "data"), log=lambda _: None)
        self.assertEqual(sorted(os.listdir(path)), ["Case", "link.txt", "ok.txt", "sub"])
        self.assertFalse(os.path.islink(os.path.join(path, "link.txt")))
        with open(os.path.join(path, "link.txt")) as f:
            self.assertEqual(f.read(), "ok.txt")


if __name__ == "__main__":
    unittest.main()
