"""The Wine session the copy benchmark runs in, made to look like a user's Windows
session: a desktop that stays up, and Swiftlet's disk cache service installed and running
(as an installation has it). Both are undone at the end."""
import os
import subprocess
import time

SERVICE = "SwiftletSrv"


class Session:
    def __init__(self, wine, build, prefix, log=print):
        self.wine, self.build, self.prefix, self.log = wine, build, prefix, log
        self.desktop = None
        self.service = False
        self.drive = None  # the link of a drive letter this session made

    def map_drive(self, folder):
        """Shows folder as a drive of its own (its letter, or None): a program then takes it
        for another volume, although it is the same disk."""
        devices = os.path.join(self.prefix, "dosdevices")
        for letter in "rstuvwxy":
            link = os.path.join(devices, letter + ":")
            if not os.path.lexists(link):
                os.symlink(os.path.abspath(folder), link)
                self.drive = link
                return letter.upper()
        return None

    def _run(self, *args, timeout=120):
        try:
            proc = subprocess.run([self.wine, *args], stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=timeout)
            return proc.returncode, proc.stdout.decode("utf-8", "replace")
        except (OSError, subprocess.SubprocessError) as e:
            return -1, str(e)

    def hold_desktop(self):
        exe = os.path.join(self.build, "DesktopHold.exe")
        if not os.path.exists(exe):
            return False
        self.desktop = subprocess.Popen([self.wine, exe, "/hold"], stdin=subprocess.PIPE,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(2)  # the desktop process is up before the first timed run
        return self.desktop.poll() is None

    def _state(self):
        _, out = self._run("sc", "query", SERVICE, timeout=60)
        for state in ("RUNNING", "STOPPED", "START_PENDING", "STOP_PENDING"):
            if state in out:
                return state
        return None

    def _wait_state(self, wanted, seconds=30):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self._state() == wanted:
                return True
            time.sleep(0.3)
        return False

    def start_service(self):
        """Installs and starts the service; False (with the reason logged) when it cannot."""
        exe = os.path.join(self.build, "SwiftletSrv.exe")
        if not os.path.exists(exe):
            self.log("  disk cache service: not built, jobs wait for it about a second each")
            return False
        self.remove_service()  # whatever an earlier run left behind
        path = "Z:" + os.path.abspath(exe).replace("/", "\\")
        rc, out = self._run("sc", "create", SERVICE, "binPath=", path)
        if rc != 0:
            self.log(f"  disk cache service: sc create failed ({rc}): {out.strip()[:200]}")
            return False
        self.service = True
        return self.resume_service()

    def resume_service(self):
        if not self.service:
            return False
        if self._state() != "RUNNING":
            self._run("sc", "start", SERVICE)
        if not self._wait_state("RUNNING"):
            self.log("  disk cache service: did not reach RUNNING")
            return False
        return True

    def pause_service(self):
        if self.service and self._state() != "STOPPED":
            self._run("sc", "stop", SERVICE)
            self._wait_state("STOPPED")

    def remove_service(self):
        if self._state() is None:
            return
        self._run("sc", "stop", SERVICE)
        self._wait_state("STOPPED", 15)
        self._run("sc", "delete", SERVICE)
        self.service = False

    def close(self):
        if self.drive:
            os.remove(self.drive)
            self.drive = None
        if self.service:
            self.remove_service()
        if self.desktop:
            try:
                self.desktop.stdin.close()
                self.desktop.wait(timeout=15)
            except (OSError, subprocess.TimeoutExpired):
                self.desktop.kill()
                self.desktop.wait()
            self.desktop = None
