"""The History workspace, walked as a person would: sections, search, filter,
restore, delete, clear, paging and a failing list."""

import sys

from uiworld import World, wait

BUILD = sys.argv[1]

WEATHER = "The weather is nice today."
MORNING = "Good morning, my friend."
DRAFT = "this sentense has  a speling mistake"


def rows(world, *sources):
    return [world.find("push button", source) for source in sources]


def contexts(world):
    return sorted(node.name for node in world.nodes("label")
                  if node.name in ("English → Spanish", "Writing"))


def history_from_start_to_empty(appearance):
    with World(BUILD, "history", appearance=appearance) as world:
        world.save_session("history@example.com")
        world.cli("translate", "--from", "en", "--to", "es", WEATHER)
        world.cli("translate", "--from", "en", "--to", "es", MORNING)
        world.cli("improve", DRAFT)
        world.tolvan()
        world.find("push button", "Account: history@example.com")
        world.key("ctrl+3")

        world.find("label", "Today")
        rows(world, WEATHER, MORNING, DRAFT)
        assert len(world.nodes("label", "Today")) == 1, "one section for today"
        wait(lambda: contexts(world) == ["English → Spanish", "English → Spanish", "Writing"],
             "the rows' context lines")
        world.screenshot(f"history-sections-{appearance}")

        # Ctrl+F from anywhere in the window, then the list narrows after the pause.
        world.click(world.find("push button", "All"))
        world.key("ctrl+f")
        world.type("morning")
        world.gone("push button", WEATHER)
        world.find("push button", MORNING)
        assert not world.nodes("push button", DRAFT)
        world.key("ctrl+a", "BackSpace")
        world.find("push button", WEATHER)

        world.type("nothing like this")
        world.find("label", "No matching entries")
        world.key("ctrl+a", "BackSpace")
        world.find("push button", WEATHER)

        # The kind filter.
        world.click(world.find("push button", "Writing"))
        world.gone("push button", WEATHER)
        world.find("push button", DRAFT)
        assert not world.nodes("push button", MORNING)
        world.click(world.find("push button", "All"))
        world.find("push button", WEATHER)

        # Restoring from the keyboard: the search, down to the row, Return shows Write.
        world.key("ctrl+f")
        world.key("Down")
        world.key("Return")
        world.gone("text", "Search history")
        wait(lambda: world.app.poll() is None, "tolvan to keep running")
        world.key("ctrl+3")

        # Delete one entry through its menu and the confirmation.
        world.find("push button", MORNING)
        x, y = world.centre(world.find("push button", MORNING))
        world.x("xdotool", "mousemove", str(x), str(y), "click", "3")
        world.find("menu item", "Restore in Translate")
        world.click(world.find("menu item", "Delete…"))
        world.find("label", "Delete history entry?")
        world.find("label", "This permanently deletes the entry from your account.")
        world.screenshot(f"history-delete-{appearance}")
        world.click(world.find("push button", "Cancel"))
        world.gone("label", "Delete history entry?")
        world.find("push button", MORNING)
        world.x("xdotool", "mousemove", str(x), str(y), "click", "3")
        world.click(world.find("menu item", "Delete…"))
        world.click(world.find("push button", "Delete"))
        world.gone("push button", MORNING)
        rows(world, WEATHER, DRAFT)

        # Clear everything.
        world.click(world.find("push button", "Clear history"))
        world.find("label", "Clear all history?")
        world.click(world.find("push button", "Clear History"))
        world.find("label", "No history yet")
        world.find("label", "Successful translations and writing improvements appear here.")
        assert not world.nodes("push button", WEATHER)
        world.screenshot(f"history-empty-{appearance}")

        # A list that fails shows why, with Retry.
        world.cli("improve", DRAFT)
        world.service("POST", "sandbox/faults", {"path": "api/history", "status": 503,
                                                 "count": 1})
        world.key("ctrl+1")
        world.key("ctrl+3")
        world.find("push button", "Retry")
        world.screenshot(f"history-error-{appearance}")
        world.click(world.find("push button", "Retry"))
        world.find("push button", DRAFT)


def more_than_a_page():
    with World(BUILD, "history-pages") as world:
        world.save_session("pages@example.com")
        for number in range(1, 23):
            world.cli("improve", f"draft number {number}")
        newest, oldest = "draft number 22", "draft number 1"
        world.tolvan()
        world.find("push button", "Account: pages@example.com")
        world.key("ctrl+3")
        x, y = world.centre(world.find("push button", newest))
        assert not world.nodes("push button", oldest), "rows off screen are built"

        # Scroll to the end of the first page, where "Load more" waits.
        world.x("xdotool", "mousemove", str(x), str(y))
        load_more = wait(lambda: (world.x("xdotool", "click", "--repeat", "10", "5") is not None
                                  and next(iter(world.nodes("push button", "Load more")), None)),
                         "Load more at the end of the list", timeout=30)
        world.click(load_more)
        world.gone("push button", "Load more")
        wait(lambda: (world.x("xdotool", "click", "--repeat", "10", "5") is not None
                      and world.nodes("push button", oldest)),
             "the last entry of the second page", timeout=30)


if __name__ == "__main__":
    {
        "history_light": lambda: history_from_start_to_empty("light"),
        "history_dark": lambda: history_from_start_to_empty("dark"),
        "history_pages": more_than_a_page,
    }[sys.argv[2]]()
