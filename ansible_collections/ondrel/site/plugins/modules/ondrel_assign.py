#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: ondrel_assign
short_description: Give many cameras on a site's LAN fixed addresses
version_added: 1.0.0
description:
  - Runs C(ondrel-cli assign --format json) on the managed host. The devices chosen by
    I(current_ip), by I(macs) (and I(endpoints)), by I(all) or by an explicit I(plan) get fixed
    addresses, from I(first) upward by ascending MAC in the subnet of I(mask), or as the plan
    says. Addresses that another device, the host or a neighbour holds are passed over and
    reported in C(skipped_addresses).
  - Idempotent. A device whose settings are already those planned is C(unchanged) and is sent
    nothing, and a device that already holds an address of the range keeps it; so the second
    run of the same task reports C(changed=false).
  - A I(current_ip) that no device reports any more is nothing to do (C(changed=false), no
    failure), so a play that addresses new cameras can run every day.
  - The task fails, after returning C(devices) as the CLI reported them, when the CLI's exit
    code says something went wrong (a refusal, no answer, not verified, bad input).
options:
  current_ip:
    description:
      - Chooses every device that now reports this address (cameras out of the box share one
        factory address), the CLI's C(--current-ip).
      - One of I(current_ip), I(macs) (with or without I(endpoints)), I(all) and I(plan).
    type: str
  macs:
    description:
      - Chooses the devices with these MAC addresses; each must answer (C(--mac), repeated).
    type: list
    elements: str
  endpoints:
    description:
      - Chooses cameras by their WS-Discovery endpoint reference, e.g. C(urn:uuid:...)
        (C(--endpoint), repeated); may go with I(macs).
    type: list
    elements: str
  all:
    description:
      - Chooses every device that answers (C(--all)).
    type: bool
  plan:
    description:
      - Each device's address, given explicitly; written to a temporary CSV plan file for
        C(--plan). Takes the place of I(first), I(mask), I(gateway), I(dns) and I(port).
      - A plan that cannot be carried out whole is refused before anything is sent.
    type: list
    elements: dict
    suboptions:
      mac:
        description: The device's MAC address (or give I(endpoint)).
        type: str
      endpoint:
        description: The camera's WS-Discovery endpoint reference, instead of I(mac).
        type: str
      ip:
        description: The device's new address.
        type: str
        required: true
      mask:
        description: Its subnet mask; by default the device keeps its own.
        type: str
      gateway:
        description: Its default gateway (C(0.0.0.0) for none); by default its own.
        type: str
      dns:
        description: Its first DNS server; by default its own.
        type: str
      port:
        description: Its HTTP port; by default its own.
        type: int
  first:
    description:
      - The first address to give (C(--first)); required unless I(plan) is given.
    type: str
  mask:
    description:
      - The subnet mask of the addresses given (C(--mask)); required unless I(plan) is given.
    type: str
  gateway:
    description:
      - Default gateway for every device (C(0.0.0.0) for none); by default each keeps its own.
      - A device's own gateway outside the new subnet refuses the plan until this is given.
    type: str
  dns:
    description: First DNS server for every device; by default each keeps its own.
    type: str
  port:
    description: HTTP port for every device; by default each keeps its own.
    type: int
  protocol:
    description:
      - The protocol that carries the change, the CLI's C(--protocol). C(auto) (the CLI's
        default) sends Ondrel's own request to a device that answered its search and uses the
        ONVIF device service for a camera found by ONVIF alone.
    type: str
    choices: [auto, native, onvif]
  user:
    description: The devices' viewing account.
    type: str
    default: admin
  password:
    description:
      - The devices' viewing password; passed to the CLI on standard input, never on its command
        line. Keep it in Ansible Vault.
      - Required unless in check mode.
    type: str
  verify:
    description:
      - After the restart, searches again and checks every device, the unchanged ones too; a
        device not found with its planned settings fails the task.
    type: bool
    default: false
  restart_wait:
    description:
      - Seconds to wait for the devices' restart before verifying (the CLI's C(--restart-wait));
        only with I(verify).
    type: float
extends_documentation_fragment:
  - ondrel.site.cli
attributes:
  check_mode:
    support: full
    description: Runs C(--dry-run), which searches and plans and sends no settings.
  diff_mode:
    support: partial
    description: In check mode, each planned device as C(Mac IP) before and C(Mac NewIP) after.
author:
  - Ondrel developers (@ondrel)
'''

EXAMPLES = r'''
- name: Give the new cameras (still at the factory address) addresses from .20 up
  ondrel.site.ondrel_assign:
    interfaces: [eth1]
    current_ip: 192.168.0.64
    first: 192.168.1.20
    mask: 255.255.255.0
    gateway: 192.168.1.1
    password: "{{ vault_camera_password }}"
    verify: true
    restart_wait: 20

- name: Two cameras by MAC
  ondrel.site.ondrel_assign:
    macs: ["00:11:22:33:44:55", "00:11:22:33:44:56"]
    first: 10.0.5.100
    mask: 255.255.255.0
    password: "{{ vault_camera_password }}"

- name: Exactly the addresses of the site's record
  ondrel.site.ondrel_assign:
    plan:
      - {mac: "00:11:22:33:44:55", ip: 10.0.5.11, mask: 255.255.255.0, gateway: 10.0.5.1}
      - {mac: "00:11:22:33:44:56", ip: 10.0.5.12, mask: 255.255.255.0, gateway: 10.0.5.1}
    password: "{{ vault_camera_password }}"
    verify: true
