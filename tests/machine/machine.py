"""The cabinet in a box: a Debian 12 virtual machine driven only from outside.

    machine = Machine(image, "name", runs_folder, backing=None, session="x11", frontend=2)
    machine.start()                      # boots on its own copy-on-write overlay
    machine.wait_line(r"LAB LOGIN")      # a line of the serial console (regex)
    machine.keys("f10", "down", "ret")   # the machine's keyboard (QMP qcodes)
    machine.type_text("/home/arcade")    # characters, as typed
    machine.screendump("shot")           # what its screen shows, as PNG
    machine.power_button()               # ACPI, as the case's button
    machine.shell("pgrep -x tamrel")     # the root shell on the second serial port
    machine.wait_off(60)                 # qemu ending on its own: powered off
    machine.read_file("/home/arcade/x")  # after it stopped, from the overlay
    machine.journal("SYSLOG_IDENTIFIER=tamrel")  # its journal's entries, read so too

Every line the machine prints arrives with the host's clock (Line.at), so
times are measured on the real clock. The serial log, the qemu log and the
screendumps stay in the machine's folder; the overlay is the disk of a later
machine (backing=) until the folder is cleaned. Nothing here can power off
the host: qemu's own ACPI is the only power-off reached.
"""

import json
import os
import re
import shutil
import socket
import subprocess
import time

HOME = "/home/arcade"
STATE = HOME + "/.local/state/tamrel"
SETTINGS = HOME + "/.config/tamrel/tamrel.set"

# Characters the keyboard types, by QMP qcode; capitals and these with shift.
SHIFTED = {"_": "minus", ":": "semicolon", "?": "slash", "~": "grave_accent"}
PLAIN = {"/": "slash", ".": "dot", "-": "minus", " ": "spc", "=": "equal", ",": "comma", ";": "semicolon",
         "\n": "ret"}


# Lines after which the machine can never reach what a scenario waits for.
FATAL = re.compile(r"Kernel panic|Failed to mount .* as root|\(initramfs\)|emergency mode|Cannot open display|"
                   r"Unable to create the wlroots backend|Cannot create XWayland server")


class MachineError(AssertionError):
    pass


class Line(str):
    """A serial console line; `at` is the host's monotonic time it arrived."""

    def __new__(cls, text, at):
        line = super().__new__(cls, text)
        line.at = at
        return line


def accelerator(kernel):
    """"kvm" when a short boot of the kernel prints under KVM within 20 s, else
    "tcg": /dev/kvm may exist and still hang (nested virtualisation)."""
    if os.environ.get("TAMREL_MACHINE_ACCEL") in ("kvm", "tcg"):
        return os.environ["TAMREL_MACHINE_ACCEL"]
    try:
        os.close(os.open("/dev/kvm", os.O_RDWR))
    except OSError:
        return "tcg"
    try:
        probe = subprocess.run(["qemu-system-x86_64", "-accel", "kvm", "-m", "256", "-kernel", kernel, "-append",
                                "console=ttyS0 panic=-1", "-no-reboot", "-display", "none", "-serial", "stdio",
                                "-nic", "none"], capture_output=True, timeout=20)
        return "kvm" if b"Kernel panic" in probe.stdout or b"VFS:" in probe.stdout else "tcg"
    except subprocess.TimeoutExpired:
        return "tcg"


