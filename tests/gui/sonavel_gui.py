"""Drives the real Sonavel program on a virtual display as a person would.

A desktop of its own per case: Xvfb, the Openbox window manager, a private D-Bus session bus
with the accessibility bus (AT-SPI), and a stand-in for the desktop's screen saver that records
what the program asks of it. Windows and their controls are found by their accessible roles and
names, as a screen reader finds them; keys go through the X server (xdotool, XTEST) to whatever
window has the keyboard, and clicks land on the control's place on the screen. Nothing reaches
into the program but what a person could do.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


class Skip(Exception):
    pass


class CaseFailure(AssertionError):
    pass


def _run(args, check=True, **kw):
    return subprocess.run(args, check=check, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


# A loaded machine (a build beside the tests) can be slow to answer; a wait ends as soon as its
# condition holds, so a generous limit costs nothing while things work.
TIMEOUT_SCALE = float(os.environ.get("SONAVEL_GUI_TIMEOUT_SCALE", "3"))


def wait_until(predicate, timeout=10.0, what="the condition", interval=0.05):
    """Polls `predicate` until it returns something true; fails the case after `timeout`
    (times the scale)."""
    started = time.monotonic()
    deadline = started + timeout * TIMEOUT_SCALE
    last_error = None
    while time.monotonic() < deadline:
        try:
            value = predicate()
            if value:
                if os.environ.get("GUI_TRACE"):
                    print(f"  waited {time.monotonic() - started:.2f} s for {what}", file=sys.stderr)
                return value
        except Exception as e:  # the accessibility tree changes under our feet
            last_error = e
        time.sleep(interval)
    raise CaseFailure(f"timed out after {timeout * TIMEOUT_SCALE} s waiting for {what}" +
                      (f" ({last_error})" if last_error else ""))


def check(condition, message):
    if not condition:
        raise CaseFailure(message)


class Desktop:
    """The virtual display, window manager, session bus, accessibility bus and screen saver."""

    def __init__(self, build_dir, source_dir):
        self.build_dir = build_dir
        self.source_dir = source_dir
        self.app_path = os.path.join(build_dir, "src", "app", "sonavel")
        self.cli_path = os.path.join(build_dir, "src", "cli", "sonavel-cli")
        self.work = tempfile.mkdtemp(prefix="sonavel-gui.")
        self.procs = []
        self.env = dict(os.environ)

    # -- set-up -------------------------------------------------------------------------------

    def start(self):
        for tool in ("Xvfb", "openbox", "xdotool", "xprop", "dbus-daemon", "import"):
            if shutil.which(tool) is None:
                raise Skip(f"{tool} is not installed (scripts/setup installs it)")
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.path.exists(launcher):
            raise Skip("at-spi2-core is not installed (scripts/setup installs it)")
        env = self.env
        env["HOME"] = self.work
        env["XDG_CONFIG_HOME"] = os.path.join(self.work, "config")
        env["XDG_RUNTIME_DIR"] = os.path.join(self.work, "runtime")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        env.pop("SESSION_MANAGER", None)
        env["LANG"] = "de_DE.UTF-8"
        env["LC_ALL"] = ""
        env.pop("QT_QPA_PLATFORM", None)

        # The display: Xvfb tells its number once it listens.
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                                 "-nolisten", "tcp"], pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                                stderr=open(os.path.join(self.work, "xvfb.log"), "w"))
        os.close(write_fd)
        self.procs.append(xvfb)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            import select
            ready, _, _ = select.select([read_fd], [], [], 0.2)
            if ready:
                chunk = os.read(read_fd, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_fd)
        if not number.strip():
            raise Skip("Xvfb could not start a virtual display")
        env["DISPLAY"] = ":" + number.decode().strip()

        # A session bus of our own, with the accessibility bus on it.
        out = _run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"], env=env)
        address, pid = out.stdout.split("\n")[:2]
        env["DBUS_SESSION_BUS_ADDRESS"] = address.strip()
        self.dbus_pid = int(pid)
        self._spawn([launcher, "--launch-immediately"], "atspi.log")
        self._start_window_manager()
        # The screen saver the program inhibits during a test.
        self.saver_log = os.path.join(self.work, "screensaver.log")
        self._spawn(["/usr/bin/python3", os.path.join(os.path.dirname(__file__), "fake_screensaver.py"),
                     self.saver_log], "screensaver.err")
        wait_until(lambda: os.path.exists(self.saver_log), 10, "the screen saver stand-in")
        # This process talks to the same display and buses (xdotool, the accessibility tree).
        os.environ.update({k: env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})

    def _start_window_manager(self):
        # Openbox now and then gives up at once on a display that has only just opened: try again.
        for _ in range(5):
            wm = self._spawn(["openbox", "--sm-disable"], "openbox.log")
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline and wm.poll() is None:
                if self._window_manager_running():
                    return
                time.sleep(0.05)
            time.sleep(0.3)
        raise CaseFailure("the window manager did not start: " + open(os.path.join(self.work, "openbox.log")).read())

    def _window_manager_running(self):
        r = _run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False, env=self.env)
        return "window id" in r.stdout

    def _spawn(self, args, log, env=None):
        out = open(os.path.join(self.work, log), "a")
        p = subprocess.Popen(args, env=env or self.env, stdout=out, stderr=out, start_new_session=True)
        self.procs.append(p)
        return p

    def stop(self, keep=False):
        for p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except (ProcessLookupError, PermissionError):
                    p.terminate()
        for p in self.procs:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        try:
            os.kill(self.dbus_pid, signal.SIGTERM)
        except (AttributeError, ProcessLookupError):
            pass
        if not keep:
            shutil.rmtree(self.work, ignore_errors=True)

    # -- the program ---------------------------------------------------------------------------

    def path(self, name):
        return os.path.join(self.work, name)

    def cli(self, *args):
        return _run([self.cli_path, *args], env=self.env)

    def install_key(self, first_run=False, values=None):
        """A fresh settings key; `values` replaces lines "Name"=... with new values."""
        key = self.path("Sonavel.reg")
        if os.path.exists(key):
            os.remove(key)
        self.cli("install-settings", "--path", key)
        text = open(key, encoding="utf-8").read()
        if not first_run:
            text = text.replace('"FirstRun"=dword:00000001', '"FirstRun"=dword:00000000')
        for name, value in (values or {}).items():
            line = re.compile(r'^"' + re.escape(name) + r'"=.*$', re.M)
            check(line.search(text), f"the key has no value {name}")
            text = line.sub(lambda _: f'"{name}"={value}', text)
        open(key, "w", encoding="utf-8").write(text)
        self.env["SONAVEL_REGISTRY"] = key
        return key

    def key_value(self, name):
        text = open(self.env["SONAVEL_REGISTRY"], encoding="utf-8", errors="replace").read()
        m = re.search(r'^"' + re.escape(name) + r'"=(.*?)\r?$', text, re.M)
        return m.group(1) if m else None

    def start_program(self, *args, audio="sim", extra_env=None):
        env = dict(self.env)
        env["SONAVEL_AUDIO"] = audio
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_ACCESSIBILITY"] = "1"
        env.update(extra_env or {})
        log = open(self.path("program.log"), "a")
        proc = subprocess.Popen([self.app_path, *args], env=env, stdout=log, stderr=log, cwd=self.work)
        self.procs.append(proc)
        return Program(self, proc)

    def screenshot(self, name):
        target = self.path(name)
        _run(["import", "-window", "root", target], check=False, env=self.env)
        return target

    def screensaver_calls(self):
        if not os.path.exists(self.saver_log):
            return []
        return [line.split() for line in open(self.saver_log).read().splitlines() if line.strip()]


# -- keys and the mouse -------------------------------------------------------------------------

def xdotool(*args):
    # Only the line end goes: a window title may end in a blank.
    return _run(["xdotool", *args], check=False).stdout.rstrip("\n")


def key(*keys):
    """Presses and releases keys as a person does, on the window that has the keyboard."""
    xdotool("key", "--delay", "40", *keys)
    time.sleep(0.15)


def key_down(name):
    xdotool("keydown", name)
    time.sleep(0.1)


def key_up(name):
    xdotool("keyup", name)
    time.sleep(0.1)


def type_text(text):
    # A character the keyboard map lacks (an umlaut on the virtual display's US map) is typed by
    # mapping a spare key for it for a moment: such characters go one at a time, with time for
    # the program to see the new map, or they can get lost.
    for run in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]", text):
        if run.isascii():
            xdotool("type", "--delay", "30", run)
        else:
            xdotool("type", "--delay", "150", run)
            time.sleep(0.3)
    time.sleep(0.15)


def click_at(x, y, button=1):
    # --sync waits for the pointer to arrive, and for ever when it is there already.
    here = re.findall(r"[xy]:(\d+)", xdotool("getmouselocation"))
    if [int(v) for v in here[:2]] != [x, y]:
        xdotool("mousemove", "--sync", str(x), str(y))
    xdotool("click", str(button))
    time.sleep(0.2)


def active_window_name():
    return xdotool("getactivewindow", "getwindowname")


def active_window_id():
    return xdotool("getactivewindow")


def visible_windows(name_regex):
    out = xdotool("search", "--onlyvisible", "--name", name_regex)
    return [w for w in out.split() if w]


def exactly(title):
    """An xdotool (POSIX extended) pattern for exactly this window title."""
    # Titles outside ASCII may reach xdotool in another encoding: any character matches there.
    escaped = re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title)
    return "^" + "".join(c if ord(c) < 128 else ".{1,4}" for c in escaped) + "$"


def stacking():
    """The program windows' X ids, bottom to top, as the window manager stacks them."""
    out = _run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False).stdout
    return [int(x, 16) for x in re.findall(r"0x[0-9a-fA-F]+", out)]


