#!/usr/bin/env python3
# Resident memory of the client as a user walks its screens: the optimised client and server started by
# tools/run-client (headless, a fresh home and phone, a free port), signed up through the automation, then every
# home-grid button and every entry of its menu opened and left again until the screens are counted.
# Prints the home grid's figure at first run, and the peak and steady figures after the walk against it.
#   bench/memory.py [BUILD_DIR (build/release)] [SCREENS (30)]
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WAIT = 60.0


class Client:
    def __init__(self, path):
        self.path = path

    def command(self, line):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(WAIT)
            s.connect(self.path)
            s.sendall(line.encode("utf-8") + b"\n")
            answer = b""
            while not answer.endswith(b"\n"):
                part = s.recv(65536)
                if not part:
                    break
                answer += part
        return json.loads(answer.decode("utf-8"))

    def idle(self):
        self.command("idle 5000")

    def top(self):
        return self.command("dump")["windows"][0]

    def tap(self, x, y):
        self.command("tap %d %d" % (x, y))
        self.idle()

    def home(self):
        """The caption bar's home icon: every screen above the home grid ends."""
        for _ in range(10):
            top = self.top()
            if top["class"] == "CQXAppFrame":
                break
            caption = control(top, 113)
            if caption is None:  # a message ("该功能暂未开放！") or a tip, which closes by itself
                ok = [c for c in top["controls"] if c["kind"] == "UiPushButton" and c["text"] == "确定"]
                if ok:
                    self.tap(*centre(ok[0]["screenRect"]))
                else:
                    time.sleep(0.5)
                continue
            rect = caption["screenRect"]
            self.tap(rect[2] - 26, (rect[1] + rect[3]) // 2)
        return self.wait_for("CQXAppFrame")

    def wait_for(self, window_class):
        end = time.time() + WAIT
        while time.time() < end:
            self.idle()
            top = self.top()
            if top["class"] == window_class:
                return top
            time.sleep(0.05)
        raise SystemExit("memory: %s did not open; the top window is %s" % (window_class, json.dumps(top)[:600]))


def control(window, control_id):
    for c in window["controls"]:
        if c["id"] == control_id:
            return c
    return None


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def status(pid, field):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def client_pid(parent):
    end = time.time() + WAIT
    while time.time() < end:
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                with open("/proc/%s/comm" % entry) as f:
                    name = f.read().strip()
            except OSError:
                continue
            if int(fields[1]) == parent and name == "morwick":
                return int(entry)
        time.sleep(0.05)
    raise SystemExit("memory: the client did not start")


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
                listing = rows[0]
                row = int(listing["extra"].split("row=")[1].split()[0])
                client.tap(listing["screenRect"][0] + 100, listing["screenRect"][1] + row * k + row // 2)
                if client.top()["class"] != menu["class"]:
                    opened += 1
                    sample()
            client.home()
        if opened == before:
            break
    return opened


def main(argv):
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build", "release"))
    screens = int(argv[1]) if len(argv) > 1 else 30
    work = tempfile.mkdtemp(prefix="morwick-memory-")
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
               MORWICK_RUNTIME_DIR=os.path.join(work, "run"))
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
                    raise SystemExit("memory: the automation socket does not answer")
                time.sleep(0.05)
        # First run: the phone signs up with its number and lands on the home grid.
        signup = client.wait_for("CRegisterVerifyFrame")
        client.tap(*centre(control(signup, 300)["screenRect"]))
        client.command("text 13800138000")
        bar = control(signup, 101)["screenRect"]
        client.tap(bar[0] + (bar[2] - bar[0]) // 6, (bar[1] + bar[3]) // 2)
        client.wait_for("CQXAppFrame")
        time.sleep(1)
        client.idle()
        home_rss = status(pid, "VmRSS")
        peak = [home_rss]
        opened = walk(client, screens, lambda: peak.append(status(pid, "VmRSS")))
        client.wait_for("CQXAppFrame")
        time.sleep(1)
        client.idle()
        steady = status(pid, "VmRSS")
        high_water = max(max(peak), status(pid, "VmHWM"))
        print("client resident memory, release build (%s)" % build)
        print("  home grid at first run:       %6.1f MB" % home_rss)
        print("  after %2d screens, peak:       %6.1f MB  (%.2f x the home grid)" % (opened, high_water,
                                                                                    high_water / home_rss))
        print("  after %2d screens, back home:  %6.1f MB  (%.2f x the home grid)" % (opened, steady,
                                                                                    steady / home_rss))
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
