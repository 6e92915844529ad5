"""The engine as its users get it (make test-package): installed into a temporary prefix, where
its examples build with CMake and with pkg-config and replay frame for frame, also against the
shared library built alone and once the tree has moved; and as its Debian packages unpacked into
a temporary root, where the packaged hello example builds and the demo plays the golden walk;
lintian checks those two and Kelda's Climb's package.

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

# The examples (examples/NAME), each a CMake project whose own test replays NAME.replay and
# compares the frames drawn with NAME.frames. All are built against the installed static library;
# shared: also against the shared library built alone; makefile: also by its Makefile with
# pkg-config, and after the installed tree has moved.
Example = namedtuple("Example", "name shared makefile")
EXAMPLES = [Example("hello", True, True), Example("sprites", True, False),
            Example("polygons", False, False), Example("tilemap", False, False),
            Example("sound", False, False), Example("platformer", False, False)]
HELLO = EXAMPLES[0]
HEADLESS = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")


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
    """The shared library and the assets built alone, found through the build tree's
    TarvoConfig.cmake."""
    sh("cmake", "-S", SOURCE, "-B", SHARED, "-DBUILD_SHARED_LIBS=ON")
    sh("cmake", "--build", SHARED, JOBS, "--target", "tarvo", "assets")
    return SHARED


@functools.lru_cache(maxsize=None)
def packages():
    """The engine's two packages and Kelda's Climb's, made by the game's own CPack run."""
    out = folder("debs")
    sh("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
    sh("cpack", "--config", os.path.join(BUILD, "climb", "CPackConfig.cmake"), "-B", out)
    return [os.path.join(out, f"{name}_{VERSION}_amd64.deb") for name in ["tarvo-dev",
                                                                          "morwenfall"]] + [
        os.path.join(out, "climb_1.0.0_amd64.deb")]


@functools.lru_cache(maxsize=None)
def unpacked():
    """The packages unpacked into one root, where dpkg would put them under /."""
    root = folder("root")
    for deb in packages():
        sh("dpkg-deb", "-x", deb, root)
    return os.path.join(root, "usr")


def assets(prefix):
    return os.path.join(prefix, "share", "tarvo", "assets")


def with_cmake(example, label, *options, examples=os.path.join(SOURCE, "examples")):
    """Builds the example with CMake and runs its test: its replay, frame for frame."""
    build = folder(label)
    sh("cmake", "-S", os.path.join(examples, example.name), "-B", build,
       "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF", *options)
    sh("cmake", "--build", build, JOBS)
    sh("ctest", "--test-dir", build, "--output-on-failure")


def with_makefile(example, label, prefix):
    """Builds the example with its Makefile and pkg-config and plays its replay the same way."""
    project = folder(label)
    for name in ["main.cpp", "Makefile"]:
        shutil.copy(os.path.join(SOURCE, "examples", example.name, name), project)
    sh("make", "-C", project, env=dict(os.environ, PKG_CONFIG_PATH=os.path.join(
        prefix, "lib", "pkgconfig")))
    replay = os.path.join(SOURCE, "examples", example.name, example.name)
    sh(os.path.join(project, example.name), "-game", assets(prefix), "-replay",
       replay + ".replay", "-frames", "frames", cwd=project, env=HEADLESS)
    sh("cmp", os.path.join(project, "frames", "frames.txt"), replay + ".frames")


# How an example is built: against the installed tree, the shared library built alone, or with
# its Makefile; column names the Example field that asks for the way (none: every example).
Way = namedtuple("Way", "name column build")
WAYS = [
    Way("cmake", None, lambda e: with_cmake(e, "cmake-" + e.name,
                                            "-DCMAKE_PREFIX_PATH=" + installed())),
    Way("shared", "shared", lambda e: with_cmake(e, "shared-" + e.name,
                                                 "-DTarvo_DIR=" + shared_build())),
    Way("makefile", "makefile", lambda e: with_makefile(e, "make-" + e.name, installed())),
]


class Installed(unittest.TestCase):
    def test_examples_build_with_cmake_with_their_makefile_and_against_the_shared_library(self):
        for way in WAYS:
            for example in [e for e in EXAMPLES if not way.column or getattr(e, way.column)]:
                with self.subTest(way=way.name, example=example.name):
                    way.build(example)

    def test_moved_tree_serves_cmake_and_pkg_config(self):
        moved = os.path.join(folder("moved"), "elsewhere")
        shutil.move(installed(), moved)
        try:
            with_cmake(HELLO, "moved-cmake", "-DCMAKE_PREFIX_PATH=" + moved)
            with_makefile(HELLO, "moved-make", moved)
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


class Docs(unittest.TestCase):
    def test_getting_started_shows_the_hello_example_as_it_is(self):
        guide = pathlib.Path(SOURCE, "docs", "getting-started.md").read_text()
        shown = re.search(r"^<!-- The code of examples/hello/main.cpp.*?^```cpp\n(.*?)^```$",
                          guide, re.M | re.S)
        self.assertIsNotNone(shown, "no hello example in docs/getting-started.md")
        self.assertEqual(shown.group(1),
                         pathlib.Path(SOURCE, "examples", "hello", "main.cpp").read_text())


class Packaged(unittest.TestCase):
    def test_unpacked_packages_build_the_example_they_ship(self):
        with_cmake(HELLO, "unpacked", "-DCMAKE_PREFIX_PATH=" + unpacked(),
                   examples=os.path.join(unpacked(), "share", "doc", "tarvo", "examples"))

    def test_unpacked_demo_finds_its_data_and_plays_the_golden_walk_from_another_folder(self):
        work = folder("walk")
        walk = os.path.join(SOURCE, "tests", "golden", "walk")
        result = sh(os.path.join(unpacked(), "games", "morwenfall"), "-replay", walk + ".replay",
                    "-frames", "frames", cwd=work, env=HEADLESS)
        data = os.path.join(unpacked(), "share", "games", "morwenfall", "base", "pak000.zip")
        self.assertIn(f"* Added data file {data}", result.stdout.splitlines())
        sh("cmp", os.path.join(work, "frames", "frames.txt"), walk + ".frames")

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
