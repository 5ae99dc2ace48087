"""Builds the extension of the package tavi with the project's CMake build, for `pip install --no-build-isolation .`.

The extension and the library it loads are built in build/pip and copied into the package, where the extension finds
the library beside itself; the type stubs come with them.
"""
import glob
import os
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = os.path.join(ROOT, "build", "pip")
        subprocess.run(
            [
                "cmake", "-S", ROOT, "-B", build, "-G", "Ninja",
                "-DTAVI_TESTS=OFF", "-DTAVI_BENCH=OFF", "-DTAVI_PYTHON_BESIDE_LIBRARY=ON",
                f"-DPython_EXECUTABLE={sys.executable}",
            ],
            check=True,
        )
        subprocess.run(["cmake", "--build", build, "--target", "_tavi"], check=True)
        target = self.get_ext_fullpath(ext.name)
        package = os.path.dirname(target)
        os.makedirs(package, exist_ok=True)
        built = os.path.join(build, "python", "tavi")
        shutil.copy2(glob.glob(os.path.join(built, "_tavi*.so"))[0], target)
        shutil.copy2(os.path.join(built, "__init__.pyi"), package)
        # The library under the name the extension asks for, its soname.
        shutil.copy2(os.path.join(build, "libtaviGeoprocessing.so.0"), package)
        # The build's debugging information stays in the build.
        for binary in [target, os.path.join(package, "libtaviGeoprocessing.so.0")]:
            subprocess.run(["strip", "--strip-debug", binary], check=True)

setup(ext_modules=[Extension("tavi._tavi", sources=[])], cmdclass={"build_ext": CMakeBuild})
