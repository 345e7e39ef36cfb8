#!/bin/sh
# The collection's sanity checks, in an empty network namespace where one can be made:
#  - the ansible-test sanity tests that run on Debian's ansible-core alone (the others build
#    virtual environments with pip, which we do not use: validate-modules is stood in for by
#    doc_matches_spec.py);
#  - Debian's pycodestyle and yamllint with the settings ansible-test gives them.
#
#   sanity.sh [ANSIBLE_TEST]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
collection=$repo/ansible_collections/ondrel/site
ansible_test=${1:-ansible-test}
# The Python that runs Ansible (ansible-test's own), which has Debian's pycodestyle beside it.
python=$(head -n 1 "$(command -v "$ansible_test")" | sed 's/^#! *//; s/ .*//')
version=$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
settings=$("$python" -c 'import ansible_test, os; print(os.path.dirname(ansible_test.__file__))')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work" ANSIBLE_HOME="$work/ansible"
isolate=""
unshare -rn true 2>/dev/null && isolate="unshare -rn"

tests="action-plugin-docs changelog compile empty-init future-import-boilerplate ignores
line-endings metaclass-boilerplate no-assert no-basestring no-dict-iteritems no-dict-iterkeys
no-dict-itervalues no-get-exception no-illegal-filenames no-main-display no-smart-quotes
no-unicode-literals replace-urlopen shebang symlinks use-argspec-type-path use-compat-six"
set --
for t in $tests; do set -- "$@" --test "$t"; done
(cd "$collection" && $isolate "$ansible_test" sanity --color no --python "$version" "$@")

python_files=$(find "$collection/plugins" "$here" -name '*.py' | sort)
# shellcheck disable=SC2086
"$python" -m pycodestyle --max-line-length 160 --ignore E402,W503,W504,E741 $python_files
yamllint -s -c "$settings/_util/controller/sanity/yamllint/config/default.yml" \
    "$collection/galaxy.yml" "$collection/meta" "$here"/*.yml
echo "sanity: passed"
