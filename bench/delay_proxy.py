"""Forwards TCP from a loopback port to another, holding every chunk back by a fixed delay
in each direction, as a far-away server would be: a 50 ms delay makes a 100 ms round trip.
Bytes pass through unchanged, so TLS runs end to end through it. The kernel accepts a
connection at once, so the first bytes a client sends wait one more round trip, which
stands in for the TCP handshake a real connection costs. Chunks keep their order and are
delayed from the moment they were read, so data in flight is not slowed down further.
Prints "ready PORT" once it listens, then runs until killed.
Usage: delay_proxy.py TARGET_PORT [ONE_WAY_DELAY_SECONDS]"""
import asyncio
import sys

target_port = int(sys.argv[1])
delay = float(sys.argv[2]) if len(sys.argv) > 2 else 0.05


async def pipe(reader, writer, first_extra):
    """Copies reader to writer, each chunk written `delay` after it was read."""
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def send():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if data is None:
                break
            writer.write(data)
            await writer.drain()
        if writer.can_write_eof():
            writer.write_eof()

    sender = asyncio.create_task(send())
    extra = first_extra
    try:
        while data := await reader.read(65536):
            queue.put_nowait((loop.time() + delay + extra, data))
            extra = 0.0
    except (ConnectionError, OSError):
        pass
    queue.put_nowait((loop.time() + delay, None))
    try:
        await sender
    except (ConnectionError, OSError):
        pass


async def handle(client_reader, client_writer):
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
    except OSError:
        client_writer.close()
        return
    await asyncio.gather(pipe(client_reader, server_writer, 2 * delay),
                         pipe(server_reader, client_writer, 0.0))
    for w in (client_writer, server_writer):
        w.close()


async def main():
    server = await asyncio.start_server(handle, "127.0.0.1", 0)
    print("ready", server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


asyncio.run(main())
