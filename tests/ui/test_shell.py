"""Signing in, the tabs, closing and reopening, and ending the app, as a person would."""

import sys

from uiworld import World, wait

BUILD = sys.argv[1]


def sign_in_and_move_around():
    with World(BUILD, "shell") as world:
        world.tolvan()
        world.find("text", "Email address")
        world.screenshot("signin-address-light")
        world.click(world.find("text", "Email address"))
        world.type("  person@example.com  ")
        world.key("Return")
        world.find("label", "Check your email")
        world.find("label", "Enter the sign-in code sent to person@example.com.")
        world.screenshot("signin-code-light")
        world.type(world.mailed_code("person@example.com"))
        world.key("Return")

        world.find("push button", "Translate")
        world.find("text", "Text to translate")
        world.find("push button", "Account: person@example.com")
        world.screenshot("main-light")
        world.key("ctrl+2")
        world.find("label", "Improve your writing")
        world.key("ctrl+Tab")
        world.find("text", "Search history")
        world.key("ctrl+Tab")
        world.find("text", "Text to translate")

        # Ctrl+Q closes the window; the app stays in the tray.
        world.key("ctrl+2")
        world.find("label", "Improve your writing")
        world.key("ctrl+q")
        world.gone("frame", "Tolvan")
        assert world.app.poll() is None, "closing the window ended the app"

        # Running tolvan again brings the window back, on the last workspace.
        assert world.tolvan(wait_for_exit=True) == 0
        world.find("label", "Improve your writing")
        wait(lambda: world.active_window_pid() == world.app.pid, "tolvan to be the active window")

        assert world.tolvan("--quit", wait_for_exit=True) == 0
        wait(lambda: world.app.poll() is not None, "tolvan to end")
        assert world.app.returncode == 0


def sign_in_dark_at_double_scale():
    with World(BUILD, "signin-dark", appearance="dark", scale=2) as world:
        world.tolvan()
        world.find("text", "Email address")
        world.screenshot("signin-address-dark-2x")
        world.click(world.find("text", "Email address"))
        world.type("someone.with.a.rather.long.address@example.com")
        world.key("Return")
        world.find("label", "Check your email")
        world.screenshot("signin-code-dark-2x")


def recovery_after_a_failed_refresh(appearance):
    # Access tokens shorter than the refresh margin: a restore always refreshes.
    with World(BUILD, "recovery", appearance=appearance, access_ttl=30) as world:
        world.save_session("saved@example.com")
        world.service("POST", "sandbox/faults", {"path": "api/auth/refresh", "status": 503,
                                                 "count": 100})
        world.tolvan()
        world.find("label", "Unable to restore your session")
        world.screenshot(f"recovery-{appearance}")
        world.service("DELETE", "sandbox/faults")
        world.click(world.find("push button", "Retry"))
        world.find("push button", "Account: saved@example.com")
        world.screenshot(f"main-{appearance}")


def double_copy_brings_the_window_forward():
    with World(BUILD, "doublecopy") as world:
        world.save_session("copier@example.com")
        world.preferences({"preferences.doubleCopyEnabled": "true"})
        world.tolvan("--background")
        world.application()
        other = world.other_window("tolvan-target")
        assert world.active_window_pid() != world.app.pid

        # Copy, as the other app would on the first Ctrl+C, then press it again.
        world.key("ctrl+c")
        world.copy("copied in another app")
        world.key("ctrl+c")
        # The first window is built now, which takes long in the sanitizer build.
        world.find("frame", "Tolvan", timeout=30)
        wait(lambda: world.active_window_pid() == world.app.pid, "tolvan to be the active window")

        # Closed and brought back by a second double copy, with the focus again.
        world.key("ctrl+q")
        world.gone("frame", "Tolvan")
        world.activate(other)
        wait(lambda: world.active_window_pid() != world.app.pid, "the other app to take the focus")
        world.key("ctrl+c")
        world.copy("copied once more")
        world.key("ctrl+c")
        world.find("frame", "Tolvan")
        wait(lambda: world.active_window_pid() == world.app.pid, "tolvan to be active again")


if __name__ == "__main__":
    {
        "shell": sign_in_and_move_around,
        "signin_dark": sign_in_dark_at_double_scale,
        "recovery_light": lambda: recovery_after_a_failed_refresh("light"),
        "recovery_dark": lambda: recovery_after_a_failed_refresh("dark"),
        "doublecopy": double_copy_brings_the_window_forward,
    }[sys.argv[2]]()
