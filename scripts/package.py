#!/usr/bin/env python3
"""Helpers of scripts/package.sh: the source of the Telvarin package, the SQL that msibuild
adds to wixl's package, the package's fixed times and the SDK archive.

  package.py source DIST VERSION MAKER PRODUCT    WiX source on stdout
  package.py tables MSI                           SQL for msibuild on stdout, one query a line
  package.py times MSI EPOCH                      sets the package's creation and save times
  package.py code DIST VERSION                    the package code of this content
  package.py zip FOLDER ZIP EPOCH                 archives the folder, sorted, with fixed times

Every file and folder below DIST goes into the package, in sorted order, with ids and
component codes derived from its path, so that the same folder gives the same source and new
files (plug-ins, the help file) need no change here; empty folders are created. What wixl
cannot express (component conditions, the machine's environment variable, the removal of
what the program wrote beside itself, custom actions in the sequences) is added as SQL to the
package wixl built, at places read from its own sequence tables.
"""
import ctypes
import hashlib
import os
import struct
import subprocess
import sys
import time
import uuid
import zipfile
from xml.sax.saxutils import quoteattr

# Namespace of every code derived here; the upgrade code never changes.
NAMESPACE = uuid.UUID("6f0f6c55-2a55-4c1c-9e1e-7d3c2b0a9e41")
UPGRADE_CODE = "{8A7C0F3E-5B2D-4E61-9C14-3F6B1D2E7A90}"
PROGRAM = "Telvarin.exe"
SETUP_KEY = r"SOFTWARE\orvex\Setup\Telvarin"
RUN_KEY = r"SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
HELP_LINK = "http://www.orvex.example"
PURGING = 'PURGE = "1" AND REMOVE = "ALL" AND NOT UPGRADINGPRODUCTCODE'

# The choices, right after AppSearch: given on the command line, else kept from the installed
# version (its Setup key), else the default. STARTUP defaults to 1 unless a service is asked for.
CHOICES = [
    ("KeepService", "SERVICE", "[OLD_SERVICE]", "NOT SERVICE AND OLD_SERVICE"),
    ("KeepStartup", "STARTUP", "[OLD_STARTUP]", "NOT STARTUP AND OLD_STARTUP"),
    ("KeepConfigLocation", "CONFIGLOCATION", "[OLD_CONFIGLOCATION]", "NOT CONFIGLOCATION AND OLD_CONFIGLOCATION"),
    ("DefaultService", "SERVICE", "0", "NOT SERVICE"),
    ("DefaultStartup", "STARTUP", "1", 'NOT STARTUP AND SERVICE <> "1"'),
    ("DefaultNoStartup", "STARTUP", "0", "NOT STARTUP"),
    ("DefaultConfigLocation", "CONFIGLOCATION", "user", "NOT CONFIGLOCATION"),
]
# Right after CostFinalize: the install location for Programs and Features.
FOLDERS = [("SetInstallLocation", "ARPINSTALLLOCATION", "[INSTALLDIR]", "NOT REMOVE")]
# After the package's files and folders are removed: with PURGE=1 what the program wrote
# beside itself (settings, crash and hang dumps, a pending update, the LOG and CFG folders),
# by name, so that files an administrator put into the folder stay; then the program folder
# and the maker's folder when they are empty (Wine's installer leaves the maker's folder).
# Commands, not RemoveFile rows with wildcards: Wine's installer deletes a file named "*"
# literally.
PROGRAM_WRITES = ["Telvarin.INI", "Telvarin._CRASHDUMP_*.DMP", "Telvarin._HANGDUMP_*.DMP", "XDOWNLOAD.EX_",
                  "XDOWNLOAD.EXE"]
PURGE_COMMAND = ('cmd.exe /c del /f /q ' + " ".join(f'"[INSTALLDIR]{name}"' for name in PROGRAM_WRITES) +
                 ' & rd /s /q "[INSTALLDIR]LOG" & rd /s /q "[INSTALLDIR]CFG"')
