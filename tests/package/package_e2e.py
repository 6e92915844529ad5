"""The engine as its users get it (make test-package): installed into a temporary prefix and
built against with CMake and pkg-config, as a shared library built alone, moved elsewhere, and
as its Debian packages unpacked into a temporary root, where the demo plays the golden walk.

Reads a built tree, TARVO_BUILD_DIR (the static library), and builds the shared library alone
in TARVO_SHARED_BUILD_DIR; everything else goes into one temporary folder.
"""
import atexit
import functools
import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import unittest
from collections import namedtuple

SOURCE = os.path.abspath(os.environ.get("TARVO_SOURCE_DIR", os.path.join(__file__, "../../..")))
BUILD = os.path.abspath(os.environ.get("TARVO_BUILD_DIR", os.path.join(SOURCE, "build")))
SHARED = os.path.abspath(os.environ.get("TARVO_SHARED_BUILD_DIR", BUILD + "-shared"))
JOBS = "-j" + os.environ.get("JOBS", "2")
SCRATCH = tempfile.mkdtemp(prefix="tarvo-package-")
atexit.register(shutil.rmtree, SCRATCH, ignore_errors=True)
VERSION = ".".join(re.findall(r"TARVO_VERSION_\w+ (\d+)",
                              pathlib.Path(SOURCE, "include/tarvo/version.h").read_text()))

# A program built on the engine: one .cpp file (built by ONE_FILE below) or a folder with its
# own CMakeLists.txt. It runs with args ({assets}: the installed assets) in an empty folder,
# exits 0 and prints `last` last; with frames, the frame list it writes into frames/ is that
# file's. shared, pkgconfig: also built against the shared library alone, with pkg-config.
Client = namedtuple("Client", "name source args last frames shared pkgconfig")
CLIENTS = [Client("game", "tests/package/game.cpp", [], f"tarvo {VERSION}: saved turned.png",
                  None, True, True)]
ONE_FILE = """cmake_minimum_required(VERSION 3.20)
project({0} CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(Tarvo 1.1 REQUIRED)
add_executable({0} {1})
target_link_libraries({0} PRIVATE Tarvo::tarvo)
"""


def sh(*command, cwd=None, env=None, check=True):
    result = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=600)
    if check and result.returncode:
        raise AssertionError(f"{command} exited {result.returncode}:\n"
                             + result.stdout + result.stderr)
    return result


def folder(*names):
    """A new empty folder under the scratch folder."""
    path = os.path.join(SCRATCH, *names)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


@functools.lru_cache(maxsize=None)
def installed():
    prefix = os.path.join(SCRATCH, "prefix")
    sh("cmake", "--install", BUILD, "--prefix", prefix)
    return prefix


@functools.lru_cache(maxsize=None)
def shared_build():
    """The shared library built alone, found through its build tree's TarvoConfig.cmake."""
    sh("cmake", "-S", SOURCE, "-B", SHARED, "-DBUILD_SHARED_LIBS=ON")
    sh("cmake", "--build", SHARED, JOBS, "--target", "tarvo")
    return SHARED


@functools.lru_cache(maxsize=None)
def packages():
    out = folder("debs")
    sh("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
    return [os.path.join(out, f"{name}_{VERSION}_amd64.deb") for name in ["tarvo-dev",
                                                                          "morwenfall"]]


@functools.lru_cache(maxsize=None)
def unpacked():
    """The packages unpacked into one root, where dpkg would put them under /."""
    root = folder("root")
    for deb in packages():
        sh("dpkg-deb", "-x", deb, root)
    return os.path.join(root, "usr")


def with_cmake(client, label, *options):
    source = os.path.join(SOURCE, client.source)
    project, build = folder(label, "source"), folder(label, "build")
    if os.path.isdir(source):
        project = source
    else:
        pathlib.Path(project, "CMakeLists.txt").write_text(ONE_FILE.format(client.name, source))
    sh("cmake", "-S", project, "-B", build, "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF", *options)
    sh("cmake", "--build", build, JOBS)
    return os.path.join(build, client.name)


def with_pkgconfig(client, label, prefix):
    program = os.path.join(folder(label), client.name)
    env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(prefix, "lib", "pkgconfig"))
    flags = sh("pkg-config", "--cflags", "--libs", "tarvo", env=env).stdout.split()
    sh("g++", "-std=c++17", os.path.join(SOURCE, client.source), *flags, "-o", program)
    return program


# How a client is built against the installed tree, or the shared library built alone; column
# names the Client field that asks for the way (none: every client).
Way = namedtuple("Way", "name column build")
WAYS = [
    Way("cmake", None, lambda c: with_cmake(c, "cmake-" + c.name,
                                            "-DCMAKE_PREFIX_PATH=" + installed())),
    Way("shared", "shared", lambda c: with_cmake(c, "shared-" + c.name,
                                                 "-DTarvo_DIR=" + shared_build())),
    Way("pkg-config", "pkgconfig", lambda c: with_pkgconfig(c, "pc-" + c.name, installed())),
]


