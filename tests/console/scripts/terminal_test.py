"""./swiftlet.sh --console at a terminal: the status line, a question answered by
typing, and Ctrl+C in the middle of a large file."""
import os
import re
import unittest

from swiftlet_run import FolderTestCase, Terminal, read, write

STATUS = re.compile(r'\r(\d+)% 完了  (\S+) / 6\.00GB[^\r]*huge\.bin')


class AtATerminal(FolderTestCase):
    def test_existing_file_question_is_answered_by_typing(self):
        write(self.path('src', 'a.txt'), 'new')
        write(self.path('dst', 'src', 'a.txt'), 'old')
        term = Terminal('--console', self.path('src'), self.path('dst'))
        try:
            term.read_until(r'宛先にはすでに"a\.txt"という名前のファイルが存在します')
            term.read_until(r'\[o\] 上書き  \[s\] スキップ  \[k\] 両方残す  \[c\] キャンセル >')
            self.assertEqual(b'old', read(self.path('dst', 'src', 'a.txt')))  # the engine waits
            term.type('x\r')  # no choice: asked again
            term.read_until(r'>[^>]*x[^>]*\[o\] 上書き')
            term.type('o\r')
            self.assertEqual(0, term.wait(), term.text())
        finally:
            term.close()
        self.assertEqual(b'new', read(self.path('dst', 'src', 'a.txt')))
        self.assertIn('1 個の項目（3バイト）をコピーしました。', term.text())

    def test_ctrl_c_at_a_question_cancels_and_touches_nothing(self):
        write(self.path('src', 'a.txt'), 'new')
        write(self.path('dst', 'src', 'a.txt'), 'old')
        term = Terminal('--console', self.path('src'), self.path('dst'))
        try:
            term.read_until(r'\[c\] キャンセル >')
            term.type('\x03')
            code = term.wait()
        finally:
            term.close()
        self.assertEqual(3, code, term.text())
        self.assertIn('作業を取り消しました。', term.text())
        self.assertEqual(b'old', read(self.path('dst', 'src', 'a.txt')))

    def test_status_line_updates_and_ctrl_c_cancels_a_large_file(self):
        os.makedirs(self.path('src'))
        os.makedirs(self.path('dst'))
        with open(self.path('src', 'huge.bin'), 'wb') as f:
            f.truncate(6 << 30)  # sparse: costs no disk to read
        term = Terminal('--console', self.path('src'), self.path('dst'))
        try:
            # The status line is drawn over itself as the copy goes on.
            lines = term.read_until(lambda text: len({m.group(2) for m in STATUS.finditer(text)}) >= 2 and
                                    [m.groups() for m in STATUS.finditer(text)])
            self.assertLess(int(lines[-1][0]), 100)
            term.type('\x03')
            code = term.wait()
        finally:
            term.close()
        self.assertEqual(3, code, term.text())
        self.assertIn('作業を取り消しました。', term.text())
        self.assertTrue(os.path.isdir(self.path('dst', 'src')))
        self.assertFalse(os.path.exists(self.path('dst', 'src', 'huge.bin')), 'the partial file stays')


if __name__ == '__main__':
    unittest.main()
