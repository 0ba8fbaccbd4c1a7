#!/usr/bin/python3
# tune.py <folder>: writes tune.wav (a second of 440 Hz at half scale, 44.1 kHz
# stereo) and tune.mp3 (the same through LAME) there, and prints the ms of
# silence the decoded mp3 holds before the tone (its encoder's delay).
import math, os, struct, sys, wave

import gi
gi.require_version("Gst", "1.0")
from gi.repository import Gst

folder = sys.argv[1]
wav, mp3, back = (os.path.join(folder, n) for n in ("tune.wav", "tune.mp3", "decoded.raw"))
rate = 44100
with wave.open(wav, "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(rate)
    w.writeframes(b"".join(struct.pack("<hh", v, v) for v in (
        int(16000 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(rate))))

Gst.init(None)


def run(pipeline):
    p = Gst.parse_launch(pipeline)
    p.set_state(Gst.State.PLAYING)
    msg = p.get_bus().timed_pop_filtered(30 * Gst.SECOND,
                                         Gst.MessageType.EOS | Gst.MessageType.ERROR)
    p.set_state(Gst.State.NULL)
    if not msg or msg.type != Gst.MessageType.EOS:
        sys.exit("tune.py: " + pipeline.split()[2] + " failed")


run(f"filesrc location={wav} ! wavparse ! audioconvert ! lamemp3enc ! filesink location={mp3}")
run(f"filesrc location={mp3} ! decodebin ! audioconvert ! "
    f"audio/x-raw,format=S16LE,channels=1,rate={rate} ! filesink location={back}")
with open(back, "rb") as f:
    decoded = struct.unpack("<%dh" % (os.path.getsize(back) // 2), f.read())
os.remove(back)
first = next(i for i, v in enumerate(decoded) if abs(v) > 32768 * 10 ** (-40 / 20))
print("%.1f" % (first * 1000 / rate))
