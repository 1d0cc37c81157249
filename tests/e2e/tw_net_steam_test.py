"""End to end: tw_net on Steam, through the stand-in Steam runtime library and hub on loopback."""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

import tw_net_test
from tw_net_test import Collector, Listener, connect, exchange, free_port
from e2e_support import end_process, wait_for

ARGS = None
HOST, GUEST, WATCHER, STRANGER = 76561198000000001, 76561198000000002, 76561198000000003, 76561198000000004


class Hub:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="qm_hub_")
        port_file = os.path.join(self.folder, "ports")
        self.process = subprocess.Popen([sys.executable, ARGS.hub, "--port-file", port_file],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.exists(port_file), 20):
            raise RuntimeError("the stand-in hub did not start")
        with open(port_file) as ports:
            self.port, self.control_port = map(int, ports.read().split())
        self.control = socket.create_connection(("127.0.0.1", self.control_port), timeout=10)

    def tell(self, line):
        self.control.sendall((line + "\n").encode())
        self.control.recv(16)

    def close(self):
        self.control.close()
        end_process(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)


class SteamTwNet(tw_net_test.TwNet):
    """tw_net as one signed-in Steam user; the runtime library sits beside the executable."""

    def __init__(self, hub_port, steam_id, *args, name="Player"):
        os.environ.update(QM_STEAM_HUB=str(hub_port), QM_STEAM_ID=str(steam_id), QM_STEAM_NAME=name)
        self.command = [ARGS.folder + "/tw_net"]
        super().__init__(*args)


