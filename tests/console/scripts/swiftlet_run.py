"""Runs ./swiftlet.sh the way a user does, for the script-level tests: without a display,
in the test build's Wine prefix, on real files in a fresh folder of the build tree."""
import os
import pty
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..', '..'))
BUILD = os.environ.get('SWIFTLET_BUILD', os.path.join(ROOT, 'build'))
SCRIPT = os.path.join(ROOT, 'swiftlet.sh')
PREFIX = os.path.join(BUILD, 'wine', 'prefix')


def environment():
    env = dict(os.environ)
    env.pop('DISPLAY', None)
    env['SWIFTLET_BUILD'] = BUILD
    env['SWIFTLET_WINEPREFIX'] = PREFIX
    return env


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def tree(folder):
    """Relative paths below folder with the bytes of each file (None for a folder)."""
    found = {}
    for base, dirs, files in os.walk(folder):
        for d in dirs:
            found[os.path.relpath(os.path.join(base, d), folder)] = None
        for f in files:
            full = os.path.join(base, f)
            found[os.path.relpath(full, folder)] = read(full)
    return found


def xvfb_of_prefix():
    """Xvfb processes started for this prefix (they carry it in their environment)."""
    pids = set()
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open('/proc/%s/comm' % pid) as f:
                if f.read().strip() != 'Xvfb':
                    continue
            with open('/proc/%s/environ' % pid, 'rb') as f:
                if ('SWIFTLET_WINEPREFIX=' + PREFIX).encode() in f.read().split(b'\0'):
                    pids.add(pid)
        except OSError:
            pass
    return pids


class FolderTestCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix='console-', dir=BUILD)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def run_script(self, *args):
        """Runs the script with its output going to pipes and no terminal at all."""
        done = subprocess.run([SCRIPT] + list(args), env=environment(), stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240)
        return done.returncode, done.stdout.decode('utf-8'), done.stderr.decode('utf-8')


class Terminal:
    """The script on a pseudo-terminal of 120 columns, as a user at a terminal runs it."""

    def __init__(self, *args):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            import fcntl
            import termios
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack('HHHH', 40, 120, 0, 0))
            os.execve(SCRIPT, [SCRIPT] + list(args), environment())
        self.output = b''
        self.status = None

    def text(self):
        return self.output.decode('utf-8', 'replace')

    def read_until(self, pattern, timeout=120):
        """Reads until the output (as text) matches pattern, a regular expression or a
        function of the text; returns what matched."""
        test = pattern if callable(pattern) else lambda text: re.search(pattern, text)
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = test(self.text())
            if found:
                return found
            if not self._read(0.1):
                break
        raise AssertionError('no %r in %r' % (pattern, self.text()))

    def type(self, text):
        os.write(self.fd, text.encode())

    def wait(self, timeout=120):
        deadline = time.time() + timeout
        while time.time() < deadline:
            self._read(0.1)
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                while self._read(0.1):
                    pass
                self.status = os.waitstatus_to_exitcode(status)
                return self.status
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        raise AssertionError('still running: %r' % self.text())

    def _read(self, seconds):
        ready, _, _ = select.select([self.fd], [], [], seconds)
        if not ready:
            return True
        try:
            data = os.read(self.fd, 65536)
        except OSError:
            return False
        self.output += data
        return bool(data)

    def close(self):
        if self.status is None:
            try:
                os.kill(self.pid, signal.SIGKILL)
                os.waitpid(self.pid, 0)
            except OSError:
                pass
        os.close(self.fd)
