# Sourced by the build scripts: when ccache is installed, every CMake tree
# configured from here on compiles through it (CMake reads these variables on
# a first configure), with paths taken relative to the checkout so that a
# fresh clone in another folder reuses what an earlier build compiled
# (debug information then names the folder of the first build).
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD"
  export CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=ccache
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
