"""./swiftlet.sh in a Wine session of its own, where the copy is the first program to need
Wine's desktop: the desktop process that Wine starts for it must not keep the script's
output open, nor the script waiting, once the copy has ended."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

from swiftlet_run import BUILD, PREFIX, SCRIPT, command_line, environment, processes, write

WINESERVER = shutil.which('wineserver') or '/usr/lib/wine/wineserver'
# Wine's own binaries, never written once the prefix exists: linked, not copied.
STOCK = tuple(os.path.join('drive_c', 'windows', d) + os.sep for d in ('system32', 'syswow64', 'winsxs'))


def copy_prefix(source, target):
    def copy(src, dst):
        if os.path.relpath(src, source).startswith(STOCK):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)
    shutil.copytree(source, target, symlinks=True, copy_function=copy)


def holders(pipe):
    """Processes other than this one with an end of pipe (a 'pipe:[inode]' link) open."""
    found = []
    for pid in filter(str.isdigit, os.listdir('/proc')):
        if int(pid) == os.getpid():
            continue
        try:
            for fd in os.listdir('/proc/%s/fd' % pid):
                if os.readlink('/proc/%s/fd/%s' % (pid, fd)) == pipe:
                    found.append((pid, command_line(pid)))
                    break
        except OSError:
            pass
    return found


class FirstProgramOfTheSession(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='desktop-', dir=BUILD)
        self.prefix = os.path.join(self.dir, 'wine', 'prefix')
        if os.path.isfile(os.path.join(PREFIX, 'system.reg')):
            copy_prefix(PREFIX, self.prefix)  # else the script makes one: slower, same test

    def tearDown(self):
        env = dict(os.environ, WINEPREFIX=self.prefix)
        subprocess.run([WINESERVER, '-k'], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def test_script_ends_with_the_copy_and_keeps_its_summary_and_status(self):
        write(self.path('src', 'a.txt'), 'new')
        write(self.path('src', 'b.txt'), 'bee')
        write(self.path('dst', 'src', 'a.txt'), 'old')
        env = environment()
        env['SWIFTLET_WINEPREFIX'] = self.prefix
        script = subprocess.Popen([SCRIPT, self.path('src'), self.path('dst')], env=env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        pipes = {'pipe:[%d]' % os.fstat(p.fileno()).st_ino for p in (script.stdout, script.stderr)}

        def desktop(pid):
            return command_line(pid).startswith('C:\\windows\\system32\\explorer.exe /desktop')

        # The desktop lives on for a second or so after the copy; watch for it meanwhile.
        desktops = set()
        deadline = time.time() + 240
        while script.poll() is None and time.time() < deadline:
            desktops.update(processes(desktop, 'WINEPREFIX=' + self.prefix))
            time.sleep(0.02)
        if script.poll() is None:
            script.kill()
            self.fail('the script did not end')
        # Nothing outlives the script with its output open: a reader of it is done now.
        left = [h for pipe in pipes for h in holders(pipe)]
        desktops.update(processes(desktop, 'WINEPREFIX=' + self.prefix))
        out, err = (p.read().decode('utf-8') for p in (script.stdout, script.stderr))
        script.stdout.close()
        script.stderr.close()
        self.assertEqual([], left)
        self.assertTrue(desktops, 'the copy did not start Wine\'s desktop: nothing was tested')
        self.assertEqual(1, script.returncode, out + err)
        self.assertIn('1 個の項目（3バイト）をコピーしました。', out)
        self.assertIn('スキップまたは失敗した項目（1 個）：', out)
        self.assertEqual('', err)


if __name__ == '__main__':
    unittest.main()
