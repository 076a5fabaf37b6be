#!/usr/bin/env bash
# Checks what is released and how:
#  - .github/workflows/ci.yml is valid YAML with a Linux and a Windows job,
#    and a release job for version tags; the Linux job runs in debian:12 and
#    debian:13 containers (a matrix);
#  - every command the workflow runs is one README.md documents, and the
#    Windows job runs exactly the commands of README's "Building on Windows",
#    in their order;
#  - README's "Quick start" holds exactly scripts/run.sh and scripts/test.sh,
#    and .ci/run runs the test command and nothing else;
#  - the release job runs only on a tag "v...", after the other two, builds
#    the package with README's configure and package commands and attaches
#    the zip itself to a release (with the right to write one);
#  - the Windows and the release job install exactly the MSYS2 packages of
#    README's `pacman -S` command (the converter of the guide page among them);
#  - with a build folder: its package target makes vantro-<version>-win64.zip
#    holding vantro.exe, README.ja.md, README.md, LICENSE, the guide page
#    README.ja.html and the pictures it shows in docs/ (in one folder named
#    like the zip), and `cmake --install` puts the same files, and nothing
#    else, in a folder; the page is the guide in Japanese, with its tables and
#    every picture it shows beside it.
#
#   scripts/check-release.sh [BUILD_DIR]      (scripts/test.sh passes build/mingw)
#
# Needs Python 3 with PyYAML (python3-yaml, installed by scripts/deps.sh).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-}"

# A Python that has PyYAML: the one on PATH, or Debian's own.
python=""
for p in python3 /usr/bin/python3; do
  if command -v "$p" >/dev/null && "$p" -c 'import yaml' 2>/dev/null; then python="$p"; break; fi
done
if [ -z "$python" ]; then
  echo "check-release: no Python 3 with PyYAML (run scripts/deps.sh)" >&2
  exit 1
fi

"$python" - "$root" <<'EOF'
import re, sys, yaml

root = sys.argv[1]
workflow_path = root + "/.github/workflows/ci.yml"
errors = []

with open(workflow_path, encoding="utf-8") as f:
    try:
        workflow = yaml.safe_load(f)
    except yaml.YAMLError as e:
        sys.exit(f"check-release: {workflow_path} is not valid YAML: {e}")

if not isinstance(workflow, dict) or not isinstance(workflow.get("jobs"), dict):
    sys.exit(f"check-release: {workflow_path} has no jobs")
# YAML 1.1 reads the key "on" as true.
if "on" not in workflow and True not in workflow:
    errors.append("the workflow has no triggers (on:)")

def commands(job):
    """The command lines a job runs, in order."""
    out = []
    for step in job.get("steps") or []:
        if not isinstance(step, dict) or ("run" not in step and "uses" not in step):
            errors.append(f"a step that neither runs nor uses anything: {step!r}")
            continue
        for line in str(step.get("run", "")).splitlines():
            line = line.strip()
            if line and not line.startswith("#"):
                out.append(line)
    return out

def uses(job):
    return [s["uses"] for s in job.get("steps") or [] if isinstance(s, dict) and "uses" in s]

jobs = workflow["jobs"]
def on_tags_only(job):
    return "refs/tags/" in str(job.get("if", ""))
linux = [j for j in jobs.values() if re.match(r"(ubuntu|debian)", str(j.get("runs-on", "")))]
windows = [j for j in jobs.values() if str(j.get("runs-on", "")).startswith("windows") and not on_tags_only(j)]
release = [(n, j) for n, j in jobs.items() if on_tags_only(j)]
if len(linux) != 1 or len(windows) != 1:
    errors.append(f"expected one Linux and one Windows job, found {len(linux)} and {len(windows)}")
if len(release) != 1:
    errors.append(f"expected one release job (if: on a tag), found {len(release)}")

# The commands README.md documents: lines of its indented code blocks, without
# a trailing "# comment"; and those of the "Building on Windows" section.
with open(root + "/README.md", encoding="utf-8") as f:
    readme = f.read().splitlines()
