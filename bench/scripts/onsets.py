#!/usr/bin/python3
# onsets.py <recording.wav> <stop-epoch-s> <due-epoch-s>...: for each due
# second, the ms from it to the first 10 ms block above -40 dBFS (RMS) within
# the next two seconds, or "none". The recording is dated from its stop time
# minus its length, since the recorder may take a while to connect.
import math, struct, sys, wave

rec = wave.open(sys.argv[1])
rate, channels = rec.getframerate(), rec.getnchannels()
frames = rec.getnframes()
data = rec.readframes(frames)
samples = struct.unpack("<%dh" % (len(data) // 2), data)
start = float(sys.argv[2]) - frames / rate
block = rate // 100
threshold = 32768 * 10 ** (-40 / 20)


def loud(i):
    chunk = samples[i * channels:(i + block) * channels]
    return math.sqrt(sum(x * x for x in chunk) / max(1, len(chunk))) > threshold


for due in map(float, sys.argv[3:]):
    first = max(0, int((due - start) * rate) // block * block)
    for i in range(first, min(frames - block, first + 2 * rate), block):
        if loud(i):
            print("%.1f" % ((start + i / rate - due) * 1000))
            break
    else:
        print("none")
