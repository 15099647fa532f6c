#!/usr/bin/env python3
"""Lists the names that the library's public headers (the installed ones: platform/, dataobjects/
without detail/, libs/utilities/archive/) declare at global scope, and fails on any name outside
the documented API. One namespace of the library's own (its name containing "dataobjects") may
hold the rest. Usage: global_names.py CHECKOUT [CLANG++]. Last line "N passed, M failed"."""
import glob, json, os, subprocess, sys, tempfile

ALLOWED = {
    "AlarmDataDO", "AlarmLearningValuesDO", "BaseDataObject", "ExternalReferenceLoader",
    "CharacteristicValueDataDO", "CharacteristicValueDataMeasurementDataMapDO", "JobDataDO",
    "MeasurementDataDO", "TrendDataDO", "DataObjectException", "ExceptionFactory", "KavSerialize",
    "Archive", "CompressionException", "CompressionZLibBase", "CompressionGZip", "Options",
    "TesmiraException", "Uuid", "UuidEntryDO",
}
co = os.path.abspath(sys.argv[1])
headers = sorted(glob.glob(f"{co}/dataobjects/*.h") + glob.glob(f"{co}/platform/*.h") +
                 glob.glob(f"{co}/libs/utilities/archive/*.h") + [f"{co}/libs/utilities/archive/Serialize"])
with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as tu:
    for h in headers:
        tu.write(f'#include "{os.path.relpath(h, co)}"\n')
out = subprocess.run([sys.argv[2] if len(sys.argv) > 2 else "clang++", "-std=c++17", f"-I{co}", "-fsyntax-only", "-Xclang", "-ast-dump=json", tu.name],
                     capture_output=True, text=True)
if out.returncode != 0:
    print(out.stderr[-2000:]); print("0 passed, 1 failed (headers do not compile together)"); sys.exit(1)
ast = json.loads(out.stdout)
found, current = {}, None
for node in ast.get("inner", []):
    loc = node.get("loc", {})
    f = loc.get("file") or loc.get("spellingLoc", {}).get("file") or loc.get("expansionLoc", {}).get("file")
    if f:
        current = f
    if not current or not os.path.abspath(current).startswith(co) or node.get("isImplicit"):
        continue
    name = node.get("name")
    if name:
        found.setdefault(name, (node["kind"], os.path.relpath(os.path.abspath(current), co)))
bad, own_ns = [], []
for name, (kind, f) in sorted(found.items()):
    if name in ALLOWED or name.startswith("operator"):
        continue
    if kind == "NamespaceDecl" and "dataobjects" in name.lower():
        own_ns.append(name); continue
    bad.append(f"{kind} {name} ({f})")
if len(own_ns) > 1:
    bad.append("more than one namespace of the library's own: " + ", ".join(own_ns))
for name, (kind, f) in sorted(found.items()):
    print(f"global name: {kind} {name} ({f})")
for b in bad:
    print("extra global name:", b)
print(f"{len(found)} global names from {len(headers)} headers; {len(bad)} outside the documented API")
print(f"{0 if bad else 1} passed, {1 if bad else 0} failed")
sys.exit(1 if bad else 0)