def window_id(name_regex):
    ids = visible_windows(name_regex)
    check(ids, f"no visible window {name_regex!r}")
    return int(ids[-1])


def on_top_of(upper_regex, lower_regex):
    """Whether the first window stands above the second."""
    order = stacking()
    upper, lower = window_id(upper_regex), window_id(lower_regex)
    check(upper in order and lower in order, "the window manager does not list both windows")
    return order.index(upper) > order.index(lower)


def close_window(name_regex):
    """Asks the window manager to close a window, as its close button does."""
    ids = visible_windows(name_regex)
    check(ids, f"no window {name_regex!r} to close")
    xdotool("windowactivate", "--sync", ids[0])
    key("alt+F4")


# -- the accessibility tree ---------------------------------------------------------------------

def _pyatspi():
    import pyatspi  # Debian's python3-pyatspi

    return pyatspi


class Acc:
    """An accessible object of the program: a window or a control."""

    def __init__(self, obj):
        self.obj = obj

    @property
    def role(self):
        return self.obj.getRoleName()

    @property
    def name(self):
        return self.obj.name or ""

    def __repr__(self):
        return f"<{self.role} {self.name!r}>"

    def children(self):
        return [Acc(c) for c in self.obj if c is not None]

    # Views whose items are data (folder trees, tables) are not looked into: they can be large.
    OPAQUE = {"tree", "table", "tree table"}

    def walk(self):
        stack = [self.obj]
        while stack:
            o = stack.pop()
            if o is None:
                continue
            a = Acc(o)
            yield a
            if a.role in self.OPAQUE and o is not self.obj:
                continue
            try:
                stack.extend(reversed([c for c in o]))
            except Exception:
                pass

    def find_all(self, role=None, name=None, showing=True):
        """The controls below this one of a role and name; only those on screen unless `showing`
        is false (the controls of a page that is not shown are there too)."""
        out = []
        for a in self.walk():
            if a.obj is self.obj:
                continue
            if role and a.role != role:
                continue
            if showing and not a.is_showing():
                continue
            if name is not None:
                if isinstance(name, re.Pattern):
                    if not name.search(a.name):
                        continue
                elif a.name != name:
                    continue
            out.append(a)
        return out

    def find(self, role=None, name=None, timeout=5.0, showing=True):
        return wait_until(lambda: next(iter(self.find_all(role, name, showing)), None), timeout,
                          f"a {role or 'control'} {name!r} in {self!r}")

    def states(self):
        pyatspi = _pyatspi()
        s = self.obj.getState()
        return {pyatspi.stateToString(x) for x in s.getStates()}

    def is_focused(self):
        return "focused" in self.states()

    def is_enabled(self):
        return "enabled" in self.states() or "sensitive" in self.states()

    def is_checked(self):
        return "checked" in self.states()

    def is_showing(self):
        return "showing" in self.states()

    def extents(self):
        pyatspi = _pyatspi()
        e = self.obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def centre(self):
        x, y, w, h = self.extents()
        return x + w // 2, y + h // 2

    def click(self, button=1):
        x, y = self.centre()
        click_at(x, y, button)

    def text(self):
        try:
            t = self.obj.queryText()
            return t.getText(0, t.characterCount)
        except NotImplementedError:
            return self.name

    def value(self):
        return self.obj.queryValue().currentValue


