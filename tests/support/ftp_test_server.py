#!/usr/bin/python3
"""A scriptable FTP server for the FTP tests, over pyftpdlib (run with /usr/bin/python3).

It serves one folder on 127.0.0.1 and can misbehave on request: DOS-style listings with
"215 Windows_NT", refused commands, a connection dropped or a data connection stalled
after some bytes, a throttled data rate, extra (hostile) names in every listing,
Windows-1252 names without UTF8 in FEAT, downloads cut to half their size (with a SIZE
that agrees) or a SIZE that lies, files that grow once they were sent, renames refused
onto an existing name, and a second user with a home of its own.
"""
import argparse
import errno
import json
import os
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import ThreadedFTPServer


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--dir", required=True)
    p.add_argument("--user", default="")
    p.add_argument("--password", default="")
    p.add_argument("--dos", choices=["12h", "24h"], default=None,
                   help="DOS/IIS LIST lines (12-hour, 2-digit year or 24-hour, 4-digit year)")
    p.add_argument("--refuse", default="", help="commands answered with 550, e.g. STOR,DELE")
    p.add_argument("--drop-after", type=int, default=-1,
                   help="close the whole connection after this many data bytes")
    p.add_argument("--stall-after", type=int, default=-1,
                   help="stop sending or reading data after this many bytes")
    p.add_argument("--rate", type=int, default=0, help="data bytes per second (0 = no limit)")
    p.add_argument("--extra-names", default="",
                   help="JSON list of names added to every listing (files of 5 bytes)")
    p.add_argument("--garbage-line", default="",
                   help="a line of no known form added to every LIST")
    p.add_argument("--cp1252", action="store_true",
                   help="names in Windows-1252, no UTF8 in FEAT")
    p.add_argument("--short-retr", action="store_true",
                   help="RETR sends half of each file, then 226; SIZE says the same half")
    p.add_argument("--size-lie", type=int, default=0,
                   help="SIZE answers this many bytes more than the file holds")
    p.add_argument("--grow-after-retr", action="store_true",
                   help="a file gets more bytes once it has been sent")
    p.add_argument("--refuse-rename-over", action="store_true",
                   help="RNTO onto an existing name is answered with 550")
    p.add_argument("--exit-after-retr", type=int, default=0,
                   help="the server ends (all connections gone) after sending this many files")
    p.add_argument("--second-user", default="",
                   help="name:password:folder, a second user whose home is that subfolder")
    return p.parse_args()


ARGS = parse_args()
EXTRA = json.loads(ARGS.extra_names) if ARGS.extra_names else []
FIXED_TIME = time.gmtime(1374731340)  # 2013-07-25 05:49 UTC


def recode(line):
    return line.decode("utf8").encode("cp1252") if ARGS.cp1252 else line


class Limited:
    """A file whose data stops (drop or stall) after a number of bytes."""

    def __init__(self, f, fs):
        self._f = f
        self._fs = fs
        self._count = 0
        self.name = f.name
        self.closed = False

    def _limit(self, n):
        self._count += n
        if ARGS.stall_after >= 0 and self._count > ARGS.stall_after:
            time.sleep(3600)
        if ARGS.drop_after >= 0 and self._count > ARGS.drop_after:
            handler = self._fs.cmd_channel
            handler.ioloop.call_later(0, handler.close)
            raise OSError("connection dropped by the test server")

    def read(self, n=-1):
        data = self._f.read(n)
        self._limit(len(data))
        return data

    def write(self, data):
        self._limit(len(data))
        return self._f.write(data)

    def close(self):
        self.closed = True
        self._f.close()

    def __getattr__(self, name):
        return getattr(self._f, name)


class Half:
    """A file read as if it ended halfway."""

    def __init__(self, f, size):
        self._f = f
        self._left = size // 2
        self.name = f.name
        self.closed = False

    def read(self, n=-1):
        data = self._f.read(self._left if n < 0 else min(n, self._left))
        self._left -= len(data)
        return data

    def close(self):
        self.closed = True
        self._f.close()

    def __getattr__(self, name):
        return getattr(self._f, name)


