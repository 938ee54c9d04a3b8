#!/usr/bin/env python3
# Resident memory of the client as a user goes back and forth between the two charts of a stock: each opens the
# other over itself, so the stack of chart windows grows by two a round trip. The optimised client and server are
# started by tools/run-client (headless, a fresh home and phone, a free port); the phone signs up, opens the ranked
# table's first stock's time-share chart, then its K-line chart (a stack of 2, the reference), and goes on round
# trips time-share -> K-line -> time-share. Prints the resident and peak memory with the stack of 2 and after the
# round trips, and the growth of the peak, which stays within a few megabytes however deep the stack gets.
#   bench/chart_stack_memory.py [BUILD_DIR (build/release)] [ROUND_TRIPS (20)]
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from memory import ROOT, WAIT, Client, centre, client_pid, control, status  # noqa: E402


def tool(client, index, count=5):
    """Taps a button of the top window's tool bar of `count` buttons."""
    rect = control(client.top(), 101)["screenRect"]
    width = rect[2] - rect[0]
    client.tap(rect[0] + width * (2 * index + 1) // (2 * count), (rect[1] + rect[3]) // 2)


def tap_text(client, text):
    for c in client.top()["controls"]:
        if c.get("text") == text or text in c.get("items", []):
            if c.get("text") == text:
                client.tap(*centre(c["screenRect"]))
                return
            rect = c["screenRect"]
            row = (rect[3] - rect[1]) // len(c["items"])
            k = c["items"].index(text)
            client.tap(rect[0] + 60, rect[1] + row * k + row // 2)
            return
    raise SystemExit("chart_stack_memory: no %s in %s" % (text, client.top()["class"]))


def open_time_share(client):
    """Signs up, opens 行情's first entry (the ranked table) and its first stock's time-share chart."""
    signup = client.wait_for("CRegisterVerifyFrame")
    client.tap(*centre(control(signup, 300)["screenRect"]))
    client.command("text 13800138000")
    bar = control(signup, 101)["screenRect"]
    client.tap(bar[0] + (bar[2] - bar[0]) // 6, (bar[1] + bar[3]) // 2)
    home = client.wait_for("CQXAppFrame")
    client.tap(*centre(control(home, 103)["screenRect"]))
    menu = client.wait_for("CQXMenuWnd")
    rows = [c for c in menu["controls"] if c["items"] and "row=" in c["extra"]][0]
    row = int(rows["extra"].split("row=")[1].split()[0])
    client.tap(rows["screenRect"][0] + 100, rows["screenRect"][1] + row // 2)
    table = client.wait_for("CQXStockTableWnd")
    grid = control(table, 171)["screenRect"]
    client.tap(grid[0] + 60, grid[1] + 30)  # the first tap selects the row, the second opens it
    client.tap(grid[0] + 60, grid[1] + 30)
    client.wait_for("CFSFrame")


def round_trip(client):
    tool(client, 2)  # the time-share's K-line button
    client.wait_for("CKXFrame")
    tool(client, 0)  # the K-line's menu: 分时走势
    tap_text(client, "分时走势")
    client.wait_for("CFSFrame")


def main(argv):
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build", "release"))
    trips = int(argv[1]) if len(argv) > 1 else 20
    work = tempfile.mkdtemp(prefix="morwick-chart-memory-")
    home = os.path.join(work, "home")
    os.makedirs(home)
    art = os.path.join(build, "app")
    for name in os.listdir(art):
        path = os.path.join(art, name)
        if name.endswith(".png"):
            shutil.copy(path, home)
        elif name in ("res", "sys"):
            shutil.copytree(path, os.path.join(home, name))
    env = {k: v for k, v in os.environ.items() if not k.startswith("MORWICK_")}
    env.update(MORWICK_HOME=home, MORWICK_DEVICE=os.path.join(work, "device"), MORWICK_DISPLAY="headless",
               MORWICK_AUTOMATION=os.path.join(work, "a.sock"), MORWICK_PORT="0",
               MORWICK_RUNTIME_DIR=os.path.join(work, "run"), MORWICK_SERVER_DATA=os.path.join(work, "server"))
    runner = subprocess.Popen([os.path.join(ROOT, "tools", "run-client"), build], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        pid = client_pid(runner.pid)
        client = Client(env["MORWICK_AUTOMATION"])
        end = time.time() + WAIT
        while True:
            try:
                client.idle()
                break
            except OSError:
                if time.time() > end:
                    raise SystemExit("chart_stack_memory: the automation socket does not answer")
                time.sleep(0.05)
        open_time_share(client)
        tool(client, 2)
        client.wait_for("CKXFrame")
        time.sleep(1)
        client.idle()
        rss = status(pid, "VmRSS")
        two = (rss, max(rss, status(pid, "VmHWM")))
        # The kernel's high-water mark is not kept up to the page: the resident size after every trip counts too.
        high = two[1]
        for _ in range(trips):
            round_trip(client)
            high = max(high, status(pid, "VmRSS"))
        time.sleep(1)
        client.idle()
        rss = status(pid, "VmRSS")
        deep = (rss, max(high, rss, status(pid, "VmHWM")))
        windows = len(client.command("dump")["windows"])
        print("client resident memory between the charts, release build (%s)" % build)
        print("  a stack of 2 charts (time-share, K-line):    %6.1f MB, peak %6.1f MB" % two)
        print("  after %2d round trips (%2d windows open):      %6.1f MB, peak %6.1f MB" % ((trips, windows) + deep))
        print("  growth of the peak: %.1f MB (%.2f MB a round trip)" % (deep[1] - two[1],
                                                                         (deep[1] - two[1]) / max(trips, 1)))
        try:
            client.command("frontkey")
        except OSError:
            pass
        runner.wait(timeout=WAIT)
    finally:
        if runner.poll() is None:
            os.killpg(runner.pid, signal.SIGTERM)
            runner.wait()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
