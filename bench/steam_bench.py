#!/usr/bin/env python3
"""Round trip and throughput of one game stream over Steam through the stand-in hub: game B,
tw_net (guest), hub, tw_net (host), game A (echoes) and back, against the hub's own round trip
between two raw clients in the same run. tw_net's own share is the difference.
Usage: steam_bench.py TW_NET LIBSTEAM_API HUB_SCRIPT"""
import os
import shutil
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

HOST, GUEST, X, Y = 76561198000000001, 76561198000000002, 76561198000000011, 76561198000000012
ROUNDS = 2000


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def exactly(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise ConnectionError("closed")
        data += chunk
    return data


def percentiles(samples):
    samples = sorted(samples)
    return statistics.median(samples), samples[int(len(samples) * 0.99)]


class Raw:
    """A bare hub client speaking its frames."""

    def __init__(self, port, steam_id):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.frame(1, struct.pack("<Q", steam_id) + b"bench")
        self.read()  # WELCOME
        self.read()  # FRIENDS

    def frame(self, kind, payload):
        self.sock.sendall(struct.pack("<IB", len(payload) + 1, kind) + payload)

    def read(self):
        size, kind = struct.unpack("<IB", exactly(self.sock, 5))
        return kind, exactly(self.sock, size - 1)


def hub_round_trip(port):
    x, y = Raw(port, X), Raw(port, Y)
    y.frame(5, struct.pack("<Q", X))  # Y accepts X
    x.frame(5, struct.pack("<Q", Y))
    message = b"m" * 64

    def echo():
        for _ in range(ROUNDS):
            kind, payload = y.read()
            while kind != 6:
                kind, payload = y.read()
            y.frame(4, struct.pack("<Qi", X, 0) + payload[12:])

    threading.Thread(target=echo, daemon=True).start()
    samples = []
    for _ in range(ROUNDS):
        start = time.perf_counter()
        x.frame(4, struct.pack("<Qi", Y, 0) + message)
        kind, _ = x.read()
        while kind != 6:
            kind, _ = x.read()
        samples.append((time.perf_counter() - start) * 1e3)
    return percentiles(samples)


def main():
    tw_net, library, hub_script = sys.argv[1:4]
    folder = tempfile.mkdtemp(prefix="qm_steam_bench_")
    processes = []
    try:
        shutil.copy2(tw_net, os.path.join(folder, "tw_net"))
        shutil.copy2(library, os.path.join(folder, "libsteam_api.so"))
        ports = os.path.join(folder, "ports")
        processes.append(subprocess.Popen([sys.executable, hub_script, "--port-file", ports]))
        while not os.path.exists(ports):
            time.sleep(0.02)
        with open(ports) as f:
            hub_port = int(f.read().split()[0])
        game_a = socket.socket()
        game_a.bind(("127.0.0.1", 0))
        game_a.listen(1)
        b_port = free_port()

        def start(steam_id, *args):
            env = dict(os.environ, QM_STEAM_HUB=str(hub_port), QM_STEAM_ID=str(steam_id))
            processes.append(subprocess.Popen([os.path.join(folder, "tw_net"), *map(str, args)], env=env,
                                              stderr=subprocess.DEVNULL))

        start(HOST, "--game-connect", game_a.getsockname()[1], "--peer-steam-any")
        start(GUEST, "--game-listen", b_port, "--peer-steam", HOST)
        time.sleep(0.5)
        game_b = socket.create_connection(("127.0.0.1", b_port))
        game_b.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        game_b.sendall(b"x" * 64)  # opens the session; the host's tw_net then connects game A
        conn, _ = game_a.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        exactly(conn, 64)

        def echo():
            try:
                while True:
                    data = conn.recv(65536)
                    if not data:
                        return
                    conn.sendall(data)
            except OSError:
                pass

        threading.Thread(target=echo, daemon=True).start()
        samples = []
        for _ in range(ROUNDS):
            start_time = time.perf_counter()
            game_b.sendall(b"r" * 64)
            exactly(game_b, 64)
            samples.append((time.perf_counter() - start_time) * 1e3)
        chain = percentiles(samples)
        hub = hub_round_trip(hub_port)
        print("steam round trip (ms)      median   p99")
        print("  game-tw_net-hub-...-game  %6.2f %6.2f" % chain)
        print("  hub alone (raw clients)   %6.2f %6.2f" % hub)
        print("  tw_net's own share        %6.2f %6.2f" % (chain[0] - hub[0], chain[1] - hub[1]))

        # Throughput of one stream, game B to game A, with 64 KiB chunks (the echo sends it back).
        chunk, seconds, sent = b"t" * 65536, 5.0, 0
        received = [0]

        def drain():
            try:
                while True:
                    data = game_b.recv(1 << 20)
                    if not data:
                        return
                    received[0] += len(data)
            except OSError:
                pass

        threading.Thread(target=drain, daemon=True).start()
        start_time = time.perf_counter()
        while time.perf_counter() - start_time < seconds:
            game_b.sendall(chunk)
            sent += len(chunk)
        elapsed = time.perf_counter() - start_time
        print("steam stream throughput: %.1f MB/s each way, echoed (%.0f MB in %.1f s)"
              % (received[0] / elapsed / 1e6, sent / 1e6, elapsed))
    finally:
        for p in processes:
            p.kill()
            p.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
