#!/usr/bin/env python3
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""One playbook for two sites in the two-LAN lab: the inventory's hosts are this PC kept to
eOffice (LAN A) and to eCam (LAN B), each LAN with cameras at the factory address, LAN A also
with one found by ONVIF alone. In this order: --check sends no settings (the simulators' logs);
a wrong password (the vaulted one overridden) fails on both sites with every camera refused;
the play addresses and verifies every camera; the same play again changes nothing. The password
never shows in what Ansible reports.

  site_playbook_lab.py ONDREL_SIM ONDREL_CLI_DIR
"""

import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PASSWORD, WRONG = 'yard-and-office-7', 'not-the-password'
ASSIGN = 'New cameras get their addresses'
RECORD = "The cameras are where the site's record puts them"
ONVIF = 'ONVIF cameras get their addresses through their device service'
DETAILS = "The cameras' details"
ONVIF_MAC = '02:CA:00:00:00:01'  # LAN A's, at 10.77.0.130, to go to 10.78.0.10
# Site: its LAN's namespace, its adapter, its cameras' MACs, the addresses they are to get.
SITES = {'office': ('ONDREL_LAB_A_NETNS', 'eOffice', ['02:0A:00:00:00:0%d' % i for i in (1, 2, 3)],
                    '10.77.0.'),
         'yard': ('ONDREL_LAB_B_NETNS', 'eCam', ['02:0B:00:00:00:0%d' % i for i in (1, 2, 3, 4)],
                  '192.168.1.')}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAIL ' + what, flush=True)


def start_simulator(sim, site, work, onvif=False):
    """ondrel-sim in the site's LAN, its cameras at the factory address (or the ONVIF camera at
    an address of its own); returns it and its log."""
    netns, _, macs, _ = SITES[site]
    name = site + ('-onvif' if onvif else '')
    config, log, ready = (os.path.join(work, name + ext) for ext in ('.json', '.jsonl', '.ready'))
    cameras = [dict(mac=ONVIF_MAC, ip='10.77.0.130', mask='255.255.255.0')] if onvif else [
        dict(mac=mac, devId='%s%d' % (site, i), ip='192.168.0.64') for i, mac in enumerate(macs)]
    with open(config, 'w') as f:
        json.dump([dict(c, gateway='192.168.0.1', dhcp=False, password=PASSWORD, restartMs=300)
                   for c in cameras], f)
    process = subprocess.Popen(['nsenter', '--net=' + os.environ[netns], '--', sim, '--config',
                                config, '--log', log, '--ready', ready] +
                               ['--onvif-only', '--onvif-own-macs'] * onvif)
    deadline = time.monotonic() + 20
    while not os.path.exists(ready):
        if process.poll() is not None or time.monotonic() > deadline:
            raise SystemExit('ondrel-sim for %s did not start' % site)
        time.sleep(0.05)
    return process, log


def set_requests(logs):
    """The settings each simulator has been sent: set requests, and ONVIF Set calls."""
    return [sum(1 for line in open(log) if '"kind":"setconfig"' in line or '"operation":"Set' in line)
            for log in logs]


def play(work, cli_dir, name, *extra):
    """Runs the play with everything Ansible writes kept in `work`; returns its exit code and
    the results as Ansible hands them on, by task and host."""
    record = os.path.join(work, name + '.json')
    env = dict(os.environ, HOME=work, ANSIBLE_HOME=os.path.join(work, 'ansible'),
               ANSIBLE_LOCAL_TEMP=os.path.join(work, 'tmp'),
               ANSIBLE_REMOTE_TEMP=os.path.join(work, 'remote-tmp'),
               ANSIBLE_COLLECTIONS_PATH=os.path.dirname(os.path.dirname(HERE)),
               ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, 'callback_plugins'),
               ANSIBLE_CALLBACKS_ENABLED='record', ONDREL_ANSIBLE_RECORD=record,
               # Both sites are this one PC here: two CLIs at once would compete for the
               # search's port, which two site boxes never do.
               ANSIBLE_FORKS='1', PATH=cli_dir + os.pathsep + os.environ['PATH'])
    done = subprocess.run(['ansible-playbook', '-i', os.path.join(HERE, 'inventory.yml'),
                           '--vault-password-file', os.path.join(work, 'vault-key'),
                           '-e', '@' + os.path.join(work, 'secrets.yml'),
                           os.path.join(HERE, 'site.yml')] + list(extra),
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          universal_newlines=True)
    print('--- %s (exit %d)\n%s' % (name, done.returncode, done.stdout), flush=True)
    with open(record) as f:
        results = json.load(f)
    check(PASSWORD not in done.stdout + json.dumps(results) and WRONG not in done.stdout,
          name + ': a password shows in what Ansible reports')
    by_task = {}
    for r in results:
        by_task.setdefault(r['task'], {})[r['host']] = dict(r['result'], status=r['status'])
    return done.returncode, by_task


def scenario(work, cli_dir, logs):
    rc, tasks = play(work, cli_dir, 'check', '--check', '--diff')
    check(rc == 0, '--check: exit %d' % rc)
    for site, (_, adapter, macs, prefix) in SITES.items():
        r = tasks[ASSIGN][site]
        check(r['changed'] and [(d['Mac'], d['Result'], d['Adapter']) for d in r['devices']]
              == [(mac, 'planned', adapter) for mac in macs], '--check %s: %s' % (site, r))
        check(r['diff']['after'].count(prefix) == len(macs), '--check %s: diff %s' % (site, r))
        check([d['Result'] for d in tasks[RECORD][site]['devices']] == ['planned'] * len(macs),
              '--check %s: the record as a plan %s' % (site, tasks[RECORD][site]))
        gate = tasks['The gate camera serves its page on port 8080'][site]
        check(gate['changed'] and gate['devices'][0]['Result'] == 'planned', '--check: %s' % gate)
    check(tasks[ONVIF]['office']['devices'][0]['Result'] == 'planned', '--check: %s' % tasks[ONVIF])
    check(set_requests(logs) == [0, 0, 0], '--check sent settings')

    rc, tasks = play(work, cli_dir, 'wrong-password', '-e', 'camera_password=' + WRONG)
    for site, (_, _, macs, _) in SITES.items():
        r = tasks[ASSIGN][site]
        check(r['status'] == 'failed' and r['rc'] == 3 and r['msg'] and '--password-stdin' in r['cmd']
              and [(d['Mac'], d['Result']) for d in r['devices']] == [(m, 'refused') for m in macs],
              'wrong password %s: %s' % (site, r))
    # The office's ONVIF camera refused the account: the task fails (exit 3); the yard has
    # no camera ONVIF found, so nobody was asked and nothing failed.
    r = tasks[DETAILS]['office']
    check(r['status'] == 'failed' and r['rc'] == 3 and '--details' in r['cmd'],
          'wrong password: details %s' % r)
    check(tasks[DETAILS]['yard']['status'] != 'failed', 'wrong password: yard details %s'
          % tasks[DETAILS]['yard'])

    rc, tasks = play(work, cli_dir, 'first')
    check(rc == 0, 'first run: exit %d' % rc)
    for site, (_, _, macs, prefix) in SITES.items():
        r = tasks[ASSIGN][site]
        check(r['changed'] and all(d['Result'] == 'verified' and d['NewIP'].startswith(prefix)
                                   for d in r['devices']), 'first run %s: %s' % (site, r))
        r = tasks[RECORD][site]
        check(not r['changed'] and [d['Result'] for d in r['devices']] == ['unchanged'] * len(macs),
              'first run %s: the record as a plan %s' % (site, r))
        now = tasks['The site as it is now'][site]
        want = [(mac, prefix, 8080 if i == 0 else 80, 'native') for i, mac in enumerate(macs)]
        want += [(ONVIF_MAC, '10.78.0.', 80, 'onvif')] if site == 'office' else []
        check(sorted((d['Mac'], d['IP'][:len(want[-1][1])], d['HttpPort'], d['Protocol'])
                     for d in now['devices']) == want and now['lost'] == 0,
              'first run %s: the site now %s' % (site, now))
    details = [d for d in tasks[DETAILS]['office']['devices'] if d['Protocol'] == 'onvif']
    check([(d['Mac'], d['Details'], d['Manufacturer']) for d in details]
          == [(ONVIF_MAC, 'read', 'Ondrel')] and abs(details[0]['ClockOffset']) <= 2
          and details[0]['NetMask'] == '255.255.255.0', 'first run: details %s' % details)
    check(all(d['Details'] == '' for d in tasks[DETAILS]['yard']['devices']),
          'first run: the yard\'s own devices have no details %s' % tasks[DETAILS]['yard'])
    r = tasks[ONVIF]['office']
    check(r['changed'] and [(d['Mac'], d['Protocol'], d['Result']) for d in r['devices']]
          == [(ONVIF_MAC, 'onvif', 'verified')], 'first run: the ONVIF camera %s' % r)
    sent = set_requests(logs)

    rc, tasks = play(work, cli_dir, 'again')
    check(rc == 0 and not any(r['changed'] for t in tasks.values() for r in t.values()),
          'second run: exit %d, changes %s' % (rc, tasks))
    check(set_requests(logs) == sent, 'second run sent settings')


def main():
    sim, cli_dir = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, 'vault-key'), 'w') as f:
            f.write('lab-vault-key\n')
        secrets = os.path.join(work, 'secrets.yml')
        with open(secrets, 'w') as f:
            f.write('camera_password: %s\n' % PASSWORD)
        subprocess.run(['ansible-vault', 'encrypt', '--vault-password-file',
                        os.path.join(work, 'vault-key'), secrets], check=True,
                       env=dict(os.environ, HOME=work, ANSIBLE_HOME=os.path.join(work, 'ansible')))
        # LAN A answers for the ONVIF camera's old and new addresses.
        for subnet in ('10.77.0.128/26', '10.78.0.0/24'):
            subprocess.run(['nsenter', '--net=' + os.environ['ONDREL_LAB_A_NETNS'], 'ip', 'route',
                            'replace', 'local', subnet, 'dev', 'lo'], check=True)
        sims = {site: start_simulator(sim, site, work) for site in SITES}
        camera = start_simulator(sim, 'office', work, onvif=True)
        try:
            scenario(work, cli_dir, [log for _, log in list(sims.values()) + [camera]])
        finally:
            for process, _ in list(sims.values()) + [camera]:
                process.terminate()
                process.wait()
    print('\n'.join(['FAILED: ' + f for f in failures] or ['passed']))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
