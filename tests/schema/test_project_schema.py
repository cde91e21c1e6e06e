"""The project file's JSON Schema: docs/project.schema.json is what `lnxpack schema`
prints, every example project and the end-to-end tests' project shape are valid, and what
the schema refuses lnxpack refuses too (and the other way round for what it accepts)."""

import json
import os
import pathlib
import subprocess
import sys

import jsonschema
import pytest

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
SCHEMA_FILE = REPOSITORY / "docs" / "project.schema.json"
LNXPACK = pathlib.Path(os.environ.get("LNX_PACK") or REPOSITORY / "build" / "host" / "tools" / "lnxpack" / "lnxpack")


def without_comments(text: str) -> str:
    """Project files may hold // and /* */ comments, which Python's json does not read."""
    out, i, in_string = [], 0, False
    while i < len(text):
        c = text[i]
        if in_string:
            out.append(c)
            if c == "\\":
                out.append(text[i + 1])
                i += 1
            elif c == '"':
                in_string = False
        elif text.startswith("//", i):
            i = text.find("\n", i) - 1 if "\n" in text[i:] else len(text)
        elif text.startswith("/*", i):
            i = text.index("*/", i) + 1
        else:
            in_string = c == '"'
            out.append(c)
        i += 1
    return "".join(out)


@pytest.fixture(scope="module")
def validator():
    schema = json.loads(SCHEMA_FILE.read_text(encoding="utf-8"))
    jsonschema.Draft202012Validator.check_schema(schema)
    return jsonschema.Draft202012Validator(schema)


def lnxpack_problem(project: dict, directory: pathlib.Path) -> str:
    """lnxpack's one line for the project, built without a stub: "no stub" when it read the project."""
    project_file = directory / "project.json"
    project_file.write_text(json.dumps(project, ensure_ascii=False), encoding="utf-8")
    result = subprocess.run([str(LNXPACK), "build", str(project_file), "-o", str(directory / "out.exe")],
                            capture_output=True, text=True)
    assert result.returncode == 2
    return result.stderr


def test_the_committed_schema_is_what_lnxpack_prints():
    printed = subprocess.run([str(LNXPACK), "schema"], capture_output=True, check=True).stdout
    assert printed == SCHEMA_FILE.read_bytes(), "run: lnxpack schema > docs/project.schema.json"


def test_the_examples_and_the_end_to_end_projects_are_valid(validator, tmp_path):
    examples = sorted((REPOSITORY / "examples").glob("*/project.json"))
    assert examples
    for example in examples:
        project = json.loads(without_comments(example.read_text(encoding="utf-8")))
        assert project["$schema"] == os.path.relpath(SCHEMA_FILE, example.parent)
        validator.validate(project)
    sys.path.insert(0, str(REPOSITORY / "tests" / "e2e"))
    from test_lnxpack_exe import write_project  # the end-to-end tests' fullest project
    (tmp_path / "jre").mkdir()
    validator.validate(json.loads(write_project(tmp_path, tmp_path / "jre").read_text(encoding="utf-8")))


BASE = {"files": [{"name": "lnxruntime.jar", "source": "a.jar"}]}
REFUSED = [
    ({"stubb": "x.exe"}, 'project: unknown key "stubb"'),
    ({"config": {"singleInstance": "yes"}}, 'config "singleInstance": must be true or false'),
    ({"config": {"launcherType": "five"}}, 'config "launcherType": must be a whole number'),
    ({"config": {"minJavaVersion": "1.8+"}}, 'config "minJavaVersion": must be a Java version'),
    ({"config": {"launcherFamily": "x"}}, 'config "launcherFamily": must be "i"'),
    ({"config": {"mainClas": "x.Y"}}, '"mainClas" is neither a configuration name nor a decimal id'),
    ({"config": {"includedFileCount": 3}}, "is filled from \"files\" and cannot be set"),
    ({"config": {"4711": "x"}}, "the launcher reads no configuration 4711"),
    ({"messages": {"4711": "x"}}, '"4711" is no message id the launcher knows'),
    ({"localisedSets": [{"locale": "zh-CN", "messages": {}}]}, '"zh-CN" is not a locale name'),
    ({"localisedSets": [{"locale": "zh", "messages": {"20013": None}}]}, "a message must be a string"),
    ({"files": [{"name": "a\\b\\c.txt", "source": "a"}]}, "has more than one directory level"),
    ({"files": [{"name": "a.txt", "source": "a", "mode": 1}]}, 'files[0]: unknown key "mode"'),
    ({"runtime": {"directory": "jre", "pack": True}}, 'runtime: unknown key "pack"'),
    ({"runtime": {"packed": True}}, 'runtime: "directory" is missing'),
    ({"$schema": 1}, '"$schema" must be string'),
]
ACCEPTED = [
    {"$schema": "../docs/project.schema.json"},
    {"rawIds": True, "config": {"4711": "x"}, "messages": {"4711": "x"}},
    {"config": {"singleInstance": 1, "launcherType": "5", "minJavaVersion": "11.0.2", "launcherFamily": "e",
                "applicationId": None, "10201": "-Xmx1g"}},
    {"localisedSets": [{"locale": "zh_CN", "messages": {"20013": "示例"}}]},
]


@pytest.mark.parametrize("change,problem", REFUSED, ids=[p for _, p in REFUSED])
def test_what_the_schema_refuses_lnxpack_refuses(validator, tmp_path, change, problem):
    project = {**BASE, **change}
    assert not validator.is_valid(project)
    assert problem in lnxpack_problem(project, tmp_path)


@pytest.mark.parametrize("change", ACCEPTED, ids=[json.dumps(c)[:40] for c in ACCEPTED])
def test_what_the_schema_accepts_lnxpack_reads(validator, tmp_path, change):
    project = {**BASE, **change}
    if change.get("config", {}).get("10201"):
        project["config"]["versionOptionLineCount"] = 1
    validator.validate(project)
    assert "no stub" in lnxpack_problem(project, tmp_path)