FOLDERS_COMMAND = 'cmd.exe /c rd "[INSTALLDIR]" & rd "[MAKERDIR]"'
# A command line run in the system folder (not in a folder it removes), exit code ignored,
# deferred, as the system.
COMMAND_TYPE = 34 + 64 + 1024 + 2048
# The installed program's switches, deferred, as the system, exit code ignored (they return 0):
# -U ends the service and a running tray host, and waits for both, before any file is removed;
# -I and -D install and start the service once the files and registry values are in.
RUNS = [
    ("EndHostAndService", "-U", 'REMOVE = "ALL"', "InstallInitialize"),
    ("InstallTheService", "-I", 'SERVICE = "1" AND NOT REMOVE = "ALL"', "WriteEnvironmentStrings"),
    ("StartTheService", "-D", 'SERVICE = "1" AND NOT REMOVE = "ALL"', "InstallTheService"),
]
RUN_TYPE = 18 + 64 + 1024 + 2048   # program from the File table, ignore exit code, deferred, no impersonation
CONDITIONS = [("Startup", 'STARTUP = "1"'), ("ConfigProgram", 'CONFIGLOCATION = "program"'),
              ("ConfigRegistry", 'CONFIGLOCATION = "registry"')]


def guid(text):
    return "{%s}" % str(uuid.uuid5(NAMESPACE, text)).upper()


def node_id(prefix, rel_path):
    """A valid, stable MSI identifier for a path below the program folder."""
    key = rel_path.replace(os.sep, "/").lower()
    return prefix + hashlib.sha1(key.encode("utf-8")).hexdigest()[:20].upper()


def machine_of(program_path):
    """'x64' for an x86_64 program file, 'x86' for a 32-bit one (from its PE header)."""
    with open(program_path, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return {0x8664: "x64", 0x14C: "x86"}[struct.unpack_from("<H", data, pe + 4)[0]]


def sql_text(text):
    return "'%s'" % text.replace("'", "''")


def insert(table, **row):
    """An INSERT of the row's given values (the SQL of msibuild has no NULL literal)."""
    row = {k: v for k, v in row.items() if v is not None}
    values = [str(v) if isinstance(v, int) else sql_text(v) for v in row.values()]
    return "INSERT INTO `%s` (%s) VALUES (%s)" % (table, ", ".join("`%s`" % k for k in row), ", ".join(values))


class Source:
    """The WiX source of one distribution folder."""

    def __init__(self, dist, version, maker, product):
        self.dist, self.version, self.maker, self.product = dist, version, maker, product
        self.platform = machine_of(os.path.join(dist, PROGRAM))
        self.win64 = ' Win64="yes"' if self.platform == "x64" else ""
        self.components = []
        self.lines = []

    def component(self, cid, body, indent):
        self.components.append(cid)
        self.lines.append('%s<Component Id="%s" Guid="%s"%s>'
                          % (indent, cid, guid("component:%s:%s" % (self.platform, cid)), self.win64))
        self.lines += [indent + "  " + line for line in body]
        self.lines.append(indent + "</Component>")

    def tree(self, rel, indent):
        """The components of one folder, then its sub-folders, names sorted."""
        folder = os.path.join(self.dist, rel)
        names = sorted(os.listdir(folder), key=lambda n: (n.lower(), n))
        if not names:
            self.component(node_id("E", rel), ["<CreateFolder/>"], indent)
        for name in names:
            path = os.path.join(rel, name) if rel else name
            if os.path.isfile(os.path.join(folder, name)):
                self.component(node_id("C", path), ['<File Id="%s" Name=%s Source=%s KeyPath="yes"/>'
                               % (node_id("F", path), quoteattr(name), quoteattr(os.path.join(self.dist, path)))],
                               indent)
        for name in names:
            path = os.path.join(rel, name) if rel else name
            if os.path.isdir(os.path.join(folder, name)):
                self.lines.append('%s<Directory Id="%s" Name=%s>' % (indent, node_id("D", path), quoteattr(name)))
                self.tree(path, indent + "  ")
                self.lines.append(indent + "</Directory>")

    def value(self, key, name, value, keypath=False):
        return '<RegistryValue Root="HKLM" Key=%s Name=%s Type="string" Value=%s%s/>' % (
            quoteattr(key), quoteattr(name), quoteattr(value), ' KeyPath="yes"' if keypath else "")

    def text(self):
        program = "[#%s]" % node_id("F", PROGRAM)
        icon = os.path.join(self.dist, PROGRAM)
        o = self.lines.append
        o('<?xml version="1.0" encoding="utf-8"?>')
        o('<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">')
        # One product code per version and platform: the same version always has the same code.
        o('  <Product Id="%s" Name=%s Language="1033" Version="%s" Manufacturer=%s UpgradeCode="%s">'
          % (guid("product:%s:%s" % (self.version, self.platform)), quoteattr(self.product), self.version,
             quoteattr(self.maker), UPGRADE_CODE))
        o('    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine" Description=%s Manufacturer=%s/>'
          % (quoteattr("%s %s" % (self.product, self.version)), quoteattr(self.maker)))
        o('    <Media Id="1" Cabinet="product.cab" EmbedCab="yes"/>')
        o('    <MajorUpgrade DowngradeErrorMessage=%s/>' % quoteattr(
            "A newer version of %s is already installed. Remove it first to install this older version."
            % self.product))
        o('    <Icon Id="Telvarin.exe" SourceFile=%s/>' % quoteattr(icon))
        for prop, value in (("ARPPRODUCTICON", "Telvarin.exe"), ("ARPHELPLINK", HELP_LINK),
                            ("ARPURLINFOABOUT", HELP_LINK), ("ARPNOMODIFY", "1")):
            o('    <Property Id="%s" Value=%s/>' % (prop, quoteattr(value)))
        for name in ("Service", "Startup", "ConfigLocation"):
            o('    <Property Id="OLD_%s"><RegistrySearch Id="Search%s" Root="HKLM" Key=%s Name="%s" Type="raw"%s/></Property>'
              % (name.upper(), name, quoteattr(SETUP_KEY), name, self.win64))
        o('    <Directory Id="TARGETDIR" Name="SourceDir">')
        o('      <Directory Id="%s">' % ("ProgramFiles64Folder" if self.platform == "x64" else "ProgramFilesFolder"))
        o('        <Directory Id="MAKERDIR" Name=%s>' % quoteattr(self.maker))
        o('          <Directory Id="INSTALLDIR" Name=%s>' % quoteattr(self.product))
        indent = "            "
        self.tree("", indent)
        self.component("Choices", [
            self.value(SETUP_KEY, "Service", "[SERVICE]", True),
            self.value(SETUP_KEY, "Startup", "[STARTUP]"),
            self.value(SETUP_KEY, "ConfigLocation", "[CONFIGLOCATION]"),
            '<Shortcut Id="StartMenuShortcut" Directory="ProgramMenuFolder" Name=%s Target="%s"'
            ' WorkingDirectory="INSTALLDIR" Icon="Telvarin.exe" IconIndex="0"/>' % (quoteattr(self.product), program)],
            indent)
        self.component("Startup", [self.value(RUN_KEY, self.product, '"%s"' % program, True)], indent)
        self.component("ConfigProgram", [self.value(SETUP_KEY, "QelConfig", "1", True)], indent)
        self.component("ConfigRegistry", [self.value(r"SOFTWARE\orvex" + "\\" + self.product,
                                                     "ConfigLocation", "registry", True)], indent)
        o('          </Directory>')
        o('        </Directory>')
        o('      </Directory>')
        o('      <Directory Id="ProgramMenuFolder"/>')
        o('      <Directory Id="SystemFolder"/>')
        o('    </Directory>')
        o('    <Feature Id="Product" Title=%s Level="1">' % quoteattr(self.product))
        for cid in self.components:
            o('      <ComponentRef Id="%s"/>' % cid)
        o('    </Feature>')
        o('  </Product>')
        o('</Wix>')
        return "\n".join(self.lines) + "\n"


def read_sequences(msi):
    """The sequence tables of a built package: table -> {action: number}."""
    tables = {}
    for table in ("InstallExecuteSequence", "InstallUISequence"):
        rows = subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True,
                              text=True).stdout.splitlines()[3:]
        tables[table] = {r.split("\t")[0]: int(r.split("\t")[2]) for r in rows if r}
    return tables