documented, windows_section, quick_start, pacman = set(), [], [], []
section = ""
for line in readme:
    if section == "Building on Windows":
        for m in re.finditer(r"`pacman -S ([^`]+)`", line):
            pacman.append(m.group(1).split())
    if line.startswith("## "):
        section = line[3:].strip()
    elif line.startswith("    ") and line.strip():
        command = re.sub(r"\s+#.*$", "", line.strip())
        documented.add(command)
        if section == "Building on Windows":
            windows_section.append(command)
        if section == "Quick start":
            quick_start.append(command)

# The quick start is the two commands, and CI's own entry runs the test one.
if quick_start != ["scripts/run.sh", "scripts/test.sh"]:
    errors.append(f"README's Quick start is not the run and the test command: {quick_start}")
with open(root + "/.ci/run", encoding="utf-8") as f:
    ci_run = [l.strip() for l in f if l.strip() and not l.strip().startswith("#")]
if len(ci_run) != 1 or not re.search(r"scripts/test\.sh\"?$", ci_run[0]):
    errors.append(f".ci/run does not run the test command alone: {ci_run}")

for name, job in jobs.items():
    for command in commands(job):
        if command not in documented:
            errors.append(f"job {name} runs a command README.md does not document: {command}")

if windows:
    job = windows[0]
    if commands(job) != windows_section:
        errors.append("the Windows job does not run exactly README's \"Building on Windows\" commands:\n"
                      f"    job:    {commands(job)}\n    README: {windows_section}")
    if not any(u.startswith("msys2/setup-msys2@") for u in uses(job)):
        errors.append("the Windows job does not set up MSYS2")
    if not any(u.startswith("actions/upload-artifact@") for u in uses(job)):
        errors.append("the Windows job does not upload the package")
if release and len(windows_section) >= 2:
    name, job = release[0]
    if "startsWith(github.ref, 'refs/tags/v')" not in str(job.get("if", "")):
        errors.append(f"the release job {name} does not run only on tags v...")
    others = [n for n, j in jobs.items() if j is not job]
    if sorted(job.get("needs") or []) != sorted(others):
        errors.append(f"the release job {name} does not wait for {others}")
    if (job.get("permissions") or {}).get("contents") != "write":
        errors.append(f"the release job {name} may not write a release (permissions: contents: write)")
    wanted = [windows_section[0], windows_section[-1]]
    if commands(job) != wanted:
        errors.append(f"the release job {name} does not run README's configure and package commands:\n"
                      f"    job:    {commands(job)}\n    wanted: {wanted}")
    if not any(u.startswith("msys2/setup-msys2@") for u in uses(job)):
        errors.append(f"the release job {name} does not set up MSYS2")
    attach = [s for s in job.get("steps") or [] if isinstance(s, dict)
              and str(s.get("uses", "")).startswith("softprops/action-gh-release@")]
    files = str((attach[0].get("with") or {}).get("files", "")) if attach else ""
    if not attach or files != "build/windows/vantro-*-win64.zip":
        errors.append(f"the release job {name} does not attach build/windows/vantro-*-win64.zip to a release")
push = (workflow.get("on", workflow.get(True)) or {})
if isinstance(push, dict) and "push" in push and isinstance(push["push"], dict) and "tags" in push["push"] \
        and not any(str(t).startswith("v") for t in push["push"]["tags"] or []):
    errors.append("pushes of version tags do not start the workflow")
if linux and "scripts/test.sh" not in commands(linux[0]):
    errors.append("the Linux job does not run scripts/test.sh")
