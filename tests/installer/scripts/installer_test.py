"""The installer and the zip made by scripts/package.sh: installed, upgraded and removed
silently under Wine, for all users and for one user, in a Wine prefix of their own (a
clean machine, whose service table and registry no other test touches). What must be
there is asked the way an administrator asks (sc query, reg query, the files); that
nothing of ours stays is checked on whole registry exports taken before and after."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..', '..'))
BUILD = os.environ.get('SWIFTLET_BUILD', os.path.join(ROOT, 'build'))
STATE = os.path.join(BUILD, 'wine-installer')
PREFIX = os.path.join(STATE, 'prefix')
VERSION = '1.0.0'
OLD_VERSION = '0.9.0'
UNINST_KEY = r'Software\Microsoft\Windows\CurrentVersion\Uninstall\Swiftlet'
SHELLEX = 'SwiftletShellEx.dll'
# ERROR_SUCCESS_REBOOT_REQUIRED, as a Unix exit status keeps it (its low byte).
REBOOT_REQUIRED = 3010 & 0xFF
PENDING = r'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager'


def environment():
    env = dict(os.environ)
    env.update(SWIFTLET_BUILD=BUILD, WINEPREFIX=PREFIX, WINEDEBUG='-all',
               WINEDLLOVERRIDES='mscoree,mshtml=', WINEARCH='win64',
               LANG='ja_JP.UTF-8', LC_ALL='ja_JP.UTF-8')
    env.pop('SWIFTLET_HOLD_DESKTOP', None)
    return env


def wine_session(action):
    subprocess.run(['bash', '-c', '. scripts/wine-env.sh && ' + action], cwd=ROOT,
                   env=environment(), stdin=subprocess.DEVNULL, check=True)


WINE = '/usr/lib/wine/wine64' if os.path.exists('/usr/lib/wine/wine64') else shutil.which('wine64')


def wine(*args, timeout=240):
    """Runs a Windows program; (exit code, output). The output goes through a file: Wine's
    desktop process may keep the first windowed program's output open for its lifetime.
    Each run's time goes to the standard error stream, which ctest shows on a failure."""
    started = time.time()
    with tempfile.TemporaryFile() as out:
        rc = subprocess.run([WINE] + list(args), env=environment(), stdin=subprocess.DEVNULL,
                            stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        out.seek(0)
        text = out.read().decode('utf-8', 'replace')
    sys.stderr.write('%.1fs %s\n' % (time.time() - started, ' '.join(args)[:100]))
    return rc, text


def unix_path(windows_path):
    rc, out = wine('winepath', '-u', windows_path)
    assert rc == 0, out
    return out.strip().splitlines()[-1]


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def registry():
    """The whole registry as {key: set of value lines}, from regedit's export."""
    handle, path = tempfile.mkstemp(suffix='.reg', dir=STATE)
    os.close(handle)
    try:
        rc, out = wine('regedit', '/E', windows_path(path))
        assert rc == 0, out
        with open(path, 'rb') as f:
            text = f.read().decode('utf-16')
    finally:
        os.remove(path)
    keys, key = {}, None
    for line in text.replace('\\\r\n  ', '').splitlines():
        if line.startswith('[') and line.endswith(']'):
            key = line[1:-1].lower()
            keys[key] = set()
        elif key and line:
            keys[key].add(line.lower())
    return keys


# Values Wine itself rewrites while it runs, whatever is installed.
NOISE = ['hkey_local_machine\\software\\microsoft\\cryptography\\rng',
         'hkey_current_user\\software\\wine\\',
         'hkey_local_machine\\software\\wine\\',
         # the service control manager's count of started services
         'hkey_local_machine\\system\\currentcontrolset\\control\\servicecurrent',
         # the display's settings, written when the desktop starts
         'hkey_local_machine\\system\\currentcontrolset\\control\\video\\',
         'hkey_local_machine\\hardware\\devicemap\\video']
# The same for the current user when the export names it by its SID ("temporary system
# parameters" appear there once a program has shown a window).
NOISE_PATTERNS = [re.compile(r'hkey_users\\[^\\]+\\software\\wine\\')]


def changes(before, after):
    """Keys and value lines present after and not before (added or changed)."""
    found = []
    for key, values in after.items():
        if any(key.startswith(n) for n in NOISE) or any(p.match(key) for p in NOISE_PATTERNS):
            continue
        if key not in before:
            found.append('[%s]' % key)
        else:
            found += ['[%s] %s' % (key, v) for v in sorted(values - before[key])]
    return found


def removed(before, after):
    return ['[%s]' % k for k in before if k not in after]


def service_state():
    rc, out = wine('sc', 'query', 'SwiftletSrv')
    m = re.search(r'STATE\s*:\s*(\d+)', out)
    return int(m.group(1)) if rc == 0 and m else None


def read(path):
    with open(path, 'rb') as f:
        return f.read()


class Holder:
    """A Windows process that keeps a file mapped as an image, like Explorer with a loaded
    shell extension."""

    def __init__(self, path):
        self.log = tempfile.NamedTemporaryFile(dir=STATE, delete=False)
        self.process = subprocess.Popen([WINE, os.path.join(BUILD, 'HoldModule.exe'), path],
                                        env=environment(), stdin=subprocess.PIPE,
                                        stdout=self.log, stderr=subprocess.DEVNULL)
        for _ in range(600):
            text = read(self.log.name).decode(errors='replace')
            if text or self.process.poll() is not None:
                break
            time.sleep(0.1)
        assert text.startswith('held'), 'cannot hold %s: %s' % (path, text)

    def release(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            self.process.wait(60)
        self.log.close()
        os.remove(self.log.name)


class InstallerTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.shellex = os.path.exists(os.path.join(BUILD, SHELLEX))
        if not cls.shellex:
            sys.stderr.write('installer test: %s is not built; the extension is left out '
                             'of the checks\n' % SHELLEX)
        env = environment()
        for version in (OLD_VERSION, VERSION):
            env['SWIFTLET_VERSION'] = version
            subprocess.run(['bash', os.path.join(ROOT, 'scripts', 'package.sh'), '--no-build'],
                           env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
        cls.setup = {v: windows_path(os.path.join(BUILD, 'Swiftlet-%s-setup.exe' % v))
                     for v in (OLD_VERSION, VERSION)}
        os.makedirs(STATE, exist_ok=True)
        # A run that was stopped left its mark of a warm server behind: without a
        # persistent server a Wine session may end between two steps, and a new session
        # boots like a restart.
        if os.path.exists(os.path.join(STATE, 'warm')):
            os.remove(os.path.join(STATE, 'warm'))
        wine_session('wine_prepare')
        cls.work = tempfile.mkdtemp(prefix='installer-', dir=STATE)
        cls.remove_leftovers()

    @classmethod
    def remove_leftovers(cls):
        """Removes what a failed run left installed, so that every test starts clean."""
        found = False
        for root in ('HKLM', 'HKCU'):
            entry = cls.entry(root)
            if entry:
                found = True
                cls.uninstall(entry['InstallLocation'], root)
        if found:
            wine('wineboot', '-r')

    @classmethod
    def tearDownClass(cls):
        wine_session('wine_shutdown')
        shutil.rmtree(cls.work, ignore_errors=True)

    def install(self, version, *args):
        rc, out = wine(self.setup[version], '/S', *args)
        return rc

    @classmethod
    def uninstall(cls, folder, root):
        """Runs the uninstaller as Apps & features does: it copies itself away, starts the
        copy and returns; the copy removes the entry last, so the entry's end is its end."""
        rc, out = wine(folder + r'\Uninstall.exe', '/S')
        assert rc == 0, out
        for _ in range(1200):
            if wine('reg', 'query', root + '\\' + UNINST_KEY)[0] != 0:
                break
            time.sleep(0.1)
        else:
            raise AssertionError('the uninstaller did not finish')
        time.sleep(1)  # its last steps after the entry: nothing that a check below reads

    @staticmethod
    def entry(root):
        rc, out = wine('reg', 'query', root + '\\' + UNINST_KEY)
        if rc != 0:
            return None
        return dict(re.findall(r'^\s+(\w+)\s+REG_\w+\s+(.*?)\s*$', out, re.M))

    def assert_copies(self, folder):
        """Both programs from the install folder copy real files."""
        source = os.path.join(self.work, 'source')
        os.makedirs(os.path.join(source, 'sub'), exist_ok=True)
        data = {'a.bin': os.urandom(200000), os.path.join('sub', 'b.txt'): 'データ'.encode()}
        for name, content in data.items():
            with open(os.path.join(source, name), 'wb') as f:
                f.write(content)
        for program in ('SwiftletConsole.exe', 'Swiftlet.exe'):
            target = os.path.join(self.work, 'to-' + program)
            shutil.rmtree(target, ignore_errors=True)
            os.makedirs(target)
            rc, out = wine(folder + '\\' + program, windows_path(source), windows_path(target))
            self.assertEqual(0, rc, program + ': ' + out)
            for name, content in data.items():
                self.assertEqual(content, read(os.path.join(target, 'source', name)), program)

    @staticmethod
    def extension_handlers(classes):
        """{CLSID: its server key} of the folder drag-drop handlers below classes (HKLM or
        HKCU Software\\Classes) whose in-process server is our DLL."""
        rc, out = wine('reg', 'query', classes + r'\Folder\ShellEx\DragDropHandlers')
        found = {}
        for clsid in re.findall(r'\\DragDropHandlers\\(\{[0-9A-Fa-f-]+\})\s*$', out, re.M):
            rc, server = wine('reg', 'query', classes + r'\CLSID' + '\\' + clsid + r'\InprocServer32')
            if rc == 0 and SHELLEX.lower() in server.lower():
                found[clsid] = server
        return found

    def test_archive_holds_the_binaries_and_a_readme_in_both_languages(self):
        with zipfile.ZipFile(os.path.join(BUILD, 'Swiftlet-%s.zip' % VERSION)) as z:
            names = set(z.namelist())
            readme = z.read('Swiftlet/README.txt')
        expected = {'Swiftlet/', 'Swiftlet/Swiftlet.exe', 'Swiftlet/SwiftletConsole.exe',
                    'Swiftlet/SwiftletSrv.exe', 'Swiftlet/README.txt'}
        if self.shellex:
            expected.add('Swiftlet/' + SHELLEX)
        self.assertEqual(expected, names)
        self.assertTrue(readme.startswith(b'\xef\xbb\xbf'))
        text = readme.decode('utf-8-sig')
        self.assertNotIn('\n', text.replace('\r\n', ''))
        for words in ('Swiftlet ' + VERSION, '日本語', 'English', 'regsvr32', 'sc create SwiftletSrv'):
            self.assertIn(words, text)

    def setUp(self):
        self.addCleanup(self.remove_leftovers)

    def test_for_all_users_install_upgrade_and_removal_leave_nothing(self):
        before = registry()
        folder = r'C:\Program Files\Swiftlet'
        unix = unix_path(folder)

        self.assertEqual(0, self.install(OLD_VERSION, '/AllUsers'))
        self.assertEqual(OLD_VERSION, self.entry('HKLM')['DisplayVersion'])
        self.assertEqual(4, service_state())
        self.assertIn(OLD_VERSION, read(os.path.join(unix, 'README.txt')).decode('utf-8-sig'))

        # Over it, with the extension (or the program) held the way Explorer holds it: the
        # installation keeps its mode and folder, the held file is moved aside and goes on
        # the next restart, and the service runs the new program.
        held = SHELLEX if self.shellex else 'Swiftlet.exe'
        holder = Holder(folder + '\\' + held)
        try:
            self.assertEqual(REBOOT_REQUIRED, self.install(VERSION))
        finally:
            holder.release()
        entry = self.entry('HKLM')
        self.assertEqual(VERSION, entry['DisplayVersion'])
        self.assertEqual(folder, entry['InstallLocation'])
        self.assertEqual('"%s\\Uninstall.exe" /S' % folder, entry['QuietUninstallString'])
        self.assertIsNone(self.entry('HKCU'))
        self.assertIn(VERSION, read(os.path.join(unix, 'README.txt')).decode('utf-8-sig'))
        aside = [n for n in os.listdir(unix) if n.startswith(held + '.') and n.endswith('.old')]
        self.assertEqual(1, len(aside), os.listdir(unix))
        rc, out = wine('reg', 'query', PENDING, '/v', 'PendingFileRenameOperations')
        self.assertIn(folder + '\\' + aside[0], out)
        self.assertEqual(4, service_state())
        rc, out = wine('reg', 'query', r'HKLM\System\CurrentControlSet\Services\SwiftletSrv')
        self.assertRegex(out, r'Start\s+REG_DWORD\s+0x2\b')  # automatic
        self.assertRegex(out, r'ObjectName\s+REG_SZ\s+LocalSystem')
        self.assertIn('"%s\\SwiftletSrv.exe"' % folder, out)
        expected = {'Swiftlet.exe', 'SwiftletConsole.exe', 'SwiftletSrv.exe', 'README.txt',
                    'Uninstall.exe'} | ({SHELLEX} if self.shellex else set())
        self.assertEqual(expected, set(os.listdir(unix)) - set(aside))
        if self.shellex:
            handlers = self.extension_handlers(r'HKLM\Software\Classes')
            self.assertEqual(1, len(handlers), handlers)
            self.assertIn(folder + '\\' + SHELLEX, list(handlers.values())[0])
        self.assert_copies(folder)

        # Removed while the new extension is loaded: all else goes now, it on the restart.
        holder = Holder(folder + '\\' + held)
        try:
            self.uninstall(folder, 'HKLM')
        finally:
            holder.release()
        self.assertIsNone(service_state())
        self.assertEqual({held}, set(os.listdir(unix)))
        rc, out = wine('reg', 'query', PENDING, '/v', 'PendingFileRenameOperations')
        self.assertIn(folder + '\\' + held, out)
        if self.shellex:
            self.assertEqual({}, self.extension_handlers(r'HKLM\Software\Classes'))

        # The restart: Wine's boot sequence carries out the pending deletions.
        wine('wineboot', '-r')
        self.assertFalse(os.path.exists(unix), os.listdir(unix) if os.path.exists(unix) else '')
        after = registry()
        self.assertEqual([], changes(before, after))
        self.assertEqual([], removed(before, after))

    def test_for_one_user_installs_without_service_and_removal_leaves_nothing(self):
        before = registry()
        rc, out = wine('cmd', '/c', 'echo %LOCALAPPDATA%')
        folder = out.strip().splitlines()[-1] + r'\Programs\Swiftlet'
        unix = unix_path(folder)

        self.assertEqual(0, self.install(VERSION, '/CurrentUser'))
        entry = self.entry('HKCU')
        self.assertEqual(folder, entry['InstallLocation'])
        self.assertIsNone(self.entry('HKLM'))
        self.assertIsNone(service_state())
        expected = {'Swiftlet.exe', 'SwiftletConsole.exe', 'README.txt', 'Uninstall.exe'}
        if self.shellex:
            expected.add(SHELLEX)
        self.assertEqual(expected, set(os.listdir(unix)))

        if self.shellex:
            handlers = self.extension_handlers(r'HKCU\Software\Classes')
            self.assertEqual(1, len(handlers), handlers)
            self.assertIn(folder + '\\' + SHELLEX, list(handlers.values())[0])
            # Nothing for the machine: no administrator rights were needed.
            self.assertEqual({}, self.extension_handlers(r'HKLM\Software\Classes'))
        self.assert_copies(folder)

        # Again over itself: stays where it is, for the user.
        self.assertEqual(0, self.install(VERSION))
        self.assertEqual(folder, self.entry('HKCU')['InstallLocation'])
        self.assertIsNone(self.entry('HKLM'))

        self.uninstall(folder, 'HKCU')
        self.assertFalse(os.path.exists(unix), os.listdir(unix) if os.path.exists(unix) else '')
        # The uninstaller's own copy in the temporary folder goes on the next restart.
        wine('wineboot', '-r')
        after = registry()
        self.assertEqual([], changes(before, after))
        self.assertEqual([], removed(before, after))


if __name__ == '__main__':
    unittest.main(verbosity=2)
