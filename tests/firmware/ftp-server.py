"""An FTP server for the firmware download tests, on 127.0.0.1:21.

It connects back to the test at --control HOST:PORT and lives as long as
that connection. The test sends lines:

    root PATH          serve PATH (a Unix path) as the server's root
    throttle BYTES     limit each transfer to BYTES a second (0: no limit)
    stall BYTES        hold each file transfer, connection open, once it has
                       sent BYTES; 0 lets held transfers go on
    extra NAME         also list NAME, which is no file, in Q7/firmware
    clear              forget the extra names
    time               just "ok", with the time
    quit               close the server and end

and reads lines: "ready" once the server listens (or "error TEXT"),
"retr NAME" when a file is asked for, "stalled NAME" when its transfer is
held, "sent NAME" and "incomplete NAME" when its transfer ends, "list" and "listed" around a listing, "ok" after
each other request. Times go with the events as "@MS" since the start, for the
benchmark.

Listings come newest name first, so that an older file of a kind follows a
newer one.
"""
import argparse
import logging
import os
import socket
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

ADDRESS = ("127.0.0.1", 21)
START = time.monotonic()
settings = {"root": None, "extra": [], "stall": 0}
control = None
control_lock = threading.Lock()


def tell(line):
    stamp = int((time.monotonic() - START) * 1000)
    with control_lock:
        control.sendall(("%s @%d\n" % (line, stamp)).encode("utf-8"))


class ListingFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        yield from super().format_list(basedir, sorted(listing, reverse=True), ignore_err)
        if os.path.basename(basedir) == "firmware":
            for name in settings["extra"]:
                line = "-rw-r--r--   1 owner    group          16 Jan 01 00:00 %s\r\n" % name
                yield line.encode("utf-8")


class Throttled(ThrottledDTPHandler):
    write_limit = 0
    sent = 0
    held = False

    def send(self, data):
        stall = settings["stall"] if self.file_obj else 0
        if stall:
            data = data[:max(stall - self.sent, 0)]
        sent = super().send(data) if data else 0
        self.sent += sent
        if stall and self.sent >= stall and not self.held:
            self.held = True
            self.del_channel()
            tell("stalled " + os.path.basename(self.file_obj.name))
            self.ioloop.call_later(0.05, self.release, _errback=self.handle_error)
        return sent

    # Polled on the server's own thread, which alone may touch the channel.
    def release(self):
        if self._closed:
            return
        if settings["stall"]:
            self.ioloop.call_later(0.05, self.release, _errback=self.handle_error)
            return
        self.held = False
        self.add_channel(events=self.ioloop.WRITE)


class Handler(FTPHandler):
    abstracted_fs = ListingFS
    dtp_handler = Throttled

    def ftp_RETR(self, file):
        tell("retr " + os.path.basename(file))
        return super().ftp_RETR(file)

    def on_file_sent(self, file):
        tell("sent " + os.path.basename(file))

    def on_incomplete_file_sent(self, file):
        tell("incomplete " + os.path.basename(file))

    def ftp_LIST(self, path):
        tell("list")
        result = super().ftp_LIST(path)
        tell("listed")
        return result


def serve(server):
    try:
        server.serve_forever(handle_exit=False)
    except Exception:
        pass


def main():
    global control
    logging.basicConfig(level=logging.WARNING)
    parser = argparse.ArgumentParser()
    parser.add_argument("--control", required=True)
    host, port = parser.parse_args().control.rsplit(":", 1)
    control = socket.create_connection((host, int(port)))
    reader = control.makefile("r", encoding="utf-8", newline="\n")
    server = None
    for line in reader:
        command, _, argument = line.rstrip("\n").partition(" ")
        if command == "root":
            settings["root"] = argument
        elif command == "throttle":
            Throttled.write_limit = int(argument)
        elif command == "stall":
            settings["stall"] = int(argument)
        elif command == "extra":
            settings["extra"].append(argument)
        elif command == "clear":
            settings["extra"].clear()
        elif command == "quit":
            break
        if command != "root" or server:
            tell("ok")
            continue
        try:
            authorizer = DummyAuthorizer()
            authorizer.add_anonymous(argument)
            Handler.authorizer = authorizer
            server = FTPServer(ADDRESS, Handler)
        except Exception as error:
            tell("error %s" % error)
            continue
        threading.Thread(target=serve, args=(server,), daemon=True).start()
        tell("ready")
    # Ending the process closes the listening socket with everything else.
    os._exit(0)


if __name__ == "__main__":
    main()
