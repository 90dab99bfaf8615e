"""The clipboard shortcuts through the desktop's GlobalShortcuts portal: Tolvan
binds both with their preferred triggers, and a press runs the clipboard request."""

import json
import os
import sys

from uiworld import World, wait

BUILD = sys.argv[1]
HERE = os.path.dirname(os.path.abspath(__file__))


def calls(log):
    if not os.path.exists(log):
        return []
    with open(log) as lines:
        return [json.loads(line) for line in lines]


def press(world, shortcut_id):
    world.x("gdbus", "call", "--session", "--dest", "org.freedesktop.portal.Desktop",
            "--object-path", "/org/freedesktop/portal/desktop",
            "--method", "app.tolvan.StandInPortal.Press", shortcut_id)


def a_portal_shortcut_translates_the_clipboard():
    with World(BUILD, "portal") as world:
        log = os.path.join(world.home, "portal.log")
        world._spawn([sys.executable, os.path.join(HERE, "standinportal.py"), log])
        wait(lambda: any(entry.get("ready") for entry in calls(log)), "the stand-in portal")
        world.save_session("binder@example.com")
        world.tolvan("--background")
        world.application()

        bound = wait(lambda: next((entry for entry in calls(log)
                                   if entry.get("call") == "BindShortcuts"), None),
                     "the shortcuts to be bound")
        assert {shortcut_id: (properties["description"], properties["preferred_trigger"])
                for shortcut_id, properties in bound["shortcuts"]} == {
            "translate-clipboard": ("Translate clipboard", "CTRL+ALT+t"),
            "improve-clipboard": ("Improve clipboard", "CTRL+ALT+w"),
        }, bound

        # Each press brings the window forward on its own workspace, as the
        # command-line options do.
        world.copy("pressed through the portal")
        press(world, "improve-clipboard")
        world.find("frame", "Tolvan")
        draft = world.find("text", "Your draft")
        wait(lambda: world.text(draft) == "pressed through the portal", "the copied draft")
        wait(lambda: world.active_window_pid() == world.app.pid, "tolvan to be the active window")
        press(world, "translate-clipboard")
        source = world.find("text", "Text to translate")
        wait(lambda: world.text(source) == "pressed through the portal", "the copied text")
        world.gone("text", "Your draft")


if __name__ == "__main__":
    a_portal_shortcut_translates_the_clipboard()
