#!/usr/bin/env python3
"""validate_json.py SCHEMA FILE [--lines]: validates FILE (one JSON document, or with --lines each of its lines)
against SCHEMA, a schema of the repo's schemas/ folder (draft 2020-12), the other schemas there known by their $id.
Prints what does not validate and exits 1; exits 0 when everything does."""
import json
import pathlib
import sys

import jsonschema

schema_dir = pathlib.Path(__file__).resolve().parents[2] / "schemas"
schemas = [json.loads(p.read_text(encoding="utf-8")) for p in sorted(schema_dir.glob("*.schema.json"))]


def validator(schema):
    cls = jsonschema.Draft202012Validator
    try:  # jsonschema 4.18 and later
        from referencing import Registry, Resource
        registry = Registry().with_resources((s["$id"], Resource.from_contents(s)) for s in schemas)
        return cls(schema, registry=registry)
    except ImportError:  # Debian 12's 4.10
        resolver = jsonschema.RefResolver.from_schema(schema, store={s["$id"]: s for s in schemas})
        return cls(schema, resolver=resolver)


def main():
    schema = json.loads(pathlib.Path(sys.argv[1]).read_text(encoding="utf-8"))
    jsonschema.Draft202012Validator.check_schema(schema)
    text = pathlib.Path(sys.argv[2]).read_text(encoding="utf-8")
    documents = [line for line in text.splitlines() if line.strip()] if "--lines" in sys.argv[3:] else [text]
    if not documents:
        print(f"{sys.argv[2]}: nothing to validate")
        return 1
    check = validator(schema)
    failed = 0
    for n, document in enumerate(documents, 1):
        try:
            value = json.loads(document)
        except ValueError as e:
            print(f"{sys.argv[2]}:{n}: not JSON: {e}")
            failed += 1
            continue
        for error in check.iter_errors(value):
            print(f"{sys.argv[2]}:{n}: {error.json_path}: {error.message}")
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
