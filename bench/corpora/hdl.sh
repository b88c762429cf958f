#!/bin/sh
# The hardware-description corpora: the Verilog and System Verilog sources
# of the synthesis tool's techlibs and share files, the simulator include
# files and examples, and the VHDL library sources of the VHDL simulator,
# copied into one tree per language under the cache.
set -e
cache=${TV_BENCH_CACHE:?TV_BENCH_CACHE is not set}
pkgs="yosys verilator iverilog ghdl"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
vl=$cache/hdl/verilog
vh=$cache/hdl/vhdl
if [ ! -d "$vl" ]; then
    mkdir -p "$vl/yosys" "$vl/verilator" "$vl/iverilog"
    cp -r /usr/share/yosys/. "$vl/yosys/"
    cp -r /usr/share/verilator/include /usr/share/verilator/examples "$vl/verilator/"
    cp -r /usr/share/doc/iverilog/examples "$vl/iverilog/"
    find "$vl" -type f ! -name '*.v' ! -name '*.sv' -delete
fi
if [ ! -d "$vh" ]; then
    mkdir -p "$vh"
    cp -r /usr/lib/ghdl/src/. "$vh/"
    find "$vh" -type f ! -name '*.vhd' ! -name '*.vhdl' -delete
fi
echo "hdl: $(find "$vl" -type f | wc -l) Verilog files in $vl, $(find "$vh" -type f | wc -l) VHDL files in $vh"
