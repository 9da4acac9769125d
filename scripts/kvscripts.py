"""What the Python scripts share with the shell scripts: the build trees and
the Wine settings, taken from scripts/common.sh (its functions are called, so
there is one definition of each). Imported by the scripts beside it."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
COMMON = os.path.join(ROOT, "scripts", "common.sh")


def common(function, *args, **run_args):
    """Runs one function of scripts/common.sh with the arguments given."""
    return subprocess.run(["bash", "-c", '. "$0" && "$@"', COMMON, function, *args], **run_args)


def tree(flavour, *path):
    """A path inside the build tree of a flavour (native, asan, win, fuzz)."""
    return os.path.join(ROOT, "build", flavour, *path)


def build_tree(flavour, *targets):
    """Installs what is missing, configures build/FLAVOUR and builds the
    targets (all without); the compiler's chatter is dropped."""
    common("build_tree", flavour, *targets, check=True, stdout=subprocess.DEVNULL)


def wine_environment(purpose):
    """This process's environment with the Wine prefix of PURPOSE (console,
    gui or shots) and Wine's quiet settings, for the programs it starts."""
    done = subprocess.run(["bash", "-c", '. "$0" && use_wine "$1" && env -0', COMMON, purpose],
                          check=True, stdout=subprocess.PIPE)
    return dict(entry.split("=", 1) for entry in done.stdout.decode().split("\0") if "=" in entry)
