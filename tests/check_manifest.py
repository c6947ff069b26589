#!/usr/bin/env python3
# check_manifest.py PROGRAM.exe: reads the application manifest back from the Windows executable
# (resource 1 of type RT_MANIFEST, 24, taken out with icoutils' wrestool) and checks each setting
# under the name and XML namespace that Windows reads it by: a setting in another namespace is
# ignored without a word.
import subprocess
import sys
import xml.etree.ElementTree as ET

SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SETTINGS_2019 = "{http://schemas.microsoft.com/SMI/2019/WindowsSettings}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
WINDOWS_7_TO_11 = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}

manifest = subprocess.run(["wrestool", "-x", "--raw", "--type=24", "--name=1", sys.argv[1]],
                          check=True, capture_output=True).stdout
if not manifest:
    sys.exit(f"{sys.argv[1]} has no application manifest")
root = ET.fromstring(manifest)


def texts(tag):
    return [element.text.strip() for element in root.iter(tag)]


expected = [
    (SETTINGS_2016 + "longPathAware", ["true"]),
    (SETTINGS_2016 + "dpiAwareness", ["PerMonitorV2"]),
    (SETTINGS_2005 + "dpiAware", ["true/pm"]),
    (SETTINGS_2019 + "activeCodePage", ["UTF-8"]),
]
faults = [f"{tag}: {texts(tag)}, not {values}" for tag, values in expected if texts(tag) != values]
systems = {element.get("Id") for element in root.iter(COMPATIBILITY + "supportedOS")}
if systems != WINDOWS_7_TO_11:
    faults.append(f"supportedOS: {sorted(systems)}, not Windows 7 to 11")
if faults:
    sys.exit("\n".join(faults))
print("manifest: " + ", ".join(f"{tag.split('}')[1]}={texts(tag)[0]}" for tag, _ in expected) +
      f", {len(systems)} supportedOS")
