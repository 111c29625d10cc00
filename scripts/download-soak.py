#!/usr/bin/python3
"""Downloads under faults, judged by the oracle.

    download-soak.py soak --bin DIR [--runs N] [--seed S] [--rate P] [--retry R]
        N downloads of seeded random projects through `korvactl download` into korva-devsim,
        which injects drop, corrupt check code, wrong station, exception, stall and noise
        faults (each P/6, so P in all). Every run must either report success with the
        simulator holding exactly the project (oracle), or report failure. Prints the counts;
        exit 1 on any false success or unclear outcome.
    download-soak.py cable --bin DIR
        Kills the simulator mid-download: korvactl must report the one failure within the
        time-out plus a second, without spinning; the next download, with the simulator back
        on the same link, must succeed.
"""
import argparse
import os
import random
import re
import signal
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ORACLE = os.path.join(HERE, "..", "tests", "download", "oracle.py")
PHRASES = ["火警", "門窗入侵", "溫度過高", "停電", "復電", "Door open", "Zone ok", "緊急按鈕", "水位異常", "A"]


def make_project(template, path, rng, extra_users=0):
    """A project of random size and content that passes the pre-download check."""
    shutil.copyfile(template, path)
    os.chmod(path, 0o644)
    db = sqlite3.connect(path)
    groups = ["G%d" % i if rng.random() < 0.6 else "群組%d" % i for i in range(rng.randint(1, 5))]
    db.executemany("INSERT INTO UserGroups (GroupName, GroupDsc) VALUES (?, '')", [(g,) for g in groups])
    for i in range(rng.randint(1, 8) + extra_users):
        members = rng.sample(groups + ["gone"], rng.randint(1, min(3, len(groups) + 1)))
        members = [m.lower() if rng.random() < 0.2 else m for m in members]   # names compare upper-cased
        phone = "".join(rng.choice("0123456789") for _ in range(rng.randint(5, 15)))
        db.execute("INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName) VALUES (?, ?, ?, '', ?)",
                   ("U%d" % i, phone, int(rng.random() < 0.2), "\r\n".join(members)))
    for zone in rng.sample(range(64), rng.randint(1, 8)):
        target = rng.choice(["ALL", "all", "", "nobody"] + groups)
        alarm = rng.choice(PHRASES) + str(zone)
        reset = rng.choice(PHRASES) if rng.random() < 0.6 else ""
        db.execute("UPDATE Zones SET GroupName = ?, AlarmSMS = ?, ResetSMS = ?, IsDisable = ? WHERE ZoneNo = ?",
                   (target, alarm, reset, int(rng.random() < 0.2), zone))
    db.execute("UPDATE Basic SET IsUnicode = ?", (int(rng.random() < 0.5),))
    db.commit()
    db.close()