def step(table, action, condition, number):
    return insert(table, Action=action, Condition=condition, Sequence=number)


def tables(msi):
    seq = read_sequences(msi)
    execute = seq["InstallExecuteSequence"]
    q = ["UPDATE `Component` SET `Condition` = %s WHERE `Component` = '%s'" % (sql_text(c), cid)
         for cid, c in CONDITIONS]
    q.append("UPDATE `Property` SET `Value` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;SERVICE;STARTUP;"
             "CONFIGLOCATION;PURGE' WHERE `Property` = 'SecureCustomProperties'")
    q.append(insert("LaunchCondition",
                    Condition='CONFIGLOCATION = "user" OR CONFIGLOCATION = "program" OR CONFIGLOCATION = "registry"',
                    Description="CONFIGLOCATION must be user, program or registry."))
    # The machine's environment variable QelConfig=1 (set on install, removed on uninstall).
    q.append("CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE,"
             " `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)")
    q.append(insert("Environment", Environment="QelConfig", Name="=-*QelConfig", Value="1", Component_="ConfigProgram"))
    q.append(step("InstallExecuteSequence", "RemoveEnvironmentStrings", None, execute["RemoveRegistryValues"] + 1))
    q.append(step("InstallExecuteSequence", "WriteEnvironmentStrings", None, execute["WriteRegistryValues"] + 1))
    for number, (action, command, condition) in enumerate((
            ("PurgeProgramFolder", PURGE_COMMAND, PURGING),
            ("RemoveEmptyFolders", FOLDERS_COMMAND, 'REMOVE = "ALL" AND NOT UPGRADINGPRODUCTCODE'))):
        q.append(insert("CustomAction", Action=action, Type=COMMAND_TYPE, Source="SystemFolder", Target=command))
        q.append(step("InstallExecuteSequence", action, condition, execute["RemoveFolders"] + 1 + number))
    for action, prop, value, _ in CHOICES + FOLDERS:
        q.append(insert("CustomAction", Action=action, Type=51, Source=prop, Target=value))
    for action, switch, _, _ in RUNS:
        q.append(insert("CustomAction", Action=action, Type=RUN_TYPE, Source=node_id("F", PROGRAM), Target=switch))
    for table, numbers in seq.items():
        q += [step(table, a, c, numbers["AppSearch"] + 1 + i) for i, (a, _, _, c) in enumerate(CHOICES)]
        q += [step(table, a, c, numbers["CostFinalize"] + 1 + i) for i, (a, _, _, c) in enumerate(FOLDERS)]
    numbers = {"InstallInitialize": execute["InstallInitialize"], "WriteEnvironmentStrings": execute["WriteRegistryValues"] + 1}
    for action, _, condition, after in RUNS:
        numbers[action] = numbers[after] + 1
        q.append(step("InstallExecuteSequence", action, condition, numbers[action]))
    return q


