#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: ondrel_devices
short_description: List the IP cameras on a site's LAN
version_added: 1.0.0
description:
  - Runs C(ondrel-cli search --format json) on the managed host and returns every device that
    answered, with the fields the CLI names (C(IP), C(Mac), C(Adapter), C(Protocol) and so on).
  - Changes nothing; a search is harmless, so it also runs in check mode.
  - With I(details), also reads each ONVIF camera's maker, model, firmware, serial, host name,
    clock and time servers (C(search --details)); with I(password) the account goes to one
    camera at a time until one takes it, and after three refusals no other camera is asked.
options:
  protocol:
    description:
      - Which search finds the devices, the CLI's C(--protocol).
      - C(native) is Ondrel's broadcast, C(onvif) WS-Discovery, C(all) both.
    type: str
    choices: [native, onvif, all]
    default: all
  rounds:
    description:
      - Searches up to this many times, half a second apart, until one loses no reply to a full
        receive buffer (the CLI's C(--rounds)).
    type: int
    default: 1
  details:
    description:
      - Reads each camera's details (the CLI's C(--details)), and every device gains C(Manufacturer),
        C(Model), C(Firmware), C(Serial), C(HardwareId), C(Hostname), C(ClockOffset) (seconds,
        the camera's clock minus the managed host's), C(TimeZone), C(TimeSource), C(Ntp) and
        C(Details) (C(read), C(partial) and what was not read, C(refused), C(not asked),
        C(no answer), or C(failed) and why).
      - Without I(password) only what cameras tell anyone is read (the clock and host name).
      - The task fails when every camera asked refused the account (exit 3).
    type: bool
    default: false
  user:
    description: The cameras' account, for I(details).
    type: str
    default: admin
  password:
    description:
      - The cameras' password, for I(details); passed to the CLI on standard input, never on
        its command line. Keep it in Ansible Vault.
    type: str
extends_documentation_fragment:
  - ondrel.site.cli
attributes:
  check_mode:
    support: full
    description: A search changes nothing; it runs in check mode too.
  diff_mode:
    support: none
    description: Nothing changes, so there is nothing to compare.
author:
  - Ondrel developers (@ondrel)
'''

EXAMPLES = r'''
- name: List the cameras the site's box sees on its camera adapter
  ondrel.site.ondrel_devices:
    interfaces: [eth1]
    wait: 2
  register: found

- name: Keep a record of the site
  ansible.builtin.copy:
    content: "{{ found.devices | to_nice_json }}"
    dest: "records/{{ inventory_hostname }}.json"
  delegate_to: localhost

- name: Firmware of every camera, with the account from the vault
  ondrel.site.ondrel_devices:
    details: true
    user: admin
    password: "{{ vault_camera_password }}"
  register: inventory

- name: Cameras still at the factory address
  ansible.builtin.debug:
    msg: "{{ found.devices | selectattr('IP', 'equalto', '192.168.0.64') | map(attribute='Mac') }}"
'''

RETURN = r'''
devices:
  description:
    - Every device that answered, in order of arrival, as C(ondrel-cli search --format json)
      writes it (see C(man ondrel-cli) for the fields).
  returned: success
  type: list
  elements: dict
  sample:
    - IP: 192.168.0.64
      NetMask: 255.255.255.0
      GateWay: 192.168.0.1
      Mac: "00:11:22:33:44:55"
      DevId: "1001"
      DevName: Gate
      Adapter: eth1
      SameSubnet: false
      Mode: static
      Conflict: []
      Protocol: native+onvif
      Manufacturer: HIKVISION
      Model: DS-2CD2043G2-I
      Firmware: V5.5.0 build 170725
      ClockOffset: 3
      Details: read
lost:
  description:
    - Replies lost to a full receive buffer, as the CLI reported them on standard error; 0 when
      none was. Raise I(rounds) to have the CLI search again until none is lost.
  returned: success
  type: int
  sample: 0
rc:
  description: The exit code of C(ondrel-cli).
  returned: always
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ondrel.site.plugins.module_utils.ondrel_cli import (
    EXIT_DONE, OndrelCli, add_flag, module_options, lost_replies)


def main():
    module = AnsibleModule(
        argument_spec=module_options(
            protocol=dict(type='str', choices=['native', 'onvif', 'all'], default='all'),
            rounds=dict(type='int', default=1),
            details=dict(type='bool', default=False),
            user=dict(type='str', default='admin'),
            password=dict(type='str', no_log=True),
        ),
        supports_check_mode=True,
    )
    cli = OndrelCli(module)
    args = ['--protocol', module.params['protocol']]
    add_flag(args, '--rounds', module.params['rounds'])
    password = None
    if module.params['details']:
        args.append('--details')
        password = module.params['password']
        if password is not None:
            args += ['--user', module.params['user']]
    run = cli.run('search', args, password=password)
    if run.rc != EXIT_DONE:
        cli.fail(run, changed=False)
    if not isinstance(run.report, list):
        cli.fail(run, 'ondrel-cli search wrote no list of devices', changed=False)
    # What the search could not see (lost replies, an adapter that refused it) is worth a
    # warning in the play's output; the list itself stands.
    for line in run.stderr.strip().splitlines():
        module.warn(line)
    module.exit_json(changed=False, rc=run.rc, devices=run.report, lost=lost_replies(run.stderr))


if __name__ == '__main__':
    main()
