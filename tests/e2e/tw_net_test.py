"""End to end: tw_net bridges as real processes, between small test games on loopback."""
import argparse
import hashlib
import os
import signal
import socket
import subprocess
import sys
import threading
import time
import unittest

from e2e_support import end_process, wait_for

ARGS = None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Collector(threading.Thread):
    """Reads a connection to its end, keeping the bytes."""

    def __init__(self, conn):
        super().__init__(daemon=True)
        self.conn, self.data = conn, bytearray()
        self.start()

    def run(self):
        try:
            while True:
                chunk = self.conn.recv(65536)
                if not chunk:
                    break
                self.data += chunk
        except OSError:
            pass


class Listener:
    """A test game's listening port: accepts connections and records when each came."""

    def __init__(self, port):
        self.sock = socket.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.bind(("127.0.0.1", port))
        self.sock.listen(8)
        self.accepted, self.times = [], []
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        try:
            while True:
                conn, _ = self.sock.accept()
                self.times.append(time.monotonic())
                self.accepted.append(conn)
        except OSError:
            pass

    def close(self):
        self.sock.close()


def exchange(test, a, b, size, early=b"", context=lambda: ""):
    """Sends `size` random bytes each way between the ends `a` and `b` of a relayed stream at once and
    checks that each side got the other's bytes intact and in order (`a` first got `early`)."""
    to_b, to_a = os.urandom(size), os.urandom(size)
    at_a, at_b = Collector(a), Collector(b)
    sender = threading.Thread(target=b.sendall, args=(to_a,))
    sender.start()
    a.sendall(to_b)
    sender.join(timeout=60)
    test.assertTrue(wait_for(lambda: len(at_a.data) == len(early) + size and len(at_b.data) == size, 60),
                    "%d and %d bytes arrived\n%s" % (len(at_a.data), len(at_b.data), context()))
    test.assertEqual(bytes(at_a.data[:len(early)]), early)
    test.assertEqual(hashlib.sha256(at_a.data[len(early):]).digest(), hashlib.sha256(to_a).digest())
    test.assertEqual(hashlib.sha256(at_b.data).digest(), hashlib.sha256(to_b).digest())


def connect(port, timeout=20):
    deadline = time.monotonic() + timeout
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=timeout)
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.05)


class TwNet:
    command = None  # the program to start; the Linux build unless a subclass says otherwise

    def __init__(self, *args):
        command = self.command or [ARGS.tw_net]
        self.process = subprocess.Popen([*command, *map(str, args)], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE)
        self.log = bytearray()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.process.stderr:
            self.log += line

    def text(self):
        return self.log.decode(errors="replace")

    def wait_log(self, text, timeout=20):
        return wait_for(lambda: text in self.text(), timeout)

    def wait(self, timeout=20):
        code = self.process.wait(timeout=timeout)
        self._reader.join(timeout=5)
        return code

    def end(self):
        end_process(self.process)
        self._reader.join(timeout=5)
        self.process.stderr.close()


class CommandLine(unittest.TestCase):
    USAGE = ("usage: tw_net --game-listen|--game-connect <port> --peer-listen|--peer-connect <port> | "
             "--peer-steam <id> | --peer-steam-any\n"
             "       tw_net --control <port>   (lobbies for the launcher)\n")

    def run_tw_net(self, *args):
        return subprocess.run([ARGS.tw_net, *args], capture_output=True, timeout=30)

    def test_usage(self):
        for args in ([], ["--game-listen", "5000"], ["--game-listen", "--peer-steam-any"], ["--peer-connect", "1"]):
            with self.subTest(args=args):
                result = self.run_tw_net(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stderr.decode(), self.USAGE)
                self.assertEqual(len(result.stderr), 185)

    def test_steam_without_the_runtime_library(self):
        for args in (["--game-listen", "5000", "--peer-steam-any", "--peer-listen", "6000"],
                     ["--game-connect", "5000", "--peer-steam", "76561198000000001"], ["--control", "4000"]):
            with self.subTest(args=args):
                result = self.run_tw_net(*args)
                self.assertEqual(result.returncode, 3)
                self.assertIn(b"[tw_net] libsteam_api.so not found\n", result.stderr)

    def test_a_port_in_use(self):
        with socket.socket() as busy:
            busy.bind(("127.0.0.1", 0))
            busy.listen(1)
            port = busy.getsockname()[1]
            result = self.run_tw_net("--game-listen", "1", "--peer-listen", str(port))
            self.assertEqual(result.returncode, 3)
            self.assertIn(("[tw_net] cannot listen on 127.0.0.1:%d\n" % port).encode(), result.stderr)


