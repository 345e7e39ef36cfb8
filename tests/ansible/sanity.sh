#!/bin/sh
# The collection's sanity checks, in an empty network namespace where one can be made: the
# ansible-test sanity tests that run on Debian's ansible-core alone (the others set up virtual
# environments with pip; doc_matches_options.py stands in for validate-modules), then Debian's
# pycodestyle and yamllint with the settings ansible-test gives them.
#   sanity.sh [ANSIBLE_TEST]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
collection=$here/../../ansible_collections/ondrel/site
ansible_test=${1:-ansible-test}
# ansible-test's own Python, which has Debian's pycodestyle beside it.
python=$(head -n 1 "$(command -v "$ansible_test")" | sed 's/^#! *//; s/ .*//')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" ANSIBLE_HOME="$work/ansible"
isolate=""
unshare -rn true 2>/dev/null && isolate="unshare -rn"

set --
for t in action-plugin-docs changelog compile empty-init future-import-boilerplate ignores \
    line-endings metaclass-boilerplate no-assert no-basestring no-dict-iteritems no-dict-iterkeys \
    no-dict-itervalues no-get-exception no-illegal-filenames no-main-display no-smart-quotes \
    no-unicode-literals replace-urlopen shebang symlinks use-argspec-type-path use-compat-six; do
    set -- "$@" --test "$t"
done
(cd "$collection" && $isolate "$ansible_test" sanity --color no \
    --python "$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')" "$@")

# shellcheck disable=SC2046
"$python" -m pycodestyle --max-line-length 160 --ignore E402,W503,W504,E741 \
    $(find "$collection/plugins" "$here" -name '*.py')
settings=$("$python" -c 'import ansible_test, os; print(os.path.dirname(ansible_test.__file__))')
yamllint -s -c "$settings/_util/controller/sanity/yamllint/config/default.yml" \
    "$collection/galaxy.yml" "$collection/meta" "$here"/*.yml
echo "sanity: passed"
