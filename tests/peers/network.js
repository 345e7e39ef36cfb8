// Reads one camera's network settings through the npm "onvif" package and prints them as one
// JSON line: {"interfaces", "gateway"} as the package returns them, or {"error"}. Given an
// ADDRESS/PREFIX and a GATEWAY too, it then changes them as a technician would with the
// package: the gateway, the interface's manual IPv4 address (DHCP off), and a reboot when the
// camera says it needs one; the line then also holds {"set", "reboot"}: what the package
// returned. Run it inside scripts/netlab only, against a simulated camera.
//
//   node network.js HOST USER PASSWORD [ADDRESS/PREFIX GATEWAY]
'use strict';

const { Cam } = require('onvif');

const [hostname, username, password, change, newGateway] = process.argv.slice(2);

function done(result) {
  console.log(JSON.stringify(result));
  process.exit(result.error ? 1 : 0);
}

function changeAddress(cam, read) {
  const [address, prefix] = change.split('/');
  const token = read.interfaces[0].$.token;
  cam.setNetworkDefaultGateway({ IPv4Address: [newGateway] }, (gatewayError) => {
    if (gatewayError) {
      done({ error: 'setNetworkDefaultGateway: ' + String(gatewayError) });
      return;
    }
    const networkInterface = {
      enabled: true,
      IPv4: { enabled: true, DHCP: false, manual: { address, prefixLength: Number(prefix) } },
    };
    cam.setNetworkInterfaces({ interfaceToken: token, networkInterface }, (setError, set) => {
      if (setError) {
        done({ error: 'setNetworkInterfaces: ' + String(setError) });
        return;
      }
      if (!set || !set.rebootNeeded) {
        done({ ...read, set, reboot: null });
        return;
      }
      // The package follows the address it set at once, but a camera that needs its restart
      // first is still at the old one: the reboot is asked there, by a Cam of its own.
      const before = new Cam({ hostname, username, password, timeout: 5000 }, () => {
        before.systemReboot((rebootError, reboot) => {
          done(rebootError ? { error: 'systemReboot: ' + String(rebootError) }
            : { ...read, set, reboot });
        });
      });
    });
  });
}

const cam = new Cam({ hostname, username, password, timeout: 5000 }, (connectError) => {
  // A camera that streams nothing leaves the media part of connecting unfinished; the device
  // service is what is read here.
  cam.getNetworkInterfaces((error, interfaces) => {
    if (error) {
      done({ error: String(error), connect: connectError ? String(connectError) : null });
      return;
    }
    cam.getNetworkDefaultGateway((gatewayError, gateway) => {
      if (gatewayError) {
        done({ error: String(gatewayError) });
      } else if (change) {
        changeAddress(cam, { interfaces, gateway });
      } else {
        done({ interfaces, gateway });
      }
    });
  });
});