class Simulator:
    def __init__(self, bin_dir, work, extra):
        self.link = os.path.join(work, "ttyDEV")
        self.state = os.path.join(work, "state.json")
        self.control = os.path.join(work, "ctl")
        self.proc = subprocess.Popen(
            [os.path.join(bin_dir, "korva-devsim"), "--link", self.link, "--state", self.state,
             "--control", self.control] + extra,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = self.proc.stdout.readline()
        if "ready" not in line:
            raise RuntimeError("korva-devsim did not start: %r" % line)

    def write_state(self):
        if os.path.exists(self.state):
            os.remove(self.state)
        with open(self.control, "w") as f:
            f.write("state\n")
        deadline = time.monotonic() + 5
        while not os.path.exists(self.state) and time.monotonic() < deadline:
            time.sleep(0.005)
        time.sleep(0.02)   # written whole by then
        return self.state

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
            self.proc.wait(5)


def korvactl(bin_dir, project, link, work, retry, timeout=0, background=False):
    args = [os.path.join(bin_dir, "korvactl"), "download", project, "--port", link, "--yes", "--lang", "English",
            "--timeout", str(timeout), "--retry", str(retry), "--dump-dir", work,
            # the runs' attempts go to a history of their own, never the person's
            "--history", os.path.join(work, "DownloadHistory.sqlite")]
    proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if background:
        return proc
    out, err = proc.communicate(timeout=300)
    return proc.returncode, out, err


def oracle(project, state):
    r = subprocess.run([sys.executable, ORACLE, project, state], capture_output=True, text=True)
    return r.returncode, r.stdout.strip()


def soak(a):
    template = os.path.join(a.bin, "RV27.mdb")
    counts = {"success": 0, "failure": 0, "false success": 0, "unclear": 0}
    each = a.rate / 6
    faults = ["--drop-reply", each, "--corrupt-crc", each, "--wrong-station", each, "--exception-rate", each,
              "--stall-mid-frame", each, "--noise", each]
    started = time.monotonic()
    for run in range(a.runs):
        seed = a.seed + run
        with tempfile.TemporaryDirectory() as work:
            project = os.path.join(work, "Soak.cmb")
            make_project(template, project, random.Random(seed))
            before = open(project, "rb").read()
            sim = Simulator(a.bin, work, ["--seed", str(seed)] + [str(x) for x in faults])
            try:
                code, out, err = korvactl(a.bin, project, sim.link, work, a.retry)
                judged, difference = oracle(project, sim.write_state())
            finally:
                sim.stop()
            if open(project, "rb").read() != before:
                counts["unclear"] += 1
                print("run %d (seed %d): the project file changed" % (run, seed))
            elif code == 0 and "succeeded" in err and judged == 0:
                counts["success"] += 1
            elif code == 0:
                counts["false success"] += 1
                print("run %d (seed %d): FALSE SUCCESS: %s" % (run, seed, difference))
            elif code == 1 and "failed" in err:
                counts["failure"] += 1
            else:
                counts["unclear"] += 1
                print("run %d (seed %d): exit %d\n%s%s" % (run, seed, code, out, err))
    print("%d runs in %.1f s, faults %.0f %% (retry %d): %s" % (
        a.runs, time.monotonic() - started, a.rate * 100, a.retry,
        ", ".join("%s %d" % kv for kv in counts.items())))
    return 0 if counts["false success"] == 0 and counts["unclear"] == 0 else 1


def cable(a):
    template = os.path.join(a.bin, "RV27.mdb")
    timeout_s = 1
    with tempfile.TemporaryDirectory() as work:
        project = os.path.join(work, "Cable.cmb")
        rng = random.Random(5)
        make_project(template, project, rng, extra_users=40)
        sim = Simulator(a.bin, work, ["--pace"])
        proc = korvactl(a.bin, project, sim.link, work, retry=2, timeout=timeout_s, background=True)
        # The first acknowledged record shows on the progress line; then the cable goes.
        line = ""
        while not re.search(r"\[[1-9][0-9]*/", line):
            line = proc.stderr.readline()
            if not line:
                print("korvactl ended before its first record")
                return 1
        sim.stop(signal.SIGKILL)
        pulled = time.monotonic()
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.monotonic() - pulled
        err = line + proc.stderr.read()
        out = proc.stdout.read()
        code = os.waitstatus_to_exitcode(status)
        cpu = usage.ru_utime + usage.ru_stime
        failures = out.count("failed") + err.count("failed")
        print("cable pulled: exit %d after %.2f s (limit %d s), %d failure message(s), CPU %.2f s"
              % (code, elapsed, timeout_s + 1, failures, cpu))
        ok = code == 1 and elapsed <= timeout_s + 1 and failures == 1 and cpu < 0.5 + 0.25 * elapsed
        if not ok or a.verbose:
            print(out + err)
        sim = Simulator(a.bin, work, [])
        try:
            code, out, err = korvactl(a.bin, project, sim.link, work, retry=2)
            judged, difference = oracle(project, sim.write_state())
        finally:
            sim.stop()
        print("next download: exit %d, oracle %s" % (code, difference))
        return 0 if ok and code == 0 and judged == 0 else 1


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("mode", choices=["soak", "cable"])
    p.add_argument("--bin", required=True, help="the program folder (korvactl, korva-devsim, RV27.mdb)")
    p.add_argument("--runs", type=int, default=200)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--rate", type=float, default=0.10)
    p.add_argument("--retry", type=int, default=1)
    p.add_argument("--verbose", action="store_true", help="cable: print korvactl's output")
    a = p.parse_args()
    return soak(a) if a.mode == "soak" else cable(a)


if __name__ == "__main__":
    sys.exit(main())
