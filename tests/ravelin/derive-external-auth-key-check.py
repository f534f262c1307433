#!/usr/bin/env python3
"""Checks Ravelin's external-authentication key against an independent computation of the
same eleven steps: the shuffles and fills here in Python, the ciphers and digests by the
openssl command-line tool (two-key Triple-DES ECB and CBC without padding, MD4 from its
legacy provider, MD5). Random reset answers of every length from 8 to 64, and the lengths
just outside, which must give no key.

usage: derive-external-auth-key-check.py <PrintExternalAuthKey> <constants file>
Ends with "N passed, N failed"."""
import os
import subprocess
import sys

N = 256


def openssl(args, data):
    return subprocess.run(["openssl", *args], input=data, capture_output=True, check=True).stdout


def des_ede(key, data, iv=None):
    mode = ["-des-ede-cbc", "-iv", iv.hex()] if iv is not None else ["-des-ede-ecb"]
    return openssl(["enc", *mode, "-K", key.hex(), "-nopad"], data)


def digest(name, data, *extra):
    out = openssl(["dgst", "-" + name, "-binary", *extra], data)
    return out


def derive(r, a, c, p, g):
    length = len(r)
    s = bytearray(r[i % length] for i in range(N))
    j = 0
    for i in range(N):
        j = (j + i + s[i]) % N
        s[i], s[j] = s[j], s[i]
    ka = bytes(a[3 * i] for i in range(16))
    kb = bytes(x ^ y for x, y in zip(g[:16], c))
    m = des_ede(ka, bytes(s[16:32]))
    b = bytearray(r)
    for i in range(min(length, 16)):
        b[i] ^= m[i]
    t = bytes(b[(c[i % 16] * (i + 1)) % length] ^ p[i % 128] for i in range(N))
    t = des_ede(kb, t)
    h = digest("md4", t, "-provider", "legacy", "-provider", "default")
    t = des_ede(kb, t, h[:8])
    k2 = digest("md5", bytes(s))
    t = des_ede(k2, t, g[:8])
    return t[N - 32:N - 16]


def read_constants(path):
    values = {}
    for line in open(path, encoding="ascii"):
        line = line.strip()
        if line and not line.startswith("#"):
            name, _, hex_text = line.partition("=")
            values[name] = bytes.fromhex(hex_text)
    return values["A"], values["C"], values["P"], values["G"]


def main():
    tool, constants_path = sys.argv[1], sys.argv[2]
    constants = read_constants(constants_path)
    answers = [os.urandom(length) for length in range(8, 65)]
    outside = [os.urandom(7), os.urandom(65)]
    result = subprocess.run([tool], input="".join(x.hex() + "\n" for x in answers + outside),
                            capture_output=True, text=True, check=True).stdout.split()
    passed = failed = 0
    for answer, got in zip(answers + outside, result):
        expected = derive(answer, *constants).hex() if 8 <= len(answer) <= 64 else "none"
        if got == expected:
            passed += 1
        else:
            failed += 1
            print(f"FAIL: reset answer {answer.hex()}: got {got}, expected {expected}")
    if len(result) != len(answers) + len(outside):
        failed += 1
        print(f"FAIL: {len(result)} keys printed for {len(answers) + len(outside)} answers")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
