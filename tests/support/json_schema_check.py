#!/usr/bin/python3
"""Checks documents against JSON Schemas with python3-jsonschema.

Reads a JSON array of [schema file, document, label] from the file named by
its argument; prints one line per fault ("label: path: message") and exits 0,
or exits 2 when a schema itself is not a valid JSON Schema.
"""
import json
import sys

import jsonschema

with open(sys.argv[1], encoding="utf-8") as cases_file:
    cases = json.load(cases_file)
schemas = {}
for schema_path, document, label in cases:
    if schema_path not in schemas:
        with open(schema_path, encoding="utf-8") as schema_file:
            schema = json.load(schema_file)
        validator = jsonschema.validators.validator_for(schema)
        try:
            validator.check_schema(schema)
        except jsonschema.SchemaError as error:
            print(f"{schema_path}: not a JSON Schema: {error.message}")
            sys.exit(2)
        schemas[schema_path] = validator(schema)
    for error in schemas[schema_path].iter_errors(document):
        where = "/".join(str(part) for part in error.absolute_path) or "(top)"
        print(f"{label}: {where}: {error.message}")
