#!/usr/bin/python3
"""A whole game against the beginner as a blind player plays it: the game runs on its own X server,
session bus and accessibility bus, and this script sees it only through AT-SPI (the tree a screen
reader reads, the focus and the status line's showing that it hears) and touches it only with keys and the
pits' press actions.

    a11y_play.py KELANI_EXECUTABLE

Exits 77 (skipped) when the buses or the X server cannot start."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
HUMAN = "Anna"
COMPUTER = "Bert"  # the dialog names the computer itself


def start(command, env):
    """Starts a helper that prints one line (its display or address) and returns both."""
    try:
        process = subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    except OSError:
        return None, ""
    return process, process.stdout.readline().strip()


def registry_answers(env, seconds=30):
    """Whether the accessibility bus and its registry answer: the launcher tells the bus's address
    before the bus listens, and the registry starts on the first call, slowly on a busy machine."""
    end = time.time() + seconds
    while time.time() < end:
        probe = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env, capture_output=True, text=True)
        if probe.returncode == 0:
            ping = subprocess.run(["dbus-send", "--bus=" + probe.stdout.strip(), "--print-reply",
                                   "--dest=org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                                   "org.freedesktop.DBus.Peer.Ping"], env=env, capture_output=True)
            if ping.returncode == 0:
                return True
        time.sleep(0.1)
    return False


def outer(executable, script=__file__, prepare=None):
    """Runs `script --inner executable` in a session of its own: X server, session bus and accessibility
    bus; `prepare(env)` may start more there (returning its process, or None to skip)."""
    helpers = []
    env = dict(os.environ)
    try:
        xvfb, display = start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"], env)
        helpers.append(xvfb)
        bus, address = start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env)
        helpers.append(bus)
        if not display or not address:
            print("no X server or session bus")
            return SKIP
        env.update(DISPLAY=":" + display, DBUS_SESSION_BUS_ADDRESS=address, NO_AT_BRIDGE="0")
        launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        helpers.append(launcher)
        if not registry_answers(env):
            print("no accessibility bus")
            return SKIP
        if prepare:
            helper = prepare(env)
            if not helper:
                return SKIP
            helpers.append(helper)
        return subprocess.run([sys.executable, script, "--inner", executable], env=env, timeout=150).returncode
    finally:
        for helper in reversed(helpers):
            if helper:
                helper.terminate()
                try:
                    helper.wait(5)
                except subprocess.TimeoutExpired:
                    helper.kill()
                    helper.wait()


def start_game(executable, folder, **env):
    """Starts a copy of the game in `folder`, set for a new game of Anna against the beginner."""
    program = os.path.join(folder, "kelani")
    shutil.copy(executable, program)
    built = os.path.dirname(os.path.abspath(executable))
    for name in os.listdir(built):
        if name.endswith(".gfx"):
            os.symlink(os.path.join(built, name), os.path.join(folder, name))
    with open(os.path.join(folder, "settings.ini"), "w") as ini:
        ini.write("[settings]\nlanguage=english\nsound=0\nhandani=0\nstoneani=0\nnoani=1\n"
                  "[newgame]\ndifficulty=0\nmode=1\nvariant=4\nstones=3\nusehead=1\n"
                  f"name1={COMPUTER}\nname2={HUMAN}\nmail1=bert@example.org\nmail2=anna@example.org\n")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", ASAN_OPTIONS="detect_leaks=0", **env)
    return subprocess.Popen([program], env=env, cwd=folder)


def press(*keys):
    """Keys to the newest window of ours, which gets the input focus first: there is no window manager."""
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--class", "kelani"], check=True,
                           capture_output=True, text=True).stdout.split()
    subprocess.run(["xdotool", "windowfocus", max(found, key=int)], check=True, capture_output=True)
    if keys:
        print("keys:", *keys, flush=True)
        subprocess.run(["xdotool", "key", "--delay", "30"] + list(keys), check=True)


class Game:
    """The game as the screen reader sees it."""

    def __init__(self, executable, folder):
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.heard = []   # the status line each time it shows anew (what Orca speaks), in order
        self.focused = []  # names of the objects that got the focus
        self.greyed = 0  # controls of ours that greyed or came back
        pyatspi.Registry.registerEventListener(self.on_event, "object:state-changed:showing", "focus:",
                                               "object:state-changed:focused", "object:state-changed:sensitive")
        # Without a screen reader on the bus Qt keeps its bridge shut unless told.
        self.process = start_game(executable, folder, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.app = self.wait_for(self.find_app, "the game on the accessibility bus")
        self.window = self.wait_for(lambda: self.find(self.app, lambda o: o.getRoleName() == "frame"), "its window")

    def on_event(self, event):
        try:
            name = event.source.name
            role = event.source.getRoleName()
        except Exception:
            return
        # Orca speaks a notification when it shows; a name change away from the focus it ignores.
        if event.type.startswith("object:state-changed:showing") and event.detail1 and role == "notification":
            print("heard:", name, flush=True)
            self.heard.append(name)
        elif event.type.startswith("object:state-changed:sensitive"):
            self.greyed += 1
        elif event.type.startswith("focus") or (event.type.startswith("object:state-changed:focused") and event.detail1):
            self.focused.append(name)

    def pump(self, seconds=0.05):
        end = time.time() + seconds
        while time.time() < end:
            while self.context.pending():
                self.context.iteration(False)
            time.sleep(0.01)

    def wait_for(self, probe, what, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            self.pump()
            found = probe()
            if found:
                return found
        raise AssertionError("waited in vain for " + what)

    def find_app(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "kelani":
                return app
        return None

    def find(self, root, predicate):
        try:
            # The bus caches the children it has seen; Qt does not say when windows come and go.
            root.clear_cache()
            return self.pyatspi.findDescendant(root, predicate)
        except Exception:
            return None

    def board(self):
        return self.find(self.window, lambda o: o.name in ("board", "Spielbrett") and o.childCount == 20)

    def message_box(self):
        """The text of an open message box of ours, else None."""
        box = self.find(self.app, lambda o: o.getRoleName() in ("dialog", "alert") and
                        self.find(o, lambda b: b.getRoleName() == "push button" and b.name == "OK") and
                        not self.find(o, lambda b: b.getRoleName() == "push button" and b.name == "Cancel"))
        if not box:
            return None
        label = self.find(box, lambda o: o.getRoleName() == "label" and o.name)
        return label.name if label else ""

    def kill(self):
        self.process.kill()

    def wait(self):
        self.process.wait()

    def keys(self, *keys):
        press(*keys)
        self.pump(0.2)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def anna_to_move(news, played):
    """Whether the turn's `news` gives Anna the move, None once the game is over. Anna's last move
    `played` is checked here, with the news after it: a move that ends the game brings the result
    box before its announcement."""
    if played:
        check(news.startswith(played), "heard %r after playing %r" % (news, played))
    if "Game over" in news:
        return None
    return news.endswith(HUMAN + " to move.")


def spoken_name(game, o):
    """What Orca names a control by: a combo box's own name is its current item, so its label."""
    if o.getRoleName() != "combo box":
        return o.name
    labels = [r for r in o.getRelationSet() if r.getRelationType() == game.pyatspi.RELATION_LABELLED_BY]
    return " ".join(r.getTarget(i).name for r in labels for i in range(r.getNTargets()))


