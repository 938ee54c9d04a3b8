#!/usr/bin/env python3
# Cold start of the client: from starting the program to the home grid on the screen, headless, against the
# stand-in server on loopback, with a phone already signed up (the log-in, the fonts and the home grid's images
# included). Each start is a new process, its files in the page cache. The reference is the start of an empty
# program linked to the same shared libraries (bench_empty), started in turn with the client in the same run.
# Prints the libraries each loads, and the medians and ranges of both starts with their ratio; and the client's
# time until its automation socket listens, before any of its own start-up work.
#   bench/start.py [BUILD_DIR (build/release)] [STARTS (20)]
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from headless_client import ROOT, WAIT, Client, make_home, start_server, stop


def loaded_libraries(program):
    """The shared objects the dynamic loader maps when the program starts."""
    env = dict(os.environ, LD_TRACE_LOADED_OBJECTS="1")
    listing = subprocess.run([program], env=env, capture_output=True, text=True, timeout=WAIT).stdout
    return sorted(line.split()[0] for line in listing.splitlines() if line.strip())


def mapped_libraries(pid):
    with open("/proc/%d/maps" % pid) as maps:
        return {line.split()[-1] for line in maps if ".so" in line.split()[-1]}


def client_start(program, env):
    """Milliseconds from starting the client to its automation socket listening (libraries loaded, static
    objects made, the display started) and to the home grid on top, and the libraries it has mapped then."""
    began = time.perf_counter()
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    client = Client(env["MORWICK_AUTOMATION"])
    listening = None
    try:
        while True:
            if process.poll() is not None or time.perf_counter() - began > WAIT:
                raise SystemExit("start: the client ended or never reached the home grid")
            if listening is None:
                with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
                    if probe.connect_ex(env["MORWICK_AUTOMATION"]) == 0:
                        listening = (time.perf_counter() - began) * 1000
                        continue
            else:
                try:
                    if client.top()["class"] == "CQXAppFrame":
                        break
                except (OSError, ValueError, IndexError, KeyError):
                    pass  # no window yet
            time.sleep(0.0005)
        elapsed = (time.perf_counter() - began) * 1000
        mapped = mapped_libraries(process.pid)
        client.command("frontkey")
        process.wait(timeout=WAIT)
        return listening, elapsed, mapped
    finally:
        stop(process)


def empty_start(program):
    began = time.perf_counter()
    subprocess.run([program], check=True, timeout=WAIT)
    return (time.perf_counter() - began) * 1000


def summary(times):
    return "%.1f ms (%.1f-%.1f)" % (statistics.median(times), min(times), max(times))


def main(argv):
    build = os.path.abspath(argv[0] if argv else os.path.join(ROOT, "build", "release"))
    starts = int(argv[1]) if len(argv) > 1 else 20
    program = os.path.join(build, "app", "morwick")
    empty = os.path.join(build, "bench", "bench_empty")
    work = tempfile.mkdtemp(prefix="morwick-start-")
    env = make_home(build, work)
    server = start_server(build, work, env)
    try:
        # First run: the phone signs up; every start after it goes through the log-in to the home grid.
        process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        client = Client(env["MORWICK_AUTOMATION"])
        client.answering()
        client.sign_up()
        client.command("frontkey")
        process.wait(timeout=WAIT)
        socket_times, client_times, empty_times, mapped = [], [], [], set()
        for _ in range(starts):
            listening, elapsed, mapped = client_start(program, env)
            socket_times.append(listening)
            client_times.append(elapsed)
            empty_times.append(empty_start(empty))
        own, theirs = loaded_libraries(program), loaded_libraries(empty)
        reference = statistics.median(empty_times)
        print("client start, release build (%s), %d starts each" % (build, starts))
        print("  libraries loaded at start: client %d, empty program %d (%s); mapped at the home grid: %d" % (
            len(own), len(theirs), "the same" if own == theirs else "they differ", len(mapped)))
        print("  cold start to the home grid: %s, empty program: %s, ratio: %.1f" % (
            summary(client_times), summary(empty_times), statistics.median(client_times) / reference))
        print("  to the automation socket (libraries loaded, display started): %s, ratio: %.1f" % (
            summary(socket_times), statistics.median(socket_times) / reference))
    finally:
        stop(server)
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
