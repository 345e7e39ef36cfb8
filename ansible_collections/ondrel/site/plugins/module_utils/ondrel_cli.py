# -*- coding: utf-8 -*-
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""Runs ondrel-cli for the collection's modules and reads its JSON.

The CLI is the contract: the modules only translate options to its flags and its JSON and exit
code back to a module result. Nothing here searches or sends by itself.
"""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import re

# The CLI's exit codes, as its --help lists them.
EXIT_DONE = 0
EXIT_MEANINGS = {
    1: 'error',
    2: 'bad input',
    3: 'refused',
    4: 'no answer or device missing',
    5: 'not verified',
}

# Where the Debian package puts the CLI, for hosts whose PATH for non-login shells lacks it.
EXTRA_BIN_PATHS = ['/usr/bin', '/usr/local/bin']

LOST_LINE = re.compile(r'(\d+) (?:replies were|reply was) lost\b')

COMMON_OPTIONS = dict(
    cli=dict(type='path'),
    interfaces=dict(type='list', elements='str', default=[]),
    wait=dict(type='float'),
)


def module_options(**own):
    """The module's own options beside the ones every module takes."""
    options = dict(COMMON_OPTIONS)
    options.update(own)
    return options


def lost_replies(stderr):
    """The replies the CLI reported lost to a full receive buffer, else 0."""
    found = LOST_LINE.search(stderr or '')
    return int(found.group(1)) if found else 0


def add_flag(argv, flag, value):
    """Appends flag and value when the value is given."""
    if value is not None:
        argv.extend([flag, str(value)])


class CliRun(object):
    """One finished ondrel-cli run: argv, exit code, output, and its JSON when it wrote some."""

    def __init__(self, argv, rc, stdout, stderr):
        self.argv = argv
        self.rc = rc
        self.stdout = stdout
        self.stderr = stderr
        self.report = None
        self.parse_error = None
        text = (stdout or '').strip()
        if text:
            try:
                self.report = json.loads(text)
            except ValueError as e:
                self.parse_error = 'ondrel-cli wrote no JSON: %s' % e

    def message(self):
        """The CLI's own words for what went wrong, else its exit code's meaning."""
        words = (self.stderr or '').strip()
        if words:
            return words
        return 'ondrel-cli exited with %d (%s)' % (self.rc, EXIT_MEANINGS.get(self.rc, 'unknown'))


class OndrelCli(object):
    """ondrel-cli as the module's parameters configure it."""

    def __init__(self, module):
        self.module = module
        params = module.params
        self.path = params['cli'] or module.get_bin_path('ondrel-cli', required=True,
                                                         opt_dirs=EXTRA_BIN_PATHS)
        self.common = []
        for name in params['interfaces'] or []:
            self.common.extend(['--interface', name])
        add_flag(self.common, '--wait', params['wait'])

    def run(self, command, args, password=None):
        """Runs `ondrel-cli COMMAND ARGS --format json`; a password goes to standard input."""
        argv = [self.path, command] + list(args) + self.common + ['--format', 'json']
        if password is not None:
            argv.append('--password-stdin')
        # run_command appends the newline that ends the CLI's one password line.
        rc, out, err = self.module.run_command(argv, data=password, check_rc=False,
                                               expand_user_and_vars=False)
        run = CliRun(argv, rc, out, err)
        if run.parse_error and rc == EXIT_DONE:
            self.fail(run, run.parse_error)
        return run

    def fail(self, run, msg=None, **results):
        """Fails the task with the CLI's message and whatever the run reported."""
        results.update(rc=run.rc, cmd=run.argv, stderr=run.stderr)
        self.module.fail_json(msg=msg or run.message(), **results)


def report_rows(run, key):
    """A list from the report object of assign and set, empty when the CLI wrote none."""
    if isinstance(run.report, dict):
        return run.report.get(key) or []
    return []


def settings_diff(devices):
    """Check mode's diff: each planned device as `Mac IP` before and `Mac NewIP` after."""
    planned = [d for d in devices if d.get('Result') == 'planned']
    return dict(
        before=''.join('%s %s\n' % (d.get('Mac', ''), d.get('IP', '')) for d in planned),
        after=''.join('%s %s\n' % (d.get('Mac', ''), d.get('NewIP', '')) for d in planned),
        before_header='devices now',
        after_header='devices as planned',
    )


def settings_result(module, cli, run):
    """The result of assign and set: what the report says, and a failure when the exit code
    says something went wrong (after returning what was done)."""
    devices = report_rows(run, 'devices')
    # The CLI's "skipped" under a name of its own: a task result's "skipped" is Ansible's, and
    # a list of addresses there would mark the task skipped and bypass changed_when.
    result = dict(rc=run.rc, devices=devices, skipped_addresses=report_rows(run, 'skipped'))
    if module.check_mode:
        result['changed'] = any(d.get('Result') == 'planned' for d in devices)
        result['diff'] = settings_diff(devices)
    else:
        result['changed'] = bool(isinstance(run.report, dict) and run.report.get('changed'))
    if run.rc != EXIT_DONE:
        cli.fail(run, **result)
    return result