def set_times(msi, epoch):
    """Creation and last-save time of the summary information (msibuild writes the clock's)."""
    lib = ctypes.CDLL("libmsi.so.0")
    lib.libmsi_database_new.restype = ctypes.c_void_p
    lib.libmsi_database_new.argtypes = [ctypes.c_char_p, ctypes.c_uint, ctypes.c_char_p, ctypes.c_void_p]
    lib.libmsi_summary_info_new.restype = ctypes.c_void_p
    lib.libmsi_summary_info_new.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_void_p]
    lib.libmsi_summary_info_set_filetime.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_uint64, ctypes.c_void_p]
    lib.libmsi_summary_info_persist.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    lib.libmsi_database_commit.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    transact, created, last_saved = 4, 12, 13
    db = lib.libmsi_database_new(msi.encode(), transact, None, None)
    info = lib.libmsi_summary_info_new(db, 20, None) if db else None
    filetime = (epoch + 11644473600) * 10000000
    if not (info and lib.libmsi_summary_info_set_filetime(info, created, filetime, None)
            and lib.libmsi_summary_info_set_filetime(info, last_saved, filetime, None)
            and lib.libmsi_summary_info_persist(info, None) and lib.libmsi_database_commit(db, None)):
        sys.exit("cannot set the times of " + msi)


def package_code(dist, version):
    """A package code that changes with every byte and name of the content, and only then."""
    digest = hashlib.sha256(version.encode())
    for folder, dirs, files in sorted(os.walk(dist)):
        dirs.sort()
        for name in sorted(files) + [""]:
            path = os.path.join(folder, name)
            digest.update(os.path.relpath(path, dist).encode() + b"\0")
            if name:
                with open(path, "rb") as f:
                    digest.update(hashlib.sha256(f.read()).digest())
    return guid("package:" + digest.hexdigest())


def zip_folder(folder, archive, epoch):
    """Every file and folder below the folder, sorted, with the same time and modes."""
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    base = os.path.basename(os.path.normpath(folder))
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for root, dirs, files in sorted(os.walk(folder)):
            dirs.sort()
            rel = base if root == folder else os.path.join(base, os.path.relpath(root, folder))
            entry = zipfile.ZipInfo(rel + "/", stamp)
            entry.external_attr = 0o40755 << 16
            z.writestr(entry, b"")
            for name in sorted(files):
                entry = zipfile.ZipInfo(rel + "/" + name, stamp)
                entry.external_attr = 0o100644 << 16
                entry.compress_type = zipfile.ZIP_DEFLATED
                with open(os.path.join(root, name), "rb") as f:
                    z.writestr(entry, f.read())


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "source":
        sys.stdout.write(Source(*args[:4]).text())
    elif command == "tables":
        sys.stdout.write("\n".join(tables(args[0])) + "\n")
    elif command == "times":
        set_times(args[0], int(args[1]))
    elif command == "code":
        print(package_code(args[0], args[1]))
    elif command == "zip":
        zip_folder(args[0], args[1], int(args[2]))


if __name__ == "__main__":
    main()
