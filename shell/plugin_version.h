// The plug-in's version: the setup box shows "testtorvane [<version>]" and the
// information record carries it. It is written only here: CMakeLists.txt (the
// project's version, which the torvane tool reports) and the release archive
// (scripts/make_release_archive.py) read it from the line below.
#pragma once

constexpr const char* kPlugInVersion = "0.3.8";
