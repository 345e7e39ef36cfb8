#!/usr/bin/env python3
# Copyright 2026 Ondrel developers
# MIT License (see LICENSE)
"""One playbook for two sites in the two-LAN lab (scripts/netlab --two-lans): the inventory's
hosts are this PC kept to eOffice (LAN A) and to eCam (LAN B), each LAN with cameras of its own
at the factory address. In this order, on the same cameras:
  --check         reports what would change and sends no settings (the simulators' logs);
  wrong password  fails the assign task on both sites with every camera reported refused;
  the play        addresses and verifies every camera of both sites, each in its own LAN;
  again           changed=0.
The password reaches the CLI on standard input only: it is never in a command line or in what
Ansible reports.

  site_playbook_lab.py ONDREL_SIM ONDREL_CLI_DIR
"""

import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
FACTORY = '192.168.0.64'
PASSWORD = 'yard-and-office-7'
WRONG = 'not-the-password'

# Site: (LAN's namespace variable, adapter, cameras' MAC prefix, camera count, address range).
SITES = {
    'office': ('ONDREL_LAB_A_NETNS', 'eOffice', '02:0A:00:00:00:0', 3, '10.77.0.'),
    'yard': ('ONDREL_LAB_B_NETNS', 'eCam', '02:0B:00:00:00:0', 4, '192.168.1.'),
}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print('FAIL ' + what, flush=True)


def cameras(site):
    _, _, prefix, count, _ = SITES[site]
    return [dict(name='%s camera %d' % (site, i + 1), devId='%s%05d' % (site[:2].upper(), i + 1),
                 mac='%s%d' % (prefix, i + 1), ip=FACTORY, mask='255.255.255.0',
                 gateway='192.168.0.1', dhcp=False, password=PASSWORD, restartMs=300)
            for i in range(count)]


class Simulator(object):
    """ondrel-sim in one LAN of the lab, with its log."""

    def __init__(self, sim, site, work):
        netns = os.environ[SITES[site][0]]
        self.log = os.path.join(work, site + '.jsonl')
        ready = os.path.join(work, site + '.ready')
        config = os.path.join(work, site + '.json')
        with open(config, 'w') as f:
            json.dump(cameras(site), f)
        self.process = subprocess.Popen(['nsenter', '--net=' + netns, '--', sim, '--config', config,
                                         '--log', self.log, '--ready', ready])
        deadline = time.monotonic() + 20
        while not os.path.exists(ready):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise SystemExit('ondrel-sim for %s did not start' % site)
            time.sleep(0.05)

    def setconfigs(self):
        with open(self.log) as f:
            entries = [json.loads(line) for line in f if line.strip()]
        return [e for e in entries if e.get('kind') == 'setconfig']

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Play(object):
    """ansible-playbook with everything it writes kept in a temporary folder."""

    def __init__(self, work, cli_dir):
        self.work = work
        home = os.path.join(work, 'home')
        os.makedirs(home)
        self.env = dict(os.environ, HOME=home, ANSIBLE_HOME=os.path.join(home, '.ansible'),
                        ANSIBLE_LOCAL_TEMP=os.path.join(work, 'tmp'),
                        ANSIBLE_REMOTE_TEMP=os.path.join(work, 'remote-tmp'),
                        ANSIBLE_COLLECTIONS_PATH=REPO,
                        ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, 'callback_plugins'),
                        ANSIBLE_CALLBACKS_ENABLED='record', ANSIBLE_NOCOLOR='1',
                        ANSIBLE_RETRY_FILES_ENABLED='0',
                        # Both sites are this one PC here: two CLIs at once would compete for
                        # the search's port, which two site boxes never do.
                        ANSIBLE_FORKS='1',
                        PATH=cli_dir + os.pathsep + os.environ.get('PATH', ''))
        vault_key = os.path.join(work, 'vault-key')
        with open(vault_key, 'w') as f:
            f.write('lab-vault-key\n')
        self.secrets = os.path.join(work, 'secrets.yml')
        with open(self.secrets, 'w') as f:
            f.write('camera_password: %s\n' % PASSWORD)
        subprocess.run(['ansible-vault', 'encrypt', '--vault-password-file', vault_key,
                        self.secrets], env=self.env, check=True, stdout=subprocess.DEVNULL)
        self.base = ['ansible-playbook', '-i', os.path.join(HERE, 'inventory.yml'),
                     '--vault-password-file', vault_key, '-e', '@' + self.secrets,
                     os.path.join(HERE, 'site.yml')]

    def run(self, name, *extra):
        """Runs the play; returns its exit code, its output and every task result."""
        record = os.path.join(self.work, name + '.json')
        env = dict(self.env, ONDREL_ANSIBLE_RECORD=record)
        done = subprocess.run(self.base + list(extra), env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, universal_newlines=True)
        print('--- %s (exit %d)\n%s' % (name, done.returncode, done.stdout), flush=True)
        with open(record) as f:
            results = json.load(f)
        return done.returncode, done.stdout, results


