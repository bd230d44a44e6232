"""./swiftlet.sh on a machine without a display, its output read by a script."""
import os
import re
import unittest

from swiftlet_run import FolderTestCase, read, tree, windows_path, write, xvfb_of_prefix


class NoDisplay(FolderTestCase):
    def test_copy_is_byte_identical_and_says_what_it_did(self):
        before = xvfb_of_prefix()
        write(self.path('src', 'a.txt'), 'hello\n')
        write(self.path('src', 'sub', '日本語.bin'), os.urandom(300000))
        write(self.path('src', 'sub', 'deeper', 'empty'), b'')
        os.makedirs(self.path('dst'))
        code, out, err = self.run_script(self.path('src'), self.path('dst'))
        self.assertEqual(0, code, out + err)
        self.assertEqual(tree(self.path('src')), tree(self.path('dst', 'src')))
        lines = out.splitlines()
        self.assertEqual('%s から %s にコピーする準備をしています' % (windows_path(self.dir), windows_path(self.path('dst'))),
                         lines[0])
        # src, sub, deeper and three files; 300006 bytes.
        self.assertRegex(lines[1], r'^6 個の項目（292KB）をコピーしました。時間： \d+秒、平均速度： .+/s$')
        self.assertEqual(2, len(lines), out)
        # Nothing for a terminal, and nothing of Wine's own.
        self.assertNotRegex(out, '[\r\x1b]')
        self.assertEqual('', err)
        # Nothing needed a display, and nothing was left running for one.
        self.assertEqual(before, xvfb_of_prefix())

    def test_existing_file_is_kept_listed_and_fails_the_run(self):
        write(self.path('src', 'a.txt'), 'new')
        write(self.path('src', 'b.txt'), 'bee')
        write(self.path('dst', 'src', 'a.txt'), 'old')
        code, out, err = self.run_script(self.path('src'), self.path('dst'))
        self.assertEqual(1, code, out + err)
        self.assertEqual(b'old', read(self.path('dst', 'src', 'a.txt')))
        self.assertEqual(b'bee', read(self.path('dst', 'src', 'b.txt')))
        self.assertIn('スキップまたは失敗した項目（1 個）：\n  %s: 宛先にはすでに"a.txt"という名前のファイルが存在します\n'
                      % windows_path(self.path('dst', 'src', 'a.txt')), out)

    def test_if_exists_replaces_or_keeps_both(self):
        write(self.path('src', 'a.txt'), 'new')
        write(self.path('dst', 'a.txt'), 'old')
        code, out, err = self.run_script('--if-exists=keep-both', self.path('src', 'a.txt'), self.path('dst'))
        self.assertEqual(0, code, out + err)
        self.assertEqual(b'old', read(self.path('dst', 'a.txt')))
        self.assertEqual(b'new', read(self.path('dst', 'a (2).txt')))
        code, out, err = self.run_script(self.path('src', 'a.txt'), self.path('dst'), '--if-exists=overwrite')
        self.assertEqual(0, code, out + err)
        self.assertEqual(b'new', read(self.path('dst', 'a.txt')))
        self.assertIn('1 個の項目（3バイト）をコピーしました。', out)

    def test_missing_source_is_named_and_the_others_are_copied(self):
        write(self.path('src', 'a.txt'), 'here')
        os.makedirs(self.path('dst'))
        code, out, err = self.run_script(self.path('nowhere'), self.path('src', 'a.txt'), self.path('dst'))
        self.assertEqual(1, code, out + err)
        self.assertEqual(b'here', read(self.path('dst', 'a.txt')))
        self.assertRegex(out, re.escape(windows_path(self.path('nowhere'))) + ': .*見つかりません')

    def test_bad_command_line_exits_with_2(self):
        for args, message in ((['--if-exists=newer', 'a', 'b'], 'skip、overwrite、keep-both'),
                              (['--quiet', 'a', 'b'], '不明なオプションです： --quiet'),
                              (['only-one'], 'usage:')):
            code, out, err = self.run_script(*args)
            self.assertEqual(2, code, args)
            self.assertIn(message, err)

    def test_move_renames_on_one_volume_and_keeps_a_source_that_was_not_moved(self):
        write(self.path('src', 'in', 'a.txt'), 'a')
        write(self.path('b.txt'), 'new')
        write(self.path('dst', 'b.txt'), 'old')
        code, out, err = self.run_script('-m', self.path('src'), self.path('b.txt'), self.path('dst'))
        self.assertEqual(1, code, out + err)
        self.assertEqual(b'a', read(self.path('dst', 'src', 'in', 'a.txt')))
        self.assertFalse(os.path.exists(self.path('src')))
        self.assertEqual(b'new', read(self.path('b.txt')))
        self.assertEqual(b'old', read(self.path('dst', 'b.txt')))
        lines = out.splitlines()
        self.assertEqual(['1 個の項目を名前の変更で移動しました。', 'スキップまたは失敗した項目（1 個）：',
                          '  %s: 宛先にはすでに"b.txt"という名前のファイルが存在します' % windows_path(self.path('dst', 'b.txt'))],
                         lines[1:], out)

    def test_verified_move_deletes_the_sources_after_comparing(self):
        data = os.urandom(2 * 1048576 + 5)
        write(self.path('src', 'big.bin'), data)
        write(self.path('src', 'in', 'small.txt'), 'small')
        os.makedirs(self.path('dst'))
        code, out, err = self.run_script('-m', '--verify', self.path('src'), self.path('dst'))
        self.assertEqual(0, code, out + err)
        self.assertFalse(os.path.exists(self.path('src')))
        self.assertEqual(data, read(self.path('dst', 'src', 'big.bin')))
        self.assertEqual(b'small', read(self.path('dst', 'src', 'in', 'small.txt')))
        self.assertIn('個の項目（2.00MB）を移動しました。', out)
        self.assertIn('2 個のファイル（2.00MB）を検証しました。すべて送り側と一致しています。', out)


if __name__ == '__main__':
    unittest.main()
