#!/usr/bin/env python3
"""Runs one example and compares what it prints with the expected output.

    run_example.py <wine_run.sh> <bin folder> <examples/name.lua or .c> <expected .out>

A Lua example runs through lunrun.exe; a C example is bin/example_<name>.exe, given the URL of a file
served for the run by a local HTTP server on 127.0.0.1 (the HTTP example downloads it)."""
import difflib
import functools
import http.server
import os
import subprocess
import sys
import tempfile
import threading
from pathlib import Path


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def main(wine_run, bin_dir, example, expected):
    example = Path(example)
    env = {k: v for k, v in os.environ.items() if k.lower() not in ("http_proxy", "https_proxy")}
    env["no_proxy"] = "127.0.0.1,localhost"
    with tempfile.TemporaryDirectory() as served:
        if example.suffix == ".lua":
            command = [wine_run, "lunrun.exe", str(example)]
        else:
            # 300 000 bytes of a repeating pattern, served with its Content-Length.
            Path(served, "data.bin").write_bytes(bytes(i % 251 for i in range(300000)))
            server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Quiet, directory=served))
            threading.Thread(target=server.serve_forever, daemon=True).start()
            command = [wine_run, f"example_{example.stem}.exe", f"http://127.0.0.1:{server.server_port}/data.bin"]
        run = subprocess.run(command, cwd=bin_dir, env=env, capture_output=True)
    got = run.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    want = Path(expected).read_text(encoding="utf-8") if Path(expected).exists() else ""
    if run.returncode == 0 and got == want:
        print(f"{example.name}: output as expected ({len(want.splitlines())} lines)")
        return 0
    print(f"{example.name}: exit status {run.returncode}")
    sys.stdout.writelines(difflib.unified_diff(want.splitlines(True), got.splitlines(True), "expected", "printed"))
    return 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
