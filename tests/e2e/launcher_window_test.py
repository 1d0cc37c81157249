"""End to end: the built launcher, started from an install folder under a private Xvfb."""
import argparse
import os
import subprocess
import sys
import unittest

from e2e_support import Install, Xvfb, close_window, end_process, viewable_window, wait_for

ARGS = None


class LauncherWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = Xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.x.close()

    def probe(self, *args):
        result = subprocess.run([ARGS.probe, *args], env=self.x.env(), capture_output=True, text=True, timeout=10)
        return result.stdout.split() if result.returncode == 0 else None

    def wait_for_window(self):
        """The launcher's window once it is shown: [id, width, height, viewable]."""
        return wait_for(lambda: viewable_window(self.x, ARGS.probe), timeout=20)

    def test_window_title_size_and_close_request(self):
        with Install(ARGS.launcher) as install:
            launcher = subprocess.Popen([install.launcher], env=self.x.env(), cwd=install.root,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                found = self.wait_for_window()
                self.assertIsNotNone(found, "no viewable window titled Quillmarch appeared")
                window, width, height, _ = found
                self.assertEqual((int(width), int(height)), (1180, 720))
                self.assertIsNotNone(self.probe("close", window))
                _, err = launcher.communicate(timeout=20)
                self.assertEqual(launcher.returncode, 0, err.decode(errors="replace"))
            finally:
                end_process(launcher)

    def run_status(self, install, args=("--status",)):
        result = subprocess.run([install.launcher, *args], env=self.x.env(), cwd="/", capture_output=True, timeout=30)
        return result.returncode

    def test_status_reports_each_game(self):
        disc, built = "Disc/DATA/sys/main.dol", ("assets/brawl.elf", "runtime/build/game.dll")
        cases = [
            ("fresh", [], "1.0.0", [
                "brawl: Set up: needs your Brawl (USA) disc image.",
                "pplus: Set up: needs your Brawl (USA) disc image.",
                "rex: Set up: needs your Brawl (USA) disc image."]),
            ("brawl built, old stamp", [disc, *built, ("runtime/build/quillmarch_version.txt", "0.9.0\n")], "1.0.0", [
                "brawl: Updated to 1.0.0: press UPDATE GAME to rebuild (only changed parts, a few minutes).",
                "pplus: Set up: needs your Project+ v3.2.1 (Wii) download.",
                "rex: Set up: needs your REX 0\u00bd Hotfix 1 (Wii) download."]),
            ("brawl ready, pplus sources", [disc, *built, "Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)/Project+/pf"],
             None, [
                "brawl: READY",
                "pplus: Set up: ready to build.",
                "rex: Set up: needs your REX 0\u00bd Hotfix 1 (Wii) download."]),
        ]
        for name, files, version, expected in cases:
            with self.subTest(name), Install(ARGS.launcher, version=version) as install:
                os.makedirs(install.path("logs"))
                for f in files:
                    path, content = f if isinstance(f, tuple) else (f, "")
                    install.write(path, content)
                self.assertEqual(self.run_status(install), 0)
                with open(install.path("logs/status.txt"), encoding="utf-8") as status:
                    self.assertEqual(status.read().splitlines(), expected)

    def test_status_without_logs_writes_nothing(self):
        with Install(ARGS.launcher) as install:
            self.assertEqual(self.run_status(install), 0)
            self.assertFalse(os.path.exists(install.path("logs")))

    def test_status_counts_only_as_second_argument(self):
        # Anywhere else the normal launcher starts; it is closed again through its window.
        with Install(ARGS.launcher) as install:
            os.makedirs(install.path("logs"))
            launcher = subprocess.Popen([install.launcher, "--play", "nothing", "--status"], env=self.x.env(),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                found = self.wait_for_window()
                self.assertIsNotNone(found, "no viewable window titled Quillmarch appeared")
                close_window(self, self.x, ARGS.probe, launcher, found)
                self.assertFalse(os.path.exists(install.path("logs/status.txt")))
            finally:
                end_process(launcher)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--probe", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])
