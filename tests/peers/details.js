// Reads the device information of many cameras through the npm "onvif" package, all at once
// as the package's callbacks let it (one Cam each, no connect: each camera is asked its clock,
// which the package's account proof needs, then GetDeviceInformation), and prints one JSON line: {"read", "failed", "ms"}. Run it
// inside scripts/netlab only, against simulated cameras.
//
//   node details.js HOSTS_FILE USER PASSWORD
'use strict';

const fs = require('fs');
const { Cam } = require('onvif');

const [file, username, password] = process.argv.slice(2);
const hosts = fs.readFileSync(file, 'utf8').split(/\s+/).filter((h) => h.length > 0);
const start = Date.now();
let read = 0;
let failed = 0;

function ended() {
  if (read + failed === hosts.length) {
    console.log(JSON.stringify({ read, failed, ms: Date.now() - start }));
  }
}

for (const hostname of hosts) {
  const cam = new Cam({ hostname, username, password, port: 80, autoconnect: false, timeout: 30000 });
  // The clock first, as the package's own connect does: its account proof needs the offset.
  cam.getSystemDateAndTime(() => {
    cam.getDeviceInformation((error, info) => {
      if (error || !info || !info.manufacturer) {
        failed += 1;
      } else {
        read += 1;
      }
      ended();
    });
  });
}
