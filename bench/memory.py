#!/usr/bin/env python3
# Resident memory of the client as a user walks its screens: the optimised client started headless against the
# stand-in server (a fresh home and phone, a free port), signed up through the automation, then every home-grid
# button and every entry of its menu opened and left again until the screens are counted. A second start walks
# a chart and trading session: the ranked table's first stock in the time-share and the K-line chart (turned),
# bought through the trade log-in, then every entry of the trading menu.
# Prints the home grid's figure at first run, the peak and steady figures after the walk against it, and the peak
# of the chart and trading walk against its goal.
#   bench/memory.py [BUILD_DIR (build/release)] [SCREENS (30)]
import os
import shutil
import subprocess
import sys
import tempfile
import time

from headless_client import ROOT, WAIT, Client, bar_third, centre, control, make_home, start_server, status, stop
from headless_client import text_control

TRADING_GOAL_MB = 30.0


def walk(client, screens, sample):
    """Opens each home button's screen and each entry of its menu, going home in between; returns how many
    screens opened."""
    opened = 0

    def open_menu(button):
        home = client.home()
        client.tap(*centre(control(home, button)["screenRect"]))
        menu = client.top()
        return None if menu["class"] == "CQXAppFrame" else menu

    while opened < screens:
        before = opened
        for button in range(103, 111):
            if opened >= screens:
                break
            menu = open_menu(button)
            if menu is None:
                continue
            opened += 1
            sample()
            rows = [c for c in menu["controls"] if c["items"] and "row=" in c["extra"]]
            entries = len(rows[0]["items"]) if rows else 0
            for k in range(entries):
                if opened >= screens:
                    break
                if k > 0 and open_menu(button) is None:
                    break
                client.tap(*row_centre(rows[0], k))
                if client.top()["class"] != menu["class"]:
                    opened += 1
                    sample()
            client.home()
        if opened == before:
            break
    return opened


def row_centre(listing, k):
    """Row k of a list-like control, as far as it has not scrolled."""
    row = int(listing["extra"].split("row=")[1].split()[0])
    return listing["screenRect"][0] + 100, listing["screenRect"][1] + row * k + row // 2


def open_ranked_table(client):
    """行情, its first entry: the ranked table, its first row selected."""
    home = client.home()
    client.tap(*centre(control(home, 103)["screenRect"]))
    client.tap(*row_centre(control(client.wait_for("CQXMenuWnd"), 170), 0))
    table = client.wait_for("CQXStockTableWnd")
    client.tap(*row_centre(control(table, 171), 0))
    return table


def trading_walk(client, sample):
    """The charts of the ranked table's first stock, a buy of 100 shares through the trade log-in, then every entry
    of the trading menu; returns how many screens opened."""
    opened = 0
    table = open_ranked_table(client)
    client.tap(*row_centre(control(table, 171), 0))  # the second tap on the row opens its time-share chart
    chart = client.wait_for("CFSFrame")
    sample()
    client.tap(*centre(control(chart, 101)["screenRect"]))  # the tool bar's middle button: the K-line chart
    client.wait_for("CKXFrame")
    sample()
    for orientation in (2, 0):
        client.command("rotate %d" % orientation)
        client.idle()
        sample()
    opened += 2

    def buy(expected):
        """买入委托 from the menu behind the first of the ranked table's six tool icons."""
        table = open_ranked_table(client)
        icons = control(table, 101)["screenRect"]
        client.tap(icons[0] + (icons[2] - icons[0]) // 12, (icons[1] + icons[3]) // 2)
        client.tap(*centre(text_control(client.top(), "买入委托")["screenRect"]))
        return client.wait_for(expected)

    # Logged out, the first buy asks for a branch office, the next for the log-in; then the order form opens.
    box = buy("MzMessageBoxWnd")
    client.tap(*centre(text_control(box, "确定")["screenRect"]))
    offices = client.wait_for("CSalesDeptSetWnd")
    client.tap(*centre(control(offices, 330)["screenRect"]))
    client.tap(*bar_third(offices, 2))
    login = buy("CQXTradeLoginWnd")
    client.type_into(control(login, 323)["screenRect"], "880012345")
    client.type_into(control(login, 324)["screenRect"], "123456")
    client.tap(*bar_third(login, 1))
    client.wait_for("CQXStockTableWnd")
    form = buy("CTradeBuySaleWnd")
    client.type_into(control(form, 312)["screenRect"], "100")
    client.tap(*bar_third(form, 1))
    confirm = client.wait_for("CTradeConfirmWnd")
    sample()
    client.tap(*bar_third(confirm, 1))
    client.tap(*centre(text_control(client.wait_for("MzMessageBoxWnd"), "确定")["screenRect"]))
    opened += 5

    for k in range(8):
        home = client.home()
        client.tap(*centre(control(home, 107)["screenRect"]))
        menu = client.wait_for("CQXTradeMenuWnd")
        client.tap(*row_centre(control(menu, 170), k))
        if client.top()["class"] != menu["class"]:
            opened += 1
            sample()
    client.home()
    return opened


class Run:
    """One start of the client against the server; ends with it."""

    def __init__(self, build, env):
        self.process = subprocess.Popen([os.path.join(build, "app", "morwick")], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.client = Client(env["MORWICK_AUTOMATION"])
        self.client.answering()

    def rss(self):
        return status(self.process.pid, "VmRSS")

    def settled_rss(self):
        self.client.wait_for("CQXAppFrame")
        time.sleep(1)
        self.client.idle()
        return self.rss()

    def peak(self, samples):
        return max(max(samples), status(self.process.pid, "VmHWM"))

    def end(self):
        try:
            self.client.command("frontkey")
        except OSError:
            pass
        self.process.wait(timeout=WAIT)


def main(argv):
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build", "release"))
    screens = int(argv[1]) if len(argv) > 1 else 30
    work = tempfile.mkdtemp(prefix="morwick-memory-")
    env = make_home(build, work)
    # Two hours into the trading day, so the time-share chart has its minutes.
    server = start_server(build, work, env, "--minute", "120")
    runs = []
    try:
        # First run: the phone signs up and walks the screens.
        run = Run(build, env)
        runs.append(run)
        run.client.sign_up()
        home_rss = run.settled_rss()
        samples = [home_rss]
        opened = walk(run.client, screens, lambda: samples.append(run.rss()))
        steady = run.settled_rss()
        high_water = run.peak(samples)
        run.end()
        # A fresh start walks the charts and trading.
        run = Run(build, env)
        runs.append(run)
        trading = [run.settled_rss()]
        traded = trading_walk(run.client, lambda: trading.append(run.rss()))
        trading_peak = run.peak(trading)
        run.end()
        print("client resident memory, release build (%s)" % build)
        print("  home grid at first run:       %6.1f MB" % home_rss)
        print("  after %2d screens, peak:       %6.1f MB  (%.2f x the home grid)" % (opened, high_water,
                                                                                    high_water / home_rss))
        print("  after %2d screens, back home:  %6.1f MB  (%.2f x the home grid)" % (opened, steady,
                                                                                    steady / home_rss))
        print("  chart and trading walk (%d screens), peak: %.1f MB  (goal %.0f MB; %.2f x the home grid)" % (
            traded, trading_peak, TRADING_GOAL_MB, trading_peak / home_rss))
    finally:
        for run in runs:
            stop(run.process)
        stop(server)
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
