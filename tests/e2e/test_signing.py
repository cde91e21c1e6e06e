"""Setup files signed with Authenticode after lnxpack built them, as vendors ship them: the
signature goes after the Payload and the Java-side data, the launcher finds its Payload from
the section table and checks only its own range, so a signed file checks, extracts and
starts; a byte changed after signing fails the signature and the launcher's check alike.
The certificate is a throw-away one made for each test."""

import json
import subprocess

import pytest

from setups import NO_JAVA, build_setup, inspect

JAVA_SIDE_DATA = bytes(range(256)) * 40
CORRUPTED = "The installation file is corrupted. If it is a download please try it again."


@pytest.fixture
def signer(tmp_setup_dir):
    """A self-signed code-signing certificate and its key."""
    key, cert = tmp_setup_dir / "key.pem", tmp_setup_dir / "cert.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key), "-out", str(cert),
                    "-days", "2", "-subj", "/CN=Throwaway Test Signer", "-addext", "extendedKeyUsage=codeSigning"],
                   check=True, capture_output=True)

    def sign(unsigned, signed):
        subprocess.run(["osslsigncode", "sign", "-certs", str(cert), "-key", str(key), "-n", "Test Setup",
                        "-in", str(unsigned), "-out", str(signed)], check=True, capture_output=True)
        return signed

    def verify(setup):
        return subprocess.run(["osslsigncode", "verify", "-in", str(setup), "-CAfile", str(cert)],
                              capture_output=True, text=True)

    sign.verify = verify
    return sign


def signed_setup(lnxpack, launcher, directory, signer):
    (directory / "java-side.bin").write_bytes(JAVA_SIDE_DATA)
    unsigned = build_setup(lnxpack, launcher, directory,
                           {"config": {"searchSequence": "EJAVA_HOME;"}, "javaData": str(directory / "java-side.bin")},
                           name="unsigned.exe")
    return unsigned, signer(unsigned, directory / "setup.exe")


def test_a_signed_setup_checks_extracts_and_starts(wine, runtimes, launcher, lnxpack, tmp_setup_dir, signer):
    java = runtimes.make(tmp_setup_dir / "java8", "1.8.0_201")
    unsigned, signed = signed_setup(lnxpack, launcher, tmp_setup_dir, signer)
    assert signer.verify(signed).returncode == 0

    before, after = inspect(lnxpack, unsigned), inspect(lnxpack, signed)
    assert before["signatureSize"] == 0
    assert after["signatureSize"] > 0 and after["signatureOffset"] >= unsigned.stat().st_size
    assert after["checksumVerdict"] == "ok"
    assert after["unextractedPosition"] == before["unextractedPosition"]
    position = after["unextractedPosition"]
    assert signed.read_bytes()[position:position + len(JAVA_SIDE_DATA)] == JAVA_SIDE_DATA

    result = wine.run(signed, "-q", env={**NO_JAVA, "JAVA_HOME": wine.windows_path(java.home)}, timeout=120)
    assert result.returncode == 0, result.stderr
    report = json.loads((java.home / "bin" / "server" / "jvm-report.json").read_text(encoding="utf-8"))
    assert f"-Dmorva.unextractedPosition={position}" in report["options"], "the Java side reads its data there"


def test_a_byte_changed_after_signing_fails_the_signature_and_the_check(wine, dialogs, launcher, lnxpack,
                                                                       tmp_setup_dir, signer):
    _, signed = signed_setup(lnxpack, launcher, tmp_setup_dir, signer)
    facts = inspect(lnxpack, signed)
    content = bytearray(signed.read_bytes())
    content[facts["files"][0]["dataOffset"] + 10] ^= 0x01
    signed.write_bytes(bytes(content))

    assert signer.verify(signed).returncode != 0
    pending = dialogs.start(process="setup.exe", press_id=1)
    result = wine.run(signed, "-q", env=NO_JAVA, timeout=60)
    reading = pending.result()
    assert result.returncode == 1
    assert reading.message == CORRUPTED
