# What the client benches share: a fresh home and phone in a temporary folder, the stand-in server on a free port,
# the optimised client started headless against it, and the automation commands that drive it.
import json
import os
import shutil
import socket
import subprocess
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

    def type_into(self, control_rect, text):
        self.tap(*centre(control_rect))
        self.command("text " + text)
        self.idle()

    def answering(self):
        """Waits until the automation socket answers."""
        end = time.time() + WAIT
        while True:
            try:
                self.idle()
                return
            except OSError:
                if time.time() > end:
                    raise SystemExit("bench: the automation socket does not answer")
                time.sleep(0.05)

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
        raise SystemExit("bench: %s did not open; the top window is %s" % (window_class, json.dumps(top)[:600]))

    def sign_up(self):
        """First run: the phone signs up with its number and lands on the home grid."""
        signup = self.wait_for("CRegisterVerifyFrame")
        self.type_into(control(signup, 300)["screenRect"], "13800138000")
        self.tap(*bar_third(signup, 0))
        return self.wait_for("CQXAppFrame")


def control(window, control_id):
    for c in window["controls"]:
        if c["id"] == control_id:
            return c
    return None


def text_control(window, text):
    for c in window["controls"]:
        if c["text"] == text and c["visible"]:
            return c
    return None


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def bar_third(window, third):
    """A third of the command bar: 0 left, 1 middle, 2 right."""
    rect = control(window, 101)["screenRect"]
    return rect[0] + (rect[2] - rect[0]) * (2 * third + 1) // 6, (rect[1] + rect[3]) // 2


def status(pid, field):
    """A figure of /proc/PID/status in MB (VmRSS, VmHWM)."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def make_home(build, work):
    """A fresh program folder holding the client's artwork, and the environment of a headless client using it
    with its own phone, automation socket and runtime folder (the server's port still to be set)."""
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
               MORWICK_AUTOMATION=os.path.join(work, "a.sock"), MORWICK_RUNTIME_DIR=os.path.join(work, "run"))
    return env


def start_server(build, work, env, *options):
    """The stand-in server on a free port with its data in work; its process, and env pointed at it."""
    log_path = os.path.join(work, "server.log")
    with open(log_path, "w") as log:
        server = subprocess.Popen([os.path.join(build, "server", "morwick-server"), "--port", "0", "--data",
                                   os.path.join(work, "server"), "--export-pubkey",
                                   os.path.join(env["MORWICK_HOME"], "pubkey.bin")] + list(options),
                                  stdout=log, stderr=subprocess.STDOUT)
    end = time.time() + WAIT
    while time.time() < end and server.poll() is None:
        with open(log_path) as log:
            for line in log:
                if "listening on 127.0.0.1:" in line:
                    env["MORWICK_PORT"] = line.split("127.0.0.1:")[1].split(",")[0].split()[0]
                    return server
        time.sleep(0.05)
    stop(server)
    raise SystemExit("bench: morwick-server did not start")


def stop(process):
    if process.poll() is None:
        process.terminate()
        process.wait(timeout=WAIT)
