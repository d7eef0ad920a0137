#!/usr/bin/env bash
# Redraws docs/architecture-layers.svg from the build's own target graph: CMake writes the
# dependency graph of the configured tree, this keeps the host's libraries, the program and
# its tools, and Graphviz draws it. Needs graphviz (apt-get install graphviz).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TVR_BUILD:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/scripts/build.sh" --target help >/dev/null   # configures the tree
cat >"$build/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "Telvarin layers")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^(gtest|gtest_main|gmock|tvr_|unit_|system_|gui_|sdk_|lang_|Plugin|Canary|BusBench|busbench|tvrfuzz|StartMarks)")
OPTIONS
(cd "$build" && cmake --graphviz="$work/targets.dot" . >/dev/null)
# The layers as they stack: the program on top, base at the bottom; no legend.
sed -e '/subgraph clusterLegend/,/^}/d' \
  -e 's/^digraph "\(.*\)" {/digraph "\1" {\n  node [fontname = "Helvetica", fontsize = 11];/' \
  "$work/targets.dot" >"$work/layers.dot"
dot -Tsvg "$work/layers.dot" -o "$root/docs/architecture-layers.svg"
echo "docs/architecture-layers.svg redrawn"
