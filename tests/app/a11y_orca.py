#!/usr/bin/python3
"""A whole game against the beginner played by ear, with Orca. The screen reader runs in the game's
own X server and buses and speaks through speech-dispatcher into a file instead of a loudspeaker;
this script knows only what was spoken there and answers only with keys, as a blind player would:
F5 to hear the board, a digit to choose a pit, Return to play it.

    a11y_orca.py KELANI_EXECUTABLE

Exits 77 (skipped) when Orca, speech-dispatcher or the buses cannot start."""
import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import a11y_play
from a11y_play import HUMAN, check, press, start_game

HEARD = "heard.txt"

# speech-dispatcher's own configuration, in a home of the test's: everything said goes into the file,
# one utterance a line (not cut at each full stop: no text of ours has a caret), the sound to a sink
# that swallows it.
SPEECHD = """AddModule "ears" "sd_generic" "ears.conf"
DefaultModule ears
AudioOutputMethod "alsa"
AudioALSADevice "null"
"""
EARS = """GenericExecuteSynth "printf '%s\\\\n' \\'$DATA\\' >> {heard}"
AddVoice "en" "MALE1" "en"
GenericLanguage "en" "en" "utf-8"
GenericMaxChunkLength 100000
GenericDelimiters "^"
"""


def start_orca(env):
    """Orca in a home of its own, speaking into HEARD there; None when it cannot start."""
    if not shutil.which("orca") or not os.path.exists("/usr/lib/speech-dispatcher-modules/sd_generic"):
        print("no Orca or speech-dispatcher")
        return None
    # Orca runs once per user: in a process namespace of its own it sees no other, neither the
    # player's own Orca nor the test's next door, and it takes speech-dispatcher along when it ends.
    alone = ["unshare", "--pid", "--fork", "--kill-child", "--mount-proc"]
    if os.getuid() != 0:
        alone[1:1] = ["--user", "--map-root-user"]
    if subprocess.run(alone + ["true"], capture_output=True).returncode != 0:
        print("no process namespace for Orca")
        return None
    home = tempfile.mkdtemp(prefix="kelani-orca-")
    heard = os.path.join(home, HEARD)
    config = os.path.join(home, ".config")
    os.makedirs(os.path.join(config, "speech-dispatcher", "modules"))
    with open(os.path.join(config, "speech-dispatcher", "speechd.conf"), "w") as conf:
        conf.write(SPEECHD)
    with open(os.path.join(config, "speech-dispatcher", "modules", "ears.conf"), "w") as conf:
        conf.write(EARS.format(heard=heard))
    atexit.register(shutil.rmtree, home, True)
    runtime = os.path.join(home, "run")
    os.mkdir(runtime, 0o700)
    env.update(HOME=home, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, XDG_DATA_HOME=os.path.join(home, "data"),
               XDG_CACHE_HOME=os.path.join(home, "cache"), KELANI_HEARD=heard)
    orca = subprocess.Popen(alone + ["orca"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        Ears(heard).wait_for(r"Screen reader on", "Orca's greeting", 60)
    except AssertionError as error:
        print(error)
        orca.kill()
        return None
    return orca


class Ears:
    """What Orca said, line by line, as speech-dispatcher passed it on."""

    def __init__(self, path):
        self.path = path
        self.lines = []
        self.heard = 0  # lines dealt with

    def listen(self):
        try:
            with open(self.path, encoding="utf-8", errors="replace") as spoken:
                lines = spoken.read().splitlines()
        except FileNotFoundError:
            return
        for line in lines[len(self.lines):]:
            print("heard:", line, flush=True)
        self.lines = lines

    def quiet(self, seconds=0.5):
        """Until Orca has said nothing for `seconds`: a key cuts short what it was about to say."""
        heard, since = len(self.lines), time.time()
        end = since + 10
        while time.time() < end and time.time() - since < seconds:
            time.sleep(0.05)
            self.listen()
            if len(self.lines) != heard:
                heard, since = len(self.lines), time.time()

    def last(self, pattern):
        """The first group of the last line heard that matches, else None."""
        for line in reversed(self.lines):
            found = re.search(pattern, line)
            if found:
                return found.group(1)
        return None

    def wait_for(self, pattern, what, seconds=30):
        """The first line after those dealt with that matches; the lines up to it are dealt with."""
        end = time.time() + seconds
        while time.time() < end:
            self.listen()
            for index in range(self.heard, len(self.lines)):
                found = re.search(pattern, self.lines[index])
                if found:
                    self.heard = index + 1
                    return found
            time.sleep(0.05)
        raise AssertionError("never heard " + what)


def play(ears):
    press()  # the window gets the input focus, as a window manager would give it
    ears.wait_for(r"KELANI \(R\) Freeware No\. 2 frame", "the window")
    # Orca sees each key before the game does: a chord typed at xdotool's speed comes apart.
    press()
    for step in (["keydown", "alt"], ["key", "g"], ["keyup", "alt"]):
        subprocess.run(["xdotool"] + step, check=True)
        time.sleep(0.3)
    ears.wait_for(r"^new game\.", "the game menu")
    press("n")
    ears.wait_for(r"new game dialog", "the new-game dialog")
    press("Return")
    ears.wait_for(r"Left push button", "the lot")
    press("space")
    ears.wait_for(r"has won! It is your turn\. image", "who begins")
    ears.wait_for(r"^notification new game.* to move\.", "the first turn")
    ears.heard -= 1  # whose turn it is comes next

    moves = 0
    result = None
    played = None  # what Anna's last move must be heard as
    while True:
        # News: a turn, or the box with the result that comes before the last one.
        said = ears.wait_for(r"^notification .*(to move|Game over)|(has won|Drawn)", "the next turn").string
        if not said.startswith("notification"):
            result = said
            press("Return")
            continue
        turn, played = a11y_play.anna_to_move(said, played), None
        if turn is None:
            break
        if not turn:
            continue
        ears.quiet()
        press("F5")
        pits = ears.wait_for(HUMAN + r": pits((?: \d+){6})", "the board on F5").group(1).split()
        pit = next(n for n, stones in enumerate(pits, 1) if int(stones) > 0)
        ears.quiet()
        press(str(pit))
        if ears.last(r"Your pit (\d),") != str(pit):  # a pit already chosen is not said again
            ears.wait_for(r"Your pit %d, %s stones? push button" % (pit, pits[pit - 1]), "the focus on pit %d" % pit)
        press("F8")
        ears.wait_for(r"^notification Preview after pit %d: .*%s: pits" % (pit, HUMAN), "the preview on F8")
        press("Return")
        played = "notification %s plays pit %d (%s stone" % (HUMAN, pit, pits[pit - 1])
        moves += 1

    check(moves >= 3, "Anna moved only %d times" % moves)
    check(re.search(r"Game over: (drawn|.+ wins), \d+ to \d+\.", said), said)
    check(result, "the result box was not read")
    print("played %d moves by ear; the end: %s" % (moves, said))


def inner(executable):
    # No bridge switched on by hand: Qt opens it because a screen reader runs.
    return a11y_play.play_in_folder("kelani-orca-game-", lambda folder: start_game(executable, folder),
                                    lambda game: play(Ears(os.environ["KELANI_HEARD"])))


if __name__ == "__main__":
    if sys.argv[1] == "--inner":
        sys.exit(inner(sys.argv[2]))
    sys.exit(a11y_play.outer(sys.argv[1], __file__, start_orca))
