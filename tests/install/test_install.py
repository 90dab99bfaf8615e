"""Tolvan as a user's system gets it: the desktop files pass the validators, the
manual pages render and name every option, the completion offers every
command and option, an install into a fresh prefix runs
with the source and build folders out of reach, and the .deb holds what it should."""

import configparser
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui"))
from uiworld import World, wait  # noqa: E402

BUILD = os.path.abspath(sys.argv[1])
SOURCE = os.path.abspath(sys.argv[2])
APP_ID = "app.tolvan.Tolvan"


def run(*argv, env=None, check=True):
    result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=120)
    if check and result.returncode != 0:
        raise AssertionError(f"{argv[0]} failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    return result


def desktop_entry():
    entry = configparser.ConfigParser(interpolation=None, strict=True)
    entry.optionxform = str
    entry.read(os.path.join(SOURCE, "data", APP_ID + ".desktop"))
    return entry


def rendered_manual(page):
    path = os.path.join(BUILD, "data", "man", page + ".gz")
    for width in ("80", "1000"):
        # The wide rendering breaks no line, so no option is hyphenated.
        env = dict(os.environ, MANWIDTH=width, LC_ALL="C.UTF-8")
        result = run("man", "--warnings", "-l", path, env=env)
        assert result.stderr == "", f"man warns about {page}:\n{result.stderr}"
    # Undo the bold and underline overstrikes of the terminal rendering.
    return re.sub(r".\x08", "", result.stdout)


def long_options(help_text):
    return set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", help_text))


def validators_and_manual_pages():
    result = run("desktop-file-validate", os.path.join(SOURCE, "data", APP_ID + ".desktop"))
    complaints = [line for line in result.stdout.splitlines() if "hint:" not in line]
    assert not complaints, "\n".join(complaints)
    result = run("appstreamcli", "validate", "--no-net", "--explain",
                 os.path.join(BUILD, "data", APP_ID + ".metainfo.xml"))
    assert not re.search(r"^[EW]:", result.stdout, re.M), result.stdout

    entry = desktop_entry()
    actions = {entry[f"Desktop Action {name}"]["Name"]: entry[f"Desktop Action {name}"]["Exec"]
               for name in entry["Desktop Entry"]["Actions"].strip(";").split(";")}
    assert actions == {"Translate Clipboard": "tolvan --translate-clipboard",
                       "Improve Clipboard": "tolvan --improve-clipboard",
                       "Settings": "tolvan --settings"}, actions

    # Every option and command the programs take is in their manual page.
    app_help = run(os.path.join(BUILD, "src", "app", "tolvan"), "--help").stdout
    manual = rendered_manual("tolvan.1")
    missing = {option for option in long_options(app_help) if option not in manual}
    assert not missing, f"tolvan(1) lacks {sorted(missing)}"

    cli = os.path.join(BUILD, "src", "cli", "tolvan-cli")
    overview = run(cli, "--help").stdout
    manual = rendered_manual("tolvan-cli.1")
    commands = re.findall(r"^  ([a-z]+)", overview.split("Commands:")[1].split("Options:")[0], re.M)
    assert len(set(commands)) >= 10, overview
    missing = {option for option in long_options(overview) if option not in manual}
    for command in set(commands):
        command_help = run(cli, command, "--help").stdout
        missing |= {f"{command} {option}" for option in long_options(command_help)
                    if option not in manual}
        if command not in manual:
            missing.add(command)
    for status in re.findall(r"(\d) [a-z]", overview.split("Exit status:")[1]):
        if not re.search(rf"^\s+{status}$", manual, re.M):
            missing.add(f"exit status {status}")
    assert not missing, f"tolvan-cli(1) lacks {sorted(missing)}"

    # The bash completion offers the same commands and options.
    assert completions("") == set(commands), completions("")
    global_options = long_options(overview.split("Options:")[1].split("Run ")[0])
    assert completions("--") == global_options, completions("--")
    for command in set(commands):
        offered = completions(command, "--")
        expected = long_options(run(cli, command, "--help").stdout.split("Options:")[1])
        assert offered == expected, f"{command}: completes {offered}, takes {expected}"


def completions(*words):
    script = 'source "$1"; shift; COMP_WORDS=(tolvan-cli "$@"); COMP_CWORD=$#; _tolvan_cli; ' \
             'printf "%s\\n" "${COMPREPLY[@]}"'
    result = run("bash", "-c", script, "bash", os.path.join(SOURCE, "data", "completion",
                                                            "tolvan-cli"), *words)
    return set(result.stdout.split())


def out_of_reach(*argv):
    """ARGV in a mount namespace where the source and build folders are empty."""
    script = 'for folder in "$1" "$2"; do mount -t tmpfs tmpfs "$folder" || exit 99; done; ' \
             'shift 2; exec "$@"'
    return ["unshare", "--map-current-user", "--mount", "--keep-caps", "sh", "-c", script, "sh",
            BUILD, SOURCE, *argv]


def installed_from_any_prefix():
    prefix = tempfile.mkdtemp(prefix="tolvan-prefix-")
    try:
        run("cmake", "--install", BUILD, "--prefix", prefix)
        installed = {os.path.relpath(path, prefix)
                     for path in glob.glob(os.path.join(prefix, "**"), recursive=True)
                     if os.path.isfile(path)}
        expected = {
            "bin/tolvan", "bin/tolvan-cli",
            f"share/applications/{APP_ID}.desktop",
            f"share/metainfo/{APP_ID}.metainfo.xml",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
            f"share/icons/hicolor/symbolic/apps/{APP_ID}-symbolic.svg",
            "share/man/man1/tolvan.1.gz", "share/man/man1/tolvan-cli.1.gz",
            "share/bash-completion/completions/tolvan-cli",
        }
        assert installed == expected, f"installed {sorted(installed ^ expected)} unexpectedly"

        version = run(*out_of_reach(os.path.join(prefix, "bin", "tolvan"), "--version")).stdout
        assert version.strip().endswith(read_version()), version
        usage = run(*out_of_reach(os.path.join(prefix, "bin", "tolvan-cli"), "--help")).stdout
        assert usage.startswith("Usage: tolvan-cli"), usage

        with World(BUILD, "installed") as world:
            world.app = world._spawn(out_of_reach(os.path.join(prefix, "bin", "tolvan")))
            world.find("text", "Email address", timeout=30)
            window = wait(lambda: world.x("xdotool", "search", "--pid", str(world.app.pid),
                                          "--onlyvisible", "--name", "Tolvan").split(),
                          "the main window")[0]
            # The launcher groups the window under its entry by this class.
            wm_class = world.x("xprop", "-id", window, "WM_CLASS")
            startup_class = desktop_entry()["Desktop Entry"]["StartupWMClass"]
            assert wm_class.strip().endswith(f'"{startup_class}"'), wm_class
            assert world.app.poll() is None, "the installed tolvan ended"
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def read_version():
    with open(os.path.join(SOURCE, "CMakeLists.txt")) as text:
        return re.search(r"project\(Tolvan VERSION ([\d.]+)", text.read()).group(1)


def debian_package():
    folder = tempfile.mkdtemp(prefix="tolvan-deb-")
    try:
        run("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", folder)
        architecture = run("dpkg", "--print-architecture").stdout.strip()
        package = os.path.join(folder, f"tolvan_{read_version()}_{architecture}.deb")
        assert os.path.exists(package), os.listdir(folder)

        contents = run("dpkg-deb", "-c", package).stdout
        files = {line.split()[-1].lstrip(".") for line in contents.splitlines()
                 if not line.startswith("d")}
        for path in ("/usr/bin/tolvan", "/usr/bin/tolvan-cli",
                     f"/usr/share/applications/{APP_ID}.desktop",
                     f"/usr/share/metainfo/{APP_ID}.metainfo.xml",
                     f"/usr/share/icons/hicolor/scalable/apps/{APP_ID}.svg",
                     f"/usr/share/icons/hicolor/symbolic/apps/{APP_ID}-symbolic.svg",
                     "/usr/share/man/man1/tolvan.1.gz", "/usr/share/man/man1/tolvan-cli.1.gz",
                     "/usr/share/bash-completion/completions/tolvan-cli"):
            assert path in files, f"{path} is not in the package:\n{contents}"
        assert not any("sandbox" in path for path in files), contents

        depends = run("dpkg-deb", "-f", package, "Depends").stdout
        named = {alternative.split()[0] for item in depends.split(",")
                 for alternative in item.split("|")}
        for needed in ("libqt6quick6", "libqt6network6", "libsecret-1-0", "libicu72",
                       "qml6-module-qtquick-controls", "qml6-module-qtquick-layouts",
                       "fonts-material-design-icons-iconfont", "gnome-keyring"):
            assert needed in named, f"{needed} is not among the dependencies: {depends}"
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    {
        "validate": validators_and_manual_pages,
        "install": installed_from_any_prefix,
        "package": debian_package,
    }[sys.argv[3]]()
