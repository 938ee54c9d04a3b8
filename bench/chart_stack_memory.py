#!/usr/bin/env python3
# Resident memory of the client as a user goes back and forth between the two charts of a stock: each opens the
# other over itself, so the stack of chart windows grows by two a round trip. The optimised client is started
# headless against the stand-in server (a fresh home and phone, a free port), as bench/memory.py starts it; the
# phone signs up, opens the ranked table's first stock's time-share chart, then its K-line chart (a stack of 2, the
# reference), and goes on round trips time-share -> K-line -> time-share. Prints the resident and peak memory with
# the stack of 2 and after the round trips, and the growth of the peak, which stays within a few megabytes however
# deep the stack gets.
#   bench/chart_stack_memory.py [BUILD_DIR (build/release)] [ROUND_TRIPS (20)]
import os
import sys
import time

from headless_client import ROOT, Run, centre, control, session, status
from memory import open_ranked_table, row_centre


def tool(client, index, count=5):
    """Taps a button of the top window's tool bar of `count` buttons."""
    rect = control(client.top(), 101)["screenRect"]
    width = rect[2] - rect[0]
    client.tap(rect[0] + width * (2 * index + 1) // (2 * count), (rect[1] + rect[3]) // 2)


def tap_item(client, text):
    """Taps the entry of the top window's pop-up menu that reads `text`."""
    for c in client.top()["controls"]:
        if c.get("text") == text:
            client.tap(*centre(c["screenRect"]))
            return
        if text in c.get("items", []):
            rect = c["screenRect"]
            row = (rect[3] - rect[1]) // len(c["items"])
            client.tap(rect[0] + 60, rect[1] + row * c["items"].index(text) + row // 2)
            return
    raise SystemExit("chart_stack_memory: no %s in %s" % (text, client.top()["class"]))


def round_trip(client):
    tool(client, 2)  # the time-share's K-line button
    client.wait_for("CKXFrame")
    tool(client, 0)  # the K-line's menu: 分时走势
    tap_item(client, "分时走势")
    client.wait_for("CFSFrame")


def main(argv):
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build", "release"))
    trips = int(argv[1]) if len(argv) > 1 else 20
    # Two hours into the trading day, so the time-share chart has its minutes.
    with session(build, "morwick-chart-memory-", "--minute", "120") as (env, runs):
        run = Run(build, env)
        runs.append(run)
        client = run.client
        client.sign_up()
        table = open_ranked_table(client)
        client.tap(*row_centre(control(table, 171), 0))  # the second tap on the row opens its time-share chart
        client.wait_for("CFSFrame")
        tool(client, 2)
        client.wait_for("CKXFrame")
        time.sleep(1)
        client.idle()
        rss = run.rss()
        two = (rss, max(rss, status(run.process.pid, "VmHWM")))
        # The kernel's high-water mark is not kept up to the page: the resident size after every trip counts too.
        samples = [two[1]]
        for _ in range(trips):
            round_trip(client)
            samples.append(run.rss())
        time.sleep(1)
        client.idle()
        rss = run.rss()
        samples.append(rss)
        deep = (rss, run.peak(samples))
        windows = len(client.command("dump")["windows"])
        run.end()
        print("client resident memory between the charts, release build (%s)" % build)
        print("  a stack of 2 charts (time-share, K-line):    %6.1f MB, peak %6.1f MB" % two)
        print("  after %2d round trips (%2d windows open):      %6.1f MB, peak %6.1f MB" % ((trips, windows) + deep))
        print("  growth of the peak: %.1f MB (%.2f MB a round trip)" % (deep[1] - two[1],
                                                                         (deep[1] - two[1]) / max(trips, 1)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