class Machine:
    def __init__(self, image, name, runs, backing=None, session="x11", frontend=2, memory=1536, clock=None,
                 display="std", **options):
        """image: the folder build-image.sh made; backing: the overlay of an
        earlier machine to start from; clock: where its real-time clock
        starts ("2026-12-08T17:55:00", UTC), else the host's time; display:
        qemu's graphics card (virtio: one wlroots can draw on; two: a card
        whose output the guest turns off, then the standard card with the
        screen); options:
        more lab.KEY=VALUE switches of the boot's command line, read by the
        guest's session."""
        self.image, self.name, self.clock, self.display = image, name, clock, display
        self.dir = os.path.join(runs, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.overlay = os.path.join(self.dir, "disk.qcow2")
        self.serial_path = os.path.join(self.dir, "serial.log")
        self.backing = backing or os.path.join(image, "rootfs.img")
        self.memory = memory
        switches = {"session": session, "frontend": frontend, **options}
        if display == "two":
            switches["cards"] = "two"  # the guest turns the first card's output off
        self.cmdline = "root=/dev/vda rootfstype=ext4 rw console=ttyS0 quiet " + " ".join(f"lab.{k}={v}" for k, v in switches.items())
        self.process = self.qmp = None
        self.lines, self.read_to, self.partial = [], 0, b""
        self.started = self.ended = None
        self.shots = 0
        self.root_shell, self.shell_output, self.shell_calls = None, b"", 0

    # -- life

    def start(self, accel=None):
        backing_format = "qcow2" if self.backing.endswith(".qcow2") else "raw"
        subprocess.run(["qemu-img", "create", "-q", "-f", "qcow2", "-b", os.path.abspath(self.backing), "-F",
                        backing_format, self.overlay], check=True)
        self.accel = accel or accelerator(os.path.join(self.image, "vmlinuz"))
        qmp_path = os.path.join(self.dir, "qmp.sock")
        open(self.serial_path, "wb").close()
        command = ["qemu-system-x86_64", "-accel", self.accel, "-m", str(self.memory), "-smp", "2",
                   "-cpu", "max" if self.accel == "tcg" else "host",
                   "-kernel", os.path.join(self.image, "vmlinuz"), "-initrd", os.path.join(self.image, "initrd.img"),
                   "-append", self.cmdline, "-drive", f"file={self.overlay},if=virtio,format=qcow2,cache=unsafe",
                   "-serial", f"file:{self.serial_path}",
                   "-chardev", f"socket,id=shell,path={os.path.join(self.dir, 'shell.sock')},server=on,wait=off",
                   "-device", "isa-serial,chardev=shell", "-qmp", f"unix:{qmp_path},server=on,wait=off",
                   "-display", os.environ.get("TAMREL_MACHINE_DISPLAY", "none"), *self.cards(), "-nic", "none",
                   "-no-reboot"] + (["-rtc", f"base={self.clock}"] if self.clock else [])
        with open(os.path.join(self.dir, "qemu.log"), "wb") as log:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.started = time.monotonic()
        deadline = time.monotonic() + 30
        while True:
            try:
                self.qmp = socket.socket(socket.AF_UNIX)
                self.qmp.connect(qmp_path)
                break
            except OSError:
                self.qmp.close()
                if self.process.poll() is not None or time.monotonic() > deadline:
                    raise MachineError(f"{self.name}: qemu did not start: {self.qemu_log()}")
                time.sleep(0.1)
        self.qmp_file = self.qmp.makefile("rwb")
        self.qmp_read()  # the greeting
        self.command("qmp_capabilities")
        return self

    def cards(self):
        if self.display != "two":
            return ["-vga", self.display]
        # The screen's card comes first for qemu (its screendump) and second
        # on the guest's bus, so the guest's card0 is the other one.
        return ["-vga", "none", "-device", "VGA,addr=05.0", "-device", "bochs-display,addr=04.0"]

    def running(self):
        if self.process and self.process.poll() is not None and self.ended is None:
            self.ended = time.monotonic()
        return self.process is not None and self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()
        self.close_qmp()

    def close_qmp(self):
        if self.root_shell:
            self.root_shell.close()
            self.root_shell = None
        if self.qmp:
            self.qmp_file.close()
            self.qmp.close()
            self.qmp = None

    def qemu_log(self):
        with open(os.path.join(self.dir, "qemu.log"), errors="replace") as log:
            return log.read().strip()[-2000:]

    # -- QMP

    def qmp_read(self):
        while True:
            raw = self.qmp_file.readline()
            if not raw:
                raise MachineError(f"{self.name}: qemu closed its QMP socket")
            message = json.loads(raw)
            if "event" not in message:
                return message

    def command(self, name, **arguments):
        if not self.qmp:
            raise MachineError(f"{self.name}: the machine is not running")
        self.qmp_file.write(json.dumps({"execute": name, "arguments": arguments}).encode() + b"\n")
        self.qmp_file.flush()
        answer = self.qmp_read()
        if "error" in answer:
            raise MachineError(f"{self.name}: {name}: {answer['error']}")
        return answer.get("return")

    def key_event(self, qcode, down):
        self.command("input-send-event", events=[{"type": "key", "data": {
            "down": down, "key": {"type": "qcode", "data": qcode}}}])

    def keys(self, *qcodes, gap=0.25, hold=0.08):
        """Presses and releases each key in turn; "shift-a" holds shift."""
        for qcode in qcodes:
            parts = qcode.split("-") if qcode != "minus" else [qcode]
            for part in parts:
                self.key_event(part, True)
            time.sleep(hold)
            for part in reversed(parts):
                self.key_event(part, False)
            time.sleep(gap)

    def type_text(self, text, gap=0.08):
        codes = []
        for char in text:
            if char in PLAIN:
                codes.append(PLAIN[char])
            elif char in SHIFTED:
                codes.append("shift-" + SHIFTED[char])
            elif char.isupper():
                codes.append("shift-" + char.lower())
            elif char.isalnum():
                codes.append(char)
            else:
                raise MachineError(f"no key types {char!r}")
        self.keys(*codes, gap=gap)

    def screendump(self, name):
        """What the screen shows now: dir/NAME.ppm, and NAME.png beside it
        for the reader; returns the PPM's path."""
        path = os.path.join(self.dir, f"{name}.ppm")
        self.command("screendump", filename=path)
        subprocess.run(["convert", path, path[:-4] + ".png"], check=False)
        return path

    def power_button(self):
        self.command("system_powerdown")

    # -- the root shell (the second serial port), for looking inside and for
    #    the lab's own devices in there

    def shell(self, command, timeout=60):
        """Runs command in the machine's root shell and returns its output;
        a command that fails (status other than 0) fails the scenario."""
        if not self.root_shell:
            self.root_shell = socket.socket(socket.AF_UNIX)
            self.root_shell.connect(os.path.join(self.dir, "shell.sock"))
            self.root_shell.setblocking(False)
            # The console's login may still be on its way: what it swallowed is typed again.
            for attempt in range(6):
                try:
                    self.shell_run("stty -echo; PS1=; PS2=; PROMPT_COMMAND=; export TERM=dumb", timeout=20)
                    break
                except MachineError:
                    if attempt == 5:
                        raise
        status, output = self.shell_run(command, timeout)
        if status != 0:
            raise MachineError(f"{self.name}: {command!r} failed ({status}): {output}")
        return output

    def shell_run(self, command, timeout):
        self.shell_calls += 1
        done = re.compile(rb"__LAB_DONE_%d_(\d+)" % self.shell_calls)
        self.root_shell.sendall(b"{ %s\n} 2>&1; echo __LAB_DONE_%d_$?\n" % (command.encode(), self.shell_calls))
        deadline = time.monotonic() + timeout
        while not (found := done.search(self.shell_output)):
            if time.monotonic() > deadline or not self.running():
                raise MachineError(f"{self.name}: the root shell did not finish {command!r}: {self.shell_output[-500:]!r}")
            try:
                self.shell_output += self.root_shell.recv(65536)
            except BlockingIOError:
                time.sleep(0.05)
        output = self.shell_output[:found.start()].decode("utf-8", "replace")
        self.shell_output = self.shell_output[found.end():]
        return int(found.group(1)), re.sub(r"\x1b\[[0-9;?]*[a-zA-Z]", "", output).replace("\r", "").strip()

    # -- the serial console

    def poll_serial(self):
        with open(self.serial_path, "rb") as serial:
            serial.seek(self.read_to)
            data = serial.read()
        if not data:
            return
        self.read_to += len(data)
        now = time.monotonic()
        *complete, self.partial = (self.partial + data).split(b"\n")
        for raw in complete:
            text = raw.decode("utf-8", "replace").replace("\r", "").strip()
            if text:
                self.lines.append(Line(text, now))

    def wait_line(self, pattern, timeout=120, after=0):
        """The first serial line from index `after` on that matches pattern;
        fails at once when the machine stops, or at the time-out."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        index = after
        while True:
            self.poll_serial()
            for line in self.lines[index:]:
                if regex.search(line):
                    return line
                if FATAL.search(line):
                    raise MachineError(f"{self.name}: {line!r} while waiting for {pattern!r}; "
                                       f"see {self.serial_path}")
            index = len(self.lines)
            if not self.running():
                self.poll_serial()
                for line in self.lines[index:]:
                    if regex.search(line):
                        return line
                raise MachineError(f"{self.name}: the machine stopped before a line like {pattern!r}; "
                                   f"see {self.serial_path}")
            if time.monotonic() > deadline:
                raise MachineError(f"{self.name}: no line like {pattern!r} within {timeout} s; "
                                   f"see {self.serial_path}")
            time.sleep(0.05)

    def log_lines(self):
        """Tamrel's event log lines mirrored on the serial console so far."""
        self.poll_serial()
        return [line[4:] for line in self.lines if line.startswith("LOG ")]

    def wait_off(self, timeout):
        """The host time qemu ended on its own (the machine powered itself off)."""
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise MachineError(f"{self.name}: the machine was still on after {timeout} s; see {self.serial_path}")
        self.running()
        self.poll_serial()
        self.close_qmp()
        return self.ended

    def stays_on(self, seconds):
        """Fails if the machine stops within `seconds`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if not self.running():
                raise MachineError(f"{self.name}: the machine powered off; see {self.serial_path}")
            time.sleep(0.1)

    # -- its disk, after it stopped

    def raw_disk(self):
        if self.running():
            raise MachineError(f"{self.name}: its disk is read only after it stopped")
        raw = os.path.join(self.dir, "disk.raw")
        if not os.path.exists(raw):
            subprocess.run(["qemu-img", "convert", "-O", "raw", self.overlay, raw], check=True)
        return raw

    def read_file(self, path):
        """A file of the machine's disk as bytes, None when it is missing."""
        raw = self.raw_disk()
        dump = os.path.join(self.dir, "dump")
        result = subprocess.run(["debugfs", "-R", f"dump {path} {dump}", raw], capture_output=True, text=True)
        if not os.path.exists(dump):
            if "not found" in result.stderr or "File not found" in result.stderr:
                return None
            raise MachineError(f"{self.name}: debugfs could not read {path}: {result.stderr.strip()}")
        with open(dump, "rb") as file:
            data = file.read()
        os.remove(dump)
        return data

    def journal(self, *matches):
        """The entries of the machine's persistent journal (journalctl -o json
        on the host, over its copy of /var/log/journal)."""
        raw = self.raw_disk()
        copy = os.path.join(self.dir, "journal")
        shutil.rmtree(copy, ignore_errors=True)
        os.makedirs(copy)
        subprocess.run(["debugfs", "-R", f"rdump /var/log/journal {copy}", raw], capture_output=True, check=True)
        result = subprocess.run(["journalctl", "-D", os.path.join(copy, "journal"), "-o", "json", *matches],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise MachineError(f"{self.name}: journalctl could not read its journal: {result.stderr.strip()}")
        return [json.loads(line) for line in result.stdout.splitlines()]

    def read_text(self, path):
        data = self.read_file(path)
        return None if data is None else data.decode("latin-1").replace("\r\n", "\n")

    def drop_disks(self):
        """Frees the disk space; the logs and screendumps stay."""
        for name in ("disk.raw", "disk.qcow2"):
            path = os.path.join(self.dir, name)
            if os.path.exists(path):
                os.remove(path)
