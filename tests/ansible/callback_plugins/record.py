# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""Writes every task result, as Ansible hands it on (after no_log), to the JSON file named by
ONDREL_ANSIBLE_RECORD, for the lab test to read."""

from __future__ import absolute_import, division, print_function
__metaclass__ = type

import json
import os

from ansible.plugins.callback import CallbackBase


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = 'aggregate'
    CALLBACK_NAME = 'record'
    CALLBACK_NEEDS_ENABLED = True
    results = []

    def v2_runner_on_ok(self, result, status='ok'):
        self.results.append(dict(host=result._host.get_name(), task=result._task.get_name(),
                                 status=status, result=result._result))

    def v2_runner_on_failed(self, result, ignore_errors=False):
        self.v2_runner_on_ok(result, 'failed')

    def v2_playbook_on_stats(self, stats):
        with open(os.environ['ONDREL_ANSIBLE_RECORD'], 'w') as f:
            json.dump(self.results, f, default=str)