class Relay(unittest.TestCase):
    """Game A (listens) - tw_net 1 (--game-connect, --peer-listen) - tw_net 2 (--peer-connect,
    --game-listen) - game B (connects)."""

    def setUp(self):
        self.a_port, self.peer_port, self.b_port = free_port(), free_port(), free_port()
        self.processes = []

    def tearDown(self):
        for p in self.processes:
            p.end()

    def start(self, *args):
        p = TwNet(*args)
        self.processes.append(p)
        return p

    def test_streams_arrive_intact_and_closing_ends_both(self):
        size = 6 << 20
        early = b"sent by game B before game A listened"
        one = self.start("--game-connect", self.a_port, "--peer-listen", self.peer_port)
        two = self.start("--game-listen", self.b_port, "--peer-connect", self.peer_port)
        game_b = connect(self.b_port)
        game_b.sendall(early)
        self.assertTrue(two.wait_log("game connected"))
        time.sleep(0.5)  # the early bytes wait in tw_net 1 for game A
        listener = Listener(self.a_port)
        self.assertTrue(wait_for(lambda: listener.accepted, 20), "tw_net 1 never connected to game A")
        game_a = listener.accepted[0]
        exchange(self, game_a, game_b, size, early=early)  # the queued bytes come first
        game_a.shutdown(socket.SHUT_RDWR)  # another thread still reads it: close alone sends nothing
        game_a.close()
        self.assertEqual(one.wait(), 0)
        self.assertEqual(two.wait(), 0)
        self.assertIn("[tw_net] game closed (%d bytes sent)\n" % size, one.text())
        self.assertIn("[tw_net] peer closed\n", two.text())
        self.assertIn("[tw_net] game closed (%d bytes sent)\n" % (size + len(early)), two.text())
        listener.close()

    def test_a_game_that_sends_nothing(self):
        listener = Listener(self.a_port)
        one = self.start("--game-connect", self.a_port, "--peer-listen", self.peer_port)
        two = self.start("--game-listen", self.b_port, "--peer-connect", self.peer_port)
        game_b = connect(self.b_port)
        self.assertTrue(wait_for(lambda: listener.accepted, 20))
        game_b.close()
        self.assertEqual(two.wait(), 0)
        self.assertEqual(one.wait(), 0)
        self.assertIn("[tw_net] game closed (0 bytes sent)\n", two.text())
        listener.close()


    def test_the_queue_for_a_game_that_never_listens_is_bounded(self):
        one = self.start("--game-connect", self.a_port, "--peer-listen", self.peer_port)
        two = self.start("--game-listen", self.b_port, "--peer-connect", self.peer_port)
        game_b = connect(self.b_port)
        self.assertTrue(two.wait_log("game connected"))
        sender = threading.Thread(target=lambda: self._send_quietly(game_b, os.urandom(1 << 20), 80))
        sender.start()
        self.assertEqual(one.wait(60), 0)  # no game A ever: tw_net 1 gives up past 64 MiB
        self.assertIn("bytes queued for it: closing", one.text())
        self.assertIn("[tw_net] game closed (0 bytes sent)\n", one.text())
        self.assertEqual(two.wait(30), 0)
        sender.join(timeout=30)

    @staticmethod
    def _send_quietly(conn, block, times):
        try:
            for _ in range(times):
                conn.sendall(block)
        except OSError:
            pass


