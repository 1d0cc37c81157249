#!/usr/bin/env python3
"""Stand-in for the Steam back end, for tests: every stand-in Steam runtime library on the machine
(one per signed-in user) connects here over loopback, and the hub carries networking messages
between them with Steam's documented semantics:

- reliable messages, in order per sender, receiver and channel;
- the first message from a user the receiver has not accepted raises a session request at the
  receiver and is held, with everything after it, until the receiver accepts (sending to a user
  accepts that user too);
- when a user goes away (or is dropped by the test), everyone who had a session with it gets a
  session failure.

Frames both ways: u32 length (little endian) of what follows, u8 type, payload.
Client to hub: HELLO(1) id u64 + name; SEND(4) to u64, channel i32, data; ACCEPT(5) from u64.
Hub to client: WELCOME(2); REFUSED(3) text; MSG(6) from u64, channel i32, data;
SESSION_REQUEST(7) from u64; SESSION_FAILED(8) peer u64, reason i32, text.
A test controls the hub on its control port with text lines: "drop <id>", "latency <ms>", "quit".

Usage: steam_hub.py --port-file FILE   (writes "<hub port> <control port>" once it listens)
"""
import argparse
import asyncio
import struct

HELLO, WELCOME, REFUSED, SEND, ACCEPT, MSG, SESSION_REQUEST, SESSION_FAILED = 1, 2, 3, 4, 5, 6, 7, 8
END_REASON_PEER_GONE = 4003  # a "remote" end reason in Steam's numbering


class Client:
    def __init__(self, hub, reader, writer):
        self.hub, self.reader, self.writer = hub, reader, writer
        self.id, self.name = 0, ""
        self.accepted = set()   # senders whose messages are delivered
        self.held = {}          # sender -> [(channel, data)] waiting for acceptance
        self.requested = set()  # senders a session request was raised for
        self.peers = set()      # users with a session in either direction

    def frame(self, kind, payload=b""):
        self.writer.write(struct.pack("<IB", len(payload) + 1, kind) + payload)


class Hub:
    def __init__(self):
        self.clients = {}
        self.latency = 0.0

    async def serve(self, reader, writer):
        client = Client(self, reader, writer)
        try:
            while True:
                header = await reader.readexactly(5)
                size, kind = struct.unpack("<IB", header)
                payload = await reader.readexactly(size - 1)
                await self.handle(client, kind, payload)
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            self.gone(client)
            writer.close()

    async def handle(self, client, kind, payload):
        if kind == HELLO:
            (client.id,) = struct.unpack_from("<Q", payload)
            client.name = payload[8:].decode("utf-8", "replace")
            if client.id in self.clients:
                client.frame(REFUSED, b"that user is already signed in")
                return
            self.clients[client.id] = client
            client.frame(WELCOME)
        elif kind == SEND:
            to, channel = struct.unpack_from("<Qi", payload)
            data = payload[12:]
            client.accepted.add(to)  # sending to a user accepts its messages
            client.peers.add(to)
            target = self.clients.get(to)
            if target is None:
                return
            target.peers.add(client.id)
            if self.latency:
                # Timers with later deadlines fire later, so the order is kept.
                asyncio.get_running_loop().call_later(self.latency, self.deliver, client.id, target, channel, data)
            else:
                self.deliver(client.id, target, channel, data)
        elif kind == ACCEPT:
            (sender,) = struct.unpack_from("<Q", payload)
            client.accepted.add(sender)
            for channel, data in client.held.pop(sender, []):
                client.frame(MSG, struct.pack("<Qi", sender, channel) + data)

    def deliver(self, sender, target, channel, data):
        if self.clients.get(target.id) is not target:
            return
        client_id = sender
        if client_id in target.accepted:
            target.frame(MSG, struct.pack("<Qi", client_id, channel) + data)
        else:
            target.held.setdefault(client_id, []).append((channel, data))
            if client_id not in target.requested:
                target.requested.add(client_id)
                target.frame(SESSION_REQUEST, struct.pack("<Q", client_id))

    def gone(self, client):
        if self.clients.get(client.id) is not client:
            return
        del self.clients[client.id]
        for other in self.clients.values():
            if client.id in other.peers:
                other.frame(SESSION_FAILED, struct.pack("<Qi", client.id, END_REASON_PEER_GONE) + b"peer went away")

    async def control(self, reader, writer):
        while line := await reader.readline():
            words = line.decode().split()
            if words[:1] == ["drop"] and len(words) == 2:
                victim = self.clients.get(int(words[1]))
                if victim:
                    victim.writer.transport.abort()
                    self.gone(victim)
            elif words[:1] == ["latency"] and len(words) == 2:
                self.latency = int(words[1]) / 1000.0
            elif words[:1] == ["quit"]:
                asyncio.get_running_loop().stop()
            writer.write(b"ok\n")
        writer.close()


async def main(port_file):
    hub = Hub()
    server = await asyncio.start_server(hub.serve, "127.0.0.1", 0)
    control = await asyncio.start_server(hub.control, "127.0.0.1", 0)
    with open(port_file + ".tmp", "w") as f:
        f.write("%d %d\n" % (server.sockets[0].getsockname()[1], control.sockets[0].getsockname()[1]))
    import os
    os.replace(port_file + ".tmp", port_file)
    await asyncio.Event().wait()


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    try:
        asyncio.run(main(parser.parse_args().port_file))
    except RuntimeError:
        pass  # stopped by "quit"
