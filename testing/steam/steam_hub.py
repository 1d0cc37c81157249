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

It also keeps the users' friends and online states, and lobbies: created public with a member
limit; lobby data (owner only) and member data, with an update to every member; lists filtered by
string equality and a result count, never listing a full lobby; joins with an enter response; the
owner, the members in join order and a new owner when the owner leaves; chat updates for entries and
departures; invitations, which the invitee accepts when a test says so.

Frames both ways: u32 length (little endian) of what follows, u8 type, payload; texts inside a
payload are u16 length + UTF-8.
Client to hub: HELLO(1) id u64 + name; SEND(4) to u64, channel i32, data; ACCEPT(5) from u64;
CREATE(20) call u64, type i32, max i32; LIST(21) call u64, count i32, filters (key, value) texts;
JOIN(22) call u64, lobby u64; LEAVE(23) lobby u64; SET_DATA(24) lobby u64, key, value;
SET_MEMBER_DATA(25) lobby u64, key, value; INVITE(26) lobby u64, invitee u64.
Hub to client: WELCOME(2); REFUSED(3) text; MSG(6) from u64, channel i32, data;
SESSION_REQUEST(7) from u64; SESSION_FAILED(8) peer u64, reason i32, text;
CREATED(40) call u64, result i32, lobby u64; LISTED(41) call u64, n u32, lobby states;
ENTERED(42) call u64, lobby u64, response i32; LOBBY(43) lobby state;
CHAT(44) lobby u64, changed u64, by u64, change i32; DATA(45) lobby u64, member u64;
JOIN_REQUESTED(46) lobby u64, friend u64; FRIENDS(47) n u32, (id u64, state i32, name) each.
A lobby state: lobby u64, owner u64, max i32, members (u32 n, u64 each), data (u32 n, key, value
each), member data (u32 n, member u64, key, value each).
A test controls the hub on its control port with text lines: "drop <id>", "latency <ms>",
"friends <id> <id>", "accept-invite <invitee>", "quit".