class Links(unittest.TestCase):
    def setUp(self):
        self.game, self.peer, self.b_port = free_port(), free_port(), free_port()
        self.spec_listen, self.spec_game, self.player_listen = free_port(), free_port(), free_port()
        self.processes, self.sockets = [], []

    def tearDown(self):
        for p in self.processes:
            p.end()
        for s in self.sockets:
            s.close()

    def bridge(self):
        """tw_net 1 serves the links beside its main stream to game A; tw_net 2 is the peer."""
        one = TwNet("--game-connect", self.game, "--peer-listen", self.peer, "--spec-listen", self.spec_listen,
                    "--spec-game", self.spec_game, "--player-listen", self.player_listen)
        two = TwNet("--game-listen", self.b_port, "--peer-connect", self.peer)
        self.processes += [one, two]
        self.assertTrue(one.wait_log("listening on 127.0.0.1:%d" % self.spec_listen))
        self.assertTrue(one.wait_log("listening on 127.0.0.1:%d" % self.player_listen))
        return one, two

    def test_extra_players_connect_in_turn_after_the_main_stream(self):
        one, _ = self.bridge()
        players = [connect(self.player_listen), connect(self.player_listen)]
        self.sockets += players
        time.sleep(0.5)  # game A is not listening yet: nobody connects to it
        game = Listener(self.game)
        self.sockets.append(game.sock)
        self.assertTrue(wait_for(lambda: len(game.accepted) == 3, 20), one.text())
        main_at, first_at, second_at = game.times
        self.assertGreaterEqual(first_at - main_at, 0.19)
        self.assertGreaterEqual(second_at - first_at, 0.19)
        self.assertEqual(one.text().count(": game connected"), 2)

    def test_spectators(self):
        game = Listener(self.game)
        self.sockets.append(game.sock)
        one, _ = self.bridge()
        game_b = connect(self.b_port)
        self.sockets.append(game_b)
        self.assertTrue(wait_for(lambda: game.accepted, 20))
        main_a = game.accepted[0]
        # A spectator that sends nothing never opens a game connection.
        silent = connect(self.spec_listen)
        self.sockets.append(silent)
        # One that sends while the game's spectator port refuses keeps retrying; the match goes on.
        watcher = connect(self.spec_listen)
        self.sockets.append(watcher)
        watcher.sendall(b"hello game")
        time.sleep(0.6)
        at_b = Collector(game_b)
        main_a.sendall(b"match goes on")
        self.assertTrue(wait_for(lambda: bytes(at_b.data) == b"match goes on", 10))
        spec_game = Listener(self.spec_game)
        self.sockets.append(spec_game.sock)
        self.assertTrue(wait_for(lambda: spec_game.accepted, 10), "the spectator link never connected")
        conn = spec_game.accepted[0]
        got = Collector(conn)
        self.assertTrue(wait_for(lambda: bytes(got.data) == b"hello game", 10))
        time.sleep(0.5)
        self.assertEqual(len(spec_game.accepted), 1, "the silent spectator opened a game connection")
        # Closing the watcher closes its link and nothing else.
        watcher.shutdown(socket.SHUT_RDWR)
        watcher.close()
        self.assertTrue(one.wait_log("spectator"))
        self.assertTrue(wait_for(lambda: ": closed" in one.text(), 10), one.text())
        main_a.sendall(b" still")
        self.assertTrue(wait_for(lambda: bytes(at_b.data) == b"match goes on still", 10))
        self.assertIsNone(one.process.poll())


class CrashReport(unittest.TestCase):
    @unittest.skipIf(os.environ.get("TW_NET_SKIP_CRASH"), os.environ.get("TW_NET_SKIP_CRASH"))
    def test_a_fatal_signal_is_reported(self):
        p = TwNet("--game-listen", free_port(), "--peer-listen", free_port())
        try:
            self.assertTrue(p.wait_log("listening on"))
            os.kill(p.process.pid, signal.SIGSEGV)
            code = p.wait()
            self.assertEqual(code, -signal.SIGSEGV)
            lines = p.text().splitlines()
            crash = [i for i, line in enumerate(lines) if line.startswith("[tw_net] CRASH 0000000B at ")]
            self.assertTrue(crash, p.text())
            frames = [line for line in lines[crash[0] + 1:] if line.startswith("    ") and "!" in line]
            self.assertGreaterEqual(len(frames), 1, p.text())
            self.assertLessEqual(len(frames), 24)
        finally:
            p.end()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--tw-net", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])
