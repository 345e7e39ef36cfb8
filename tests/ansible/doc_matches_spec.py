#!/usr/bin/env python3
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""ansible-doc loads every module of ondrel.site, and the options each documents (its own and
the shared fragment's, down to suboptions) are the options its AnsibleModule takes, with the
same type, elements, default, choices and required; every password is no_log.

Run with the Python that runs Ansible (ansible-doc's interpreter)."""

import glob
import importlib
import json
import os
import subprocess
import sys
import tempfile
import unittest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MODULES = os.path.join(REPO, 'ansible_collections', 'ondrel', 'site', 'plugins', 'modules')
ANSIBLE_DOC = os.environ.get('ONDREL_ANSIBLE_DOC', 'ansible-doc')


class SpecCaught(Exception):
    """Carries the keyword arguments a module gave AnsibleModule."""

    def __init__(self, kwargs):
        super(SpecCaught, self).__init__('AnsibleModule called')
        self.kwargs = kwargs


def argument_spec(name):
    """The argument spec module `name` builds, caught before it reads any parameter."""
    module = importlib.import_module('ansible_collections.ondrel.site.plugins.modules.' + name)

    def catch(**kwargs):
        raise SpecCaught(kwargs)

    module.AnsibleModule = catch
    try:
        module.main()
    except SpecCaught as caught:
        return caught.kwargs['argument_spec']
    raise AssertionError(name + ' never built an AnsibleModule')


def options(table, nested):
    """Each option's shape, by name, from an argument spec (nested='options') or its
    documentation (nested='suboptions')."""
    return {name: dict(type=o.get('type', 'str'), elements=o.get('elements'),
                       default=o.get('default'), choices=o.get('choices'),
                       required=o.get('required', False),
                       options=options(o[nested], nested) if nested in o else None)
            for name, o in table.items()}


class DocMatchesSpec(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        cls.names = sorted(os.path.basename(p)[:-3] for p in glob.glob(MODULES + '/ondrel_*.py'))
        env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=REPO, HOME=cls.work.name,
                   ANSIBLE_HOME=os.path.join(cls.work.name, 'ansible'),
                   ANSIBLE_LOCAL_TEMP=os.path.join(cls.work.name, 'tmp'))
        out = subprocess.run([ANSIBLE_DOC, '--json', '-t', 'module']
                             + ['ondrel.site.' + n for n in cls.names],
                             env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             universal_newlines=True, check=True)
        cls.docs = json.loads(out.stdout)
        from ansible.utils.collection_loader._collection_finder import _AnsibleCollectionFinder
        _AnsibleCollectionFinder(paths=[REPO])._install()

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_every_module_is_documented_as_it_takes_its_options(self):
        self.assertEqual(self.names, ['ondrel_assign', 'ondrel_device', 'ondrel_devices'])
        for name in self.names:
            with self.subTest(module=name):
                doc = self.docs['ondrel.site.' + name]['doc']
                self.assertTrue(doc['short_description'])
                self.assertIn('rc', self.docs['ondrel.site.' + name]['return'])
                spec = argument_spec(name)
                self.assertEqual(options(doc['options'], 'suboptions'), options(spec, 'options'))
                for option, o in spec.items():
                    if 'password' in option:
                        self.assertTrue(o.get('no_log'), option + ' is logged')


if __name__ == '__main__':
    unittest.main(verbosity=2)
