#!/bin/sh
# Link launcher: CMake passes the Winelib linker followed by the full link
# command line, whose first word is the C++ compiler driver; run the same
# command with the linker in its place.
linker=$1
shift
shift
exec "$linker" "$@"
