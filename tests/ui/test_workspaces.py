"""The Translate and Write workspaces and the plan sheet, driven as a person would."""

import os
import ssl
import stat
import sys
import urllib.parse
import urllib.request

from uiworld import World, wait

BUILD = sys.argv[1]
SENTENCE = "The house is big and the cat sleeps."


def signed_in_world(name, appearance, entitled=True):
    world = World(BUILD, name, appearance=appearance, entitled=entitled)
    world.tolvan()
    world.sign_in(f"{name}@example.com")
    return world


def selector(world, title):
    return world.find("push button", title)


def wait_for_text(world, node, expected, timeout=20):
    wait(lambda: world.text(node) == expected, f"{node.name!r} to read {expected!r}", timeout)


def status(world, line, timeout=20):
    return world.find("label", line, timeout)


def screenshot_with_popover(world, name):
    """The whole screen: the picker is a window of its own above the main window."""
    folder = os.path.join(world.build, "screenshots")
    os.makedirs(folder, exist_ok=True)
    world.x("import", "-window", "root", "-crop", "1000x640+310+170",
            os.path.join(folder, f"{name}.png"))


def clipboard(world):
    return world.x("xclip", "-o", "-selection", "clipboard")


def choose_in_picker(world, title, search, keys=()):
    world.click(selector(world, title))
    field = world.find("text", "Search languages")
    wait(lambda: field.getState().contains(world.atspi.STATE_FOCUSED), "the search to take the focus")
    world.type(search)
    for key in keys:
        world.key(key)
    world.key("Return")
    world.gone("text", "Search languages")


def ready_for_spanish(world):
    """The catalogue is there and Spanish is the target (the sandbox has no English to French)."""
    wait(lambda: selector(world, "Target language").description != "No language selected",
         "the catalogue")
    choose_in_picker(world, "Target language", "spanish")
    wait(lambda: selector(world, "Target language").description == "Spanish", "Spanish")


def translate(appearance):
    with signed_in_world(f"translate-{appearance}", appearance) as world:
        source = world.find("text", "Text to translate")
        result = world.find("text", "Translation")
        wait(lambda: selector(world, "Target language").description != "No language selected",
             "the catalogue")
        world.screenshot(f"translate-empty-{appearance}")

        world.click(source)
        world.type(SENTENCE)
        world.find("label", f"{len(SENTENCE)} / 5,000")

        # Search and Return chooses the first match; arrows and Return choose too.
        choose_in_picker(world, "Target language", "fren", keys=("Down",))
        wait(lambda: selector(world, "Target language").description == "French", "French")
        world.click(selector(world, "Target language"))
        world.find("text", "Search languages")
        world.type("SPAN")
        world.find("push button", "Spanish")
        screenshot_with_popover(world, f"translate-picker-{appearance}")
        world.key("Return")
        world.gone("text", "Search languages")
        wait(lambda: selector(world, "Target language").description == "Spanish", "Spanish")

        # The recent section lists the last choices, most recent first.
        world.click(selector(world, "Target language"))
        world.find("label", "RECENT LANGUAGES")
        world.key("Escape")
        world.gone("text", "Search languages")

        world.click(source)
        world.key("ctrl+Return")
        status(world, "Translated")
        translation = world.text(result)
        assert translation and translation != SENTENCE, translation
        world.screenshot(f"translate-result-{appearance}")

        world.click(world.find("push button", "Copy"))
        world.find("push button", "Copied")
        wait(lambda: clipboard(world) == translation, "the translation on the clipboard")

        world.click(world.find("push button", "Swap languages"))
        wait_for_text(world, source, translation)
        wait(lambda: selector(world, "Source language").description == "Spanish", "the swap")

        world.click(world.find("push button", "Clear"))
        wait_for_text(world, source, "")
        wait_for_text(world, result, "")
        world.find("push button", "Copy")

        if appearance == "light":
            world.copy(("Lorem ipsum dolor sit amet. " * 200)[:5000])
            world.click(source)
            world.key("ctrl+v")
            world.find("label", "5,000 / 5,000")
            world.screenshot("translate-5000-light")


def browser_recorder(world):
    """An xdg-open on PATH that records the pages the app asks to open."""
    folder = os.path.join(world.home, "bin")
    os.makedirs(folder)
    record = os.path.join(world.home, "opened.txt")
    script = os.path.join(folder, "xdg-open")
    with open(script, "w") as file:
        file.write(f'#!/bin/sh\necho "$1" >> {record}\n')
    os.chmod(script, stat.S_IRWXU)
    world.env["PATH"] = folder + os.pathsep + world.env["PATH"]
    world.env["BROWSER"] = script
    return record


