#!/usr/bin/python3
"""Writes a test CA and server certificates signed by it into a folder (PEM files).

  ca.pem                     the CA a test client trusts
  good.pem / good.key        for 127.0.0.1, valid now
  expired.pem / expired.key  for 127.0.0.1, expired yesterday
  wronghost.pem / .key       valid now, but for the name other.invalid only
  selfsigned.pem / .key      for 127.0.0.1, signed by itself (no CA vouches for it)

Run with /usr/bin/python3 (Debian's python3-cryptography).
"""
import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID


def key():
    return ec.generate_private_key(ec.SECP256R1())


def write(folder, name, cert, private):
    with open(os.path.join(folder, name + ".pem"), "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    if private is not None:
        with open(os.path.join(folder, name + ".key"), "wb") as f:
            f.write(private.private_bytes(serialization.Encoding.PEM,
                                          serialization.PrivateFormat.TraditionalOpenSSL,
                                          serialization.NoEncryption()))
        os.chmod(os.path.join(folder, name + ".key"), 0o600)


def build(subject_cn, issuer_name, issuer_key, public, start, end, san, ca=False):
    builder = (x509.CertificateBuilder()
               .subject_name(x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, subject_cn)]))
               .issuer_name(issuer_name)
               .public_key(public)
               .serial_number(x509.random_serial_number())
               .not_valid_before(start)
               .not_valid_after(end)
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if san is not None:
        builder = builder.add_extension(x509.SubjectAlternativeName(san), critical=False)
    return builder.sign(issuer_key, hashes.SHA256())


def main():
    folder = sys.argv[1]
    now = datetime.datetime.utcnow()
    day = datetime.timedelta(days=1)
    loopback = [x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]

    ca_key = key()
    ca_name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "Ferrolin test CA")])
    ca = build("Ferrolin test CA", ca_name, ca_key, ca_key.public_key(), now - day, now + 30 * day,
               None, ca=True)
    write(folder, "ca", ca, None)

    for name, start, end, san in (
            ("good", now - day, now + 30 * day, loopback),
            ("expired", now - 10 * day, now - day, loopback),
            ("wronghost", now - day, now + 30 * day, [x509.DNSName("other.invalid")])):
        private = key()
        cn = "other.invalid" if name == "wronghost" else "127.0.0.1"
        write(folder, name, build(cn, ca_name, ca_key, private.public_key(), start, end, san), private)

    private = key()
    own = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "127.0.0.1")])
    write(folder, "selfsigned",
          build("127.0.0.1", own, private, private.public_key(), now - day, now + 30 * day, loopback),
          private)


if __name__ == "__main__":
    main()