class Play(unittest.TestCase):
    def play(self, program, args, last, frames=None, assets=""):
        """Runs program headless in an empty folder; checks its status, last line and frames."""
        work = tempfile.mkdtemp(dir=SCRATCH)
        result = sh(program, *[a.format(assets=assets) for a in args], cwd=work, check=False,
                    env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout.splitlines()[-1:], [last])
        if frames:
            got = pathlib.Path(work, "frames", "frames.txt").read_text().split()
            self.assertEqual(got, pathlib.Path(SOURCE, frames).read_text().split())

    def play_client(self, client, program, prefix):
        assets = os.path.join(prefix, "share", "tarvo", "assets")
        self.play(program, client.args, client.last, client.frames, assets)


class Installed(Play):
    def test_clients_build_with_cmake_with_pkg_config_and_against_the_shared_library(self):
        for way in WAYS:
            for client in [c for c in CLIENTS if not way.column or getattr(c, way.column)]:
                with self.subTest(way=way.name, client=client.name):
                    self.play_client(client, way.build(client), installed())

    def test_moved_tree_serves_cmake_and_pkg_config(self):
        moved = os.path.join(folder("moved"), "elsewhere")
        shutil.move(installed(), moved)
        try:
            for client in CLIENTS:
                with self.subTest(client.name):
                    program = with_cmake(client, "moved-" + client.name,
                                         "-DCMAKE_PREFIX_PATH=" + moved)
                    self.play_client(client, program, moved)
                    if client.pkgconfig:
                        program = with_pkgconfig(client, "moved-pc-" + client.name, moved)
                        self.play_client(client, program, moved)
        finally:
            shutil.move(moved, installed())

    def test_version_check_takes_the_same_major_version_from_the_minor_on(self):
        major, minor, _ = map(int, VERSION.split("."))
        found = [f"{major}.0", f"{major}.{minor}", VERSION]
        refused = [f"{major}.{minor + 1}", f"{major - 1}.9", f"{major + 1}.0"]
        project = folder("versions", "source")
        pathlib.Path(project, "CMakeLists.txt").write_text(
            "cmake_minimum_required(VERSION 3.20)\nproject(versions CXX)\n" +
            "".join(f'find_package(Tarvo {v} QUIET)\nmessage("{v} ${{Tarvo_FOUND}}")\n'
                    "unset(Tarvo_FOUND)\n" for v in found + refused))
        result = sh("cmake", "-S", project, "-B", folder("versions", "build"),
                    "-DCMAKE_PREFIX_PATH=" + installed())
        said = dict(re.findall(r"^(\d\S*) (\S*)$", result.stderr, re.M))
        self.assertEqual({v for v in said if said[v] == "1"}, set(found), said)

    def test_libraries_define_symbols_only_in_namespace_tarvo(self):
        sh(os.path.join(SOURCE, "scripts", "symbolcheck.sh"),
           os.path.join(installed(), "lib", "libtarvo.a"),
           os.path.join(shared_build(), "src", "libtarvo.so.1"))

    def test_each_installed_header_compiles_alone(self):
        include, units = os.path.join(installed(), "include"), folder("headers")
        sources = []
        for header in pathlib.Path(include).rglob("*.h"):
            name = header.relative_to(include).as_posix()
            sources.append(os.path.join(units, name.replace("/", "-") + ".cpp"))
            pathlib.Path(sources[-1]).write_text(f"#include <{name}>\n")
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(installed(), "lib", "pkgconfig"))
        flags = sh("pkg-config", "--cflags", "tarvo", env=env).stdout.split()
        self.assertTrue(sources)
        sh("g++", "-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", *flags, *sources)


class Packaged(Play):
    def test_unpacked_packages_build_a_client(self):
        client = CLIENTS[0]
        program = with_cmake(client, "unpacked", "-DCMAKE_PREFIX_PATH=" + unpacked())
        self.play_client(client, program, unpacked())

    def test_unpacked_demo_plays_the_golden_walk_from_another_folder(self):
        data = os.path.join(unpacked(), "share", "games", "morwenfall", "base")
        walk = os.path.join(SOURCE, "tests", "golden", "walk.replay")
        self.play(os.path.join(unpacked(), "games", "morwenfall"),
                  ["-game", data, "-replay", walk, "-frames", "frames"],
                  "Exiting Tarvo Engine.", "tests/golden/walk.frames")

    def test_unpacked_tools_answer_under_their_installed_names(self):
        for tool in ["levelc", "leveldump", "polyraster"]:
            with self.subTest(tool):
                result = sh(os.path.join(unpacked(), "bin", "tarvo-" + tool), check=False)
                self.assertEqual((result.returncode, result.stderr.split()[:2]),
                                 (1, ["usage:", tool]))

    def test_lintian_finds_no_errors(self):
        result = sh("lintian", "--fail-on", "error", *packages(), check=False)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