# The Linux job runs on each Debian release README names as a build machine.
if linux:
    job = linux[0]
    container = str(job.get("container", ""))
    matrix = ((job.get("strategy") or {}).get("matrix") or {})
    images = set()
    m = re.fullmatch(r"debian:\$\{\{\s*matrix\.(\w+)\s*\}\}", container)
    if m:
        images = {f"debian:{v}" for v in matrix.get(m.group(1)) or []}
    elif container:
        images = {container}
    wanted = {"debian:12", "debian:13"}
    if images != wanted:
        errors.append(f"the Linux job runs in {sorted(images)}, expected {sorted(wanted)}")

# The MSYS2 packages: those README's pacman command installs, in each job that
# sets up MSYS2.
if len(pacman) != 1:
    errors.append(f"README's \"Building on Windows\" does not hold one `pacman -S ...` command: {pacman}")
else:
    for name, job in jobs.items():
        for step in job.get("steps") or []:
            if isinstance(step, dict) and str(step.get("uses", "")).startswith("msys2/setup-msys2@"):
                installed = str((step.get("with") or {}).get("install", "")).split()
                if sorted(installed) != sorted(pacman[0]):
                    errors.append(f"job {name} installs the MSYS2 packages {installed}, "
                                  f"README's pacman command {pacman[0]}")

if errors:
    for e in errors:
        print("check-release: " + e, file=sys.stderr)
    sys.exit(1)
print(f"check-release: {workflow_path}: valid, {len(jobs)} jobs, every command documented in README.md")
EOF

[ -n "$build" ] || exit 0

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
if [ -z "$version" ]; then
  echo "check-release: no project version in $build/CMakeCache.txt" >&2
  exit 1
fi
name="vantro-$version-win64"
zip="$build/$name.zip"
rm -f "$zip"
cmake --build "$build" --target package >/dev/null
stage="$build/check-release"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/install" >/dev/null

"$python" - "$zip" "$name" "$stage/install" "$root/README.ja.md" <<'EOF'
import os, re, sys, zipfile

zip_path, name, install_dir, guide_source = sys.argv[1:]
# The guide's pictures: those README.ja.md shows.
with open(guide_source, encoding="utf-8") as f:
    pictures = sorted(set(re.findall(r"\]\((docs/[^)\s]+\.png)\)", f.read())))
expected = sorted(["LICENSE", "README.ja.md", "README.md", "README.ja.html", "vantro.exe"] + pictures)
errors = []
if not pictures:
    errors.append(f"{guide_source} shows no pictures from docs/")

if not os.path.isfile(zip_path):
    sys.exit(f"check-release: the package target made no {zip_path}")
with zipfile.ZipFile(zip_path) as z:
    files = sorted(i.filename for i in z.infolist() if not i.is_dir())
want = sorted(f"{name}/{f}" for f in expected)
if files != want:
    errors.append(f"{os.path.basename(zip_path)} holds {files}, expected {want}")

installed = sorted(os.path.relpath(os.path.join(d, f), install_dir).replace(os.sep, "/")
                   for d, _, fs in os.walk(install_dir) for f in fs)
if installed != sorted(expected):
    errors.append(f"cmake --install put {installed}, expected {sorted(expected)}")

# The page: the Japanese guide, its tables rendered, and every picture it
# shows is one the package holds beside it.
page_path = os.path.join(install_dir, "README.ja.html")
if os.path.isfile(page_path):
    with open(page_path, encoding="utf-8") as f:
        page = f.read()
    if '<html lang="ja">' not in page or '<meta charset="utf-8">' not in page:
        errors.append("README.ja.html is not a page in Japanese in UTF-8")
    if "<h1>Vantro Pad 利用ガイド</h1>" not in page or "<table>" not in page:
        errors.append("README.ja.html does not hold the guide with its tables")
    shown = sorted(set(re.findall(r'<img [^>]*src="([^"]+)"', page)))
    if shown != pictures:
        errors.append(f"README.ja.html shows {shown}, the package holds {pictures}")

if errors:
    for e in errors:
        print("check-release: " + e, file=sys.stderr)
    sys.exit(1)
print(f"check-release: {zip_path} and the installed folder hold {', '.join(expected)}")
EOF