def play(game):
    board = game.wait_for(game.board, "the board's accessible parts")
    names = [board.getChildAtIndex(i).name for i in range(20)]
    roles = [board.getChildAtIndex(i).getRoleName() for i in range(20)]
    check(roles[:6] == ["push button"] * 6 and roles[6] == "label" and roles[13] == "label", roles)
    check(roles[14:19] == ["label"] * 5 and roles[19] == "notification", roles)
    check(names[14].startswith("Thinking time Player 1: 00:00:00"), names[14])
    check(names[18] == "Preview: none", names[18])

    # A new game by the menu's keys: the dialog remembers the beginner, Bert (the computer) against Anna.
    game.keys("alt+g", "n")
    dialog = game.wait_for(lambda: game.find(game.app, lambda o: o.getRoleName() == "dialog"), "the new-game dialog")
    unnamed = [o for o in game.pyatspi.findAllDescendants(dialog, lambda o: o.getRoleName() in ("push button", "text", "combo box", "check box", "spin button")) if not spoken_name(game, o)]
    check(not unnamed, "controls without a name: %s" % [o.getRoleName() for o in unnamed])
    game.keys("Return")
    # The lot: Anna draws a matchstick; the dialog shows the result and closes by itself.
    lot = game.wait_for(lambda: game.find(game.app, lambda o: o.getRoleName() == "push button" and o.name == "Left"),
                        "the lot").parent
    sticks = game.find(lot, lambda o: o.getRoleName() in ("label", "image") and "matchstick" in o.name.lower())
    check(sticks is not None, "the matchsticks have no name")
    game.keys("space")
    game.wait_for(lambda: game.heard and ("to move" in game.heard[-1]), "the first turn's announcement", 15)
    check(game.heard[-1].startswith("new game"), game.heard[-1])

    greyed = game.greyed
    moves = 0
    done = 0  # announcements dealt with
    result = None
    played = None  # how Anna's last move must be announced
    while True:
        # News: the next announcement, or the box with the result that comes before the last one.
        game.wait_for(lambda: len(game.heard) > done or (result is None and game.message_box()), "the next turn", 20)
        if len(game.heard) == done:
            result = game.message_box()
            game.keys("Return")
            continue
        last = game.heard[done]
        done += 1
        turn, played = anna_to_move(last, played), None
        if turn is None:
            break
        if not turn:
            continue
        # Anna's turn: the first pit of hers that holds stones, as its name says.
        own = {}
        for i in range(7, 13):  # places 8..13, Anna's row
            match = re.match(r"Your pit (\d), (\d+) stones?", board.getChildAtIndex(i).name)
            check(match, board.getChildAtIndex(i).name)
            own[int(match.group(1))] = int(match.group(2))
        pit = min(n for n, stones in own.items() if stones > 0)
        if moves % 2:
            # Every other move by the pit's own press action, as a screen reader's "activate" does.
            action = board.getChildAtIndex(6 + pit).queryAction()
            check([action.getName(i) for i in range(action.nActions)] == ["Press"], "pit %d cannot be pressed" % pit)
            action.doAction(0)
        else:
            game.keys(str(pit))
            game.wait_for(lambda: any(f.startswith("Your pit %d," % pit) for f in game.focused[-3:]),
                          "the focus on pit %d" % pit)
            preview = board.getChildAtIndex(18).name
            check(preview.startswith("Preview after pit %d: " % pit), preview)
            game.keys("Return")
        played = "%s plays pit %d (%d stone" % (HUMAN, pit, own[pit])
        moves += 1

    check(moves >= 3, "Anna moved only %d times" % moves)
    # Controls that grey during each move and come back flood a screen reader, which then drops
    # what it had to say.
    check(game.greyed == greyed, "%d controls greyed or came back during the game" % (game.greyed - greyed))
    final = game.heard[-1]
    check(re.search(r"Game over: (drawn|.+ wins), \d+ to \d+\.", final), final)
    check(result and re.search(r"(has won|Drawn)", result), "the result box said %r" % result)
    # The highscore table and the question for another game follow; the queries still answer.
    for _ in range(2):
        game.pump(1)
        game.keys("Escape")
    game.keys("F7")
    game.wait_for(lambda: re.match(r"Thinking time .+: \d\d:\d\d:\d\d\. Thinking time Anna: ", game.heard[-1]),
                  "the clocks on F7")
    game.keys("F5")
    game.wait_for(lambda: re.match(r".+: pits( \d+){6}, head pit \d+\. Anna: pits ", game.heard[-1]), "the board on F5")
    check("Game over" in game.heard[-1], game.heard[-1])
    game.keys("F6")
    game.wait_for(lambda: game.heard[-1] == final, "the last turn on F6")
    print("played %d moves; the end: %s" % (moves, final))


def play_in_folder(prefix, start, play_game):
    """`start(folder)` starts the game in a fresh folder and `play_game(game)` plays it: 0 when the
    game went as it should, else 1 with the reason."""
    folder = tempfile.mkdtemp(prefix=prefix)
    game = None
    try:
        game = start(folder)
        play_game(game)
        return 0
    except AssertionError as error:
        print("FAILED:", error)
        return 1
    finally:
        if game:
            game.kill()
            game.wait()
        shutil.rmtree(folder, ignore_errors=True)


def inner(executable):
    return play_in_folder("kelani-a11y-", lambda folder: Game(executable, folder), play)


if __name__ == "__main__":
    if sys.argv[1] == "--inner":
        sys.exit(inner(sys.argv[2]))
    sys.exit(outer(sys.argv[1]))
