"""tw_net.exe, the Windows build, under Wine: its command line, and one TCP bridge relay against the
Linux tw_net, so both builds speak the same stream."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import tw_net_test
from tw_net_test import Listener, TwNet, connect, exchange, free_port
from e2e_support import wait_for

ARGS = None
WINE = "/usr/lib/wine/wine64"
SKIP = 77  # CTest's skip code, for a machine without Wine


class WineTwNet(TwNet):
    def __init__(self, *args, exe=None):
        self.command = [WINE, exe or ARGS.bare_exe]
        super().__init__(*args)


def wine_env():
    env = dict(os.environ)
    env.update(WINEPREFIX=ARGS.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


class Windows(unittest.TestCase):
    def run_exe(self, *args):
        return subprocess.run([WINE, ARGS.bare_exe, *args], env=wine_env(), capture_output=True, timeout=120)

    def test_command_line(self):
        cases = [([], 2), (["--game-listen", "5000"], 2), (["--game-listen", "--peer-steam-any"], 2),
                 (["--game-listen", "5000", "--peer-steam-any", "--peer-listen", "6000"], 3)]
        for args, code in cases:
            with self.subTest(args=args):
                result = self.run_exe(*args)
                self.assertEqual(result.returncode, code)
                if code == 2:
                    self.assertEqual(result.stderr.decode(), tw_net_test.CommandLine.USAGE)  # LF only, 185 bytes
                else:
                    self.assertIn(b"[tw_net] steam_api64.dll not found\n", result.stderr)

    def test_relay_against_the_linux_build(self):
        a_port, peer_port, b_port = free_port(), free_port(), free_port()
        size = 1 << 20
        listener = Listener(a_port)
        windows = WineTwNet("--game-connect", a_port, "--peer-listen", peer_port)
        linux = None
        try:
            self.assertTrue(windows.wait_log("listening on 127.0.0.1:%d" % peer_port, 60), windows.text())
            linux = TwNet("--game-listen", b_port, "--peer-connect", peer_port)
            game_b = connect(b_port)
            self.assertTrue(wait_for(lambda: listener.accepted, 30), windows.text())
            game_a = listener.accepted[0]
            exchange(self, game_a, game_b, size, context=windows.text)
            game_a.shutdown(2)
            game_a.close()
            self.assertEqual(windows.wait(60), 0)
            self.assertEqual(linux.wait(30), 0)
            self.assertIn("[tw_net] game closed (%d bytes sent)\n" % size, windows.text())
        finally:
            windows.end()
            if linux:
                linux.end()
            listener.close()


class WindowsOnSteam(unittest.TestCase):
    """tw_net.exe with the stand-in steam_api64.dll beside it, against the Linux tw_net, through the
    same stand-in hub."""

    def test_steam_bridge_against_the_linux_build(self):
        import tw_net_steam_test as steam
        hub = steam.Hub()
        listener = Listener(free_port())
        processes = []
        try:
            os.environ.update(QM_STEAM_HUB=str(hub.port), QM_STEAM_ID=str(steam.HOST), QM_STEAM_NAME="Host")
            host = WineTwNet("--game-connect", listener.sock.getsockname()[1], "--peer-steam-any", exe=ARGS.exe)
            processes.append(host)
            self.assertTrue(host.wait_log("Steam running as (id-0001)", 60), host.text())
            b_port = free_port()
            os.environ.update(QM_STEAM_ID=str(steam.GUEST), QM_STEAM_NAME="Guest")
            guest = steam.SteamTwNet(hub.port, steam.GUEST, "--game-listen", b_port, "--peer-steam", steam.HOST,
                                     name="Guest")
            processes.append(guest)
            game_b = connect(b_port)
            self.assertTrue(wait_for(lambda: listener.accepted, 30), host.text())
            exchange(self, listener.accepted[0], game_b, 1 << 20, context=lambda: host.text() + guest.text())
            self.assertIn("[tw_net] player id-0002 connected\n", host.text())
            game_b.shutdown(2)
            game_b.close()
            self.assertEqual(guest.wait(30), 0)
        finally:
            for p in processes:
                p.end()
            listener.close()
            hub.close()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--tw-net", required=True)
    parser.add_argument("--steam-library", required=True)
    parser.add_argument("--linux-steam-library", required=True)
    parser.add_argument("--hub", required=True)
    ARGS, rest = parser.parse_known_args()
    if not os.path.exists(WINE) or not os.path.exists(ARGS.exe):
        print("skipped: no Wine or no tw_net.exe (./scripts/test builds it)")
        sys.exit(SKIP)
    tw_net_test.ARGS = argparse.Namespace(tw_net=ARGS.tw_net)
    import tw_net_steam_test
    ARGS.prefix = tempfile.mkdtemp(prefix="qm_wine_")
    # The Linux tw_net with its stand-in runtime library beside it, for the other end.
    linux = os.path.join(ARGS.prefix, "linux")
    os.makedirs(linux)
    shutil.copy2(ARGS.tw_net, os.path.join(linux, "tw_net"))
    shutil.copy2(ARGS.linux_steam_library, os.path.join(linux, "libsteam_api.so"))
    tw_net_steam_test.ARGS = argparse.Namespace(hub=ARGS.hub, folder=linux)
    # A folder with tw_net.exe alone, where no Steam runtime library can be found.
    ARGS.bare_exe = os.path.join(ARGS.prefix, "bare", "tw_net.exe")
    os.makedirs(os.path.dirname(ARGS.bare_exe))
    shutil.copy2(ARGS.exe, ARGS.bare_exe)
    os.environ.update(wine_env())  # every Wine process of the run uses this prefix
    try:
        # The first start of a prefix sets it up (about 20 seconds on a fresh machine).
        subprocess.run([WINE, "cmd", "/c", "exit"], env=wine_env(), capture_output=True, timeout=300)
        program = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False)
        code = 0 if program.result.wasSuccessful() else 1
    finally:
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=wine_env(), capture_output=True, timeout=60)
        shutil.rmtree(ARGS.prefix, ignore_errors=True)
    sys.exit(code)