def program_app(timeout=15.0):
    pyatspi = _pyatspi()

    def look():
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Sonavel":
                return Acc(app)
        return None

    return wait_until(look, timeout, "the program on the accessibility bus")


class Program:
    def __init__(self, desktop, proc):
        self.desktop = desktop
        self.proc = proc
        self._app = None

    @property
    def app(self):
        if self._app is None:
            self._app = program_app()
        return self._app

    def windows(self):
        # Every child of the application is a top-level window (a plain widget window reads as a
        # "filler").
        return self.app.children()

    def window(self, name, timeout=10.0):
        """A shown top-level window whose name is `name` (a string or a compiled regex)."""

        def look():
            for w in self.windows():
                matches = name.search(w.name) if isinstance(name, re.Pattern) else w.name == name
                if matches and w.is_showing():
                    return w
            return None

        return wait_until(look, timeout, f"the window {name!r}")

    def no_window(self, name, timeout=5.0):
        def gone():
            for w in self.windows():
                matches = name.search(w.name) if isinstance(name, re.Pattern) else w.name == name
                if matches and w.is_showing():
                    return False
            return True

        wait_until(gone, timeout, f"the window {name!r} to go")

    def message_box(self, text_part, timeout=10.0):
        """A shown message box whose text contains `text_part`."""

        def look():
            for w in self.windows():
                if w.role != "alert" or not w.is_showing():
                    continue
                for label in w.find_all("label"):
                    if text_part in label.name or text_part in label.text():
                        return w
            return None

        return wait_until(look, timeout, f"a message box saying {text_part!r}")

    def ended(self, timeout=10.0):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise CaseFailure(f"the program did not end within {timeout} s")

    def running(self):
        return self.proc.poll() is None


def menu(program, main, *path):
    """Opens a menu of the main window by its entries, as a person clicks them."""
    bar = main.find("menu bar")
    item = bar.find("menu item", path[0])
    item.click()
    for entry in path[1:]:
        found = wait_until(lambda: next((m for m in program.app.find_all("menu item", entry)
                                         if m.is_showing()), None), 5, f"the menu entry {entry!r}")
        found.click()
