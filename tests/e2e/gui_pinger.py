#!/usr/bin/python3
"""Pings a running Fruitwake's GUI thread through its single-instance socket
("ping\\n", answered "ok\\n" from the event loop) every 100 ms, and on SIGTERM,
or once the program has ended, prints the longest wait for an answer:
"stall <ms>". The socket is whichever one the process listens on, or one under
the given (private) folders, answers, whatever its name.
Usage: gui_pinger.py <pid> <folder>..."""
import os
import signal
import socket
import stat
import sys
import time

pid = int(sys.argv[1])


def ping(path, timeout):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(timeout)
        s.connect(path)
        s.sendall(b"ping\n")
        return s.recv(16) == b"ok\n"


def listening(pid):
    """The unix sockets the process listens on: abstract names, or paths as bound."""
    inodes = set()
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            link = os.readlink("/proc/%d/fd/%s" % (pid, fd))
            if link.startswith("socket:["):
                inodes.add(link[8:-1])
        with open("/proc/net/unix") as table:
            rows = [line.split() for line in table][1:]
    except OSError:
        return []
    # Flags 00010000: accepting connections.
    return ["\0" + f[7][1:] if f[7].startswith("@") else f[7] for f in rows
            if len(f) >= 8 and f[6] in inodes and int(f[3], 16) & 0x10000]


def find_socket():
    candidates = listening(pid)
    for top in sys.argv[2:]:
        for folder, _, names in os.walk(top):
            candidates += [os.path.join(folder, name) for name in names]
    for path in candidates:
        try:
            if (path.startswith("\0") or stat.S_ISSOCK(os.lstat(path).st_mode)) and ping(path, 2):
                return path
        except OSError:
            pass
    return None


longest = 0.0
sent = None  # when the unanswered ping went out


def report():
    wait = time.monotonic() - sent if sent is not None else 0
    print("stall %d" % (max(longest, wait) * 1000), flush=True)


def stop(*_):
    # A ping still waiting counts as far as it has come.
    report()
    os._exit(0)


signal.signal(signal.SIGTERM, stop)
path = None
deadline = time.monotonic() + 30
while path is None and time.monotonic() < deadline:
    path = find_socket()
    time.sleep(0.1)
if path is None:
    print("stall none: no listening socket", flush=True)
    sys.exit(1)
print("pinging", flush=True)
while os.path.exists("/proc/%d" % pid):
    sent = time.monotonic()
    try:
        if not ping(path, 120):
            break  # ending
    except OSError:
        break  # gone
    longest = max(longest, time.monotonic() - sent)
    sent = None
    time.sleep(0.1)
sent = None
report()
