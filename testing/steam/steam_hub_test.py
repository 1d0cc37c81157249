"""The stand-in hub's own tests: the Steam semantics tw_net's tests rely on, checked with raw frames."""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

HUB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "steam_hub.py")
HELLO, WELCOME, REFUSED, SEND, ACCEPT, MSG, SESSION_REQUEST, SESSION_FAILED = 1, 2, 3, 4, 5, 6, 7, 8
A, B, C = 76561198000000001, 76561198000000002, 76561198000000003


class User:
    def __init__(self, port, steam_id, name="Player"):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
        self.id = steam_id
        self.send(HELLO, struct.pack("<Q", steam_id) + name.encode())

    def send(self, kind, payload=b""):
        self.sock.sendall(struct.pack("<IB", len(payload) + 1, kind) + payload)

    def message(self, to, channel, data):
        self.send(SEND, struct.pack("<Qi", to, channel) + data)

    def accept(self, sender):
        self.send(ACCEPT, struct.pack("<Q", sender))

    def read(self, timeout=5):
        """The next frame as (kind, payload), or None when nothing comes in time."""
        self.sock.settimeout(timeout)
        try:
            header = self._exactly(5)
        except socket.timeout:
            return None
        size, kind = struct.unpack("<IB", header)
        return kind, self._exactly(size - 1)

    def _exactly(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise ConnectionError("closed")
            data += chunk
        return data

    def close(self):
        self.sock.close()


class HubSemantics(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        ports = os.path.join(self.folder, "ports")
        self.hub = subprocess.Popen([sys.executable, HUB, "--port-file", ports])
        deadline = time.monotonic() + 20
        while not os.path.exists(ports) and time.monotonic() < deadline:
            time.sleep(0.02)
        with open(ports) as f:
            self.port, self.control_port = map(int, f.read().split())
        self.users = []

    def tearDown(self):
        for u in self.users:
            u.close()
        self.hub.terminate()
        self.hub.wait(timeout=10)

    def user(self, steam_id):
        u = User(self.port, steam_id)
        self.assertEqual(u.read(), (WELCOME, b""))
        self.users.append(u)
        return u

    def control(self, line):
        with socket.create_connection(("127.0.0.1", self.control_port), timeout=5) as c:
            c.sendall((line + "\n").encode())
            c.recv(16)

    def test_messages_wait_for_the_session_to_be_accepted(self):
        a, b = self.user(A), self.user(B)
        for n in range(3):
            a.message(B, 0, b"m%d" % n)
        self.assertEqual(b.read(), (SESSION_REQUEST, struct.pack("<Q", A)))  # raised once
        self.assertIsNone(b.read(timeout=0.3))
        b.accept(A)
        for n in range(3):
            self.assertEqual(b.read(), (MSG, struct.pack("<Qi", A, 0) + b"m%d" % n))
        # B sent nothing to A yet; sending now accepts A's side for B's replies.
        b.message(A, 1, b"reply")
        self.assertEqual(a.read(), (MSG, struct.pack("<Qi", B, 1) + b"reply"))

    def test_a_second_sign_in_is_refused_and_a_drop_fails_the_sessions(self):
        a, b = self.user(A), self.user(B)
        twin = User(self.port, A)
        self.users.append(twin)
        kind, _ = twin.read()
        self.assertEqual(kind, REFUSED)
        a.message(B, 0, b"x")
        b.read()
        self.control("drop %d" % B)
        kind, payload = a.read()
        self.assertEqual(kind, SESSION_FAILED)
        self.assertEqual(struct.unpack_from("<Qi", payload), (B, 4003))

    def test_latency_keeps_the_order(self):
        a, b = self.user(A), self.user(B)
        b.message(A, 0, b"open")  # B accepts A by sending first
        a.read()  # the session request for B's message
        self.control("latency 30")
        start = time.monotonic()
        for n in range(20):
            a.message(B, 0, b"%02d" % n)
        got = [b.read()[1][12:] for _ in range(20)]
        self.assertEqual(got, [b"%02d" % n for n in range(20)])
        self.assertGreaterEqual(time.monotonic() - start, 0.03)


if __name__ == "__main__":
    unittest.main(verbosity=2)
