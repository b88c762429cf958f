#!/bin/sh
# Rebuilds the fixtures of the compiled-Java tests: class files from src/
# with javac (release 17), a JAR made by the jar tool (deflated entries
# with data descriptors), a ZIP made by zip (one stored, two deflated
# entries) and a gzip file.  The tests read the committed bytes.
set -eu
cd "$(dirname "$0")"
javac --release 17 -d . src/com/acme/util/*.java src/Plain.java
rm -f tool.jar mixed.zip
jar cf tool.jar com Plain.class
zip -q -X -0 mixed.zip Plain.class
zip -q -X -9 mixed.zip 'Plain$Base.class' com/acme/util/Shape.class
gzip -9 -c com/acme/util/Tool.class > Tool.class.gz