'''

RETURN = r'''
devices:
  description:
    - One row per device chosen, as C(ondrel-cli assign --format json) reports it. C(Result) is
      C(planned) (check mode), C(unchanged), C(accepted), C(refused), C(no answer), C(late),
      C(verified), C(not verified), C(missing), C(not sent) or C(failed) with its reason.
  returned: always
  type: list
  elements: dict
  sample:
    - Mac: "00:11:22:33:44:55"
      DevName: Gate
      DevId: "1001"
      Adapter: eth1
      IP: 192.168.0.64
      NewIP: 192.168.1.20
      Result: verified
      Protocol: native
      Endpoint: ""
skipped_addresses:
  description:
    - The addresses passed over, each with C(IP) and C(Reason), as the CLI's C(skipped) lists
      them (named apart from C(skipped), which is Ansible's own key for a skipped task).
  returned: always
  type: list
  elements: dict
  sample:
    - IP: 192.168.1.21
      Reason: 192.168.1.21 is in use
rc:
  description: The exit code of C(ondrel-cli).
  returned: always
  type: int
  sample: 0
'''

import csv
import io
import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ondrel.site.plugins.module_utils.ondrel_cli import (
    OndrelCli, add_flag, module_options, settings_result)

# The plan file's columns as `ondrel-cli search --format csv` names them, by plan key.
PLAN_COLUMNS = [('mac', 'Mac'), ('ip', 'IP'), ('mask', 'NetMask'), ('gateway', 'GateWay'),
                ('dns', 'DNS0'), ('port', 'HttpPort')]
RANGE_OPTIONS = ['first', 'mask', 'gateway', 'dns', 'port']


def plan_csv(rows):
    """The CSV plan file for the CLI; the Endpoint column only when a row names a camera by it."""
    columns = list(PLAN_COLUMNS)
    if any(row.get('endpoint') for row in rows):
        columns.append(('endpoint', 'Endpoint'))
    out = io.StringIO()
    writer = csv.writer(out, lineterminator='\n')
    writer.writerow([name for key, name in columns])
    for row in rows:
        writer.writerow(['' if row.get(key) is None else str(row[key]) for key, name in columns])
    return out.getvalue()


def chosen_devices(module):
    """The CLI's arguments that choose the devices and their addresses."""
    p = module.params
    args = []
    if p['plan']:
        path = os.path.join(module.tmpdir, 'plan.csv')
        with open(path, 'w') as f:
            f.write(plan_csv(p['plan']))
        return ['--plan', path]
    add_flag(args, '--current-ip', p['current_ip'])
    for mac in p['macs'] or []:
        args.extend(['--mac', mac])
    for endpoint in p['endpoints'] or []:
        args.extend(['--endpoint', endpoint])
    if p['all']:
        args.append('--all')
    for name in RANGE_OPTIONS:
        add_flag(args, '--' + name, p[name])
    return args


def main():
    module = AnsibleModule(
        argument_spec=module_options(
            current_ip=dict(type='str'),
            macs=dict(type='list', elements='str'),
            endpoints=dict(type='list', elements='str'),
            all=dict(type='bool'),
            plan=dict(type='list', elements='dict', options=dict(
                mac=dict(type='str'),
                endpoint=dict(type='str'),
                ip=dict(type='str', required=True),
                mask=dict(type='str'),
                gateway=dict(type='str'),
                dns=dict(type='str'),
                port=dict(type='int'),
            ), required_one_of=[['mac', 'endpoint']], mutually_exclusive=[['mac', 'endpoint']]),
            first=dict(type='str'),
            mask=dict(type='str'),
            gateway=dict(type='str'),
            dns=dict(type='str'),
            port=dict(type='int'),
            protocol=dict(type='str', choices=['auto', 'native', 'onvif']),
            user=dict(type='str', default='admin'),
            password=dict(type='str', no_log=True),
            verify=dict(type='bool', default=False),
            restart_wait=dict(type='float'),
        ),
        mutually_exclusive=[['current_ip', 'macs', 'all', 'plan'], ['endpoints', 'current_ip'],
                            ['endpoints', 'all'], ['endpoints', 'plan']]
        + [['plan', name] for name in RANGE_OPTIONS],
        required_one_of=[['current_ip', 'macs', 'endpoints', 'all', 'plan']],
        required_by=dict(restart_wait='verify'),
        supports_check_mode=True,
    )
    p = module.params
    if not p['plan'] and (p['first'] is None or p['mask'] is None):
        module.fail_json(msg='first and mask are required unless a plan is given')
    if p['restart_wait'] is not None and not p['verify']:
        module.fail_json(msg='restart_wait is only meaningful with verify: true')
    if not module.check_mode and p['password'] is None:
        module.fail_json(msg='password is required to send settings (check mode needs none)')

    cli = OndrelCli(module)
    args = chosen_devices(module)
    add_flag(args, '--protocol', p['protocol'])
    if module.check_mode:
        run = cli.run('assign', args + ['--dry-run'])
    else:
        args += ['--user', p['user'], '--yes']
        if p['verify']:
            args.append('--verify')
            add_flag(args, '--restart-wait', p['restart_wait'])
        run = cli.run('assign', args, password=p['password'])
    module.exit_json(**settings_result(module, cli, run))


if __name__ == '__main__':
    main()
