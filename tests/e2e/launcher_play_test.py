"""End to end: --play in the windowed launcher and headless play for an outside front end."""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

from e2e_support import Install, Xvfb, close_window, end_process, viewable_window, wait_for

ARGS = None


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie is gone for our purposes.
    with open("/proc/%d/stat" % pid) as stat:
        return stat.read().split(")")[-1].split()[0] != "Z"


def game_env(behaviour, **extra):
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "VADUREZIZUVAZO", "VADUREZIZUVAZO_MODE", "TW_FULLSCREEN"):
        env.pop(name, None)
    env["QM_STANDIN_GAME"] = behaviour
    env.update(extra)
    return env


class HeadlessPlay(unittest.TestCase):
    """Hosted mode: no display at all is given, so any attempt at a window would fail."""

    def run_headless(self, install, game, behaviour="exit=0", **extra):
        env = game_env(behaviour, VADUREZIZUVAZO="1", **extra)
        return subprocess.run([install.launcher, "--play", game], env=env, capture_output=True, timeout=60)

    def test_exit_codes(self):
        with Install(ARGS.launcher) as install:
            result = self.run_headless(install, "rex")
            self.assertEqual(result.returncode, 2)
            self.assertEqual(result.stderr.decode(), "Super Smash REX 0\u00bd: Set up: needs your Brawl (USA) disc image.\n")

            install.make_ready(ARGS.game)
            os.remove(install.path("runtime/build/tarnwick"))
            result = self.run_headless(install, "brawl")
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stderr.decode(),
                             "Could not start %s (error 2).\n" % install.path("runtime/build/tarnwick"))

            install.make_ready(ARGS.game)
            install.write("launcher.ini", "version=rex\nfullscreen=1\n")  # headless play reads it
            result = self.run_headless(install, "brawl", "exit=3")
            self.assertEqual(result.returncode, 3)
            with open(install.path("logs/brawl.log")) as log:
                text = log.read()
            self.assertIn("\nTW_FULLSCREEN=1\n", text)
            with open(install.path("launcher.ini")) as ini:
                self.assertEqual(ini.read(), "version=rex\nfullscreen=1\n")  # never written

            install.write("launcher.ini", "")
            result = self.run_headless(install, "brawl", "exit=0", VADUREZIZUVAZO_MODE="bigpicture")
            self.assertEqual(result.returncode, 0)
            with open(install.path("logs/brawl.log")) as log:
                self.assertIn("\nTW_FULLSCREEN=1\n", log.read())

    def test_killing_the_launcher_ends_the_game(self):
        with Install(ARGS.launcher) as install:
            install.make_ready(ARGS.game)
            launcher = subprocess.Popen([install.launcher, "--play", "brawl"],
                                        env=game_env("stay=30000", VADUREZIZUVAZO="1"),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            game_pid = None
            try:
                def read_pid():
                    try:
                        with open(install.path("logs/brawl.log")) as log:
                            found = re.search(r"^pid=(\d+)$", log.read(), re.M)
                            return int(found.group(1)) if found else None
                    except FileNotFoundError:
                        return None
                game_pid = wait_for(read_pid, timeout=20)
                self.assertIsNotNone(game_pid, "the game did not start")
                self.assertTrue(alive(game_pid))
                os.kill(launcher.pid, signal.SIGKILL)
                launcher.wait(timeout=10)
                self.assertTrue(wait_for(lambda: not alive(game_pid), timeout=10), "the game outlived the launcher")
            finally:
                end_process(launcher)
                if game_pid and alive(game_pid):
                    os.kill(game_pid, signal.SIGKILL)


class Prepare(unittest.TestCase):
    """--prepare runs the build script with the launcher's own arguments and returns its code."""

    def test_pass_through(self):
        with Install(ARGS.launcher) as install:
            shutil.copy2(ARGS.build_script, install.path("tools/quillmarch_build.py"))
            install.write("Disc/DATA/sys/main.dol")
            env = game_env("", QM_STANDIN_BUILD="exit=4,noerror", QM_STANDIN_GAME_EXE=ARGS.game)
            odd = "C:\\Games\\½ \"quoted\" dir\\"
            result = subprocess.run([install.launcher, "--play", "brawl", "--prepare", "--game", "brawl", odd],
                                    env=env, cwd="/", capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 4, result.stderr)
            first = result.stdout.decode().splitlines()[0]
            self.assertEqual(json.loads(first[len("args: "):]), ["--play", "brawl", "--prepare", "--game", "brawl", odd])
            self.assertIn("## Extracting the disc", result.stdout.decode())
            self.assertFalse(os.path.exists(install.path("logs")))  # nothing of the windowed launcher ran

            env["PATH"] = "/nonexistent"
            result = subprocess.run([install.launcher, "--prepare"], env=env, capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 1)
            self.assertEqual(result.stdout, b"")


class WindowedPlay(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = Xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.x.close()

    def window(self):
        return viewable_window(self.x, ARGS.probe)

    def test_play_starts_the_game_before_the_window_shows(self):
        with Install(ARGS.launcher) as install:
            install.make_ready(ARGS.game)
            launcher = subprocess.Popen([install.launcher, "--play", "brawl"],
                                        env=self.x.env({"QM_STANDIN_GAME": "stay=2000"}),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                started = time.monotonic()
                self.assertTrue(wait_for(lambda: os.path.exists(install.path("logs/brawl.log")), timeout=20))
                self.assertIsNone(self.window(), "the window showed while the game ran")
                shown = wait_for(self.window, timeout=30)
                self.assertIsNotNone(shown, "the window did not show after the game ended")
                self.assertGreaterEqual(time.monotonic() - started, 1.5)
                close_window(self, self.x, ARGS.probe, launcher, shown)
            finally:
                end_process(launcher)

    def test_hosted_mode_needs_exactly_one(self):
        with Install(ARGS.launcher) as install:
            install.make_ready(ARGS.game)
            launcher = subprocess.Popen([install.launcher, "--play", "rex"],
                                        env=self.x.env({"VADUREZIZUVAZO": "10"}),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                shown = wait_for(self.window, timeout=20)
                self.assertIsNotNone(shown, "VADUREZIZUVAZO=10 must not mean hosted mode")
                close_window(self, self.x, ARGS.probe, launcher, shown)
            finally:
                end_process(launcher)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--game", required=True)
    parser.add_argument("--build-script", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])
