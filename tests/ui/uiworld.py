"""A private desktop for driving tolvan as a person would.

Each World starts its own Xvfb, openbox, session bus, accessibility bus and
tolvan-sandbox, and tolvan in a temporary home; everything is stopped by PID
at the end. Controls are found by role and accessible name and driven with
real input through xdotool. Waits poll; nothing sleeps for a fixed time.
"""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
import urllib.request


class World:
    def __init__(self, build, name, entitled=True, scale=None, appearance=None, access_ttl=3600):
        self.build = os.path.abspath(build)
        self.name = name
        self.home = tempfile.mkdtemp(prefix="tolvan-ui-")
        self.processes = []
        self.app = None
        self.env = dict(os.environ)
        for folder in ("config", "data", "state", "runtime"):
            os.makedirs(os.path.join(self.home, folder), mode=0o700)
        self.env.update(
            HOME=self.home,
            XDG_CONFIG_HOME=os.path.join(self.home, "config"),
            XDG_DATA_HOME=os.path.join(self.home, "data"),
            XDG_STATE_HOME=os.path.join(self.home, "state"),
            XDG_RUNTIME_DIR=os.path.join(self.home, "runtime"),
            TOLVAN_CREDENTIAL_STORE="file:" + os.path.join(self.home, "session.json"),
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
            QT_QPA_PLATFORM="xcb",
            NO_AT_BRIDGE="0",
        )
        self.env.pop("QT_ACCESSIBILITY", None)
        if scale:
            self.env["QT_SCALE_FACTOR"] = str(scale)
        if appearance:
            self.preferences({"preferences.appearance": appearance})
        try:
            self._start_display()
            self._start_buses()
            self._start_sandbox(entitled, access_ttl)
        except BaseException:
            self.stop()
            raise

    def _spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def _start_display(self):
        read, write = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24", "-nolisten",
                     "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env["DISPLAY"] = ":" + pipe.readline().strip()
        self._spawn(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait(lambda: self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK").count("window id") > 0,
             "openbox to manage the display", timeout=30)

    def _start_buses(self):
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address"],
                          stdout=subprocess.PIPE, text=True)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        self._spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                    stderr=subprocess.DEVNULL)
        wait(lambda: "org.a11y.Bus" in self.x(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"), "the accessibility bus")
        # libatspi reads these once, at import.
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.env["DBUS_SESSION_BUS_ADDRESS"]
        import pyatspi
        self.atspi = pyatspi

    def _start_sandbox(self, entitled, access_ttl):
        log = open(os.path.join(self.home, "sandbox.log"), "w+")
        argv = [self.program("sandbox/tolvan-sandbox"), "--port", "0", "--db", ":memory:",
                "--access-ttl", str(access_ttl)]
        self._spawn(argv + (["--entitled"] if entitled else []), stdout=log, stderr=log)
        self.sandbox_log = log.name

        def listening():
            with open(self.sandbox_log) as text:
                for line in text:
                    if line.startswith("listening on "):
                        return line.split()[-1]
            return None
        self.base_url = wait(listening, "tolvan-sandbox to listen")
        self.env["TOLVAN_BASE_URL"] = self.base_url

    def program(self, path):
        return os.path.join(self.build, "src", path)

    def x(self, *argv):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True)
        return result.stdout

    def preferences(self, values):
        folder = os.path.join(self.env["XDG_CONFIG_HOME"], "tolvan")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "tolvan.conf"), "w") as settings:
            settings.write("[General]\n")
            for key, value in values.items():
                settings.write(f"{key}={value}\n")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                    process.wait(timeout=5)
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    os.killpg(process.pid, signal.SIGKILL)
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def service(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base_url + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=10) as reply:
            return reply.read()

    def mailed_code(self, address):
        def code():
            with open(self.sandbox_log) as text:
                lines = [line for line in text if line.startswith(f"sign-in code for {address}: ")]
            return lines[-1].split(": ")[-1].strip() if lines else None
        return wait(code, "the sign-in code")

    def save_session(self, address):
        """Signs in with tolvan-cli, which keeps the session where tolvan finds it."""
        cli = subprocess.Popen([self.program("cli/tolvan-cli"), "login", address], env=self.env,
                               stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, text=True)
        cli.communicate(self.mailed_code(address) + "\n", timeout=30)
        assert cli.returncode == 0, "tolvan-cli could not sign in"

    def tolvan(self, *arguments, wait_for_exit=False):
        argv = [self.program("app/tolvan"), *arguments]
        if wait_for_exit:
            return subprocess.run(argv, env=self.env, timeout=30).returncode
        self.app = self._spawn(argv)
        return self.app

    def application(self):
        def find():
            desktop = self.atspi.Registry.getDesktop(0)
            for index in range(desktop.childCount):
                child = desktop.getChildAtIndex(index)
                if child is not None and child.name == "tolvan":
                    return child
            return None
        return wait(find, "tolvan on the accessibility bus")

    def nodes(self, role=None, name=None, root=None):
        found = []

        def walk(node):
            if node is None:
                return
            try:
                states = node.getState()
                if node.getRoleName() != "application" and not states.contains(
                        self.atspi.STATE_SHOWING):
                    return
                if (role is None or node.getRoleName() == role) and (
                        name is None or node.name == name):
                    found.append(node)
                for index in range(node.childCount):
                    walk(node.getChildAtIndex(index))
            except Exception:
                return
        walk(root or self.application())
        return found

    def find(self, role, name, timeout=10):
        return wait(lambda: next(iter(self.nodes(role, name)), None), f"{role} {name!r}", timeout)

    def gone(self, role, name, timeout=10):
        wait(lambda: not self.nodes(role, name), f"{role} {name!r} to go", timeout)

    def centre(self, node):
        def settled():
            first = node.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
            second = node.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
            if first.width > 0 and (first.x, first.y, first.width, first.height) == (
                    second.x, second.y, second.width, second.height):
                return first
            return None
        box = wait(settled, f"{node.name!r} to hold still")
        return box.x + box.width // 2, box.y + box.height // 2

    def click(self, node):
        x, y = self.centre(node)
        self.x("xdotool", "mousemove", str(x), str(y), "click", "1")

    def type(self, text):
        self.x("xdotool", "type", "--delay", "120" if not text.isascii() else "30", text)

    def key(self, *keys):
        self.x("xdotool", "key", *keys)

    def text(self, node):
        text = node.queryText()
        return text.getText(0, text.characterCount)

    def other_window(self, name):
        """A window of another app, focused by the window manager."""
        self._spawn(["xmessage", "-name", name, name])
        window = self.x("xdotool", "search", "--sync", "--classname", name).split()[0]
        self.activate(window)
        return window

    def activate(self, window):
        self.x("xdotool", "windowactivate", "--sync", window)

    def copy(self, text):
        """Takes the clipboard with text, as an app's own copy does."""
        owner = self._spawn(["xclip", "-quiet", "-selection", "clipboard"], stdin=subprocess.PIPE)
        owner.stdin.write(text.encode())
        owner.stdin.close()
        wait(lambda: self.x("xclip", "-o", "-selection", "clipboard") == text, "the copy")

    def active_window_pid(self):
        window = self.x("xdotool", "getactivewindow").strip()
        return int(self.x("xdotool", "getwindowpid", window).strip() or 0) if window else 0

    def screenshot(self, name, title="Tolvan"):
        folder = os.path.join(self.build, "screenshots")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, f"{name}.png")
        window = self.x("xdotool", "search", "--all", "--pid", str(self.app.pid), "--onlyvisible",
                        "--name", f"^{title}$").split()
        if not window:
            self.x("import", "-window", "root", path)
            return path
        # What the screen shows there: a grab of the window itself can come
        # out with another window's pixels when two GL windows are open.
        info = dict(line.strip().split(": ", 1) for line in self.x(
            "xwininfo", "-id", window[0]).splitlines() if ": " in line)
        self.x("import", "-window", "root", "-crop", "{}x{}+{}+{}".format(
            info["Width"], info["Height"], info["Absolute upper-left X"],
            info["Absolute upper-left Y"]), "+repage", path)
        return path

    def cli(self, *arguments):
        """Runs tolvan-cli on the app's session, as a second client of the account."""
        result = subprocess.run([self.program("cli/tolvan-cli"), *arguments], env=self.env,
                                capture_output=True, text=True, timeout=30)
        assert result.returncode == 0, f"tolvan-cli {arguments[0]}: {result.stderr}"
        return result.stdout

    def sign_in(self, address):
        self.click(self.find("text", "Email address"))
        self.type(address)
        self.key("Return")
        code = self.find("text", "Email sign-in code")
        self.click(code)
        self.type(self.mailed_code(address))
        self.key("Return")
        self.find("push button", "Translate")


def wait(predicate, what, timeout=10):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)
