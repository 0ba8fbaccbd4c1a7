#!/usr/bin/python3
# ping_probe.py <runtime-dir> <seconds> [<log>]: asks the running program
# "ping\n" on its single-instance socket every 100 ms for the given time and
# prints the longest wait for its "ok\n" in ms (a request that is still
# unanswered counts until the end). Each answer's wait goes to the log.
import glob, socket, sys, time

run, seconds = sys.argv[1], float(sys.argv[2])
log = open(sys.argv[3], "w") if len(sys.argv) > 3 else None
end = time.monotonic() + seconds
longest = 0.0
while time.monotonic() < end:
    asked = time.monotonic()
    socks = glob.glob(run + "/fruitwake-*.sock")
    answer = b""
    if socks:
        s = socket.socket(socket.AF_UNIX)
        s.settimeout(max(0.01, end - asked))
        try:
            s.connect(socks[0])
            s.sendall(b"ping\n")
            while not answer.endswith(b"\n"):
                chunk = s.recv(16)
                if not chunk:
                    break
                answer += chunk
        except OSError:
            pass
        s.close()
    waited = (time.monotonic() - asked) * 1000
    if log:
        print(f"{time.time():.3f} {waited:.0f} {answer!r}", file=log, flush=True)
    if answer == b"ok\n" or waited > longest:
        longest = max(longest, waited)
    time.sleep(max(0.0, 0.1 - (time.monotonic() - asked)))
print(f"{longest:.0f}")
