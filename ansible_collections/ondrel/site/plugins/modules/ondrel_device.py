#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: ondrel_device
short_description: Set one camera's network settings
version_added: 1.0.0
description:
  - Runs C(ondrel-cli set --format json) on the managed host for the device of I(mac) (or the
    camera of I(endpoint)). The device keeps its own value for every setting not given.
  - Idempotent. A device that already has the settings is C(unchanged) and is sent nothing
    (C(changed=false)).
  - The task fails, after returning the device's row, when the CLI's exit code says something
    went wrong (a refusal, no answer, the device missing, not verified, bad input).
options:
  mac:
    description: The device's MAC address, six hex pairs separated by C(:) or C(-).
    type: str
  endpoint:
    description:
      - A camera's WS-Discovery endpoint reference (C(urn:uuid:...)), instead of I(mac).
    type: str
  protocol:
    description:
      - The protocol that carries the change, the CLI's C(--protocol). C(auto) (the CLI's
        default) sends Ondrel's own request to a device that answered its search and uses the
        ONVIF device service for a camera found by ONVIF alone.
    type: str
    choices: [auto, native, onvif]
  ip:
    description: The new IPv4 address.
    type: str
  mask:
    description: The subnet mask, e.g. C(255.255.255.0).
    type: str
  gateway:
    description: The default gateway (C(0.0.0.0) for none).
    type: str
  dns:
    description: The first DNS server.
    type: str
  port:
    description: The HTTP port, 1 to 65535.
    type: int
  dhcp:
    description:
      - C(true) has the device take its address automatically (C(--dhcp)), C(false) keep a
        fixed one (C(--static)); by default its addressing stays as it is.
    type: bool
  user:
    description: The device's viewing account.
    type: str
    default: admin
  password:
    description:
      - The device's viewing password; passed to the CLI on standard input, never on its command
        line. Keep it in Ansible Vault.
      - Required unless in check mode.
    type: str
  verify:
    description:
      - After the restart, searches again and checks that the device reports the settings sent.
    type: bool
    default: false
  restart_wait:
    description:
      - Seconds to wait for the restart before verifying (the CLI's C(--restart-wait)); only
        with I(verify).
    type: float
extends_documentation_fragment:
  - ondrel.site.cli
attributes:
  check_mode:
    support: full
    description: Runs C(--dry-run), which finds the device and sends nothing.
  diff_mode:
    support: partial
    description: In check mode, the device as C(Mac IP) before and C(Mac NewIP) after.
author:
  - Ondrel developers (@ondrel)
'''

EXAMPLES = r'''
- name: The gate camera gets its fixed address
  ondrel.site.ondrel_device:
    mac: "00:11:22:33:44:55"
    ip: 192.168.1.20
    mask: 255.255.255.0
    gateway: 192.168.1.1
    dhcp: false
    password: "{{ vault_camera_password }}"
    verify: true

- name: An ONVIF camera by its endpoint reference
  ondrel.site.ondrel_device:
    endpoint: urn:uuid:7d2f6a1e-0000-4000-8000-001122334455
    ip: 192.168.1.21
    password: "{{ vault_camera_password }}"
'''

RETURN = r'''
devices:
  description:
    - The device's row as C(ondrel-cli set --format json) reports it, one row with C(Mac),
      C(DevName), C(DevId), C(Adapter), C(IP), C(NewIP), C(Result), C(Protocol), C(Endpoint).
      C(Result) is C(unchanged), C(planned) (check mode), C(accepted), C(refused),
      C(no answer), C(verified), C(not verified), C(missing) or C(failed) with its reason.
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
      Result: accepted
      Protocol: native
      Endpoint: ""
skipped_addresses:
  description:
    - The CLI's C(skipped), as its report gives it (named apart from C(skipped), which is
      Ansible's own key for a skipped task).
  returned: always
  type: list
  elements: dict
  sample: []
rc:
  description: The exit code of C(ondrel-cli).
  returned: always
  type: int
  sample: 0
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.ondrel.site.plugins.module_utils.ondrel_cli import (
    OndrelCli, add_flag, module_options, settings_result)

SETTINGS = ['ip', 'mask', 'gateway', 'dns', 'port']


def main():
    module = AnsibleModule(
        argument_spec=module_options(
            mac=dict(type='str'),
            endpoint=dict(type='str'),
            protocol=dict(type='str', choices=['auto', 'native', 'onvif']),
            ip=dict(type='str'),
            mask=dict(type='str'),
            gateway=dict(type='str'),
            dns=dict(type='str'),
            port=dict(type='int'),
            dhcp=dict(type='bool'),
            user=dict(type='str', default='admin'),
            password=dict(type='str', no_log=True),
            verify=dict(type='bool', default=False),
            restart_wait=dict(type='float'),
        ),
        mutually_exclusive=[['mac', 'endpoint']],
        required_one_of=[['mac', 'endpoint']],
        required_by=dict(restart_wait='verify'),
        supports_check_mode=True,
    )
    p = module.params
    if p['restart_wait'] is not None and not p['verify']:
        module.fail_json(msg='restart_wait is only meaningful with verify: true')
    if not module.check_mode and p['password'] is None:
        module.fail_json(msg='password is required to send settings (check mode needs none)')

    cli = OndrelCli(module)
    args = []
    add_flag(args, '--mac', p['mac'])
    add_flag(args, '--endpoint', p['endpoint'])
    add_flag(args, '--protocol', p['protocol'])
    for name in SETTINGS:
        add_flag(args, '--' + name, p[name])
    if p['dhcp'] is not None:
        args.append('--dhcp' if p['dhcp'] else '--static')
    if module.check_mode:
        run = cli.run('set', args + ['--dry-run'])
    else:
        args += ['--user', p['user'], '--yes']
        if p['verify']:
            args.append('--verify')
            add_flag(args, '--restart-wait', p['restart_wait'])
        run = cli.run('set', args, password=p['password'])
    module.exit_json(**settings_result(module, cli, run))


if __name__ == '__main__':
    main()
