#!/usr/bin/python3
"""An SMTP server for the alarm tests on 127.0.0.1:PORT (aiosmtpd). Each message that
arrives is saved whole in FOLDER as NNNN.eml, its envelope first as two header lines
(X-Envelope-From, X-Envelope-To), written under a temporary name and renamed, so a
reader never sees half a message.
Usage: smtp_test_server.py PORT FOLDER
"""
import os
import signal
import sys

from aiosmtpd.controller import Controller


class SaveHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        head = "X-Envelope-From: %s\r\nX-Envelope-To: %s\r\n" % (
            envelope.mail_from, ", ".join(envelope.rcpt_tos))
        name = os.path.join(self.folder, "%04d.eml" % self.count)
        with open(name + ".part", "wb") as out:
            out.write(head.encode() + envelope.original_content)
        os.rename(name + ".part", name)
        sys.stderr.write("saved %s\n" % name)
        sys.stderr.flush()
        return "250 Message accepted for delivery"


def main():
    port = int(sys.argv[1])
    controller = Controller(SaveHandler(sys.argv[2]), hostname="127.0.0.1", port=port)
    controller.start()
    signal.sigwait([signal.SIGTERM, signal.SIGINT])
    controller.stop()


if __name__ == "__main__":
    main()
