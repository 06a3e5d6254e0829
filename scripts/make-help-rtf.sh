#!/usr/bin/env bash
# Regenerates the program's help file, src/ui/resources/help/Help.rtf, from docs/help.md.
# Run it after every change of docs/help.md and commit both; the build only embeds the RTF.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v pandoc >/dev/null || scripts/install-deps.sh pandoc
mkdir -p src/ui/resources/help
# Plain RTF of pandoc's standalone writer: headings are bold, larger paragraphs with an
# outline level, list items carry their marker and a hanging indent, code is in a \fmodern
# font. That is all our reader needs.
pandoc --from markdown --to rtf --standalone docs/help.md -o src/ui/resources/help/Help.rtf
echo "wrote src/ui/resources/help/Help.rtf"