def paywall(appearance):
    world = World(BUILD, f"paywall-{appearance}", appearance=appearance, entitled=False)
    with world:
        record = browser_recorder(world)
        # The first load of the plans fails: the sheet says so until a later poll.
        world.service("POST", "sandbox/faults", {"path": "api/billing", "status": 503, "count": 1000})
        world.tolvan()
        world.sign_in(f"paywall-{appearance}@example.com")
        source = world.find("text", "Text to translate")
        ready_for_spanish(world)
        world.click(source)
        world.type(SENTENCE)
        world.key("ctrl+Return")
        plans = world.find("push button", "View plans", timeout=20)
        world.find("push button", "Translate")
        world.screenshot(f"translate-error-{appearance}")

        # Unavailable, then loading, then the plans.
        world.click(plans)
        world.find("label", "Plans are unavailable. Please try again.")
        world.find("push button", "Open billing website")
        world.screenshot(f"plans-unavailable-{appearance}")
        world.click(world.find("push button", "Close plans"))
        world.gone("push button", "Close plans")
        world.service("DELETE", "sandbox/faults")

        world.service("POST", "sandbox/faults", {"path": "api/billing", "delay_ms": 2500})
        world.click(world.find("push button", "View plans"))
        world.find("label", "Loading plans…")
        world.screenshot(f"plans-loading-{appearance}")
        world.find("push button", "Annual", timeout=20)
        world.find("push button", "Monthly")
        world.find("label", "BEST VALUE")
        world.find("label", "7-day free trial")
        world.screenshot(f"plans-{appearance}")

        world.click(world.find("push button", "Start 7-day free trial"))
        wait(lambda: os.path.exists(record), "the checkout page to open in the browser")
        with open(record) as file:
            url = file.read().split()[-1]
        assert "/checkout/" in url, url
        form = urllib.parse.urlencode({"plan": "annual"}).encode()
        # The sandbox's own certificate signs its pages.
        with urllib.request.urlopen(urllib.request.Request(url, data=form, method="POST"),
                                    timeout=10, context=ssl._create_unverified_context()) as page:
            assert b"Your free trial has started" in page.read()
        world.gone("push button", "Close plans", timeout=20)

        # Entitled now: the same text translates.
        world.click(source)
        world.key("ctrl+Return")
        status(world, "Translated")


def write(appearance):
    with signed_in_world(f"write-{appearance}", appearance) as world:
        world.key("ctrl+2")
        draft = world.find("text", "Your draft")
        improved = world.find("text", "Improved version")
        world.find("label", "0 words")
        world.copy("this is  a draft with a speling mistake")
        world.click(draft)
        world.key("shift+Insert")
        wait(lambda: world.text(improved) != "", "the improvement", timeout=20)
        world.find("label", "8 words")
        world.key("End")
        world.type(" today")
        world.find("label", "9 words")
        world.screenshot(f"write-result-{appearance}")

        world.click(world.find("push button", "Copy"))
        wait(lambda: clipboard(world) == world.text(improved), "the improvement on the clipboard")
        world.click(world.find("push button", "Clear"))
        wait_for_text(world, draft, "")
        world.find("label", "0 words")


def faults():
    with signed_in_world("faults", "light") as world:
        source = world.find("text", "Text to translate")
        ready_for_spanish(world)
        world.click(source)
        world.type(SENTENCE)

        world.service("POST", "sandbox/faults", {"path": "api/translate", "status": 500})
        world.key("ctrl+Return")
        status(world, "Translation error: Translation failed (HTTP 500). Please try again.")
        world.find("push button", "Retry")
        world.screenshot("translate-error-500-light")
        assert world.text(source) == SENTENCE

        world.service("POST", "sandbox/faults", {"path": "api/translate", "drop": True,
                                                 "count": 3})
        world.key("ctrl+Return")
        wait(lambda: any(node.name.startswith("Translation error: ") and "HTTP" not in node.name
                         for node in world.nodes("label")), "the transport error", timeout=40)
        world.screenshot("translate-transport-error-light")
        world.service("DELETE", "sandbox/faults")
        assert world.text(source) == SENTENCE

        world.key("ctrl+Return")
        status(world, "Translated")


if __name__ == "__main__":
    case = sys.argv[2]
    {
        "translate_light": lambda: translate("light"),
        "translate_dark": lambda: translate("dark"),
        "paywall_light": lambda: paywall("light"),
        "paywall_dark": lambda: paywall("dark"),
        "write_light": lambda: write("light"),
        "write_dark": lambda: write("dark"),
        "faults": faults,
    }[case]()
