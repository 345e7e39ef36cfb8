// Lists the ONVIF cameras that the npm "onvif" package's discovery finds, one JSON object a
// line: {"endpoint", "name", "address", "xaddrs", "from"}. The package only probes and reads
// the answers (resolve: false: no Cam objects, nothing sent to a camera); the name is the
// percent-decoded name scope, the address the host of the first XAddr that is IPv4 and not
// link-local. Run it inside scripts/netlab only: it multicasts a probe.
'use strict';

const onvif = require('onvif');

const timeout = Number(process.argv[2] || 2000);

function words(text) {
  return String(text || '').split(/\s+/).filter((w) => w.length > 0);
}

function nameOf(scopes) {
  const prefix = 'onvif://www.onvif.org/name/';
  const scope = words(scopes).find((s) => s.startsWith(prefix));
  return scope === undefined ? null : decodeURIComponent(scope.slice(prefix.length));
}

function addressOf(xaddrs) {
  for (const x of xaddrs) {
    const host = new URL(x).hostname;
    if (/^\d+\.\d+\.\d+\.\d+$/.test(host) && !host.startsWith('169.254.')) {
      return host;
    }
  }
  return null;
}

onvif.Discovery.on('device', (info, rinfo) => {
  const match = info.probeMatches.probeMatch;
  const xaddrs = words(match.XAddrs);
  console.log(JSON.stringify({
    endpoint: match.endpointReference.address,
    name: nameOf(match.scopes),
    address: addressOf(xaddrs),
    xaddrs,
    from: rinfo.address,
  }));
});
onvif.Discovery.on('error', (error) => console.error(`discover.js: ${error}`));
onvif.Discovery.probe({ timeout, resolve: false }, (error) => {
  if (error) {
    console.error(`discover.js: ${error.message || error}`);
    process.exitCode = 1;
  }
});