Usage: steam_hub.py --port-file FILE   (writes "<hub port> <control port>" once it listens)
"""
import argparse
import asyncio
import struct

HELLO, WELCOME, REFUSED, SEND, ACCEPT, MSG, SESSION_REQUEST, SESSION_FAILED = 1, 2, 3, 4, 5, 6, 7, 8
CREATE, LIST, JOIN, LEAVE, SET_DATA, SET_MEMBER_DATA, INVITE = 20, 21, 22, 23, 24, 25, 26
CREATED, LISTED, ENTERED, LOBBY, CHAT, DATA, JOIN_REQUESTED, FRIENDS = 40, 41, 42, 43, 44, 45, 46, 47
END_REASON_PEER_GONE = 4003  # a "remote" end reason in Steam's numbering
ENTER_SUCCESS, ENTER_DOESNT_EXIST, ENTER_FULL = 1, 2, 4
CHAT_ENTERED, CHAT_LEFT, CHAT_DISCONNECTED = 1, 2, 4
# Lobby Steam IDs: universe 1, account type 8 (chat), the lobby instance flag; 18 digits.
LOBBY_ID_BASE = (1 << 56) | (8 << 52) | (0x40000 << 32)


def text(value):
    raw = value.encode("utf-8")
    return struct.pack("<H", len(raw)) + raw


def read_text(payload, at):
    (n,) = struct.unpack_from("<H", payload, at)
    return payload[at + 2:at + 2 + n].decode("utf-8", "replace"), at + 2 + n


class Lobby:
    def __init__(self, lobby_id, owner, kind, limit):
        self.id, self.owner, self.kind, self.limit = lobby_id, owner, kind, limit
        self.members = [owner]
        self.data = {}
        self.member_data = {}  # (member, key) -> value

    def state(self):
        out = struct.pack("<QQi", self.id, self.owner, self.limit)
        out += struct.pack("<I", len(self.members)) + b"".join(struct.pack("<Q", m) for m in self.members)
        out += struct.pack("<I", len(self.data)) + b"".join(text(k) + text(v) for k, v in self.data.items())
        out += struct.pack("<I", len(self.member_data))
        out += b"".join(struct.pack("<Q", m) + text(k) + text(v) for (m, k), v in self.member_data.items())
        return out


class Client:
    def __init__(self, hub, reader, writer):
        self.hub, self.reader, self.writer = hub, reader, writer
        self.id, self.name = 0, ""
        self.accepted = set()   # senders whose messages are delivered
        self.held = {}          # sender -> [(channel, data)] waiting for acceptance
        self.requested = set()  # senders a session request was raised for
        self.peers = set()      # users with a session in either direction
        self.friends = set()
        self.invites = []       # (lobby, inviter) not yet accepted

    def frame(self, kind, payload=b""):
        self.writer.write(struct.pack("<IB", len(payload) + 1, kind) + payload)


class Hub:
    def __init__(self):
        self.clients = {}
        self.latency = 0.0
        self.lobbies = {}  # id -> Lobby, in creation order
        self.next_lobby = 1
        self.friendships = set()  # frozenset({a, b})
        self.names = {}  # every user ever signed in, so friends read by name while offline

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
            self.names[client.id] = client.name
            client.frame(WELCOME)
            self.send_friends_of(client.id)
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
        elif kind == CREATE:
            call, lobby_type, limit = struct.unpack_from("<Qii", payload)
            lobby = Lobby(LOBBY_ID_BASE + self.next_lobby, client.id, lobby_type, max(1, limit))
            self.next_lobby += 1
            self.lobbies[lobby.id] = lobby
            client.frame(LOBBY, lobby.state())
            client.frame(CREATED, struct.pack("<QiQ", call, 1, lobby.id))
            client.frame(ENTERED, struct.pack("<QQi", 0, lobby.id, ENTER_SUCCESS))
        elif kind == LIST:
            call, count = struct.unpack_from("<Qi", payload)
            at, filters = 12, []
            while at < len(payload):
                key, at = read_text(payload, at)
                value, at = read_text(payload, at)
                filters.append((key, value))
            found = [lobby for lobby in self.lobbies.values()
                     if lobby.kind == 2 and len(lobby.members) < lobby.limit
                     and all(lobby.data.get(k, "") == v for k, v in filters)]
            found = found[:count if count > 0 else 50]
            client.frame(LISTED, struct.pack("<QI", call, len(found)) + b"".join(l.state() for l in found))
        elif kind == JOIN:
            call, lobby_id = struct.unpack_from("<QQ", payload)
            lobby = self.lobbies.get(lobby_id)
            if lobby is None:
                client.frame(ENTERED, struct.pack("<QQi", call, lobby_id, ENTER_DOESNT_EXIST))
            elif client.id in lobby.members:
                client.frame(ENTERED, struct.pack("<QQi", call, lobby_id, ENTER_SUCCESS))
            elif len(lobby.members) >= lobby.limit:
                client.frame(ENTERED, struct.pack("<QQi", call, lobby_id, ENTER_FULL))
            else:
                lobby.members.append(client.id)
                self.broadcast_state(lobby)
                client.frame(ENTERED, struct.pack("<QQi", call, lobby_id, ENTER_SUCCESS))
                self.broadcast(lobby, CHAT, struct.pack("<QQQi", lobby.id, client.id, client.id, CHAT_ENTERED))
        elif kind == LEAVE:
            (lobby_id,) = struct.unpack_from("<Q", payload)
            self.leave(client.id, lobby_id, CHAT_LEFT)
        elif kind in (SET_DATA, SET_MEMBER_DATA):
            (lobby_id,) = struct.unpack_from("<Q", payload)
            key, at = read_text(payload, 8)
            value, _ = read_text(payload, at)
            lobby = self.lobbies.get(lobby_id)
            if lobby is None or client.id not in lobby.members:
                return
            if kind == SET_DATA:
                if lobby.owner != client.id:
                    return  # only the owner writes lobby data
                lobby.data[key] = value
                member = lobby.id
            else:
                lobby.member_data[(client.id, key)] = value
                member = client.id
            self.broadcast_state(lobby)
            self.broadcast(lobby, DATA, struct.pack("<QQ", lobby.id, member))
        elif kind == INVITE:
            lobby_id, invitee = struct.unpack_from("<QQ", payload)
            target = self.clients.get(invitee)
            if target is not None and lobby_id in self.lobbies:
                target.invites.append((lobby_id, client.id))

    def broadcast(self, lobby, kind, payload):
        for member in lobby.members:
            if member in self.clients:
                self.clients[member].frame(kind, payload)

    def broadcast_state(self, lobby):
        self.broadcast(lobby, LOBBY, lobby.state())

    def leave(self, user, lobby_id, change):
        lobby = self.lobbies.get(lobby_id)
        if lobby is None or user not in lobby.members:
            return
        lobby.members.remove(user)
        lobby.member_data = {(m, k): v for (m, k), v in lobby.member_data.items() if m != user}
        if not lobby.members:
            del self.lobbies[lobby_id]
            return
        if lobby.owner == user:
            lobby.owner = lobby.members[0]
        self.broadcast_state(lobby)
        self.broadcast(lobby, CHAT, struct.pack("<QQQi", lobby.id, user, user, change))

    def send_friends_of(self, user):
        client = self.clients.get(user)
        if client is None:
            return
        friends = sorted(other for pair in self.friendships if user in pair for other in pair if other != user)
        payload = struct.pack("<I", len(friends))
        for friend in friends:
            state = 1 if friend in self.clients else 0
            payload += struct.pack("<Qi", friend, state) + text(self.names.get(friend, ""))
        client.frame(FRIENDS, payload)

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
        for lobby_id in [l.id for l in self.lobbies.values() if client.id in l.members]:
            self.leave(client.id, lobby_id, CHAT_DISCONNECTED)
        for pair in self.friendships:
            if client.id in pair:
                for other in pair:
                    self.send_friends_of(other)
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
            elif words[:1] == ["friends"] and len(words) == 3:
                a, b = int(words[1]), int(words[2])
                self.friendships.add(frozenset((a, b)))
                self.send_friends_of(a)
                self.send_friends_of(b)
            elif words[:1] == ["accept-invite"] and len(words) == 2:
                invitee = self.clients.get(int(words[1]))
                if invitee is not None and invitee.invites:
                    lobby_id, inviter = invitee.invites.pop(0)
                    invitee.frame(JOIN_REQUESTED, struct.pack("<QQ", lobby_id, inviter))
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
