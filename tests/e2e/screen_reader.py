"""Presses "红土地作物" by its accessible action and reads what a screen reader
reads: the crop list, the nine schedule values, the combo boxes' items with
their captions and the crop's change on Down, the no-song box's button."""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def wait_for(what, find, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    fail("no " + what)


def app():
    for a in pyatspi.Registry.getDesktop(0):
        if a is not None and a.name == "fruitwake":
            return a
    return None


def named(root, role, name):
    for acc in walk(root):
        if acc.getRole() == role and acc.name == name:
            return acc
    return None


def act(acc, *names):
    action = acc.queryAction()
    offered = [action.getName(i) for i in range(action.nActions)]
    for n in names:
        if n in [o.lower() for o in offered]:
            action.doAction([o.lower() for o in offered].index(n))
            return
    fail("%s offers only %s" % (acc.name, offered))


def combos(root):
    return [acc for acc in walk(root) if acc.getRole() == pyatspi.ROLE_COMBO_BOX]


def heard(acc):
    """The name with what a screen reader adds to it: the description and the labels."""
    labels = [t.name for r in acc.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
              for t in (r.getTarget(i) for i in range(r.getNTargets()))]
    return " ".join([acc.name] + labels + [acc.description]).split()


def crop_combo(root):
    found = [c for c in combos(root) if "作物选择：" in heard(c)]
    if len(found) != 1:
        fail("no one combo box with the caption 作物选择：: %s" % [heard(c) for c in combos(root)])
    return found[0]


def crops(root):
    return [item.name for item in walk(crop_combo(root).getChildAtIndex(0))
            if item.getRole() != pyatspi.ROLE_LIST]


def schedule(root):
    values = {}
    for acc in walk(root):
        m = re.fullmatch("第(.)季成熟时间：", acc.description or "")
        if m:
            values["一二三四五六七八九".index(m.group(1))] = acc.name
    return [values.get(k) for k in range(9)]


# A screen reader is up before the programs it reads: bring the registry up
# first, so the program does not register while the bus is still starting.
pyatspi.Registry.getDesktop(0).childCount
time.sleep(0.5)
program = subprocess.Popen([sys.argv[1]])
try:
    root = wait_for("fruitwake on the accessibility bus", app)
    radio = wait_for("radio button 红土地作物",
                     lambda: named(root, pyatspi.ROLE_RADIO_BUTTON, "红土地作物"))
    if crops(root)[:1] != ["牧草"]:
        fail("ordinary crops first: %s" % crops(root)[:3])
    # Read once before the change, so a name kept from then would show.
    if schedule(root)[1:3] != ["--.--.--"] * 2:
        fail("牧草 has one season, read %s" % schedule(root))
    started = time.time()
    act(radio, "toggle", "click", "press")
    wait_for("red-soil crops", lambda: crops(root)[:1] == ["瓶子树"], 10)
    if len(crops(root)) != 19:
        fail("red-soil list holds %d crops" % len(crops(root)))
    values = schedule(root)
    print("schedule:", values)
    times = values[:8]
    if not all(v and re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", v) for v in times):
        fail("eight seasons of 瓶子树 expected, read %s" % values)
    if values[8] != "--.--.--":
        fail("no ninth season expected, read %s" % values[8])
    first = time.mktime(time.strptime(times[0], "%Y-%m-%d %H:%M:%S"))
    if abs(first - (started + 25 * 3600)) > 120:
        fail("first season %s is not 25 hours after the start" % times[0])
    # Each combo box is heard with its caption and its item; Down is heard as a change.
    for pair in [("作物选择：", "瓶子树"), ("成熟阶段", "成熟"), ("季数", "第一季")]:
        if not any(set(pair) <= set(heard(c)) for c in combos(root)):
            fail("no combo box heard as %s: %s" % (pair, [heard(c) for c in combos(root)]))
    crop = crop_combo(root)
    changes = []
    pyatspi.Registry.registerEventListener(
        lambda e: changes.extend(heard(e.source)), "object:property-change:accessible-name")
    # Without a window manager the window gets the keyboard only when asked.
    subprocess.run(["xdotool", "search", "--name", "^FruitwakeV", "windowfocus", "--sync"],
                   check=True, timeout=10)
    crop.queryComponent().grabFocus()
    wait_for("the crop list's focus", lambda: crop.getState().contains(pyatspi.STATE_FOCUSED), 5)
    pyatspi.Registry.generateKeyboardEvent(0xff54, None, pyatspi.KEY_SYM)  # Down
    nxt = crops(root)[1]

    def heard_change():
        GLib.MainContext.default().iteration(False)
        return nxt in changes and nxt in heard(crop)
    wait_for("the change to %s heard (%s)" % (nxt, changes), heard_change, 5)
    # Qt's own button texts are Chinese, whatever LANG says.
    act(named(root, pyatspi.ROLE_PUSH_BUTTON, "试听"), "press", "click")
    ok = wait_for("the no-song box's 确定", lambda: named(app(), pyatspi.ROLE_PUSH_BUTTON, "确定"))
    if not named(app(), pyatspi.ROLE_LABEL, "当前没有选择歌曲！"):
        fail("the no-song box does not read 当前没有选择歌曲！")
    act(ok, "press", "click")
    print("1 passed, 0 failed")
finally:
    program.terminate()
    program.wait(20)
