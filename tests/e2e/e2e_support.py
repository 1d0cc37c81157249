"""Helpers for the end-to-end tests: a private Xvfb, demo-like install folders, and processes that
are always ended by their own id and waited for with a deadline."""
import os
import shutil
import signal
import subprocess
import tempfile
import time


class Xvfb:
    """An X server on a free display number, chosen by the server itself (-displayfd)."""

    def __init__(self, size="1920x1080x24"):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("SDL_VIDEO_DRIVER", None)
        env.pop("VADUREZIZUVAZO", None)
        env.update(extra or {})
        return env

    def close(self):
        end_process(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def end_process(process, grace=5.0):
    """Ends one process by its id: SIGTERM, then SIGKILL after `grace` seconds."""
    if process.poll() is not None:
        return process.returncode
    try:
        os.kill(process.pid, signal.SIGTERM)
        return process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        os.kill(process.pid, signal.SIGKILL)
        return process.wait(timeout=grace)
    except ProcessLookupError:
        return process.wait(timeout=grace)


def wait_for(predicate, timeout, interval=0.05):
    """Polls `predicate` until it returns something true, or the deadline passes (returns None)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return None


def viewable_window(x, probe, title="Quillmarch"):
    """[id, width, height, "1"] of the shown top-level window with that title, or None."""
    result = subprocess.run([probe, "find", title], env=x.env(), capture_output=True, text=True, timeout=10)
    fields = result.stdout.split()
    return fields if result.returncode == 0 and fields[3] == "1" else None


def close_window(test, x, probe, launcher, window):
    """Asks the launcher's window to close, as a window manager would, and expects exit code 0."""
    subprocess.run([probe, "close", window[0]], env=x.env(), timeout=10)
    test.assertEqual(launcher.wait(timeout=20), 0)


class Install:
    """A temporary install folder laid out like a real one, with the launcher in runtime/build."""

    def __init__(self, launcher, version="1.0.0"):
        self.root = tempfile.mkdtemp(prefix="qm_e2e_")
        os.makedirs(os.path.join(self.root, "tools"))
        self.launcher = self.write("runtime/build/launcher")
        shutil.copy2(launcher, self.launcher)
        if version is not None:
            self.write("VERSION", version + "\r\n")

    def make_ready(self, game_exe, build_folder="build", game_id="brawl"):
        """The files of a finished build, with the stand-in game as the game's executable."""
        self.write("Disc/DATA/sys/main.dol")
        self.write("assets/%s.elf" % game_id)
        self.write("runtime/%s/game.dll" % build_folder)
        shutil.copy2(game_exe, self.path("runtime/%s/tarnwick" % build_folder))

    def write(self, relative, content=""):
        path = os.path.join(self.root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(content)
        return path

    def path(self, relative):
        return os.path.join(self.root, relative)

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.remove()