class TestFS(AbstractedFS):
    def open(self, filename, mode):
        f = super().open(filename, mode)
        if ARGS.drop_after >= 0 or ARGS.stall_after >= 0:
            return Limited(f, self)
        if ARGS.short_retr and "r" in mode:
            return Half(f, os.path.getsize(filename))
        return f

    def getsize(self, path):
        size = super().getsize(path)
        return (size // 2 if ARGS.short_retr else size) + ARGS.size_lie

    def rename(self, src, dst):
        if ARGS.refuse_rename_over and os.path.lexists(dst):
            raise OSError(errno.EEXIST, "refusing to rename onto an existing name")
        return super().rename(src, dst)

    def format_list(self, basedir, listing, ignore_err=True):
        if ARGS.dos:
            for name in listing:
                yield recode(self._dos_line(basedir, name).encode("utf8"))
        else:
            for line in super().format_list(basedir, listing, ignore_err):
                yield recode(line)
        for name in EXTRA:
            if ARGS.dos:
                line = "07-25-13  05:49AM                    5 %s\r\n" % name
            else:
                line = "-rw-r--r--   1 owner    group           5 Jul 25  2013 %s\r\n" % name
            yield recode(line.encode("utf8", "surrogateescape"))
        if ARGS.garbage_line:
            yield recode((ARGS.garbage_line + "\r\n").encode("utf8"))

    def format_mlsx(self, basedir, listing, perms, facts, ignore_err=True):
        for line in super().format_mlsx(basedir, listing, perms, facts, ignore_err):
            yield recode(line)
        for name in EXTRA:
            line = "type=file;size=5;modify=20130725054900; %s\r\n" % name
            yield recode(line.encode("utf8", "surrogateescape"))
        if ARGS.garbage_line:
            yield recode((ARGS.garbage_line + "\r\n").encode("utf8"))

    def _dos_line(self, basedir, name):
        st = self.lstat(os.path.join(basedir, name))
        t = time.gmtime(st.st_mtime)
        if ARGS.dos == "12h":
            hour = t.tm_hour % 12 or 12
            stamp = "%02d-%02d-%02d  %02d:%02d%s" % (
                t.tm_mon, t.tm_mday, t.tm_year % 100, hour, t.tm_min,
                "PM" if t.tm_hour >= 12 else "AM")
        else:
            stamp = "%02d-%02d-%04d  %02d:%02d" % (
                t.tm_mon, t.tm_mday, t.tm_year, t.tm_hour, t.tm_min)
        if self.isdir(os.path.join(basedir, name)):
            return "%s       <DIR>          %s\r\n" % (stamp, name)
        return "%s %20d %s\r\n" % (stamp, st.st_size, name)


class TestHandler(FTPHandler):
    abstracted_fs = TestFS
    use_sendfile = False
    # Quick answers to clients that leave without QUIT.
    timeout = 60

    def decode(self, data):
        if ARGS.cp1252:
            return data.decode("cp1252", self.unicode_errors)
        return super().decode(data)

    def ftp_FEAT(self, line):
        features = ["EPRT", "EPSV", "MDTM", "SIZE", "REST STREAM", "TVFS"]
        if not ARGS.cp1252:
            features.append("UTF8")
        if not ARGS.dos:
            features.append("MLST type*;size*;modify*;")
        self.push("211-Features supported:\r\n")
        self.push("".join(" %s\r\n" % x for x in sorted(features)))
        self.respond("211 End FEAT.")

    def ftp_SYST(self, line):
        self.respond("215 Windows_NT" if ARGS.dos else "215 UNIX Type: L8")

    sent = 0

    def on_file_sent(self, file):
        if ARGS.grow_after_retr:
            with open(file, "ab") as f:
                f.write(b" and more")
        TestHandler.sent += 1
        if ARGS.exit_after_retr and TestHandler.sent >= ARGS.exit_after_retr:
            os._exit(0)


def refuse(command):
    def answer(self, *args, **kwargs):
        self.respond("550 %s refused by the test server." % command)
    return answer


def main():
    authorizer = DummyAuthorizer()
    if ARGS.user:
        authorizer.add_user(ARGS.user, ARGS.password, ARGS.dir, perm="elradfmwMT")
    else:
        authorizer.add_anonymous(ARGS.dir, perm="elradfmwMT")
    if ARGS.second_user:
        name, password, folder = ARGS.second_user.split(":", 2)
        home = os.path.join(ARGS.dir, folder)
        os.makedirs(home, exist_ok=True)
        authorizer.add_user(name, password, home, perm="elradfmwMT")
    TestHandler.authorizer = authorizer
    for command in filter(None, ARGS.refuse.split(",")):
        setattr(TestHandler, "ftp_" + command.upper(), refuse(command.upper()))
    if ARGS.dos:
        # Clients must fall back to LIST.
        TestHandler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items()
                                  if k not in ("MLSD", "MLST")}
    if ARGS.rate > 0:
        dtp = ThrottledDTPHandler
        dtp.read_limit = ARGS.rate
        dtp.write_limit = ARGS.rate
        TestHandler.dtp_handler = dtp
    server = ThreadedFTPServer(("127.0.0.1", ARGS.port), TestHandler)
    print("ready on port %d" % ARGS.port, file=sys.stderr, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
