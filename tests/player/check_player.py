#!/usr/bin/env python3
"""Opens a film's show player in headless Chromium at a few moments and holds what the page
drew (its data- attributes) against what player_truth says the world and the run were then.
Takes a screenshot at each moment.

  check_player.py CHROMIUM PAGE TRUTH.json OUT_PREFIX [--max-bytes N]
"""
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

TOLERANCE = 0.05
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars"]


def chromium(browser, args):
    profile = tempfile.mkdtemp(prefix="zenthar-chromium-")
    try:
        run = subprocess.run([browser] + FLAGS + ["--user-data-dir=" + profile] + args,
                             capture_output=True, text=True, timeout=120)
        return run.stdout
    finally:
        shutil.rmtree(profile, ignore_errors=True)


class Drawn(html.parser.HTMLParser):
    """The page's state element, the things it drew and the script error, if any."""

    def __init__(self):
        super().__init__()
        self.state, self.things, self.blasts, self.error = None, [], [], None
        self.inside = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "html":
            self.error = a.get("data-error")
        if a.get("id") == "state":
            self.state = a
        if a.get("id") == "drawn":
            self.inside = True
        elif self.inside and tag == "i":
            self.things.append(a)
        elif self.inside and tag == "b":
            self.blasts.append(a)

    def handle_endtag(self, tag):
        if tag == "div":
            self.inside = False


def check_moment(browser, page, moment, shot):
    url = "file://" + os.path.abspath(page) + "#t=%.3f" % (moment["t"] / 1000.0)
    drawn = Drawn()
    drawn.feed(chromium(browser, ["--dump-dom", url]))
    chromium(browser, ["--window-size=1280,800", "--screenshot=" + shot, url])
    where = "%s (t=%.3f s)" % (moment["label"], moment["t"] / 1000.0)
    faults = []
    if drawn.error:
        faults.append("script error: %s" % drawn.error)
    s = drawn.state
    if s is None or s.get("data-ready") != "1":
        return faults + ["the page never finished drawing"]
    if abs(float(s["data-t"]) * 1000 - moment["t"]) > 0.5:
        faults.append("page time %s s, expected %.3f s" % (s["data-t"], moment["t"] / 1000.0))
    for field in ["text", "lit", "mode", "keys", "slot", "edit-screen", "explosion", "seat",
                  "target", "show-screen", "lost"]:
        got, want = s.get("data-" + field), str(moment[field])
        if got != want:
            faults.append("%s: page shows %r, expected %r" % (field, got, want))
    seen = {t["data-name"]: t for t in drawn.things}
    for thing in moment["things"]:
        got = seen.pop(thing["name"], None)
        if got is None:
            faults.append("%s %s is not drawn" % (thing["kind"], thing["name"]))
            continue
        dx = abs(float(got["data-x"]) - thing["x"])
        dy = abs(float(got["data-y"]) - thing["y"])
        if dx > TOLERANCE or dy > TOLERANCE:
            faults.append("%s drawn at (%s, %s), the world had (%g, %g)" %
                          (thing["name"], got["data-x"], got["data-y"], thing["x"], thing["y"]))
        if got.get("data-kind") != thing["kind"] or got.get("data-state") != thing["state"]:
            faults.append("%s drawn as %s [%s], the world had %s [%s]" %
                          (thing["name"], got.get("data-kind"), got.get("data-state"),
                           thing["kind"], thing["state"]))
    for name in seen:
        faults.append("%s is drawn but not in the world" % name)
    flashes = sorted((b["data-kind"], round(float(b["data-x"]), 1), round(float(b["data-y"]), 1))
                     for b in drawn.blasts)
    wanted = sorted((b["kind"], round(b["x"], 1), round(b["y"], 1)) for b in moment["blasts"])
    if flashes != wanted:
        faults.append("explosions flashing: page %s, the world %s" % (flashes, wanted))
    print("%-32s %d things, %d flashing, text %r, lit %r, mode %s, show screen %s -> %s" %
          (where, len(moment["things"]), len(wanted), moment["text"], moment["lit"],
           moment["mode"], moment["show-screen"], "ok" if not faults else "%d faults" % len(faults)))
    return ["%s: %s" % (where, f) for f in faults]


def main():
    args = sys.argv[1:]
    max_bytes = None
    if "--max-bytes" in args:
        i = args.index("--max-bytes")
        max_bytes = int(args[i + 1])
        del args[i:i + 2]
    browser, page, truth_file, prefix = args
    with open(truth_file) as f:
        moments = json.load(f)
    faults = []
    size = os.path.getsize(page)
    print("%s: %d bytes" % (page, size))
    if max_bytes is not None and size > max_bytes:
        faults.append("the page is %d bytes, more than %d" % (size, max_bytes))
    for moment in moments:
        faults += check_moment(browser, page, moment, "%s-%s.png" % (prefix, moment["label"]))
    for f in faults:
        print("FAULT " + f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
