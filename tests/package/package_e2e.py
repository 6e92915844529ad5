"""The engine as its users get it (make test-package): installed into a temporary prefix and
built against with CMake and pkg-config, as a shared library built alone, moved elsewhere, and
as its Debian packages unpacked into a temporary root, where the demo plays the golden walk.

Reads a built tree, TARVO_BUILD_DIR (the default static library), and builds the shared
library alone in TARVO_SHARED_BUILD_DIR; everything else goes into one temporary folder.
Nothing is installed anywhere else.
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
JOBS = os.environ.get("JOBS", "2")
HEADLESS = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
VERSION = ".".join(re.findall(r"TARVO_VERSION_\w+ (\d+)",
                              pathlib.Path(SOURCE, "include/tarvo/version.h").read_text()))
PACKAGES = ["tarvo-dev", "morwenfall"]
TOOLS = ["levelc", "leveldump", "polyraster"]

# A program built on the engine. source: one .cpp file, built by the project below, or a folder
# with a CMakeLists.txt of its own. It runs with args in an empty folder of its own ({assets}
# names the installed assets, {source} the source tree), must exit 0 and print `last` as its
# last line; with frames, the frame list it writes into the folder frames must be that file's.
# shared and pkgconfig: also built against the shared library alone, and with pkg-config.
Client = namedtuple("Client", "name source args last frames shared pkgconfig")
CLIENTS = [
    Client("game", "tests/package/game.cpp", [],
           f"tarvo {VERSION}: saved turned.png and turned.gif", None, True, True),
]

ONE_FILE_PROJECT = """cmake_minimum_required(VERSION 3.20)
project({name} CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(Tarvo 1.1 REQUIRED)
add_executable({name} {source})
target_link_libraries({name} PRIVATE Tarvo::tarvo)
"""


def sh(*command, cwd=None, env=None, check=True):
    """Runs command to its end; a failure shows everything it printed."""
    result = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=600)
    if check and result.returncode != 0:
        raise AssertionError("%s exited %d:\n%s%s" % (" ".join(map(str, command)),
                                                      result.returncode, result.stdout,
                                                      result.stderr))
    return result


@functools.lru_cache(maxsize=None)
def scratch():
    path = tempfile.mkdtemp(prefix="tarvo-package-")
    atexit.register(shutil.rmtree, path, ignore_errors=True)
    return path


def folder(*names):
    """A new empty folder under the scratch folder."""
    path = os.path.join(scratch(), *names)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


@functools.lru_cache(maxsize=None)
def installed():
    """The prefix of cmake --install from the static build."""
    prefix = os.path.join(scratch(), "prefix")
    sh("cmake", "--install", BUILD, "--prefix", prefix)
    return prefix


@functools.lru_cache(maxsize=None)
def shared_build():
    """The shared library built alone, usable through the build tree's TarvoConfig.cmake."""
    sh("cmake", "-S", SOURCE, "-B", SHARED, "-DBUILD_SHARED_LIBS=ON",
       "-DCMAKE_BUILD_TYPE=RelWithDebInfo")
    sh("cmake", "--build", SHARED, "-j" + JOBS, "--target", "tarvo")
    return SHARED


@functools.lru_cache(maxsize=None)
def packages():
    """{package: path} of the .debs that CPack makes of the static build."""
    out = folder("debs")
    sh("cpack", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", out)
    return {name: os.path.join(out, f"{name}_{VERSION}_amd64.deb") for name in PACKAGES}


@functools.lru_cache(maxsize=None)
def unpacked():
    """The root into which every package is unpacked, as dpkg would install it."""
    root = folder("root")
    for deb in packages().values():
        sh("dpkg-deb", "-x", deb, root)
    return root


def cmake_client(client, label, *options):
    """Configures and builds client in a folder of its own; its program's path."""
    source = os.path.join(SOURCE, client.source)
    project, build = folder("clients", label, "source"), folder("clients", label, "build")
    if os.path.isdir(source):
        project = source
    else:
        pathlib.Path(project, "CMakeLists.txt").write_text(
            ONE_FILE_PROJECT.format(name=client.name, source=source))
    sh("cmake", "-S", project, "-B", build, "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF", *options)
    sh("cmake", "--build", build, "-j" + JOBS)
    return os.path.join(build, client.name)


def pkgconfig_client(client, label, prefix):
    """Builds client's one file with the compiler and what pkg-config says; its program."""
    program = os.path.join(folder("clients", label), client.name)
    env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(prefix, "lib", "pkgconfig"))
    flags = sh("pkg-config", "--cflags", "--libs", "tarvo", env=env).stdout.split()
    sh("g++", "-std=c++17", os.path.join(SOURCE, client.source), *flags, "-o", program)
    return program


def found_tarvo(build):
    """The folder CMake took TarvoConfig.cmake from, as the client's cache says."""
    cache = pathlib.Path(build, "CMakeCache.txt").read_text()
    return re.search(r"^Tarvo_DIR:PATH=(.*)$", cache, re.M)[1]


class Play(unittest.TestCase):
    def play(self, program, args, last=None, frames=None, assets=""):
        """Runs program headless in an empty folder; checks its exit status, last line and frame
        list."""
        work = tempfile.mkdtemp(dir=scratch())
        names = {"assets": assets, "source": SOURCE}
        result = sh(program, *[a.format(**names) for a in args], cwd=work, env=HEADLESS,
                    check=False)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        if last is not None:
            self.assertEqual(result.stdout.splitlines()[-1:], [last])
        if frames is not None:
            got = pathlib.Path(work, "frames", "frames.txt").read_text().split()
            self.assertEqual(got, pathlib.Path(SOURCE, frames).read_text().split())

    def play_client(self, client, program, prefix):
        assets = os.path.join(prefix, "share", "tarvo", "assets")
        self.play(program, client.args, client.last, client.frames, assets)


class Installed(Play):
    def test_clients_build_with_cmake_and_run(self):
        for client in CLIENTS:
            with self.subTest(client.name):
                program = cmake_client(client, "static-" + client.name,
                                       "-DCMAKE_PREFIX_PATH=" + installed())
                self.assertEqual(found_tarvo(os.path.dirname(program)),
                                 os.path.join(installed(), "lib", "cmake", "Tarvo"))
                self.play_client(client, program, installed())

    def test_clients_build_against_the_shared_library_alone_and_run(self):
        for client in [c for c in CLIENTS if c.shared]:
            with self.subTest(client.name):
                program = cmake_client(client, "shared-" + client.name,
                                       "-DTarvo_DIR=" + shared_build())
                self.play_client(client, program, installed())
                needed = sh("readelf", "-d", program).stdout
                self.assertIn("Shared library: [libtarvo.so.1]", needed)

    def test_clients_build_with_pkg_config_and_run(self):
        for client in [c for c in CLIENTS if c.pkgconfig]:
            with self.subTest(client.name):
                program = pkgconfig_client(client, "pkgconfig-" + client.name, installed())
                self.play_client(client, program, installed())

    def test_moved_tree_serves_cmake_and_pkg_config(self):
        moved = os.path.join(folder("moved"), "elsewhere")
        shutil.move(installed(), moved)
        try:
            for client in CLIENTS:
                with self.subTest(client.name):
                    program = cmake_client(client, "moved-" + client.name,
                                           "-DCMAKE_PREFIX_PATH=" + moved)
                    self.play_client(client, program, moved)
                    if client.pkgconfig:
                        program = pkgconfig_client(client, "moved-pc-" + client.name, moved)
                        self.play_client(client, program, moved)
        finally:
            shutil.move(moved, installed())

    def test_version_check_takes_the_same_major_version_from_the_minor_on(self):
        major, minor, _ = map(int, VERSION.split("."))
        # requested version: found
        rows = {f"{major}.0": True, f"{major}.{minor}": True, VERSION: True,
                f"{major}.{minor + 1}": False, f"{major - 1}.9": False, f"{major + 1}.0": False}
        project = folder("versions", "source")
        probes = "".join(f"find_package(Tarvo {v} QUIET)\nif(Tarvo_FOUND)\n"
                         f'message("{v} found")\nelse()\nmessage("{v} refused")\nendif()\n'
                         "unset(Tarvo_FOUND)\n" for v in rows)
        pathlib.Path(project, "CMakeLists.txt").write_text(
            "cmake_minimum_required(VERSION 3.20)\nproject(versions CXX)\n" + probes)
        result = sh("cmake", "-S", project, "-B", folder("versions", "build"),
                    "-DCMAKE_PREFIX_PATH=" + installed())
        found = dict(re.findall(r"^(\S+) (found|refused)$", result.stderr, re.M))
        self.assertEqual(found, {v: "found" if ok else "refused" for v, ok in rows.items()})

    def test_libraries_define_symbols_only_in_namespace_tarvo(self):
        shared_library = os.path.join(shared_build(), "src", "libtarvo.so.1")
        static_library = os.path.join(installed(), "lib", "libtarvo.a")
        sh(os.path.join(SOURCE, "scripts", "symbolcheck.sh"), static_library, shared_library)

    def test_each_installed_header_compiles_alone(self):
        include = os.path.join(installed(), "include")
        units = folder("headers")
        sources = []
        for header in sorted(pathlib.Path(include).rglob("*.h")):
            name = header.relative_to(include).as_posix()
            sources.append(os.path.join(units, name.replace("/", "-") + ".cpp"))
            pathlib.Path(sources[-1]).write_text(f"#include <{name}>\n")
        self.assertTrue(sources)
        env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(installed(), "lib", "pkgconfig"))
        flags = sh("pkg-config", "--cflags", "tarvo", env=env).stdout.split()
        sh("g++", "-std=c++17", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", *flags, *sources)


class Packaged(Play):
    def test_unpacked_packages_build_a_client(self):
        client = CLIENTS[0]
        root = os.path.join(unpacked(), "usr")
        program = cmake_client(client, "unpacked", "-DCMAKE_PREFIX_PATH=" + root)
        self.assertEqual(found_tarvo(os.path.dirname(program)),
                         os.path.join(root, "lib", "cmake", "Tarvo"))
        self.play_client(client, program, root)

    def test_unpacked_demo_plays_the_golden_walk_from_another_folder(self):
        data = os.path.join(unpacked(), "usr", "share", "games", "morwenfall", "base")
        self.play(os.path.join(unpacked(), "usr", "games", "morwenfall"),
                  ["-game", data, "-replay", "{source}/tests/golden/walk.replay",
                   "-frames", "frames"], "Exiting Tarvo Engine.", "tests/golden/walk.frames")

    def test_unpacked_tools_start_under_their_installed_names(self):
        for tool in TOOLS:
            with self.subTest(tool):
                result = sh(os.path.join(unpacked(), "usr", "bin", "tarvo-" + tool),
                            check=False)
                self.assertEqual(result.returncode, 1)
                self.assertTrue(result.stderr.startswith(f"usage: {tool} "), result.stderr)

    def test_lintian_finds_no_errors(self):
        result = sh("lintian", "--fail-on", "error", *packages().values(), check=False)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
