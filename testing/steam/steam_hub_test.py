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
CREATE, LIST, JOIN, LEAVE, SET_DATA, SET_MEMBER_DATA, INVITE = 20, 21, 22, 23, 24, 25, 26
CREATED, LISTED, ENTERED, LOBBY, CHAT, DATA, JOIN_REQUESTED, FRIENDS = 40, 41, 42, 43, 44, 45, 46, 47


def text(value):
    raw = value.encode()
    return struct.pack("<H", len(raw)) + raw
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

    def wait_kind(self, kind, timeout=5):
        """The payload of the next frame of `kind`, skipping others; None when none comes."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            frame = self.read(timeout=max(0.05, deadline - time.monotonic()))
            if frame is None:
                return None
            if frame[0] == kind:
                return frame[1]
        return None

    def create(self, limit=10, call=1):
        self.send(CREATE, struct.pack("<Qii", call, 2, limit))
        _, result, lobby = struct.unpack("<QiQ", self.wait_kind(CREATED))
        return result, lobby

    def set_data(self, lobby, key, value, kind=SET_DATA):
        self.send(kind, struct.pack("<Q", lobby) + text(key) + text(value))

    def join(self, lobby, call=7):
        self.send(JOIN, struct.pack("<QQ", call, lobby))
        while True:
            got_call, got_lobby, response = struct.unpack("<QQi", self.wait_kind(ENTERED))
            if got_call == call:
                return response

    def close(self):
        self.sock.close()


class HubFixture(unittest.TestCase):
    """A fresh hub per test, and raw users that speak its frames."""

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
        self.assertEqual(u.read()[0], FRIENDS)  # the friends list follows every sign-in
        self.users.append(u)
        return u

    def control(self, line):
        with socket.create_connection(("127.0.0.1", self.control_port), timeout=5) as c:
            c.sendall((line + "\n").encode())
            c.recv(16)


class HubSemantics(HubFixture):
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


def lobby_state(payload, at=0):
    lobby, owner, limit, n = struct.unpack_from("<QQiI", payload, at)
    at += 24
    members = list(struct.unpack_from("<%dQ" % n, payload, at))
    at += 8 * n
    (n,) = struct.unpack_from("<I", payload, at)
    at += 4
    data = {}
    for _ in range(n):
        values = []
        for _ in range(2):
            (size,) = struct.unpack_from("<H", payload, at)
            values.append(payload[at + 2:at + 2 + size].decode())
            at += 2 + size
        data[values[0]] = values[1]
    return {"lobby": lobby, "owner": owner, "limit": limit, "members": members, "data": data}


class Lobbies(HubFixture):
    def test_create_data_list_and_join(self):
        a, b, c = self.user(A), self.user(B), self.user(C)
        result, lobby = a.create(limit=2)
        self.assertEqual(result, 1)
        self.assertEqual(len(str(lobby)), 18)
        a.set_data(lobby, "tw", "brawl:v1")
        a.set_data(lobby, "vis", "pub")
        self.assertIsNotNone(a.wait_kind(DATA))
        b.set_data(lobby, "tw", "stolen")  # not a member, not the owner: ignored
        _, other = c.create(call=2)
        c.set_data(other, "tw", "rex:v1")
        time.sleep(0.2)
        b.send(LIST, struct.pack("<Qi", 9, 0) + text("tw") + text("brawl:v1"))
        payload = b.wait_kind(LISTED)
        call, count = struct.unpack_from("<QI", payload)
        self.assertEqual((call, count), (9, 1))
        listed = lobby_state(payload, 12)
        self.assertEqual((listed["lobby"], listed["owner"], listed["data"]["tw"]), (lobby, A, "brawl:v1"))
        self.assertEqual(b.join(lobby), 1)
        chat = a.wait_kind(CHAT)
        self.assertEqual(struct.unpack("<QQQi", chat), (lobby, B, B, 1))
        self.assertEqual(c.join(lobby), 4)  # full now
        self.assertEqual(c.join(12345), 2)  # no such lobby
        # A full lobby is never listed.
        c.send(LIST, struct.pack("<Qi", 10, 0) + text("tw") + text("brawl:v1"))
        self.assertEqual(struct.unpack_from("<QI", c.wait_kind(LISTED)), (10, 0))

    def test_owner_leaves_and_members_disconnect(self):
        a, b, c = self.user(A), self.user(B), self.user(C)
        _, lobby = a.create()
        b.join(lobby)
        c.join(lobby)
        a.send(LEAVE, struct.pack("<Q", lobby))
        state = None
        while state is None or state["owner"] == A:
            state = lobby_state(b.wait_kind(LOBBY))
        self.assertEqual((state["owner"], state["members"]), (B, [B, C]))
        self.control("drop %d" % C)
        while True:
            chat = struct.unpack("<QQQi", b.wait_kind(CHAT))
            if chat[1] == C:
                break
        self.assertEqual(chat[3], 4)  # disconnected

    def test_invites_and_friends(self):
        a, b = self.user(A), self.user(B)
        self.control("friends %d %d" % (A, B))
        payload = a.wait_kind(FRIENDS)
        (n,) = struct.unpack_from("<I", payload)
        friend, state = struct.unpack_from("<Qi", payload, 4)
        self.assertEqual((n, friend, state), (1, B, 1))
        _, lobby = a.create()
        a.send(INVITE, struct.pack("<QQ", lobby, B))
        time.sleep(0.2)
        self.control("accept-invite %d" % B)
        self.assertEqual(struct.unpack("<QQ", b.wait_kind(JOIN_REQUESTED)), (lobby, A))
        self.control("drop %d" % B)
        while True:
            payload = a.wait_kind(FRIENDS)
            if struct.unpack_from("<Qi", payload, 4)[1] == 0:
                break  # B is offline now


if __name__ == "__main__":
    unittest.main(verbosity=2)
