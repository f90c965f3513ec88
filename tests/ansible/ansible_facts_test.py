"""Installs the build into a scratch prefix, links the installed miradex.fact into a facts folder,
gathers the local facts with `ansible localhost -c local -m setup`, and expects the machine's
model and processor under ansible_local.miradex, as the installed system_profiler names them.
Usage: ansible_facts_test.py BUILD WORK ANSIBLE"""
import json
import os
import shutil
import subprocess
import sys

build, work, ansible = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
prefix = os.path.join(work, "prefix")
facts = os.path.join(work, "facts.d")
os.makedirs(facts)
subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True,
               stdout=subprocess.DEVNULL)
os.symlink(os.path.join(prefix, "share/miradex/ansible/miradex.fact"),
           os.path.join(facts, "miradex.fact"))

# The profiler is not on the PATH here: the script must find it beside its own real place.
env = dict(os.environ, ANSIBLE_STDOUT_CALLBACK="minimal", ANSIBLE_LOCALHOST_WARNING="false",
           ANSIBLE_INVENTORY_UNPARSED_WARNING="false", ANSIBLE_NOCOLOR="1",
           ANSIBLE_LOCAL_TEMP=os.path.join(work, "tmp"), ANSIBLE_REMOTE_TEMP=os.path.join(work, "tmp"),
           HOME=work)
run = subprocess.run([ansible, "localhost", "-c", "local", "-m", "setup", "-a",
                      f"fact_path={facts} filter=ansible_local"],
                     env=env, capture_output=True, text=True)
if run.returncode != 0:
    sys.exit(f"ansible failed ({run.returncode}):\n{run.stdout}\n{run.stderr}")
# The minimal callback prints "localhost | SUCCESS => {…}".
host = json.loads(run.stdout.split("=>", 1)[1])
gathered = host["ansible_facts"]["ansible_local"].get("miradex")
if not isinstance(gathered, dict):
    sys.exit(f"ansible_local.miradex is no object: {gathered!r}\n{run.stderr}")

profiler = os.path.join(prefix, "lib/miradex/Miradex.app/Contents/Helpers/system_profiler")
direct = json.loads(subprocess.run([profiler, "-json", "SPHardwareDataType"], check=True,
                                   capture_output=True, text=True,
                                   env=dict(os.environ, LC_ALL="C")).stdout)
expected = direct["SPHardwareDataType"][0]
hardware = gathered["SPHardwareDataType"][0]
failed = False
for key in ("Model Name", "Processor Name"):
    if not expected.get(key) or hardware.get(key) != expected[key]:
        print(f"{key}: gathered {hardware.get(key)!r}, system_profiler says {expected.get(key)!r}")
        failed = True
for data_type in ("SPDisplaysDataType", "SPNetworkDataType"):
    if not isinstance(gathered.get(data_type), list):
        print(f"{data_type} missing from the gathered facts")
        failed = True
sys.exit(1 if failed else 0)
