# -*- coding: utf-8 -*-
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function
__metaclass__ = type


class ModuleDocFragment(object):
    # What every module of the collection takes: where ondrel-cli is, which adapters it may
    # use, and how long it searches.
    DOCUMENTATION = r'''
options:
  cli:
    description:
      - Path of C(ondrel-cli) on the managed host.
      - By default it is found on C(PATH) (and in C(/usr/bin), where the Debian package puts it).
    type: path
  interfaces:
    description:
      - Network adapters of the managed host to search and send through, the CLI's C(--interface).
      - By default every adapter that is up.
      - An adapter the host does not have fails the task; nothing is sent then.
    type: list
    elements: str
    default: []
  wait:
    description:
      - How long the CLI searches, in seconds (its C(--wait); the CLI's default is 3).
    type: float
notes:
  - The modules run C(ondrel-cli) on the managed host and return what its JSON output says; the
    host needs the C(ondrel) package (or the CLI at I(cli)) and no root, so no C(become).
  - C(ondrel-cli) sends UDP broadcasts and WS-Discovery multicasts on the host's LAN.
requirements:
  - ondrel-cli on the managed host
'''