def task_results(results, task):
    return {r['host']: r for r in results if r['task'] == task}


def recap(output, host):
    """The counters of one host's PLAY RECAP line."""
    for line in output.splitlines():
        if line.startswith(host + ' ') and 'ok=' in line:
            return dict(field.split('=') for field in line.split(':', 1)[1].split())
    return {}


def secret_kept(output, results):
    text = output + json.dumps(results)
    check(PASSWORD not in text and WRONG not in text, 'a password shows in what Ansible reports')


def main():
    sim, cli_dir = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as work:
        sims = {site: Simulator(sim, site, work) for site in SITES}
        try:
            play = Play(work, cli_dir)
            scenario(play, sims)
        finally:
            for s in sims.values():
                s.stop()
    for f in failures:
        print('FAILED: ' + f)
    return 1 if failures else 0


def scenario(play, sims):
    assign = 'New cameras get their addresses'
    macs = {site: [c['mac'] for c in cameras(site)] for site in SITES}

    rc, out, results = play.run('check', '--check', '--diff')
    check(rc == 0, '--check: exit %d' % rc)
    for site, (_, adapter, _, count, _) in SITES.items():
        r = task_results(results, assign).get(site, {}).get('result', {})
        check(r.get('changed') is True, '--check %s: assign not reported changed' % site)
        check(sorted(d['Mac'] for d in r.get('devices', [])) == macs[site]
              and all(d['Result'] == 'planned' and d['Adapter'] == adapter
                      for d in r['devices']), '--check %s: plan %s' % (site, r.get('devices')))
        after = r.get('diff', {}).get('after', '')
        check(len(after.splitlines()) == count and FACTORY not in after,
              '--check %s: diff %s' % (site, r.get('diff')))
        check(recap(out, site).get('changed') == '2', '--check %s: recap %s'
              % (site, recap(out, site)))
    check(all(not s.setconfigs() for s in sims.values()), '--check sent settings')

    rc, out, results = play.run('wrong-password', '-e', 'camera_password=' + WRONG)
    check(rc != 0, 'wrong password: the play succeeded')
    for site in SITES:
        r = task_results(results, assign).get(site, {})
        check(r.get('status') == 'failed', 'wrong password %s: assign did not fail' % site)
        devices = r.get('result', {}).get('devices', [])
        check(sorted(d['Mac'] for d in devices) == macs[site]
              and all(d['Result'] == 'refused' for d in devices),
              'wrong password %s: devices %s' % (site, devices))
        check(r.get('result', {}).get('rc') == 3 and r['result'].get('msg'),
              'wrong password %s: rc and message %s' % (site, r.get('result')))
        check('--password-stdin' in r.get('result', {}).get('cmd', []),
              'wrong password %s: the CLI was not given the password on standard input' % site)
    secret_kept(out, results)
    refused = {site: len(s.setconfigs()) for site, s in sims.items()}
    check(refused == {site: len(macs[site]) for site in SITES},
          'wrong password: set requests per LAN %s' % refused)

    rc, out, results = play.run('first')
    check(rc == 0, 'first run: exit %d' % rc)
    for site, (_, _, _, count, prefix) in SITES.items():
        assigned = task_results(results, assign).get(site, {}).get('result', {})
        check(assigned.get('changed') is True and len(assigned.get('devices', [])) == count
              and all(d['Result'] == 'verified' and d['NewIP'].startswith(prefix)
                      for d in assigned['devices']),
              'first run %s: assign %s' % (site, assigned.get('devices')))
        listed = task_results(results, 'The site as it is now').get(site, {}).get('result', {})
        now = {d['Mac']: d for d in listed.get('devices', [])}
        check(sorted(now) == macs[site] and listed.get('lost') == 0
              and all(d['IP'].startswith(prefix) for d in now.values()),
              'first run %s: the site now %s' % (site, listed.get('devices')))
        gate = now.get(macs[site][0], {})
        check(gate.get('HttpPort') == 8080, 'first run %s: gate camera %s' % (site, gate))
        # Each camera's settings went to its own LAN only: the request names its DevId.
        sent = sims[site].setconfigs()[refused[site]:]
        check(len(sent) == count + 1, 'first run %s: %d set requests' % (site, len(sent)))
    secret_kept(out, results)

    sent_before = {site: len(s.setconfigs()) for site, s in sims.items()}
    rc, out, results = play.run('again')
    check(rc == 0, 'second run: exit %d' % rc)
    for site in SITES:
        check(recap(out, site).get('changed') == '0',
              'second run %s: recap %s' % (site, recap(out, site)))
    check({site: len(s.setconfigs()) for site, s in sims.items()} == sent_before,
          'second run sent settings')


if __name__ == '__main__':
    sys.exit(main())