class SteamBridge(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.hub = Hub()

    @classmethod
    def tearDownClass(cls):
        cls.hub.close()

    def setUp(self):
        self.processes, self.sockets = [], []
        self.hub.tell("latency 0")

    def tearDown(self):
        for p in self.processes:
            p.end()
        for s in self.sockets:
            s.close()

    def start(self, steam_id, *args, name="Player"):
        p = SteamTwNet(self.hub.port, steam_id, *args, name=name)
        self.processes.append(p)
        return p

    def test_sign_in_and_no_client(self):
        p = SteamTwNet(free_port(), HOST, "--game-listen", free_port(), "--peer-steam-any")
        self.assertEqual(p.wait(), 3)
        self.assertIn("[tw_net] Steam not available: Steam client is not running (no stand-in hub answers)\n", p.text())
        p = self.start(STRANGER, "--game-listen", free_port(), "--peer-steam-any", name="Alice Smith")
        self.assertTrue(p.wait_log("Steam running as"), p.text())
        self.assertIn("[tw_net] Steam running as (id-0004)\n", p.text())

    def test_a_match_over_steam_with_latency_then_the_peer_drops(self):
        self.hub.tell("latency 20")
        game_a, game_b_port = Listener(free_port()), free_port()
        self.sockets.append(game_a.sock)
        host = self.start(HOST, "--game-connect", game_a.sock.getsockname()[1], "--peer-steam-any")
        guest = self.start(GUEST, "--game-listen", game_b_port, "--peer-steam", HOST)
        self.assertTrue(host.wait_log("Steam running as") and guest.wait_log("listening on"))
        game_b = connect(game_b_port)
        self.sockets.append(game_b)
        size = 4 << 20
        self.assertTrue(wait_for(lambda: game_a.accepted, 20), host.text())
        exchange(self, game_a.accepted[0], game_b, size, context=lambda: host.text() + guest.text())
        self.assertIn("[tw_net] player id-0002 connected\n", host.text())
        # The guest's client goes away: the host sees the session fail, and its next send ends it.
        self.hub.tell("drop %d" % GUEST)
        self.assertTrue(host.wait_log("session failed: 4003 peer went away"), host.text())
        game_a.accepted[0].sendall(b"anyone there?")
        self.assertEqual(host.wait(), 0)
        self.assertIn("send failed: 3", host.text())
        self.assertIn("game closed (%d bytes sent)" % size, host.text())

    def test_spectators_and_strangers(self):
        game_a, spectator_port = Listener(free_port()), Listener(free_port())
        self.sockets += [game_a.sock, spectator_port.sock]
        host = self.start(HOST, "--game-connect", game_a.sock.getsockname()[1], "--peer-steam", GUEST,
                          "--spec-game", spectator_port.sock.getsockname()[1])
        watcher_port = free_port()
        watcher = self.start(WATCHER, "--game-listen", watcher_port, "--peer-steam", HOST, "--spectate")
        self.assertTrue(watcher.wait_log("listening on"))
        watcher_game = connect(watcher_port)
        self.sockets.append(watcher_game)
        watcher_game.sendall(b"watching")
        self.assertTrue(wait_for(lambda: spectator_port.accepted, 20), host.text())
        spec_conn = spectator_port.accepted[0]
        got = Collector(spec_conn)
        self.assertTrue(wait_for(lambda: bytes(got.data) == b"watching", 10))
        self.assertIn("[tw_net] spectator id-0003 connected\n", host.text())
        at_watcher = Collector(watcher_game)
        spec_conn.sendall(b"the match as it happens")
        self.assertTrue(wait_for(lambda: bytes(at_watcher.data) == b"the match as it happens", 10), watcher.text())
        # The spectator's link closes; when it sends again it gets a new game connection.
        spec_conn.shutdown(socket.SHUT_RDWR)
        self.assertTrue(host.wait_log("spectator id-0003: closed"), host.text())
        watcher_game.sendall(b"again")
        self.assertTrue(wait_for(lambda: len(spectator_port.accepted) == 2, 20), host.text())
        again = Collector(spectator_port.accepted[1])
        self.assertTrue(wait_for(lambda: bytes(again.data) == b"again", 10))


class AcceptAny(unittest.TestCase):
    def test_only_the_first_requester_is_the_player(self):
        self.requesters(spectators=False)

    def test_later_requesters_are_spectators_where_spectators_are_served(self):
        self.requesters(spectators=True)

    def requesters(self, spectators):
        hub = Hub()
        processes = []
        try:
            game_a = Listener(free_port())
            extra = ["--spec-game", free_port()] if spectators else []
            host = SteamTwNet(hub.port, HOST, "--game-connect", game_a.sock.getsockname()[1], "--peer-steam-any",
                              *extra)
            processes.append(host)
            for steam_id in (GUEST, STRANGER):
                port = free_port()
                processes.append(SteamTwNet(hub.port, steam_id, "--game-listen", port, "--peer-steam", HOST))
                game = connect(port)
                game.sendall(b"hello")
                self.assertTrue(host.wait_log("id-%04d" % (steam_id % 10000)), host.text())
            self.assertIn("[tw_net] player id-0002 connected\n", host.text())
            if spectators:
                self.assertIn("[tw_net] spectator id-0004 connected\n", host.text())
            else:
                self.assertIn("[tw_net] ignored session request from id-0004\n", host.text())
            game_a.close()
        finally:
            for p in processes:
                p.end()
            hub.close()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--tw-net", required=True)
    parser.add_argument("--library", required=True)
    parser.add_argument("--hub", required=True)
    ARGS, rest = parser.parse_known_args()
    tw_net_test.ARGS = argparse.Namespace(tw_net=ARGS.tw_net)
    ARGS.folder = tempfile.mkdtemp(prefix="qm_steam_")
    shutil.copy2(ARGS.tw_net, os.path.join(ARGS.folder, "tw_net"))
    shutil.copy2(ARGS.library, os.path.join(ARGS.folder, "libsteam_api.so"))
    try:
        program = unittest.main(argv=[sys.argv[0], "-v", *rest], exit=False)
    finally:
        shutil.rmtree(ARGS.folder, ignore_errors=True)
    sys.exit(0 if program.result.wasSuccessful() else 1)
