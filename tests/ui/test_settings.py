"""The Settings window, walked as a person would: appearance, launch at login,
the double-copy switch and its confirmation, the plans, and the account card."""

import os
import subprocess
import sys

from uiworld import World, wait

BUILD = sys.argv[1]


def pixel(path, x, y):
    """The colour of one pixel of a screenshot, as ImageMagick writes it."""
    return subprocess.run(["convert", f"{path}[1x1+{x}+{y}]", "-format", "%[pixel:p]", "info:"],
                          capture_output=True, text=True).stdout.strip()


def show_settings(world):
    """Waits for the Settings window and moves it wholly onto the screen."""
    frame = world.find("frame", "Settings")
    window = world.x("xdotool", "search", "--all", "--sync", "--pid", str(world.app.pid), "--onlyvisible",
                     "--name", "^Settings$").split()[0]
    world.x("xdotool", "windowmove", "--sync", window, "900", "40")
    return frame


def settings_in_use():
    with World(BUILD, "settings", appearance="light") as world:
        world.save_session("settings@example.com")
        world.tolvan()
        world.find("push button", "Account: settings@example.com")
        main_before = world.screenshot("settings-main-before-dark")
        world.key("ctrl+comma")
        show_settings(world)
        world.find("label", "Signed in")
        world.find("label", "settings@example.com")
        world.find("label", "Monthly")
        wait(lambda: any(node.name.startswith("Renews ") for node in world.nodes("label")),
             "the renewal date")
        world.find("label", "Changes save automatically")
        world.find("label", "Control Return")
        world.screenshot("settings-signed-in-light", title="Settings")

        # Dark turns every open window dark at once.
        world.click(world.find("push button", "dark appearance"))
        wait(lambda: world.find("push button", "dark appearance").getState().contains(
            world.atspi.STATE_CHECKED), "Dark to be the current appearance")
        world.screenshot("settings-signed-in-dark", title="Settings")
        main_after = world.screenshot("settings-main-after-dark")
        before, after = pixel(main_before, 20, 300), pixel(main_after, 20, 300)
        assert before != after, f"the main window stayed {before}"
        world.click(world.find("push button", "light appearance"))

        # Launch at login writes the autostart entry and removes it again.
        entry = os.path.join(world.env["XDG_CONFIG_HOME"], "autostart", "app.tolvan.Tolvan.desktop")
        switch = world.find("check box", "Launch at login")
        assert not switch.getState().contains(world.atspi.STATE_CHECKED)
        world.click(switch)
        wait(lambda: os.path.exists(entry), "the autostart entry")
        with open(entry) as text:
            assert "Exec=tolvan --background\n" in text.read()
        wait(lambda: switch.getState().contains(world.atspi.STATE_CHECKED), "the switch to be on")
        world.click(switch)
        wait(lambda: not os.path.exists(entry), "the autostart entry to go")
        wait(lambda: not switch.getState().contains(world.atspi.STATE_CHECKED), "the switch off")

        # A folder that cannot hold the entry: the reason, and the switch stays off.
        os.rmdir(os.path.dirname(entry))
        with open(os.path.dirname(entry), "w") as blocker:
            blocker.write("not a folder")
        world.click(switch)
        message = wait(lambda: next((node for node in world.nodes() if node.name.startswith(
            "Could not change launch at login. ")), None), "the launch-at-login message")
        assert len(message.name) > len("Could not change launch at login. ")
        assert not switch.getState().contains(world.atspi.STATE_CHECKED)
        world.screenshot("settings-login-failure-light", title="Settings")

        # The double copy asks first; cancelling leaves it off and unsaved.
        double_copy = world.find("check box", "Double-copy shortcut")
        world.click(double_copy)
        world.find("push button", "Enable")
        world.click(world.find("push button", "Cancel"))
        world.gone("push button", "Enable")
        assert not double_copy.getState().contains(world.atspi.STATE_CHECKED)
        with open(os.path.join(world.env["XDG_CONFIG_HOME"], "tolvan", "tolvan.conf")) as text:
            assert "doubleCopyEnabled" not in text.read()

        # Signing out here shows the sign-in card in the main window.
        world.click(world.find("push button", "Sign out"))
        world.find("label", "Sign in to translate and improve text")
        world.find("label", "Not signed in")
        world.find("text", "Email address")
        world.screenshot("settings-signed-out-light", title="Settings")

        # "Sign in" brings the main window back when it was closed.
        world.click(world.find("text", "Email address"))
        world.key("ctrl+q")
        world.gone("text", "Email address")
        world.click(world.find("push button", "Sign in"))
        world.find("text", "Email address")


def shortcut_without_keyboard_watch():
    # A session that calls itself Wayland offers no global keyboard watch.
    with World(BUILD, "settings-status", appearance="dark") as world:
        world.env["XDG_SESSION_TYPE"] = "wayland"
        world.save_session("status@example.com")
        world.preferences({"preferences.appearance": "dark",
                           "preferences.doubleCopyEnabled": "true"})
        world.tolvan()
        world.find("push button", "Account: status@example.com")
        assert world.tolvan("--settings", wait_for_exit=True) == 0
        show_settings(world)
        world.find("label", "The shortcut is not available in this session")
        world.find("label", "Signed in")
        world.screenshot("settings-status-dark", title="Settings")
        world.click(world.find("push button", "Sign out"))
        world.find("label", "Not signed in")
        world.screenshot("settings-signed-out-dark", title="Settings")


def plans_over_settings():
    # Without a subscription, "View plans" opens the sheet over Settings itself.
    with World(BUILD, "settings-plans", appearance="light", entitled=False) as world:
        world.save_session("plans@example.com")
        world.tolvan("--settings")
        show_settings(world)
        world.click(world.find("push button", "View plans", timeout=20))
        world.find("push button", "Annual", timeout=20)
        world.screenshot("settings-plans-light", title="Settings")
        world.click(world.find("push button", "Close plans"))
        world.gone("push button", "Close plans")
        # Closed once, the sheet opens again.
        world.click(world.find("push button", "View plans"))
        world.find("push button", "Close plans")
        world.key("Escape")
        world.gone("push button", "Close plans")


if __name__ == "__main__":
    {
        "settings": settings_in_use,
        "settings_status": shortcut_without_keyboard_watch,
        "settings_plans": plans_over_settings,
    }[sys.argv[2]]()
