#!/usr/bin/env python3
"""An SFTP endpoint on 127.0.0.1 that holds every chunk a fixed time in each direction.

Each connection gets an sftp-server of its own, serving the files with the rights of whoever
runs this; what the client sends reaches the server DELAY_MS later, and what the server answers
reaches the client DELAY_MS later, in order. Meant for `sshfs -o directport=PORT`: a share with
the round trip of a busy network, made without root's traffic shaping.

    delayed_sftp.py PORT DELAY_MS [SFTP_SERVER]
"""
import asyncio
import sys
import time


async def relay(reader, write, drain, delay):
    """Copies chunks from `reader` to `write`, each one `delay` seconds after it came."""
    queue = asyncio.Queue()

    async def forward():
        while True:
            due, data = await queue.get()
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                return
            write(data)
            await drain()

    sender = asyncio.ensure_future(forward())
    try:
        while True:
            data = await reader.read(65536)
            queue.put_nowait((time.monotonic() + delay, data))
            if not data:
                break
        await sender
    finally:
        sender.cancel()


async def serve(client_reader, client_writer, delay, server_path):
    server = await asyncio.create_subprocess_exec(
        server_path, stdin=asyncio.subprocess.PIPE, stdout=asyncio.subprocess.PIPE)

    def to_server(data):
        server.stdin.write(data)

    def to_client(data):
        client_writer.write(data)

    async def close_server():
        server.stdin.close()

    try:
        await asyncio.gather(
            relay(client_reader, to_server, server.stdin.drain, delay),
            relay(server.stdout, to_client, client_writer.drain, delay))
    except (ConnectionError, BrokenPipeError):
        pass
    finally:
        if server.returncode is None:
            server.kill()
        await server.wait()
        client_writer.close()


async def main():
    port = int(sys.argv[1])
    delay = float(sys.argv[2]) / 1000.0
    server_path = sys.argv[3] if len(sys.argv) > 3 else "/usr/lib/openssh/sftp-server"
    listener = await asyncio.start_server(
        lambda r, w: serve(r, w, delay, server_path), "127.0.0.1", port)
    async with listener:
        await listener.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
