#!/usr/bin/env python3
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""ansible-doc loads every module of ondrel.site, and the options each documents (its own and
the shared fragment's, down to suboptions) are the options its AnsibleModule takes, with the
same type, elements, default, choices and required; every password is no_log. Run with the
Python that runs Ansible (ansible-doc's interpreter)."""

import glob
import importlib
import json
import os
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MODULES = sorted(os.path.basename(p)[:-3] for p in glob.glob(
    os.path.join(REPO, 'ansible_collections/ondrel/site/plugins/modules/ondrel_*.py')))


class OptionsCaught(Exception):
    pass


def options_taken(name):
    """The options module `name` gives AnsibleModule, caught before it reads any parameter."""
    module = importlib.import_module('ansible_collections.ondrel.site.plugins.modules.' + name)

    def catch(**kwargs):
        raise OptionsCaught(kwargs['argument_spec'])

    module.AnsibleModule = catch
    try:
        module.main()
    except OptionsCaught as caught:
        return caught.args[0]
    raise AssertionError(name + ' never built an AnsibleModule')


def options(table, nested):
    """Each option's shape, by name, from what a module takes (nested='options') or its
    documentation (nested='suboptions')."""
    return {name: dict(type=o.get('type', 'str'), elements=o.get('elements'),
                       default=o.get('default'), choices=o.get('choices'),
                       required=o.get('required', False),
                       options=options(o[nested], nested) if nested in o else None)
            for name, o in table.items()}


def main():
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=REPO, HOME=work,
                   ANSIBLE_HOME=os.path.join(work, 'ansible'),
                   ANSIBLE_LOCAL_TEMP=os.path.join(work, 'tmp'))
        docs = json.loads(subprocess.run(
            [os.environ.get('ONDREL_ANSIBLE_DOC', 'ansible-doc'), '--json', '-t', 'module']
            + ['ondrel.site.' + n for n in MODULES], env=env, check=True,
            stdout=subprocess.PIPE, universal_newlines=True).stdout)
    from ansible.utils.collection_loader._collection_finder import _AnsibleCollectionFinder
    _AnsibleCollectionFinder(paths=[REPO])._install()
    failures = [] if MODULES == ['ondrel_assign', 'ondrel_device', 'ondrel_devices'] \
        else ['modules: %s' % MODULES]
    for name in MODULES:
        doc, table = docs['ondrel.site.' + name], options_taken(name)
        documented, taken = options(doc['doc']['options'], 'suboptions'), options(table, 'options')
        failures += ['%s: %s documented %s, taken %s' % (name, o, documented.get(o), taken.get(o))
                     for o in sorted(set(documented) | set(taken)) if documented.get(o) != taken.get(o)]
        if not doc['doc']['short_description'] or 'rc' not in doc['return']:
            failures.append(name + ': no short description or no rc among its returns')
        failures += ['%s: %s is logged' % (name, option) for option, o in table.items()
                     if 'password' in option and not o.get('no_log')]
    print('\n'.join(failures or ['%d modules: documented as they take their options' % len(MODULES)]))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
